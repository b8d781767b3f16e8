// Reading an element's properties: its declaration list (the "style"
// attribute and the style-sheet rules, in cascade order) and its attributes,
// in place, by property number. Shared by the readers of the style stage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "svg/base/strings.h"
#include "svg/values/colour.h"
#include "svg/xml/xml_tree.h"

// The value of the first item of the declaration list that names the
// property (in any case), trimmed of CSS white space; false when none does.
bool FindDeclarationSpan(const std::wstring& declarations, const wchar_t* name, size_t nameLength,
                         TextView* value);

// The properties an element's state is computed from, by number.
// xml:space is read from its attribute only; transform from both.
enum Property {
    PropDisplay,
    PropVisibility,
    PropFontSize,
    PropColor,
    PropFill,
    PropStroke,
    PropStrokeWidth,
    PropStrokeDasharray,
    PropStrokeDashoffset,
    PropVectorEffect,
    PropOpacity,
    PropFillOpacity,
    PropStrokeOpacity,
    PropFillRule,
    PropStrokeLinecap,
    PropStrokeLinejoin,
    PropStrokeMiterlimit,
    PropMarkerStart,
    PropMarkerMid,
    PropMarkerEnd,
    PropMarker,
    PropPaintOrder,
    PropFontFamily,
    PropFontWeight,
    PropFontStyle,
    PropFontVariant,
    PropFontVariationSettings,
    PropTextAnchor,
    PropTransformOrigin,
    PropTransform,
    PropXmlSpace,
    PropFilter,
    PropClipPath,
    PropMask,
    PropMaskType,
    PropClipRule,
    PropOverflow,
    PropWritingMode,
    PropLetterSpacing,
    PropWordSpacing,
    PropDominantBaseline,
    PropAlignmentBaseline,
    PropBaselineShift,
    PropTextDecoration,
    PropFontKerning,
    PropKerning,
    PropFloodColor,
    PropFloodOpacity,
    PropLightingColor,
    PropStopColor,
    PropStopOpacity,
    PropColorInterpolationFilters,
    PropImageRendering,
    PropMixBlendMode,
    PropIsolation,
    PropertyCount
};
static_assert(PropertyCount <= 64, "the reader keeps one bit for each property");

struct PropertyName {
    const wchar_t* text;
    size_t length;
};

extern const PropertyName PropertyNames[PropertyCount];

// The properties' bits in the reader's sets.
template <typename... Properties> constexpr uint64_t Bits(Properties... p) {
    return ((uint64_t{1} << p) | ...);
}

// Reads one element's properties: a non-empty declaration value first, the
// element's attribute of the same name after. The declaration list and the
// attributes are each gone through once, into a table by property; a reader
// for a single lookup searches the list in place instead. The scratch text
// holds numbers while they are read, so that they need no allocation of
// their own. Attribute values of ASCII text are widened into the reader's
// own buffer: most are read once, and the tree then keeps no wide copy of
// them.
struct PropertyReader {
    static const size_t WidenedLength = 256;
    const XmlNode* element;
    const std::wstring* declarations;
    std::wstring scratch;
    bool tabled = false;
    uint64_t declared = 0;   // properties that have a declaration (the first one counts)
    uint64_t attributed = 0; // properties that have an attribute
    TextView declaration[PropertyCount];
    TextView attribute[PropertyCount];
    size_t attributeIndex[PropertyCount];
    wchar_t widened[WidenedLength];
    size_t widenedUsed = 0;

    PropertyReader(const XmlNode* e, const std::wstring* list, bool manyLookups)
        : element(e), declarations(list), tabled(manyLookups) {
        if (tabled) {
            TableDeclarations();
            TableAttributes();
        }
    }
    // The table points into the reader itself.
    PropertyReader(const PropertyReader&) = delete;
    PropertyReader& operator=(const PropertyReader&) = delete;

    // Items as FindDeclarationSpan reads them: separated by ";", those
    // without ":" left out, names and values trimmed of white space.
    // The "font" shorthand is read into the font properties it sets.
    void TableDeclarations();
    // The first declaration of a property counts.
    void Declare(Property p, TextView value);
    void DeclareFontShorthand(TextView value);

    void TableAttributes();

    // The i-th attribute's value, widened here when it is ASCII text and
    // fits; otherwise the tree's wide text.
    TextView AttributeValue(size_t i);
};

// The declaration of the property: the first item that names it.
inline bool FindItem(const PropertyReader& reader, Property p, TextView* value) {
    if (!reader.tabled)
        return FindDeclarationSpan(*reader.declarations, PropertyNames[p].text,
                                   PropertyNames[p].length, value);
    if (!(reader.declared & Bits(p)))
        return false;
    *value = reader.declaration[p];
    return true;
}

inline TextView AttributeText(const PropertyReader& reader, Property p) {
    if (!reader.tabled)
        return TextView(XmlAttribute(reader.element, PropertyNames[p].text));
    return reader.attributed & Bits(p) ? reader.attribute[p] : TextView();
}

// The attribute's own text, "" when the element has none.
inline const std::wstring& AttributeString(const PropertyReader& reader, Property p) {
    static const std::wstring none;
    if (!reader.tabled)
        return XmlAttribute(reader.element, PropertyNames[p].text);
    return reader.attributed & Bits(p) ? XmlAttributeAt(reader.element, reader.attributeIndex[p])
                                       : none;
}

inline TextView PropertyText(const PropertyReader& reader, Property p) {
    TextView value;
    if (FindItem(reader, p, &value) && !value.empty())
        return value;
    return AttributeText(reader, p);
}

// Any property by name, for the readers of single properties.
TextView PropertyText(const PropertyReader& reader, const std::wstring& name);

// The number at the start of the text (after blanks); units are not
// interpreted.
float ReadLength(TextView text, std::wstring* scratch);

inline bool IsCurrentColour(TextView value) {
    return IsWordIgnoringCase(value, L"currentcolor");
}

// A keyword and the code it stands for.
struct KeywordCode {
    const wchar_t* keyword;
    int code;
};

// The code of the keyword the text is (trimmed, in any case); `current` for
// any other text.
int ReadKeyword(TextView text, int current, const KeywordCode* table, size_t count);

// A keyword property replaces the inherited code when it is given and known.
template <size_t Count>
void ApplyKeyword(const PropertyReader& reader, Property name, const KeywordCode (&table)[Count],
                  int* value) {
    TextView text = PropertyText(reader, name);
    if (!text.empty())
        *value = ReadKeyword(text, *value, table, Count);
}

// "color": a colour it can read replaces the inherited one; "inherit",
// "currentColor" and unreadable text keep it.
void ApplyColor(PropertyReader* reader, Argb* color);
