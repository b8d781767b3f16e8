// The editor dialogs as data: their controls, defaults, initial selections,
// write-back and layout arithmetic, checked without opening a window.
#include <gtest/gtest.h>

#include "common/fake_host.h"
#include "dialogs/action_dialogs.h"
#include "dialogs/dialog_framework.h"
#include "dialogs/expected_dialogs.h"
#include "plugin/action_table.h"

namespace {

const wchar_t* ClassOfKind(DialogControlKind kind) {
    switch (kind) {
    case DialogLabel:
        return L"Static";
    case DialogTextField:
        return L"Edit";
    case DialogButton:
        return L"Button";
    case DialogDropDown:
        return L"ComboBox";
    }
    return L"?";
}

DialogDescription Describe(int action, char** params) {
    DialogDescription dialog;
    EXPECT_EQ(1, DescribeActionDialog(action, params, &dialog)) << action;
    return dialog;
}

TEST(DialogDescription, EveryDialogHasItsCaptionSizeAndControlsInOrder) {
    for (const ExpectedDialog& expected : ExpectedDialogs()) {
        SCOPED_TRACE(expected.action);
        DialogDescription dialog = Describe(expected.action, nullptr);
        EXPECT_EQ(expected.caption, dialog.caption);
        EXPECT_EQ(expected.clientWidth, dialog.clientWidth);
        EXPECT_EQ(expected.clientHeight, dialog.clientHeight);
        ASSERT_EQ(expected.controls.size(), dialog.controls.size());
        for (size_t i = 0; i < expected.controls.size(); i++) {
            SCOPED_TRACE(i);
            const ExpectedControl& e = expected.controls[i];
            const DialogControl& c = dialog.controls[i];
            EXPECT_EQ(std::wstring(e.className), ClassOfKind(c.kind));
            EXPECT_EQ(e.x, c.x);
            EXPECT_EQ(e.y, c.y);
            EXPECT_EQ(e.width, c.width);
            EXPECT_EQ(e.height, c.height);
            if (e.text) {
                EXPECT_EQ(std::wstring(e.text), c.text);
            }
        }
    }
    for (const ExpectedItems& list : ExpectedDropDownItems()) {
        SCOPED_TRACE(list.action);
        DialogDescription dialog = Describe(list.action, nullptr);
        EXPECT_EQ(list.items, dialog.controls[static_cast<size_t>(list.control)].items);
    }
}

TEST(DialogDescription, OkWritesEveryParameterOfTheActionOnceInIncreasingOrder) {
    for (const ActionInfo& action : ActionTable) {
        SCOPED_TRACE(action.id);
        DialogDescription dialog = Describe(action.id, nullptr);
        ASSERT_EQ(static_cast<size_t>(action.paramCount), dialog.bindings.size());
        for (size_t i = 0; i < dialog.bindings.size(); i++)
            EXPECT_EQ(static_cast<int>(i), dialog.bindings[i].param);
    }
    DialogDescription unused;
    for (int action : {0, 6, 8, 10, -1})
        EXPECT_EQ(0, DescribeActionDialog(action, nullptr, &unused)) << action;
}

// What OK writes for a parameter array when nothing is touched: the
// parameters as read, empty ones replaced by the dialog's defaults, and the
// lists' initial selections turned back into text.
TEST(DialogDescription, UntouchedDialogsWriteDefaultsAndNormalisedSelections) {
    struct Case {
        int action;
        std::vector<const char*> params;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {1, {"", "", "", "", "", ""}, {"", "", "Fit", "255", "", ""}},
        {1,
         {"Rect1", "C:\\a.svg", " STRETCH ", "$80", "warm sunset", "10 20"},
         {"Rect1", "C:\\a.svg", "Stretch", "$80", "Warm Sunset", "10 20"}},
        {1, {"r", "f", "natural", "0", "#FF0000", ""}, {"r", "f", "Fit", "0", "", ""}},
        {1, {"r", "f", "Original", "300", "Custom", "x"}, {"r", "f", "Original", "300", "", "x"}},
        {1, {"r", "f", "stretched", "-5", "warm  sunset", ""}, {"r", "f", "Fit", "-5", "", ""}},
        {2, {"  Rect 2 "}, {"  Rect 2 "}},
        {3, {"r", ""}, {"r", "1"}},
        {3, {"r", "abc"}, {"r", "0"}},
        {3, {"r", "0"}, {"r", "0"}},
        {3, {"r", "$0"}, {"r", "0"}},
        {3, {"r", "2"}, {"r", "1"}},
        {3, {"r", "-1"}, {"r", "1"}},
        {4, {"r", ""}, {"r", "255"}},
        {4, {"r", "999"}, {"r", "999"}},
        {5, {"", "", "", "", "", ""}, {"", "", "255", "255", "255", "0"}},
        {5, {"r", "custom", "1", "2", "3", "4"}, {"r", "Custom", "1", "2", "3", "4"}},
        {5, {"r", "SUNSET PINK", "", "x", "", ""}, {"r", "Sunset Pink", "255", "x", "255", "0"}},
        {5, {"r", " Blue Ice", "0", "0", "0", "0"}, {"r", "", "0", "0", "0", "0"}},
        {7, {""}, {"1"}},
        {7, {"0"}, {"0"}},
        {7, {"no"}, {"0"}},
        {7, {"%1"}, {"1"}},
        {9, {"r", ""}, {"r", "0"}},
        {9, {"r", "12.5deg"}, {"r", "12.5deg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.action << " " << c.params[0] << "|" << c.params[1]);
        FakeParams params;
        SetFakeParams(&params, c.params);
        DialogDescription dialog = Describe(c.action, FakeParamArray(&params));
        WriteDialogParams(dialog, FakeParamArray(&params));
        for (size_t i = 0; i < c.written.size(); i++)
            EXPECT_EQ(c.written[i], FakeParamText(&params, static_cast<int>(i))) << i;
    }
}

// A list left with no item selected (which only a host sending list messages
// of its own can bring about) writes the dialog's fallback.
TEST(DialogDescription, ListsWithoutSelectionWriteTheirFallback) {
    FakeParams params;
    SetFakeParams(&params, {"Rect1", "a.svg", "original", "255", "", ""});
    DialogDescription dialog = Describe(ActionLayerCreate, FakeParamArray(&params));
    ASSERT_EQ(2, dialog.controls[7].selection);
    dialog.controls[7].selection = -1;
    WriteDialogParams(dialog, FakeParamArray(&params));
    EXPECT_EQ("Fit", FakeParamText(&params, 2));
    DialogDescription pause = Describe(ActionOverlayPause, nullptr);
    ASSERT_EQ(0, pause.controls[1].selection); // "1 (Pause - hide all)"
    pause.controls[1].selection = -1;
    WriteDialogParams(pause, FakeParamArray(&params));
    EXPECT_EQ("0", FakeParamText(&params, 0));
    FakeParams hidden;
    SetFakeParams(&hidden, {"r", "0"});
    DialogDescription showHide = Describe(ActionLayerShowHide, FakeParamArray(&hidden));
    ASSERT_EQ(1, showHide.controls[4].selection); // "0 (Hide)"
    showHide.controls[4].selection = -1;
    WriteDialogParams(showHide, FakeParamArray(&params));
    EXPECT_EQ("1", FakeParamText(&params, 1));
}

TEST(DialogDescription, ItemsAreFoundByTheirWholeTextIgnoringCase) {
    const std::vector<std::wstring> items = {L"", L"Custom", L"Warm Sunset", L"Desaturate 50%"};
    struct Case {
        const wchar_t* text;
        int index;
    };
    const Case cases[] = {
        {L"Warm Sunset", 2},   {L"wARM sUNSET", 2},    {L"warm", -1},
        {L"Warm Sunset ", -1}, {L" Warm Sunset", -1},  {L"", -1},
        {L"custom", 1},        {L"DESATURATE 50%", 3}, {L"Desaturate 5", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.index, FindItemByText(items, c.text)) << testing::PrintToString(c.text);
    EXPECT_EQ(-1, FindItemByText({}, L"x"));
}

TEST(DialogLayout, ValuesScaleByTheirOwnAxisRoundedToNearest) {
    struct Case {
        int value, dpi, scaled;
    };
    const Case cases[] = {
        {14, 96, 14},    {14, 120, 18}, {22, 120, 28},   {50, 120, 63},   {75, 120, 94},
        {390, 144, 585}, {0, 144, 0},   {85, 72, 64},    {28, 72, 21},    {110, 192, 220},
        {1, 47, 0},      {1, 48, 1},    {480, 144, 720}, {290, 120, 363}, {-3, 144, -5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.scaled, ScaleToDpi(c.value, c.dpi)) << c.value << " at " << c.dpi;

    ControlBox box = ScaleDialogBox({12, 14, 100, 22}, 120, 144);
    EXPECT_EQ(15, box.x);
    EXPECT_EQ(21, box.y);
    EXPECT_EQ(125, box.width);
    EXPECT_EQ(33, box.height);
}

TEST(DialogLayout, WholeDialogsScaleAtAnyResolution) {
    DialogDescription dialog = Describe(ActionLayerCreate, nullptr);
    ControlBox client = DialogClientBox(dialog, 144, 120);
    EXPECT_EQ(720, client.width);
    EXPECT_EQ(363, client.height); // 362.5 rounds up
    std::vector<ControlBox> boxes = DialogControlBoxes(dialog, 144, 120);
    ASSERT_EQ(17u, boxes.size());
    // "Browse..." of the file row at (390, 48), 75 x 24; the long label at
    // (12, 200), 460 x 40; OK at (290, 250), 85 x 28.
    const int expected[][4] = {{585, 60, 113, 30}, {18, 250, 690, 50}, {435, 313, 128, 35}};
    const size_t indices[] = {5, 14, 15};
    for (size_t k = 0; k < 3; k++) {
        const ControlBox& b = boxes[indices[k]];
        EXPECT_EQ(expected[k][0], b.x) << indices[k];
        EXPECT_EQ(expected[k][1], b.y) << indices[k];
        EXPECT_EQ(expected[k][2], b.width) << indices[k];
        EXPECT_EQ(expected[k][3], b.height) << indices[k];
    }
    // At 96 dots per inch nothing changes.
    std::vector<ControlBox> same = DialogControlBoxes(dialog, 96, 96);
    for (size_t i = 0; i < same.size(); i++) {
        EXPECT_EQ(dialog.controls[i].x, same[i].x);
        EXPECT_EQ(dialog.controls[i].height, same[i].height);
    }
}

TEST(DialogLayout, WindowsAreCentredOrPutAtZeroWhenTooLarge) {
    struct Case {
        int screen, window, start;
    };
    const Case cases[] = {{1280, 486, 397}, {1024, 300, 362}, {800, 799, 0},
                          {800, 800, 0},    {800, 801, 0},    {640, 3000, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(c.start, CentredWindowStart(c.screen, c.window)) << c.screen << " " << c.window;
}

} // namespace
