// Host strings, parameters, variables and interface-access requests, called
// in-process with the fake host's call-backs behind them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/host_text.h"

namespace {

std::vector<std::pair<std::string, std::string>> variablesSet;
int __stdcall RecordVariable(const char* name, const char* value) {
    variablesSet.emplace_back(name, value);
    return 1;
}

struct Request {
    int code;
    std::string text;
};
std::vector<Request> requests;
enum Reply { NoAnswer, KeepSlot, Answer };
Reply reply;
std::string replyText;

int __stdcall AnswerRequest(int code, char** slot) {
    requests.push_back({code, *slot ? *slot : "<null>"});
    if (reply == NoAnswer)
        return 0;
    if (reply == Answer) {
        GlobalFree(*slot);
        *slot = static_cast<char*>(GlobalAlloc(GMEM_ZEROINIT, replyText.size() + 1));
        memcpy(*slot, replyText.data(), replyText.size());
    }
    return 1;
}

struct HostTextFixture : ::testing::Test {
    void SetUp() override {
        variablesSet.clear();
        requests.clear();
        reply = NoAnswer;
        replyText.clear();
        SetHostCallbacks(&RecordVariable, &AnswerRequest);
    }
    void TearDown() override { SetHostCallbacks(nullptr, nullptr); }
};

TEST_F(HostTextFixture, TheseTestsRunWithTheWindows1252CodePage) {
    // The cases below spell ANSI bytes of code page 1252; the wine runner
    // fixes the locale so that this holds.
    EXPECT_EQ(1252u, GetACP());
}

TEST_F(HostTextFixture, ParameterTextIsReadCleanedAndCapped) {
    std::string long2500(2500, 'a');
    long2500[1999] = 'Z';
    std::string accented = "C:\\Users\\Jos\xE9\\logo.svg";
    const char* cut = "ab\x01"
                      "cd";
    const char* values[] = {nullptr,
                            "",
                            "  42",
                            long2500.c_str(),
                            accented.c_str(),
                            cut,
                            "tab\there",
                            "del\x7f"
                            "x",
                            "line\r\nbreak"};
    char* params[9];
    for (int i = 0; i < 9; i++)
        params[i] = const_cast<char*>(values[i]);
    EXPECT_EQ(L"", GetParamText(params, 0));
    EXPECT_EQ(L"", GetParamText(params, 1));
    EXPECT_EQ(L"  42", GetParamText(params, 2));
    std::wstring capped = GetParamText(params, 3);
    EXPECT_EQ(2000u, capped.size());
    EXPECT_EQ(L'Z', capped.back());
    // Accented letters are kept (é is 0xE9 in code page 1252).
    EXPECT_EQ(L"C:\\Users\\Jos\u00e9\\logo.svg", GetParamText(params, 4));
    EXPECT_EQ(L"ab", GetParamText(params, 5));
    EXPECT_EQ(L"tab\there", GetParamText(params, 6));
    EXPECT_EQ(L"del", GetParamText(params, 7));
    EXPECT_EQ(L"line\r\nbreak", GetParamText(params, 8));
    EXPECT_EQ(L"", GetParamText(nullptr, 0));
    char* unreadable[] = {reinterpret_cast<char*>(static_cast<intptr_t>(8))};
    EXPECT_EQ(L"", GetParamText(unreadable, 0));
}

TEST_F(HostTextFixture, SanitizeCutsAtControlCharactersOnly) {
    struct Case {
        std::wstring in, out;
    } cases[] = {
        {L"", L""},
        {L"plain", L"plain"},
        {std::wstring(L"ab") + wchar_t(200) + L"cd", std::wstring(L"ab") + wchar_t(200) + L"cd"},
        {std::wstring(L"ab") + wchar_t(0x85) + L"cd", L"ab"},
        {std::wstring(L"ab") + wchar_t(0x9F) + L"cd", L"ab"},
        {std::wstring(L"ab") + wchar_t(0xA0) + L"cd", std::wstring(L"ab") + wchar_t(0xA0) + L"cd"},
        {std::wstring(L"ab") + wchar_t(0x1F) + L"cd", L"ab"},
        {std::wstring(L"\x7f") + L"cd", L""},
        {L"\u65e5\u672c", L"\u65e5\u672c"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.out, SanitizeHostText(c.in));
    EXPECT_EQ(2000u, SanitizeHostText(std::wstring(2001, L'x')).size());
}

TEST_F(HostTextFixture, ParameterIntegers) {
    struct Case {
        const char* text;
        int value;
    } cases[] = {
        {"$FF", 255},
        {"%101", 5},
        {"-7x", -7},
        {"x7", 0},
        {"- 7", 0},
        {"  42", 42},
        {"\t+12", 12},
        {"$80", 128},
        {" 12abc", 12},
        {"$ff", 255},
        {"%", 0},
        {"4294967296", 0},
        {"4294967297", 1},
        {"-2147483648", INT32_MIN},
        {"2147483648", INT32_MIN},
        {"18446744073709551617", 1},
    };
    for (const Case& c : cases) {
        char* params[] = {const_cast<char*>(c.text)};
        EXPECT_EQ(c.value, GetParamInt(params, 0, 99)) << c.text;
    }
    char* empty[] = {nullptr, const_cast<char*>("")};
    EXPECT_EQ(99, GetParamInt(empty, 0, 99));
    EXPECT_EQ(255, GetParamInt(empty, 1, 255));
    EXPECT_EQ(7, GetParamInt(nullptr, 3, 7));
}

TEST_F(HostTextFixture, SetParamTextWritesANewHostBlock) {
    char original[] = "old";
    char* params[] = {original, nullptr};
    SetParamText(params, 0, L"Jos\u00e9");
    ASSERT_NE(original, params[0]);
    EXPECT_STREQ("Jos\xE9", params[0]);
    EXPECT_EQ(5u, GlobalSize(params[0]));
    GlobalFree(params[0]);
    SetParamText(nullptr, 0, L"x"); // nothing happens
    SetParamText(params, 1, L"");
    ASSERT_NE(nullptr, params[1]);
    EXPECT_STREQ("", params[1]);
    GlobalFree(params[1]);
}

TEST_F(HostTextFixture, VariablesAndLastError) {
    SetLastError(L"Layer:Create - RectName is blank.");
    SetLastError(L"");
    SetHostVariable(L"[X]", L"caf\u00e9");
    ASSERT_EQ(3u, variablesSet.size());
    EXPECT_EQ("[Vexlar.LastError]", variablesSet[0].first);
    EXPECT_EQ("Layer:Create - RectName is blank.", variablesSet[0].second);
    EXPECT_EQ("[Vexlar.LastError]", variablesSet[1].first);
    EXPECT_EQ("", variablesSet[1].second);
    EXPECT_EQ("caf\xE9", variablesSet[2].second);
    SetHostCallbacks(nullptr, &AnswerRequest);
    SetLastError(L"dropped");
    EXPECT_EQ(3u, variablesSet.size());
}

TEST_F(HostTextFixture, QueryObjectHandleAnswers) {
    struct Case {
        Reply reply;
        const char* answer;
        intptr_t handle;
    } cases[] = {
        {Answer, "12345", 12345}, {Answer, "-5", -5}, {Answer, "0", 0},    {Answer, "", 0},
        {NoAnswer, "", 0},        {KeepSlot, "", 0},  {Answer, "$10", 16}, {Answer, " 77 ", 77},
    };
    for (const Case& c : cases) {
        reply = c.reply;
        replyText = c.answer;
        EXPECT_EQ(c.handle, QueryObjectHandle(L"Rect1")) << c.answer;
    }
    ASSERT_EQ(8u, requests.size());
    EXPECT_EQ(7, requests[0].code);
    EXPECT_EQ("Rect1", requests[0].text);
    SetHostCallbacks(&RecordVariable, nullptr);
    EXPECT_EQ(0, QueryObjectHandle(L"Rect1"));
    EXPECT_EQ(L"", BrowseObjectName(L"Rect1"));
    EXPECT_EQ(L"", BrowseFileName(L"t", L"p", L"", L"f"));
    EXPECT_EQ(8u, requests.size());
}

TEST_F(HostTextFixture, BrowseRequests) {
    reply = KeepSlot;
    EXPECT_EQ(L"Rect1", BrowseObjectName(L"Rect1"));
    reply = NoAnswer;
    EXPECT_EQ(L"", BrowseObjectName(L"Rect1"));
    reply = Answer;
    replyText = "Rect2";
    EXPECT_EQ(L"Rect2", BrowseObjectName(L"Rect1"));
    EXPECT_EQ(8, requests.back().code);

    replyText = "C:\\b.svg";
    EXPECT_EQ(L"C:\\b.svg", BrowseFileName(L"Select SVG File", L"C:\\a.svg", L"",
                                           L"SVG Files|*.svg|All Files|*.*"));
    EXPECT_EQ(15, requests.back().code);
    EXPECT_EQ("Select SVG File\rC:\\a.svg\r\rSVG Files|*.svg|All Files|*.*\r1",
              requests.back().text);
}

} // namespace
