// An element's declarations, and one declaration looked up by name.
#include "svg/style/properties.h"

#include "svg/base/strings.h"
#include "svg/css/style_sheet.h"
#include "svg/style/property_reader.h"

// The "style" attribute and the style-sheet rules in cascade order; the
// first declaration of a property in the list is the one that applies.
std::wstring ElementDeclarations(StyleSheets* sheets, const XmlNode* element) {
    return CascadedDeclarations(sheets, element);
}

std::wstring FindDeclaration(const std::wstring& declarations, const std::wstring& name) {
    TextView value;
    if (!FindDeclarationSpan(declarations, name.data(), name.size(), &value))
        return std::wstring();
    return std::wstring(value);
}
