#include "svg/colour.h"

#include <cmath>
#include <vector>

#include "svg/text.h"

static Argb OpaqueRgb(int red, int green, int blue) {
    return 0xFF000000u | (static_cast<Argb>(red) << 16) | (static_cast<Argb>(green) << 8) |
           static_cast<Argb>(blue);
}

static bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}

Argb ParseColour(const std::wstring& text) {
    std::wstring s = TrimBlanks(text);
    if (s.empty())
        return NoColour;
    if (s[0] == L'#')
        return ParseHexColour(s);
    std::wstring start = LowerText(s.substr(0, 5));
    if (StartsWith(start, L"rgb(") || StartsWith(start, L"rgba("))
        return ParseRgbFunction(s);
    return ParseNamedColour(s);
}

// One channel of a hexadecimal colour: the integer value of "$" and the
// digits. A character that is not a hexadecimal digit ends the pair.
static int HexChannel(const std::wstring& digits) {
    return static_cast<int>(IntegerValueOfText(L"$" + digits));
}

Argb ParseHexColour(const std::wstring& text) {
    std::wstring s = TrimBlanks(text);
    if (s.empty() || s[0] != L'#')
        return NoColour;
    std::wstring d = s.substr(1);
    if (d.size() == 3) {
        return OpaqueRgb(HexChannel(std::wstring(2, d[0])), HexChannel(std::wstring(2, d[1])),
                         HexChannel(std::wstring(2, d[2])));
    }
    if (d.size() == 6)
        return OpaqueRgb(HexChannel(d.substr(0, 2)), HexChannel(d.substr(2, 2)),
                         HexChannel(d.substr(4, 2)));
    return NoColour;
}

// Splits the inside of rgb()/rgba() at commas into at most four parts. Empty
// parts between commas count; text after the last comma becomes a part only
// when it is not empty.
static std::vector<std::wstring> SplitComponents(const std::wstring& inner) {
    std::vector<std::wstring> parts;
    size_t partStart = 0;
    for (size_t i = 0; i < inner.size() && parts.size() < 4; i++) {
        if (inner[i] == L',') {
            parts.push_back(inner.substr(partStart, i - partStart));
            partStart = i + 1;
        }
    }
    if (parts.size() < 4 && partStart < inner.size())
        parts.push_back(inner.substr(partStart));
    return parts;
}

// Rounds halves to even (the default rounding mode) and clamps to 0..255; a
// value that is not a number gives 0.
static int RoundToChannel(double value) {
    double rounded = std::nearbyint(value);
    if (!(rounded > 0))
        return 0;
    if (rounded > 255)
        return 255;
    return static_cast<int>(rounded);
}

// A percentage scales 0..100 to 0..255; anything else is read as an integer
// with any fraction cut off.
static int ColourComponent(const std::wstring& part) {
    std::wstring p = TrimBlanks(part);
    if (!p.empty() && p.back() == L'%') {
        float percent = static_cast<float>(DecimalValueOfText(p.substr(0, p.size() - 1)));
        return RoundToChannel(static_cast<double>(percent) * 255.0 / 100.0);
    }
    int32_t value = Int32ValueOfText(p);
    if (value < 0)
        return 0;
    return value > 255 ? 255 : static_cast<int>(value);
}

// Alpha is a fraction 0..1 (no percentages). The product with 255 is taken
// from the 32-bit value without rounding it to 32 bits again, so 0.3 (just
// above 0.3 as a float) gives 77 rather than the even 76.
static int AlphaComponent(const std::wstring& part) {
    float a = static_cast<float>(DecimalValueOfText(TrimBlanks(part)));
    if (!(a >= 0))
        a = 0;
    if (a > 1)
        a = 1;
    return RoundToChannel(static_cast<double>(a) * 255.0);
}

