// Presentation attributes, the "style" attribute and style-sheet declarations,
// merged into one lookup that computes each element's StyleState.
#include <cmath>

#include "svg/gradients.h"
#include "svg/style.h"
#include "svg/style_sheet.h"
#include "svg/text.h"
#include "svg/xml_tree.h"

static const Argb GreyPaint = 0xFF808080u;

void InitRootStyleState(StyleState* state) {
    state->fillColor = 0xFF000000u;
    state->strokeColor = 0;
    state->strokeWidth = 1.0f;
    state->opacity = 1.0f;
    state->fillOpacity = 1.0f;
    state->strokeOpacity = 1.0f;
    state->fillRule = 1;
    state->lineCap = 0;
    state->lineJoin = 0;
    state->miterLimit = 4.0f;
    state->hasFill = 1;
    state->hasStroke = 0;
    state->fillRef.clear();
    state->strokeRef.clear();
    IdentityMatrix(&state->matrix);
}

// The "style" attribute first, then the style-sheet rules: FindDeclaration
// takes the first match, so inline style wins over the sheets.
static std::wstring DeclarationList(const XmlNode* element) {
    const std::wstring& inlineStyle = XmlAttribute(element, L"style");
    std::wstring rules = StyleSheetDeclarations(element);
    if (inlineStyle.empty())
        return rules;
    if (rules.empty())
        return inlineStyle;
    return inlineStyle + L";" + rules;
}

// Sets one paint (has, colour, ref) from the property; an unreadable or
// missing value leaves the inherited paint.
static void ApplyPaint(const XmlNode* element, const std::wstring& list, const wchar_t* name,
                       int* has, Argb* colour, std::wstring* ref) {
    int isNone = 0;
    std::wstring reference;
    Argb c = ParsePaint(element, list, name, &isNone, &reference);
    if (isNone) {
        *has = 0;
        *colour = 0;
        ref->clear();
    } else if (c != NoColour) {
        *colour = c;
        *has = 1;
        *ref = reference;
    }
}

// Opacities multiply down the tree and are not clamped here.
static void ApplyOpacity(const XmlNode* element, const std::wstring& list, const wchar_t* name,
                         float parentValue, float* value) {
    int found = 0;
    float v = ParseNumberProperty(element, list, name, 1.0f, &found);
    if (found)
        *value = parentValue * v;
}

typedef int (*KeywordReader)(const std::wstring& text, int current);

static void ApplyKeyword(const XmlNode* element, const std::wstring& list, const wchar_t* name,
                         KeywordReader reader, int parentValue, int* value) {
    std::wstring text = GetPropertyValue(element, list, name);
    if (!text.empty())
        *value = reader(text, parentValue);
}

// The transform comes from the attribute only; the element's own transform
// applies to its points first, the ancestors' after.
static void ApplyTransform(const XmlNode* element, const Matrix2D& parentMatrix, Matrix2D* matrix) {
    const std::wstring& text = XmlAttribute(element, L"transform");
    if (TrimBlanks(text).empty()) {
        *matrix = parentMatrix;
        return;
    }
    Matrix2D own;
    IdentityMatrix(&own);
    ParseTransformList(text, &own);
    MultiplyMatrix(&parentMatrix, &own, matrix);
}

void ApplyPresentation(const XmlNode* element, const StyleState* parent, StyleState* out) {
    // parent and out may be the same record: work on a copy.
    const StyleState inherited = *parent;
    StyleState state = inherited;
    std::wstring list = DeclarationList(element);

    ApplyPaint(element, list, L"fill", &state.hasFill, &state.fillColor, &state.fillRef);
    ApplyPaint(element, list, L"stroke", &state.hasStroke, &state.strokeColor, &state.strokeRef);

    int found = 0;
    float width =
        ParseNumberProperty(element, list, L"stroke-width", inherited.strokeWidth, &found);
    if (found)
        state.strokeWidth = width; // zero or negative turns the stroke off at commit

    ApplyOpacity(element, list, L"opacity", inherited.opacity, &state.opacity);
    ApplyOpacity(element, list, L"fill-opacity", inherited.fillOpacity, &state.fillOpacity);
    ApplyOpacity(element, list, L"stroke-opacity", inherited.strokeOpacity, &state.strokeOpacity);

    ApplyKeyword(element, list, L"fill-rule", ParseFillRule, inherited.fillRule, &state.fillRule);
    ApplyKeyword(element, list, L"stroke-linecap", ParseLineCap, inherited.lineCap, &state.lineCap);
    ApplyKeyword(element, list, L"stroke-linejoin", ParseLineJoin, inherited.lineJoin,
                 &state.lineJoin);

    std::wstring limit = GetPropertyValue(element, list, L"stroke-miterlimit");
    if (!limit.empty())
        state.miterLimit = ParseLength(limit);

    ApplyTransform(element, inherited.matrix, &state.matrix);
    *out = state;
}

// Property names and values are trimmed of CSS white space, not blanks alone:
// style-sheet rule bodies keep the line breaks and tabs they were written with.
std::wstring FindDeclaration(const std::wstring& declarations, const std::wstring& name) {
    if (declarations.empty())
        return std::wstring();
    std::wstring key = LowerText(name);
    size_t start = 0;
    while (start <= declarations.size()) {
        size_t end = declarations.find(L';', start);
        if (end == std::wstring::npos)
            end = declarations.size();
        size_t colon = declarations.find(L':', start);
        if (colon != std::wstring::npos && colon < end) {
            std::wstring property =
                LowerText(TrimWhiteSpace(declarations.substr(start, colon - start)));
            if (property == key)
                return TrimWhiteSpace(declarations.substr(colon + 1, end - colon - 1));
        }
        start = end + 1;
    }
    return std::wstring();
}

