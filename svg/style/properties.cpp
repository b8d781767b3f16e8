// Single properties of an element, looked up by name: its declarations, a
// property's value and colours that may name currentColor.
#include "svg/style/properties.h"

#include "svg/base/strings.h"
#include "svg/css/style_sheet.h"
#include "svg/style/property_reader.h"
#include "svg/xml/element_walk.h"
#include "svg/xml/xml_tree.h"

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

std::wstring GetPropertyValue(const XmlNode* element, const std::wstring& declarations,
                              const std::wstring& name) {
    PropertyReader reader(element, &declarations, false);
    return std::wstring(PropertyText(reader, name));
}

// The nearest element, from this one up, whose "color" can be read gives the
// colour: the property is inherited and each readable value replaces it.
static Argb InheritedColor(StyleSheets* sheets, const XmlNode* element) {
    for (int depth = 0; element && depth <= kMaxElementSearchDepth; depth++) {
        if (XmlIsElement(element)) {
            const std::wstring list = ElementDeclarations(sheets, element);
            PropertyReader reader(element, &list, false);
            Argb color = NoColour;
            ApplyColor(&reader, &color);
            if (color != NoColour)
                return color;
        }
        element = XmlParent(element);
    }
    return 0xFF000000u;
}

Argb ParseColourOf(StyleSheets* sheets, const XmlNode* element, const std::wstring& text) {
    if (IsCurrentColour(TrimView(TextView(text))))
        return InheritedColor(sheets, element);
    return ParseColour(text);
}