Argb ParseRgbFunction(const std::wstring& text) {
    std::wstring s = LowerText(TrimBlanks(text));
    bool alphaForm;
    std::wstring inner;
    if (StartsWith(s, L"rgba(")) {
        alphaForm = true;
        inner = s.substr(5);
    } else if (StartsWith(s, L"rgb(")) {
        alphaForm = false;
        inner = s.substr(4);
    } else {
        return NoColour;
    }
    size_t close = inner.find(L')');
    if (close != std::wstring::npos)
        inner.resize(close);
    std::wstring packed;
    packed.reserve(inner.size());
    for (wchar_t c : inner) {
        if (c != L' ')
            packed.push_back(c);
    }
    std::vector<std::wstring> parts = SplitComponents(packed);
    if (parts.size() < (alphaForm ? 4u : 3u))
        return NoColour;
    Argb alpha = alphaForm ? static_cast<Argb>(AlphaComponent(parts[3])) : 255u;
    return (alpha << 24) | (static_cast<Argb>(ColourComponent(parts[0])) << 16) |
           (static_cast<Argb>(ColourComponent(parts[1])) << 8) |
           static_cast<Argb>(ColourComponent(parts[2]));
}

struct NamedColour {
    const wchar_t* name;
    Argb value;
};

// The colour keywords this reader knows, with their SVG 1.1 / CSS values.
static const NamedColour kNamedColours[] = {
    {L"black", 0xFF000000},     {L"white", 0xFFFFFFFF},       {L"red", 0xFFFF0000},
    {L"green", 0xFF008000},     {L"blue", 0xFF0000FF},        {L"yellow", 0xFFFFFF00},
    {L"cyan", 0xFF00FFFF},      {L"aqua", 0xFF00FFFF},        {L"magenta", 0xFFFF00FF},
    {L"fuchsia", 0xFFFF00FF},   {L"silver", 0xFFC0C0C0},      {L"gray", 0xFF808080},
    {L"grey", 0xFF808080},      {L"maroon", 0xFF800000},      {L"olive", 0xFF808000},
    {L"purple", 0xFF800080},    {L"teal", 0xFF008080},        {L"navy", 0xFF000080},
    {L"lime", 0xFF00FF00},      {L"orange", 0xFFFFA500},      {L"pink", 0xFFFFC0CB},
    {L"brown", 0xFFA52A2A},     {L"gold", 0xFFFFD700},        {L"violet", 0xFFEE82EE},
    {L"indigo", 0xFF4B0082},    {L"skyblue", 0xFF87CEEB},     {L"lightgray", 0xFFD3D3D3},
    {L"lightgrey", 0xFFD3D3D3}, {L"darkgray", 0xFFA9A9A9},    {L"darkgrey", 0xFFA9A9A9},
    {L"lightblue", 0xFFADD8E6}, {L"darkblue", 0xFF00008B},    {L"lightgreen", 0xFF90EE90},
    {L"darkgreen", 0xFF006400}, {L"lightyellow", 0xFFFFFFE0}, {L"darkred", 0xFF8B0000},
    {L"crimson", 0xFFDC143C},   {L"salmon", 0xFFFA8072},      {L"khaki", 0xFFF0E68C},
    {L"lavender", 0xFFE6E6FA},  {L"beige", 0xFFF5F5DC},       {L"ivory", 0xFFFFFFF0},
    {L"azure", 0xFFF0FFFF},     {L"mintcream", 0xFFF5FFFA},   {L"honeydew", 0xFFF0FFF0},
    {L"snow", 0xFFFFFAFA},      {L"tan", 0xFFD2B48C},         {L"wheat", 0xFFF5DEB3},
    {L"peru", 0xFFCD853F},      {L"sienna", 0xFFA0522D},      {L"chocolate", 0xFFD2691E},
    {L"coral", 0xFFFF7F50},     {L"tomato", 0xFFFF6347},      {L"turquoise", 0xFF40E0D0},
    {L"plum", 0xFFDDA0DD},      {L"orchid", 0xFFDA70D6},      {L"thistle", 0xFFD8BFD8},
};

Argb ParseNamedColour(const std::wstring& text) {
    std::wstring k = LowerText(TrimBlanks(text));
    if (k == L"none" || k == L"transparent")
        return 0x00000000u;
    for (const NamedColour& colour : kNamedColours) {
        if (k == colour.name)
            return colour.value;
    }
    return NoColour;
}