std::wstring GetPropertyValue(const XmlNode* element, const std::wstring& declarations,
                              const std::wstring& name) {
    std::wstring value = FindDeclaration(declarations, name);
    if (!value.empty())
        return value;
    return XmlAttribute(element, name.c_str());
}

static void AppendDeclarations(std::wstring* result, const std::wstring& entry) {
    if (entry.empty())
        return;
    if (!result->empty())
        result->push_back(L';');
    result->append(entry);
}

// Id rules, then class rules in the order of the "class" attribute, then
// element rules: earlier entries win in FindDeclaration.
std::wstring StyleSheetDeclarations(const XmlNode* element) {
    std::wstring result;
    std::wstring id = TrimBlanks(XmlAttribute(element, L"id"));
    if (!id.empty())
        result = FindIdRule(id);

    std::wstring classes = TrimBlanks(XmlAttribute(element, L"class"));
    if (!classes.empty() && HasClassRules()) {
        size_t start = 0;
        while (start <= classes.size()) {
            size_t end = classes.find(L' ', start);
            if (end == std::wstring::npos)
                end = classes.size();
            std::wstring token = TrimBlanks(classes.substr(start, end - start));
            if (!token.empty())
                AppendDeclarations(&result, FindClassRule(token));
            start = end + 1;
        }
    }

    if (HasElementRules())
        AppendDeclarations(&result, FindElementRule(LowerText(XmlName(element))));
    return result;
}

// «url(#id)»: the gradient's average colour (and the reference when the
// gradient has a definition); opaque grey when the reference cannot be read
// or names no gradient. Text after the ")" is ignored.
static Argb ParsePaintReference(const std::wstring& value, std::wstring* ref) {
    size_t hash = value.find(L'#');
    if (hash == std::wstring::npos)
        return GreyPaint;
    size_t close = value.find(L')', hash);
    if (close == std::wstring::npos)
        return GreyPaint;
    std::wstring id = TrimBlanks(value.substr(hash + 1, close - hash - 1));
    Argb average = 0;
    if (!FindGradientAverageColour(id, &average))
        return GreyPaint;
    if (FindRegisteredGradient(id))
        *ref = id;
    return average;
}

Argb ParsePaint(const XmlNode* element, const std::wstring& declarations, const std::wstring& name,
                int* isNone, std::wstring* ref) {
    *isNone = 0;
    ref->clear();
    std::wstring value = TrimBlanks(GetPropertyValue(element, declarations, name));
    if (value.empty())
        return NoColour;
    std::wstring lower = LowerText(value);
    if (lower == L"none") {
        *isNone = 1;
        return 0;
    }
    if (lower.compare(0, 4, L"url(") == 0)
        return ParsePaintReference(value, ref);
    return ParseColour(value);
}

float ParseNumberProperty(const XmlNode* element, const std::wstring& declarations,
                          const std::wstring& name, float defaultValue, int* found) {
    std::wstring value = GetPropertyValue(element, declarations, name);
    if (value.empty()) {
        *found = 0;
        return defaultValue;
    }
    *found = 1;
    return ParseLength(value);
}

static bool IsLengthCharacter(wchar_t c) {
    return (c >= L'0' && c <= L'9') || c == L'.' || c == L'-' || c == L'+' || c == L'e' ||
           c == L'E';
}

// Units are not interpreted: the number at the start is the length.
float ParseLength(const std::wstring& text) {
    std::wstring trimmed = TrimBlanks(text);
    size_t run = 0;
    while (run < trimmed.size() && IsLengthCharacter(trimmed[run]))
        run++;
    if (run == 0)
        return 0.0f;
    // The decimal reader takes the longest prefix of the run that is a
    // number, so «2e» gives 2 and «1-2» gives 1.
    return static_cast<float>(DecimalValueOfText(trimmed.substr(0, run)));
}

struct KeywordCode {
    const wchar_t* keyword;
    int code;
};

static int ReadKeyword(const std::wstring& text, int current, const KeywordCode* table,
                       size_t count) {
    std::wstring key = LowerText(TrimBlanks(text));
    for (size_t i = 0; i < count; i++) {
        if (key == table[i].keyword)
            return table[i].code;
    }
    return current;
}

int ParseFillRule(const std::wstring& text, int current) {
    static const KeywordCode table[] = {{L"nonzero", 1}, {L"evenodd", 0}};
    return ReadKeyword(text, current, table, sizeof table / sizeof table[0]);
}

int ParseLineCap(const std::wstring& text, int current) {
    static const KeywordCode table[] = {{L"butt", 0}, {L"round", 2}, {L"square", 1}};
    return ReadKeyword(text, current, table, sizeof table / sizeof table[0]);
}

int ParseLineJoin(const std::wstring& text, int current) {
    static const KeywordCode table[] = {{L"miter", 0}, {L"round", 2}, {L"bevel", 1}};
    return ReadKeyword(text, current, table, sizeof table / sizeof table[0]);
}

Argb ScaleAlpha(Argb colour, float factor) {
    if (factor >= 1.0f)
        return colour;
    if (!(factor > 0.0f)) // also not-a-number
        return colour & 0x00FFFFFFu;
    float alpha = std::nearbyint(static_cast<float>(colour >> 24) * factor);
    if (alpha < 0.0f)
        alpha = 0.0f;
    if (alpha > 255.0f)
        alpha = 255.0f;
    return (colour & 0x00FFFFFFu) | (static_cast<Argb>(alpha) << 24);
}
