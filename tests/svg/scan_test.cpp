#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <charconv>
#include <random>
#include <string>
#include <vector>

#include "svg/base/scan.h"
#include "svg/base/strings.h"

namespace {

// Reads numbers from position 1 until the scanner reports none; returns the
// values and the position where reading stopped.
std::vector<float> ScanAll(const std::wstring& text, int* stoppedAt) {
    std::vector<float> values;
    int position = 1;
    for (;;) {
        float value = -1;
        int next = ScanNumber(text, position, &value);
        if (next == position) {
            EXPECT_EQ(value, 0.0f) << "no number must leave the value 0";
            break;
        }
        values.push_back(value);
        position = next;
        if (position > static_cast<int>(text.size()))
            break;
    }
    *stoppedAt = position;
    return values;
}

TEST(ScanNumber, NumbersEndWhereTheGrammarEndsThem) {
    struct Case {
        const wchar_t* text;
        std::vector<float> values;
    } cases[] = {
        {L"1.5.5", {1.5f, 0.5f}},
        {L"10-20", {10, -20}},
        {L"1e2.5", {100, 0.5f}},
        {L"-1-2", {-1, -2}},
        {L"1e2,3E-1", {100, 0.3f}},
        {L".5,-.5", {0.5f, -0.5f}},
        {L"+7", {7}},
        {L"5.", {5}},
        {L"0.5e+1", {5}},
        {L"1E-1-1", {0.1f, -1}},
        {L"  ,\t\r\n,,3 ,, 4", {3, 4}},
        {L"007", {7}},
        {L"1e+2+3", {100, 3}},
        {L"1x", {1}},
    };
    for (const Case& c : cases) {
        int stopped = 0;
        std::vector<float> values = ScanAll(c.text, &stopped);
        ASSERT_EQ(values.size(), c.values.size()) << c.text;
        for (size_t i = 0; i < values.size(); i++)
            EXPECT_FLOAT_EQ(values[i], c.values[i]) << c.text << " #" << i;
    }
}

TEST(ScanNumber, MissingNumberReturnsPositionAfterSeparators) {
    struct Case {
        const wchar_t* text;
        int position;
        int expected;
    } cases[] = {
        {L"", 1, 1},    {L"-", 1, 1},   {L"+", 1, 1},   {L".", 1, 1},   {L"e5", 1, 1},
        {L"-.e", 1, 1}, {L"  -", 1, 3}, {L", L", 1, 3}, {L"abc", 2, 2}, {L"12 ", 3, 4},
        {L"12", 3, 3},  {L"12", 9, 9},  {L".e1", 1, 1}, {L",,", 1, 3},
    };
    for (const Case& c : cases) {
        float value = 42;
        EXPECT_EQ(ScanNumber(c.text, c.position, &value), c.expected) << c.text;
        EXPECT_EQ(value, 0.0f) << c.text;
    }
}

TEST(ScanNumber, ExponentMarkerWithoutDigitsIsConsumedAndIgnored) {
    struct Case {
        const wchar_t* text;
        float value;
        int end;
    } cases[] = {
        {L"1e", 1, 3}, {L"2E+", 2, 4}, {L"3e-x", 3, 4}, {L"-4.5e ", -4.5f, 6}, {L"1e.5", 1, 3},
    };
    for (const Case& c : cases) {
        float value = 0;
        EXPECT_EQ(ScanNumber(c.text, 1, &value), c.end) << c.text;
        EXPECT_FLOAT_EQ(value, c.value) << c.text;
    }
}

// A number whose float would be infinite is refused where it starts (before
// the separators), so every reader stops there; tiny ones become zero.
TEST(ScanNumber, NumbersTooLargeForAFloatAreRefusedTinyOnesBecomeZero) {
    struct Case {
        const wchar_t* text;
        int end; // 1: refused
        float value;
    } cases[] = {
        {L"1e39", 1, 0},
        {L" ,-1e39", 1, 0},
        {L"1e999", 1, 0},
        {L"3.4028236e38", 1, 0},           // rounds past the largest float
        {L"3.4028235e38", 13, FLT_MAX},    // rounds to it
        {L"-3.4028235677973366e38", 1, 0}, // the tie rounds to the even infinity
        {L"-1e99999999999999999999", 1, 0},
        {L"1e-50", 6, 0},
    };
    for (const Case& c : cases) {
        float value = 7;
        bool refused = false;
        EXPECT_EQ(ScanNumber(c.text, 1, &value, &refused), c.end) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(refused, c.end == 1) << c.text;
    }
    bool refused = true;
    float value = 7;
    EXPECT_EQ(ScanNumber(L" x", 1, &value, &refused), 2); // no number is no refusal
    EXPECT_FALSE(refused);
    std::wstring longDigits(5000, L'9');
    EXPECT_EQ(ScanNumber(longDigits, 1, &value), 1);
    EXPECT_EQ(ScanNumber(std::string(5000, '9').c_str(), 5000, 1, &value), 1);
    std::wstring longFraction = L"0." + std::wstring(5000, L'0') + L"1";
    EXPECT_EQ(ScanNumber(longFraction, 1, &value), static_cast<int>(longFraction.size()) + 1);
    EXPECT_EQ(value, 0.0f);
}

// The scanner converts short numbers itself; every number must still get
// exactly the float of the general decimal conversion.
TEST(ScanNumber, AgreesWithTheGeneralConversion) {
    std::mt19937 random(2024);
    auto digits = [&](int count) {
        std::wstring out;
        for (int i = 0; i < count; i++)
            out.push_back(static_cast<wchar_t>(L'0' + random() % 10));
        return out;
    };
    for (int round = 0; round < 200000; round++) {
        std::wstring text;
        if (random() % 3 == 0)
            text.push_back(random() % 2 ? L'-' : L'+');
        text += digits(random() % 12);
        if (random() % 2)
            text += L"." + digits(random() % 12);
        if (text.find_first_of(L"0123456789") == std::wstring::npos)
            text += L"7";
        if (random() % 3 == 0) {
            text.push_back(random() % 2 ? L'e' : L'E');
            if (random() % 2)
                text.push_back(random() % 2 ? L'-' : L'+');
            text += digits(1 + random() % 2);
        }
        // The reference is the standard library's reading of the digits;
        // ConvertDecimal converts plain numbers itself and must agree too.
        const std::string narrow(text.begin() + (text[0] == L'+' ? 1 : 0), text.end());
        double general = 0;
        std::from_chars(narrow.data(), narrow.data() + narrow.size(), general);
        ASSERT_EQ(ConvertDecimal(text.data(), text.data() + text.size()), general) << narrow;
        const bool fits = FitsFloat(general);
        float expected = fits ? static_cast<float>(general) : 0.0f;
        float value = 0;
        ASSERT_EQ(ScanNumber(text, 1, &value), fits ? static_cast<int>(text.size()) + 1 : 1)
            << std::string(text.begin(), text.end());
        ASSERT_EQ(value, expected) << std::string(text.begin(), text.end());
    }
}

TEST(ScanNumber, NonAsciiDigitsAreNoNumber) {
    float value = 5;
    // Full-width digit one and Arabic-Indic zero.
    EXPECT_EQ(ScanNumber(L"\xFF11", 1, &value), 1);
    EXPECT_EQ(ScanNumber(L"\x0660", 1, &value), 1);
    EXPECT_EQ(value, 0.0f);
}

TEST(SkipSeparators, SkipsEveryMixOfSeparators) {
    // Number lists separate by white space as CSS has it (form feed
    // included) and commas; a no-break space is no separator.
    EXPECT_TRUE(IsListSeparator(L' ') && IsListSeparator(L'\t') && IsListSeparator(L'\n') &&
                IsListSeparator(L'\r') && IsListSeparator(L',') && IsListSeparator(L'\f'));
    EXPECT_FALSE(IsListSeparator(L';') || IsListSeparator(0xA0) || IsListSeparator(L'\0'));
    EXPECT_EQ(SkipSeparators(L" ,\t\r\n,\fx", 1), 8);
    EXPECT_EQ(SkipSeparators(L"x ,", 1), 1);
    EXPECT_EQ(SkipSeparators(L"x ,", 2), 4);
    EXPECT_EQ(SkipSeparators(L"", 1), 1);
    EXPECT_EQ(SkipSeparators(L"ab", 5), 5);
}

TEST(ScanArcFlag, TakesExactlyOneCharacter) {
    struct Case {
        const wchar_t* text;
        int position;
        int flag;
        int end;
    } cases[] = {
        {L"1150", 1, 1, 2}, {L"1150", 2, 1, 3}, {L"0", 1, 0, 2}, {L" , 1", 1, 1, 5},
        {L"2", 1, 7, 1},    {L"  x", 1, 7, 3},  {L"", 1, 7, 1},  {L".5", 1, 7, 1},
        {L"-1", 1, 7, 1},   {L"01", 1, 0, 2},
    };
    for (const Case& c : cases) {
        int flag = 7;
        EXPECT_EQ(ScanArcFlag(c.text, c.position, &flag), c.end) << c.text;
        EXPECT_EQ(flag, c.flag) << c.text;
    }
}

} // namespace
