#include "svg/values/transform.h"

#include <cmath>
#include <vector>

#include "svg/base/scan.h"
#include "svg/base/strings.h"

namespace {

// rotate() takes pi in single precision and rounds its angle to a float;
// skewX() and skewY() work in double precision throughout.
const float kSinglePi = 3.1415927f;
const double kDoublePi = 3.14159265358979323846;

Matrix2D MakeMatrix(float a, float b, float c, float d, float e, float f) {
    Matrix2D m = {a, b, c, d, e, f};
    return m;
}

bool IsAsciiLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool StartsNumberForCount(wchar_t c) {
    return (c >= L'0' && c <= L'9') || c == L'.' || c == L'-' || c == L'+' || c == L'e' ||
           c == L'E';
}

// How many numbers the argument text appears to hold: a run of number
// characters counts once, separators end a run.
int CountNumbers(const std::wstring& arguments) {
    int count = 0;
    bool inNumber = false;
    for (wchar_t c : arguments) {
        if (StartsNumberForCount(c)) {
            if (!inNumber)
                count++;
            inNumber = true;
        } else if (IsListSeparator(c)) {
            inNumber = false;
        }
    }
    return count;
}

// The scanner reads a missing number as 0, so «scale(2)» and «scale(2,0)»
// both give p2 = 0; counting the numbers tells them apart.
float SecondScaleFactor(const std::wstring& arguments, float sx, float p2) {
    if (p2 != 0)
        return p2;
    if (TrimView(arguments).empty())
        return p2;
    return CountNumbers(arguments) < 2 ? sx : p2;
}

Matrix2D RotateMatrix(float degrees, float cx, float cy) {
    float r = static_cast<float>(static_cast<double>(degrees) * kSinglePi / 180.0);
    float co = static_cast<float>(std::cos(static_cast<double>(r)));
    float si = static_cast<float>(std::sin(static_cast<double>(r)));
    if (cx == 0 && cy == 0)
        return MakeMatrix(co, si, -si, co, 0, 0);
    // translate(cx, cy) x rotate x translate(-cx, -cy)
    return MakeMatrix(co, si, -si, co, -cx * co + cy * si + cx, -cx * si - cy * co + cy);
}

float TangentOfDegrees(float degrees) {
    return static_cast<float>(std::tan(static_cast<double>(degrees) * kDoublePi / 180.0));
}

// The matrix of one transform function (its name in any case) of the
// arguments read; an unknown name gives the identity.
Matrix2D NamedMatrix(const std::wstring& name, const std::wstring& arguments, const float p[6]) {
    if (LowerTextIs(name, L"translate"))
        return MakeMatrix(1, 0, 0, 1, p[0], p[1]);
    if (LowerTextIs(name, L"scale"))
        return MakeMatrix(p[0], 0, 0, SecondScaleFactor(arguments, p[0], p[1]), 0, 0);
    if (LowerTextIs(name, L"rotate"))
        return RotateMatrix(p[0], p[1], p[2]);
    if (LowerTextIs(name, L"skewx"))
        return MakeMatrix(1, 0, TangentOfDegrees(p[0]), 1, 0, 0);
    if (LowerTextIs(name, L"skewy"))
        return MakeMatrix(1, TangentOfDegrees(p[0]), 0, 1, 0, 0);
    if (LowerTextIs(name, L"matrix"))
        return MakeMatrix(p[0], p[1], p[2], p[3], p[4], p[5]);
    return MakeMatrix(1, 0, 0, 1, 0, 0);
}

// Reads one transform function's arguments into its matrix; false when an
// argument is too large for a float (the function is then in error).
bool FunctionMatrix(const std::wstring& name, const std::wstring& arguments, Matrix2D* m) {
    float p[6];
    int position = 1;
    for (float& value : p) {
        bool refused = false;
        position = ScanNumber(arguments, position, &value, &refused);
        if (refused)
            return false;
    }
    *m = NamedMatrix(name, arguments, p);
    return true;
}

// A CSS function's arguments: split at commas, each trimmed; an empty one
// (two commas running) makes the list invalid, returned empty.
std::vector<std::wstring> CssArguments(const std::wstring& text) {
    std::vector<std::wstring> items = CommaSeparatedItems(text);
    for (const std::wstring& item : items) {
        if (item.empty())
            return std::vector<std::wstring>();
    }
    return items;
}

// The number at the start of the text and what follows it (its unit);
// false without a number or with one too large for a float.
bool NumberAndUnit(const std::wstring& text, float* value, std::wstring* unit) {
    const wchar_t* first = text.data();
    const wchar_t* last = first + text.size();
    const wchar_t* end = NumberEnd(first, last);
    if (end == first)
        return false;
    const double number = ConvertDecimal(first, end);
    if (!FitsFloat(number))
        return false;
    *value = static_cast<float>(number);
    *unit = LowerText(std::wstring(end, last));
    return true;
}

bool CssNumber(const std::wstring& text, float* value) {
    std::wstring unit;
    return NumberAndUnit(text, value, &unit) && unit.empty();
}

// An angle in degrees.
bool CssAngle(const std::wstring& text, float* degrees) {
    std::wstring unit;
    float value = 0;
    if (!NumberAndUnit(text, &value, &unit))
        return false;
    static const struct {
        const wchar_t* unit;
        double degrees; // in one of the unit
    } units[] = {{L"deg", 1}, {L"grad", 0.9}, {L"rad", 180 / kDoublePi}, {L"turn", 360}};
    for (const auto& u : units) {
        if (unit == u.unit) {
            *degrees = static_cast<float>(value * u.degrees);
            return true;
        }
    }
    *degrees = 0;
    return unit.empty() && value == 0;
}

bool CssLength(const std::wstring& text, const LengthBasis& basis, int direction, float* value) {
    static const wchar_t* const units[] = {L"",   L"px", L"pt", L"pc", L"mm",
                                           L"cm", L"in", L"em", L"ex", L"%"};
    std::wstring unit;
    float number = 0;
    if (!NumberAndUnit(text, &number, &unit))
        return false;
    for (const wchar_t* known : units) {
        if (unit == known)
            return ReadLengthValue(text.data(), text.data() + text.size(), basis, direction,
                                   value) == 1;
    }
    return false;
}

// One to `most` arguments read into v; false when there are more or fewer,
// or one cannot be read.
bool ReadArguments(const std::vector<std::wstring>& args, size_t most,
                   bool (*read)(const std::wstring&, float*), float v[6]) {
    if (args.empty() || args.size() > most)
        return false;
    for (size_t i = 0; i < args.size(); i++) {
        if (!read(args[i], &v[i]))
            return false;
    }
    return true;
}

// One CSS transform function's matrix; false when its name or arguments
// are not valid.
bool CssFunctionMatrix(const std::wstring& name, const std::vector<std::wstring>& args,
                       const LengthBasis& basis, Matrix2D* m) {
    const size_t n = args.size();
    float v[6] = {0, 0, 0, 0, 0, 0};
    const std::wstring f = LowerText(name);
    if (f == L"matrix") {
        if (n != 6 || !ReadArguments(args, 6, CssNumber, v))
            return false;
        *m = MakeMatrix(v[0], v[1], v[2], v[3], v[4], v[5]);
        return true;
    }
    if (f == L"translate" || f == L"translatex" || f == L"translatey") {
        const bool both = f == L"translate";
        if (n < 1 || n > (both ? 2u : 1u) || !CssLength(args[0], basis, f == L"translatey", &v[0]))
            return false;
        if (n == 2 && !CssLength(args[1], basis, LengthVertical, &v[1]))
            return false;
        *m = f == L"translatey" ? MakeMatrix(1, 0, 0, 1, 0, v[0])
                                : MakeMatrix(1, 0, 0, 1, v[0], v[1]);
        return true;
    }
    if (f == L"scale" || f == L"scalex" || f == L"scaley") {
        if (!ReadArguments(args, f == L"scale" ? 2 : 1, CssNumber, v))
            return false;
        if (f == L"scale")
            *m = MakeMatrix(v[0], 0, 0, n == 2 ? v[1] : v[0], 0, 0);
        else
            *m = f == L"scalex" ? MakeMatrix(v[0], 0, 0, 1, 0, 0) : MakeMatrix(1, 0, 0, v[0], 0, 0);
        return true;
    }
    if (f == L"rotate") {
        if (!ReadArguments(args, 1, CssAngle, v))
            return false;
        *m = RotateMatrix(v[0], 0, 0);
        return true;
    }
    if (f == L"skew" || f == L"skewx" || f == L"skewy") {
        if (!ReadArguments(args, f == L"skew" ? 2 : 1, CssAngle, v))
            return false;
        if (f == L"skewy")
            *m = MakeMatrix(1, TangentOfDegrees(v[0]), 0, 1, 0, 0);
        else
            *m = MakeMatrix(1, TangentOfDegrees(v[1]), TangentOfDegrees(v[0]), 1, 0, 0);
        return true;
    }
    return false;
}

} // namespace

