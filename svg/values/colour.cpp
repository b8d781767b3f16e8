#include "svg/values/colour.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "svg/base/strings.h"

namespace {

// The characters [p, end) still to read.
struct Cursor {
    const wchar_t* p;
    const wchar_t* end;
};

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

bool IsAsciiLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

void SkipSpace(Cursor* in) {
    while (in->p < in->end && IsCssWhiteSpace(*in->p))
        in->p++;
}

bool Take(Cursor* in, wchar_t c) {
    if (in->p < in->end && *in->p == c) {
        in->p++;
        return true;
    }
    return false;
}

Argb Pack(int alpha, int red, int green, int blue) {
    return (static_cast<Argb>(alpha) << 24) | (static_cast<Argb>(red) << 16) |
           (static_cast<Argb>(green) << 8) | static_cast<Argb>(blue);
}

// Rounds half up and clamps to 0..255; a value that is not a number gives 0.
int ToChannel(double value) {
    if (!(value > 0))
        return 0;
    if (value >= 255)
        return 255;
    return static_cast<int>(std::floor(value + 0.5));
}

int HexDigit(wchar_t c) {
    if (IsDigit(c))
        return c - L'0';
    c = LowerAscii(c);
    return c >= L'a' && c <= L'f' ? c - L'a' + 10 : -1;
}

// "#" and 3, 4, 6 or 8 hexadecimal digits: RGB, RGBA, RRGGBB, RRGGBBAA.
bool ReadHex(const wchar_t* first, const wchar_t* last, Argb* colour) {
    size_t count = static_cast<size_t>(last - first);
    if (count != 3 && count != 4 && count != 6 && count != 8)
        return false;
    int digits[8];
    for (size_t i = 0; i < count; i++) {
        digits[i] = HexDigit(first[i]);
        if (digits[i] < 0)
            return false;
    }
    int channels[4] = {0, 0, 0, 255};
    bool shortForm = count <= 4;
    for (size_t c = 0; c < (count == 3 || count == 6 ? 3u : 4u); c++) {
        channels[c] = shortForm ? digits[c] * 17 : digits[2 * c] * 16 + digits[2 * c + 1];
    }
    *colour = Pack(channels[3], channels[0], channels[1], channels[2]);
    return true;
}

// A CSS number: sign, digits with an optional fraction, optional exponent.
bool ReadNumber(Cursor* in, double* value) {
    const wchar_t* start = in->p;
    const wchar_t* p = start;
    if (p < in->end && (*p == L'+' || *p == L'-'))
        p++;
    const wchar_t* digits = p;
    while (p < in->end && IsDigit(*p))
        p++;
    if (p < in->end && *p == L'.' && p + 1 < in->end && IsDigit(p[1])) {
        p++;
        while (p < in->end && IsDigit(*p))
            p++;
    }
    if (p == digits)
        return false;
    if (p < in->end && (*p == L'e' || *p == L'E')) {
        const wchar_t* e = p + 1;
        if (e < in->end && (*e == L'+' || *e == L'-'))
            e++;
        if (e < in->end && IsDigit(*e)) {
            while (e < in->end && IsDigit(*e))
                e++;
            p = e;
        }
    }
    *value = ConvertDecimal(start, p);
    in->p = p;
    return true;
}

// One argument of a colour function: a number, a percentage, a number with
// a unit (hues), or the keyword "none" (read as 0).
enum ComponentKind { KindNumber, KindPercent, KindUnit };

struct Component {
    double value;
    ComponentKind kind;
    const wchar_t* unit; // [unit, unitEnd) for KindUnit
    const wchar_t* unitEnd;
};

bool ReadComponent(Cursor* in, Component* out) {
    SkipSpace(in);
    out->kind = KindNumber;
    if (in->end - in->p >= 4 && IsWordIgnoringCase(ViewOf(in->p, in->p + 4), "none") &&
        (in->p + 4 == in->end || !IsAsciiLetter(in->p[4]))) {
        in->p += 4;
        out->value = 0;
        return true;
    }
    if (!ReadNumber(in, &out->value))
        return false;
    if (Take(in, L'%')) {
        out->kind = KindPercent;
    } else if (in->p < in->end && IsAsciiLetter(*in->p)) {
        out->kind = KindUnit;
        out->unit = in->p;
        while (in->p < in->end && IsAsciiLetter(*in->p))
            in->p++;
        out->unitEnd = in->p;
    }
    return true;
}

// The arguments of a colour function after its "(": three components and an
// optional alpha, either all separated by commas or by white space with a
// "/" before the alpha. The ")" may be missing at the end of the text.
bool ReadArguments(Cursor* in, Component parts[4], bool* hasAlpha) {
    if (!ReadComponent(in, &parts[0]))
        return false;
    SkipSpace(in);
    bool commas = Take(in, L',');
    for (int i = 1; i < 3; i++) {
        if (!ReadComponent(in, &parts[i]))
            return false;
        SkipSpace(in);
        if (commas && i < 2 && !Take(in, L','))
            return false;
    }
    *hasAlpha = commas ? Take(in, L',') : Take(in, L'/');
    if (*hasAlpha && !ReadComponent(in, &parts[3]))
        return false;
    SkipSpace(in);
    if (in->p < in->end && !Take(in, L')'))
        return false;
    SkipSpace(in);
    return in->p == in->end;
}

int RgbChannel(const Component& part) {
    if (part.kind == KindUnit)
        return -1;
    return ToChannel(part.kind == KindPercent ? part.value * 255.0 / 100.0 : part.value);
}

// Alpha is a fraction 0..1 or a percentage. It is held as a 32-bit float and
// the product with 255 taken in double from it, so 0.3 (just above 0.3 as a
// float) gives 77 rather than 76.
int AlphaChannel(const Component& part) {
    if (part.kind == KindUnit)
        return -1;
    float a = static_cast<float>(part.kind == KindPercent ? part.value / 100.0 : part.value);
    if (!(a >= 0))
        a = 0;
    if (a > 1)
        a = 1;
    return ToChannel(static_cast<double>(a) * 255.0);
}

bool RgbFromArguments(const Component parts[4], bool hasAlpha, Argb* colour) {
    int alpha = hasAlpha ? AlphaChannel(parts[3]) : 255;
    int red = RgbChannel(parts[0]);
    int green = RgbChannel(parts[1]);
    int blue = RgbChannel(parts[2]);
    if (alpha < 0 || red < 0 || green < 0 || blue < 0)
        return false;
    *colour = Pack(alpha, red, green, blue);
    return true;
}

// Degrees from a hue: a plain number is degrees; deg, grad, rad and turn.
bool HueDegrees(const Component& part, double* degrees) {
    double v = part.value;
    if (part.kind == KindNumber)
        *degrees = v;
    else if (part.kind == KindPercent)
        return false;
    else if (IsWordIgnoringCase(ViewOf(part.unit, part.unitEnd), "deg"))
        *degrees = v;
    else if (IsWordIgnoringCase(ViewOf(part.unit, part.unitEnd), "grad"))
        *degrees = v * 0.9;
    else if (IsWordIgnoringCase(ViewOf(part.unit, part.unitEnd), "rad"))
        *degrees = v * 180.0 / 3.14159265358979323846;
    else if (IsWordIgnoringCase(ViewOf(part.unit, part.unitEnd), "turn"))
        *degrees = v * 360.0;
    else
        return false;
    return true;
}

// Saturation and lightness as fractions 0..1; a plain number counts as a
// percentage.
bool Fraction(const Component& part, double* fraction) {
    if (part.kind == KindUnit)
        return false;
    double v = part.value / 100.0;
    *fraction = v > 0 ? (v < 1 ? v : 1) : 0;
    return true;
}

// One channel of the HSL conversion, the hue in sixths of a turn.
double HueToChannel(double low, double high, double hue) {
    if (hue < 0)
        hue += 6;
    if (hue >= 6)
        hue -= 6;
    if (hue < 1)
        return (high - low) * hue + low;
    if (hue < 3)
        return high;
    if (hue < 4)
        return (high - low) * (4 - hue) + low;
    return low;
}

bool HslFromArguments(const Component parts[4], bool hasAlpha, Argb* colour) {
    double degrees = 0, saturation = 0, lightness = 0;
    if (!HueDegrees(parts[0], &degrees) || !Fraction(parts[1], &saturation) ||
        !Fraction(parts[2], &lightness))
        return false;
    int alpha = hasAlpha ? AlphaChannel(parts[3]) : 255;
    if (alpha < 0)
        return false;
    double hue = std::fmod(degrees, 360.0);
    if (!(hue == hue)) // an infinite hue
        hue = 0;
    if (hue < 0)
        hue += 360;
    hue /= 60;
    double high = lightness <= 0.5 ? lightness * (saturation + 1)
                                   : lightness + saturation - lightness * saturation;
    double low = lightness * 2 - high;
    *colour = Pack(alpha, ToChannel(HueToChannel(low, high, hue + 2) * 255),
                   ToChannel(HueToChannel(low, high, hue) * 255),
                   ToChannel(HueToChannel(low, high, hue - 2) * 255));
    return true;
}

// rgb(), rgba(), hsl() and hsla(); the "a" forms are the same functions.
bool ReadFunction(const wchar_t* first, const wchar_t* last, Argb* colour) {
    const wchar_t* open = first;
    while (open < last && IsAsciiLetter(*open))
        open++;
    if (open == last || *open != L'(')
        return false;
    bool rgb = IsWordIgnoringCase(ViewOf(first, open), "rgb") ||
               IsWordIgnoringCase(ViewOf(first, open), "rgba");
    bool hsl = IsWordIgnoringCase(ViewOf(first, open), "hsl") ||
               IsWordIgnoringCase(ViewOf(first, open), "hsla");
    if (!rgb && !hsl)
        return false;
    Cursor in{open + 1, last};
    Component parts[4];
    bool hasAlpha = false;
    if (!ReadArguments(&in, parts, &hasAlpha))
        return false;
    return rgb ? RgbFromArguments(parts, hasAlpha, colour)
               : HslFromArguments(parts, hasAlpha, colour);
}

struct NamedColour {
    const char* name;
    Argb value;
};

// The CSS colour keywords, sorted by name for the binary search.
const NamedColour kNamedColours[] = {
    {"aliceblue", 0xFFF0F8FF},
    {"antiquewhite", 0xFFFAEBD7},
    {"aqua", 0xFF00FFFF},
    {"aquamarine", 0xFF7FFFD4},
    {"azure", 0xFFF0FFFF},
    {"beige", 0xFFF5F5DC},
    {"bisque", 0xFFFFE4C4},
    {"black", 0xFF000000},
    {"blanchedalmond", 0xFFFFEBCD},
    {"blue", 0xFF0000FF},
    {"blueviolet", 0xFF8A2BE2},
    {"brown", 0xFFA52A2A},
    {"burlywood", 0xFFDEB887},
    {"cadetblue", 0xFF5F9EA0},
    {"chartreuse", 0xFF7FFF00},
    {"chocolate", 0xFFD2691E},
    {"coral", 0xFFFF7F50},
    {"cornflowerblue", 0xFF6495ED},
    {"cornsilk", 0xFFFFF8DC},
    {"crimson", 0xFFDC143C},
    {"cyan", 0xFF00FFFF},
    {"darkblue", 0xFF00008B},
    {"darkcyan", 0xFF008B8B},
    {"darkgoldenrod", 0xFFB8860B},
    {"darkgray", 0xFFA9A9A9},
    {"darkgreen", 0xFF006400},
    {"darkgrey", 0xFFA9A9A9},
    {"darkkhaki", 0xFFBDB76B},
    {"darkmagenta", 0xFF8B008B},
    {"darkolivegreen", 0xFF556B2F},
    {"darkorange", 0xFFFF8C00},
    {"darkorchid", 0xFF9932CC},
    {"darkred", 0xFF8B0000},
    {"darksalmon", 0xFFE9967A},
    {"darkseagreen", 0xFF8FBC8F},
    {"darkslateblue", 0xFF483D8B},
    {"darkslategray", 0xFF2F4F4F},
    {"darkslategrey", 0xFF2F4F4F},
    {"darkturquoise", 0xFF00CED1},
    {"darkviolet", 0xFF9400D3},
    {"deeppink", 0xFFFF1493},
    {"deepskyblue", 0xFF00BFFF},
    {"dimgray", 0xFF696969},
    {"dimgrey", 0xFF696969},
    {"dodgerblue", 0xFF1E90FF},
    {"firebrick", 0xFFB22222},
    {"floralwhite", 0xFFFFFAF0},
    {"forestgreen", 0xFF228B22},
    {"fuchsia", 0xFFFF00FF},
    {"gainsboro", 0xFFDCDCDC},
    {"ghostwhite", 0xFFF8F8FF},
    {"gold", 0xFFFFD700},
    {"goldenrod", 0xFFDAA520},
    {"gray", 0xFF808080},
    {"green", 0xFF008000},
    {"greenyellow", 0xFFADFF2F},
    {"grey", 0xFF808080},
    {"honeydew", 0xFFF0FFF0},
    {"hotpink", 0xFFFF69B4},
    {"indianred", 0xFFCD5C5C},
    {"indigo", 0xFF4B0082},
    {"ivory", 0xFFFFFFF0},
    {"khaki", 0xFFF0E68C},
    {"lavender", 0xFFE6E6FA},
    {"lavenderblush", 0xFFFFF0F5},
    {"lawngreen", 0xFF7CFC00},
    {"lemonchiffon", 0xFFFFFACD},
    {"lightblue", 0xFFADD8E6},
    {"lightcoral", 0xFFF08080},
    {"lightcyan", 0xFFE0FFFF},
    {"lightgoldenrodyellow", 0xFFFAFAD2},
    {"lightgray", 0xFFD3D3D3},
    {"lightgreen", 0xFF90EE90},
    {"lightgrey", 0xFFD3D3D3},
    {"lightpink", 0xFFFFB6C1},
    {"lightsalmon", 0xFFFFA07A},
    {"lightseagreen", 0xFF20B2AA},
    {"lightskyblue", 0xFF87CEFA},
    {"lightslategray", 0xFF778899},
    {"lightslategrey", 0xFF778899},
    {"lightsteelblue", 0xFFB0C4DE},
    {"lightyellow", 0xFFFFFFE0},
    {"lime", 0xFF00FF00},
    {"limegreen", 0xFF32CD32},
    {"linen", 0xFFFAF0E6},
    {"magenta", 0xFFFF00FF},
    {"maroon", 0xFF800000},
    {"mediumaquamarine", 0xFF66CDAA},
    {"mediumblue", 0xFF0000CD},
    {"mediumorchid", 0xFFBA55D3},
    {"mediumpurple", 0xFF9370DB},
    {"mediumseagreen", 0xFF3CB371},
    {"mediumslateblue", 0xFF7B68EE},
    {"mediumspringgreen", 0xFF00FA9A},
    {"mediumturquoise", 0xFF48D1CC},
    {"mediumvioletred", 0xFFC71585},
    {"midnightblue", 0xFF191970},
    {"mintcream", 0xFFF5FFFA},
    {"mistyrose", 0xFFFFE4E1},
    {"moccasin", 0xFFFFE4B5},
    {"navajowhite", 0xFFFFDEAD},
    {"navy", 0xFF000080},
    {"oldlace", 0xFFFDF5E6},
    {"olive", 0xFF808000},
    {"olivedrab", 0xFF6B8E23},
    {"orange", 0xFFFFA500},
    {"orangered", 0xFFFF4500},
    {"orchid", 0xFFDA70D6},
    {"palegoldenrod", 0xFFEEE8AA},
    {"palegreen", 0xFF98FB98},
    {"paleturquoise", 0xFFAFEEEE},
    {"palevioletred", 0xFFDB7093},
    {"papayawhip", 0xFFFFEFD5},
    {"peachpuff", 0xFFFFDAB9},
    {"peru", 0xFFCD853F},
    {"pink", 0xFFFFC0CB},
    {"plum", 0xFFDDA0DD},
    {"powderblue", 0xFFB0E0E6},
    {"purple", 0xFF800080},
    {"rebeccapurple", 0xFF663399},
    {"red", 0xFFFF0000},
    {"rosybrown", 0xFFBC8F8F},
    {"royalblue", 0xFF4169E1},
    {"saddlebrown", 0xFF8B4513},
    {"salmon", 0xFFFA8072},
    {"sandybrown", 0xFFF4A460},
    {"seagreen", 0xFF2E8B57},
    {"seashell", 0xFFFFF5EE},
    {"sienna", 0xFFA0522D},
    {"silver", 0xFFC0C0C0},
    {"skyblue", 0xFF87CEEB},
    {"slateblue", 0xFF6A5ACD},
    {"slategray", 0xFF708090},
    {"slategrey", 0xFF708090},
    {"snow", 0xFFFFFAFA},
    {"springgreen", 0xFF00FF7F},
    {"steelblue", 0xFF4682B4},
    {"tan", 0xFFD2B48C},
    {"teal", 0xFF008080},
    {"thistle", 0xFFD8BFD8},
    {"tomato", 0xFFFF6347},
    {"transparent", 0x00000000},
    {"turquoise", 0xFF40E0D0},
    {"violet", 0xFFEE82EE},
    {"wheat", 0xFFF5DEB3},
    {"white", 0xFFFFFFFF},
    {"whitesmoke", 0xFFF5F5F5},
    {"yellow", 0xFFFFFF00},
    {"yellowgreen", 0xFF9ACD32},
};

// Compares the text, lower-cased as ASCII, with a lower-case name.
int CompareName(const wchar_t* first, const wchar_t* last, const char* name) {
    for (; first < last && *name; first++, name++) {
        wchar_t c = LowerAscii(*first);
        if (c != static_cast<wchar_t>(*name))
            return c < static_cast<wchar_t>(*name) ? -1 : 1;
    }
    if (first < last)
        return 1;
    return *name ? -1 : 0;
}

bool ReadName(const wchar_t* first, const wchar_t* last, Argb* colour) {
    if (IsWordIgnoringCase(ViewOf(first, last), "none")) {
        *colour = 0x00000000u;
        return true;
    }
    size_t low = 0;
    size_t high = sizeof kNamedColours / sizeof kNamedColours[0];
    while (low < high) {
        size_t middle = (low + high) / 2;
        int order = CompareName(first, last, kNamedColours[middle].name);
        if (order == 0) {
            *colour = kNamedColours[middle].value;
            return true;
        }
        if (order < 0)
            high = middle;
        else
            low = middle + 1;
    }
    return false;
}

} // namespace

Argb ParseColour(const std::wstring& text) {
    return ParseColour(text.data(), text.data() + text.size());
}

Argb ParseColour(const wchar_t* first, const wchar_t* last) {
    const TextView trimmed = TrimView(ViewOf(first, last));
    first = trimmed.data();
    last = EndOf(trimmed);
    Argb colour = 0;
    bool read;
    if (first == last)
        read = false;
    else if (*first == L'#')
        read = ReadHex(first + 1, last, &colour);
    else if (std::find(first, last, L'(') != last)
        read = ReadFunction(first, last, &colour);
    else
        read = ReadName(first, last, &colour);
    if (!read)
        return NoColour;
    // The value that means "no colour" is read as its transparent neighbour.
    return colour == NoColour ? 0x00FFFFFFu : colour;
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
