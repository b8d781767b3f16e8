// Reading an element's properties in place: the declaration list tabled
// once by property, the attributes likewise.
#include "svg/style/property_reader.h"

#include <algorithm>

#include "svg/style/font_shorthand.h"
#include "svg/values/lengths.h"

// Property names and values are trimmed of CSS white space, not blanks alone:
// style-sheet rule bodies keep the line breaks and tabs they were written with.
// Items are separated by ";"; items without ":" are skipped; the first item
// whose name matches gives the value.
bool FindDeclarationSpan(const std::wstring& declarations, const wchar_t* name, size_t nameLength,
                         TextView* value) {
    const wchar_t* item = declarations.data();
    const wchar_t* end = item + declarations.size();
    for (;;) {
        const wchar_t* itemEnd = std::find(item, end, L';');
        const wchar_t* colon = std::find(item, itemEnd, L':');
        if (colon != itemEnd) {
            const TextView property = TrimView(ViewOf(item, colon));
            if (IsWordIgnoringCase(property, TextView(name, nameLength))) {
                *value = TrimView(ViewOf(colon + 1, itemEnd));
                return true;
            }
        }
        if (itemEnd == end)
            return false;
        item = itemEnd + 1;
    }
}

#define PROPERTY_NAME(text)                                                                        \
    { L##text, sizeof(text) - 1 }
const PropertyName PropertyNames[PropertyCount] = {
    PROPERTY_NAME("display"),
    PROPERTY_NAME("visibility"),
    PROPERTY_NAME("font-size"),
    PROPERTY_NAME("color"),
    PROPERTY_NAME("fill"),
    PROPERTY_NAME("stroke"),
    PROPERTY_NAME("stroke-width"),
    PROPERTY_NAME("stroke-dasharray"),
    PROPERTY_NAME("stroke-dashoffset"),
    PROPERTY_NAME("vector-effect"),
    PROPERTY_NAME("opacity"),
    PROPERTY_NAME("fill-opacity"),
    PROPERTY_NAME("stroke-opacity"),
    PROPERTY_NAME("fill-rule"),
    PROPERTY_NAME("stroke-linecap"),
    PROPERTY_NAME("stroke-linejoin"),
    PROPERTY_NAME("stroke-miterlimit"),
    PROPERTY_NAME("marker-start"),
    PROPERTY_NAME("marker-mid"),
    PROPERTY_NAME("marker-end"),
    PROPERTY_NAME("marker"),
    PROPERTY_NAME("paint-order"),
    PROPERTY_NAME("font-family"),
    PROPERTY_NAME("font-weight"),
    PROPERTY_NAME("font-style"),
    PROPERTY_NAME("font-variant"),
    PROPERTY_NAME("font-variation-settings"),
    PROPERTY_NAME("text-anchor"),
    PROPERTY_NAME("transform-origin"),
    PROPERTY_NAME("transform"),
    PROPERTY_NAME("xml:space"),
    PROPERTY_NAME("filter"),
    PROPERTY_NAME("clip-path"),
    PROPERTY_NAME("mask"),
    PROPERTY_NAME("mask-type"),
    PROPERTY_NAME("clip-rule"),
    PROPERTY_NAME("overflow"),
    PROPERTY_NAME("writing-mode"),
    PROPERTY_NAME("letter-spacing"),
    PROPERTY_NAME("word-spacing"),
    PROPERTY_NAME("dominant-baseline"),
    PROPERTY_NAME("alignment-baseline"),
    PROPERTY_NAME("baseline-shift"),
    PROPERTY_NAME("text-decoration"),
    PROPERTY_NAME("font-kerning"),
    PROPERTY_NAME("kerning"),
    PROPERTY_NAME("flood-color"),
    PROPERTY_NAME("flood-opacity"),
    PROPERTY_NAME("lighting-color"),
    PROPERTY_NAME("stop-color"),
    PROPERTY_NAME("stop-opacity"),
    PROPERTY_NAME("color-interpolation-filters"),
    PROPERTY_NAME("image-rendering"),
    PROPERTY_NAME("mix-blend-mode"),
    PROPERTY_NAME("isolation"),
};
#undef PROPERTY_NAME

namespace {

// The properties whose names have each length, in the order of Property.
struct PropertiesByLength {
    static const size_t MaxLength = 27;                 // color-interpolation-filters
    signed char list[MaxLength + 1][PropertyCount + 1]; // each ends with -1
    PropertiesByLength() {
        for (size_t length = 0; length <= MaxLength; length++) {
            int n = 0;
            for (int p = 0; p < PropertyCount; p++) {
                if (PropertyNames[p].length == length)
                    list[length][n++] = static_cast<signed char>(p);
            }
            list[length][n] = -1;
        }
    }
};

// The property an exact name stands for, PropertyCount for any other name.
template <typename Char> Property PropertyOfExactName(const Char* name, size_t length) {
    static const PropertiesByLength byLength;
    if (length > PropertiesByLength::MaxLength)
        return PropertyCount;
    for (const signed char* p = byLength.list[length]; *p >= 0; p++) {
        const wchar_t* known = PropertyNames[*p].text;
        size_t i = 0;
        while (i < length && static_cast<wchar_t>(name[i]) == known[i])
            i++;
        if (i == length)
            return static_cast<Property>(*p);
    }
    return PropertyCount;
}

// Declarations name properties in any case.
Property PropertyOfDeclaredName(TextView name) {
    const size_t length = name.size();
    Property p = PropertyOfExactName(name.data(), length);
    if (p != PropertyCount)
        return p;
    for (int k = 0; k < PropertyCount; k++) {
        if (IsWordIgnoringCase(name, TextView(PropertyNames[k].text, PropertyNames[k].length)))
            return static_cast<Property>(k);
    }
    return PropertyCount;
}

} // namespace

void PropertyReader::TableDeclarations() {
    const wchar_t* item = declarations->data();
    const wchar_t* end = item + declarations->size();
    while (item != end) {
        const wchar_t* itemEnd = std::find(item, end, L';');
        const wchar_t* colon = std::find(item, itemEnd, L':');
        if (colon != itemEnd) {
            const TextView name = TrimView(ViewOf(item, colon));
            const TextView value = TrimView(ViewOf(colon + 1, itemEnd));
            Property p = PropertyOfDeclaredName(name);
            if (p != PropertyCount)
                Declare(p, value);
            else if (IsWordIgnoringCase(name, "font"))
                DeclareFontShorthand(value);
        }
        if (itemEnd == end)
            break;
        item = itemEnd + 1;
    }
}

void PropertyReader::Declare(Property p, TextView value) {
    if (declared & Bits(p))
        return;
    declared |= Bits(p);
    declaration[p] = value;
}

// The shorthand declares each font property that no earlier item did.
void PropertyReader::DeclareFontShorthand(TextView value) {
    FontShorthand parts;
    if (!SplitFontShorthand(value, &parts))
        return;
    Declare(PropFontStyle, parts.style);
    Declare(PropFontVariant, parts.variant);
    Declare(PropFontWeight, parts.weight);
    Declare(PropFontSize, parts.size);
    Declare(PropFontFamily, parts.family);
    Declare(PropFontKerning, parts.kerning);
}

void PropertyReader::TableAttributes() {
    const size_t count = XmlAttributeCount(element);
    for (size_t i = 0; i < count; i++) {
        const char* name = nullptr;
        size_t length = 0;
        XmlAttributeNameAt(element, i, &name, &length);
        Property p = PropertyOfExactName(name, length);
        if (p != PropertyCount) {
            attributed |= Bits(p);
            attributeIndex[p] = i;
            attribute[p] = AttributeValue(i);
        }
    }
}

TextView PropertyReader::AttributeValue(size_t i) {
    const char* text = nullptr;
    size_t length = 0;
    XmlAttributeBytesAt(element, i, &text, &length);
    if (length > WidenedLength - widenedUsed)
        return TextView(XmlAttributeAt(element, i));
    wchar_t* first = widened + widenedUsed;
    for (size_t k = 0; k < length; k++) {
        const unsigned char c = static_cast<unsigned char>(text[k]);
        if (c >= 0x80)
            return TextView(XmlAttributeAt(element, i));
        first[k] = static_cast<wchar_t>(c);
    }
    widenedUsed += length;
    return TextView(first, length);
}

TextView PropertyText(const PropertyReader& reader, const std::wstring& name) {
    TextView value;
    if (FindDeclarationSpan(*reader.declarations, name.c_str(), name.size(), &value) &&
        !value.empty())
        return value;
    return TextView(XmlAttribute(reader.element, name.c_str()));
}

float ReadLength(TextView text, std::wstring* scratch) {
    return ReadLeadingNumber(text.data(), EndOf(text), scratch);
}

void ApplyColor(PropertyReader* reader, Argb* color) {
    TextView text = TrimView(PropertyText(*reader, PropColor));
    if (text.empty() || IsCurrentColour(text))
        return;
    Argb c = ParseColour(text.data(), EndOf(text));
    if (c != NoColour)
        *color = c;
}

int ReadKeyword(TextView text, int current, const KeywordCode* table, size_t count) {
    TextView key = TrimView(text);
    for (size_t i = 0; i < count; i++) {
        if (IsWordIgnoringCase(key, table[i].keyword))
            return table[i].code;
    }
    return current;
}