int ParseCssTransform(const std::wstring& text, const LengthBasis& basis, Matrix2D* m) {
    const TextView whole = TrimView(text);
    if (whole.empty())
        return 0;
    Matrix2D result;
    IdentityMatrix(&result);
    if (IsWordIgnoringCase(whole, L"none")) {
        *m = result;
        return 1;
    }
    size_t i = 0;
    const std::wstring t(whole);
    while (i < t.size()) {
        while (i < t.size() && IsCssWhiteSpace(t[i]))
            i++;
        if (i == t.size())
            break;
        const size_t nameStart = i;
        while (i < t.size() && IsAsciiLetter(t[i]))
            i++;
        if (i == nameStart || i >= t.size() || t[i] != L'(')
            return 0; // CSS allows no space before the bracket
        const size_t close = t.find(L')', i);
        if (close == std::wstring::npos)
            return 0;
        Matrix2D f;
        if (!CssFunctionMatrix(t.substr(nameStart, i - nameStart),
                               CssArguments(t.substr(i + 1, close - i - 1)), basis, &f))
            return 0;
        result = ComposeMatrix(result, f);
        i = close + 1;
    }
    *m = result;
    return 1;
}

void IdentityMatrix(Matrix2D* m) {
    *m = MakeMatrix(1, 0, 0, 1, 0, 0);
}

Matrix2D ComposeMatrix(const Matrix2D& m1, const Matrix2D& m2) {
    return MakeMatrix(m1.a * m2.a + m1.c * m2.b, m1.b * m2.a + m1.d * m2.b,
                      m1.a * m2.c + m1.c * m2.d, m1.b * m2.c + m1.d * m2.d,
                      m1.a * m2.e + m1.c * m2.f + m1.e, m1.b * m2.e + m1.d * m2.f + m1.f);
}

bool InvertMatrix(const Matrix2D& m, Matrix2D* inverse) {
    const double det = static_cast<double>(m.a) * m.d - static_cast<double>(m.b) * m.c;
    if (!(std::fabs(det) > 1e-12) || !std::isfinite(det))
        return false;
    const double a = m.d / det, b = -m.b / det, c = -m.c / det, d = m.a / det;
    const double e = -(a * m.e + c * m.f), f = -(b * m.e + d * m.f);
    const Matrix2D result =
        MakeMatrix(static_cast<float>(a), static_cast<float>(b), static_cast<float>(c),
                   static_cast<float>(d), static_cast<float>(e), static_cast<float>(f));
    if (!std::isfinite(result.a) || !std::isfinite(result.b) || !std::isfinite(result.c) ||
        !std::isfinite(result.d) || !std::isfinite(result.e) || !std::isfinite(result.f))
        return false;
    *inverse = result;
    return true;
}

void ApplyMatrix(const Matrix2D& m, float* x, float* y) {
    const float x0 = *x, y0 = *y;
    *x = m.a * x0 + m.c * y0 + m.e;
    *y = m.b * x0 + m.d * y0 + m.f;
}

bool InvertDeviceMatrix(const DeviceMatrix& m, DeviceMatrix* inverse) {
    const double det = m.a * m.d - m.b * m.c;
    if (!(det != 0) || !std::isfinite(det))
        return false;
    const DeviceMatrix result = {m.d / det,
                                 -m.b / det,
                                 -m.c / det,
                                 m.a / det,
                                 (m.c * m.f - m.d * m.e) / det,
                                 (m.b * m.e - m.a * m.f) / det};
    if (!std::isfinite(result.a) || !std::isfinite(result.b) || !std::isfinite(result.c) ||
        !std::isfinite(result.d) || !std::isfinite(result.e) || !std::isfinite(result.f))
        return false;
    *inverse = result;
    return true;
}

// Applies each function in text order (so the last one written acts on points
// first) until the text stops making sense: no name where one is expected, or
// no "(" or ")" after it. What was applied before the stop is kept.
void ParseTransformList(const std::wstring& text, Matrix2D* m) {
    IdentityMatrix(m);
    if (text.find_first_not_of(L' ') == std::wstring::npos)
        return;
    const size_t length = text.size();
    size_t i = 0; // 0-based index of the next character
    while (i < length) {
        i = static_cast<size_t>(SkipSeparators(text, static_cast<int>(i) + 1) - 1);
        size_t nameStart = i;
        while (i < length && IsAsciiLetter(text[i]))
            i++;
        if (i == nameStart)
            return;
        size_t open = text.find(L'(', i);
        if (open == std::wstring::npos)
            return;
        size_t close = text.find(L')', open + 1);
        if (close == std::wstring::npos)
            return;
        const std::wstring name = text.substr(nameStart, i - nameStart);
        Matrix2D t;
        if (!FunctionMatrix(name, text.substr(open + 1, close - open - 1), &t))
            return;
        *m = ComposeMatrix(*m, t);
        i = close + 1;
    }
}
