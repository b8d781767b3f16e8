// The editor dialogs through the real Vexlar.dll: opened by the fake host with
// _nbEditAction and driven like a person would from inside their own loop.
#include <gtest/gtest.h>

#include <cstring>

#include "common/fake_host.h"
#include "dialogs/action_dialogs.h"
#include "dialogs/dialog_driver.h"
#include "dialogs/expected_dialogs.h"

namespace {

struct DialogFixture : ::testing::Test {
    FakeHost host{};
    void SetUp() override {
        ASSERT_EQ(1, LoadFakeHost(&host));
        StartFakeHost(&host);
    }
    void TearDown() override { UnloadFakeHost(&host); }
};

const ExpectedDialog& ExpectedFor(int action) {
    for (const ExpectedDialog& dialog : ExpectedDialogs()) {
        if (dialog.action == action)
            return dialog;
    }
    return ExpectedDialogs()[0];
}

std::wstring CaptionOf(int action) {
    return ExpectedFor(action).caption;
}

HWND Child(HWND dialog, size_t index) {
    std::vector<HWND> children = ChildWindows(dialog);
    return index < children.size() ? children[index] : nullptr;
}

HWND ButtonNamed(HWND dialog, const std::wstring& text) {
    for (HWND child : ChildWindows(dialog)) {
        if (WindowClass(child) == L"Button" && TextOf(child) == text)
            return child;
    }
    return nullptr;
}

bool PressOk(HWND dialog) {
    Click(ButtonNamed(dialog, L"OK"));
    return true;
}

std::vector<char*> SlotsOf(FakeParams* params) {
    return std::vector<char*>(params->slots.begin(), params->slots.end());
}

int DisplayDpi(int axis) {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, axis);
    ReleaseDC(nullptr, screen);
    return dpi;
}

TEST_F(DialogFixture, OkWithoutTouchingWritesEveryParameterWithItsDefault) {
    struct Case {
        int action;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {1, {"", "", "Fit", "255", "", ""}},     {2, {""}},  {3, {"", "1"}}, {4, {"", "255"}},
        {5, {"", "", "255", "255", "255", "0"}}, {7, {"1"}}, {9, {"", "0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        FakeParams params; // null slots: every write shows
        SetFakeParams(&params, std::vector<const char*>(c.written.size(), nullptr));
        DialogDrive drive;
        EXPECT_EQ(1, EditWithScript(
                         &host, c.action, &params, CaptionOf(c.action),
                         [](HWND d, int) { return PressOk(d); }, &drive));
        EXPECT_FALSE(drive.timedOut);
        for (size_t i = 0; i < c.written.size(); i++)
            EXPECT_EQ(c.written[i], FakeParamText(&params, static_cast<int>(i))) << i;
    }
}

TEST_F(DialogFixture, LayerDestroyWritesOnlyTheRectangleName) {
    FakeParams params;
    SetFakeParams(&params, {"Rect1", "beyond"});
    char* beyond = params.slots[1];
    EXPECT_EQ(1, EditWithScript(&host, 2, &params, CaptionOf(2), [](HWND d, int) {
                  TypeText(Child(d, 1), L"Rect2");
                  return PressOk(d);
              }));
    EXPECT_EQ("Rect2", FakeParamText(&params, 0));
    EXPECT_EQ(beyond, params.slots[1]);
}

// Every way of leaving without OK returns 0 and leaves the host's array as
// it was, even after the author changed the fields.
TEST_F(DialogFixture, ClosingOrCancellingLeavesTheArrayUntouched) {
    enum Way { CloseBox, CloseMessage, CancelButton, EscapeKey };
    for (Way way : {CloseBox, CloseMessage, CancelButton, EscapeKey}) {
        for (const ExpectedDialog& expected : ExpectedDialogs()) {
            SCOPED_TRACE(testing::Message() << "way " << way << " action " << expected.action);
            FakeParams params;
            SetFakeParams(&params, {"Rect1", "a.svg", "x", "0", "Blue Ice", "2"});
            std::vector<char*> before = SlotsOf(&params);
            DialogDrive drive;
            int result = EditWithScript(
                &host, expected.action, &params, expected.caption,
                [way](HWND d, int step) {
                    if (step == 0) {
                        for (HWND child : ChildWindows(d)) {
                            if (WindowClass(child) == L"Edit")
                                TypeText(child, L"changed");
                        }
                        switch (way) {
                        case CloseBox:
                            SendMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
                            break;
                        case CloseMessage:
                            PostMessageW(d, WM_CLOSE, 0, 0);
                            break;
                        case CancelButton:
                            Click(ButtonNamed(d, L"Cancel"));
                            break;
                        case EscapeKey:
                            PostKey(GetFocus(), VK_ESCAPE);
                            break;
                        }
                    }
                    return step >= 1;
                },
                &drive);
            EXPECT_EQ(0, result);
            EXPECT_FALSE(drive.timedOut);
            EXPECT_EQ(before, SlotsOf(&params));
            EXPECT_FALSE(IsWindow(drive.dialog));
        }
    }
}

TEST_F(DialogFixture, EnterPressesOkOrTheFocusedButton) {
    FakeParams params;
    SetFakeParams(&params, {"Rect1", "100"});
    EXPECT_EQ(1, EditWithScript(&host, 4, &params, CaptionOf(4), [](HWND d, int step) {
                  HWND opacity = Child(d, 4);
                  if (step == 0) {
                      TypeText(opacity, L"42");
                      SetFocus(opacity);
                      PostKey(opacity, VK_RETURN);
                  }
                  return step >= 1;
              }));
    EXPECT_EQ("42", FakeParamText(&params, 1));

    // Enter on a focused Cancel cancels; on a focused "Browse..." it browses
    // and the dialog stays open.
    host.answers[8] = {FakeAnswerText, "Picked"};
    std::vector<char*> before = SlotsOf(&params);
    std::wstring afterBrowse;
    EXPECT_EQ(0, EditWithScript(&host, 4, &params, CaptionOf(4), [&](HWND d, int step) {
                  if (step == 0) {
                      SetFocus(Child(d, 2));
                      PostKey(Child(d, 2), VK_RETURN);
                  } else if (step == 1) {
                      afterBrowse = TextOf(Child(d, 1));
                      SetFocus(ButtonNamed(d, L"Cancel"));
                      PostKey(ButtonNamed(d, L"Cancel"), VK_RETURN);
                  }
                  return step >= 2;
              }));
    EXPECT_EQ(L"Picked", afterBrowse);
    EXPECT_EQ(before, SlotsOf(&params));
}

TEST_F(DialogFixture, TabMovesTheFocusInCreationOrderOverTheEditableControls) {
    std::vector<HWND> order;
    std::vector<HWND> children;
    EditWithScript(&host, 1, nullptr, CaptionOf(1), [&](HWND d, int step) {
        if (step == 0)
            children = ChildWindows(d);
        if (step < 12) {
            order.push_back(GetFocus());
            PostKey(GetFocus(), VK_TAB);
            return false;
        }
        Click(ButtonNamed(d, L"Cancel"));
        return true;
    });
    // The rectangle field, its "Browse...", the file field, its "Browse...",
    // layout, opacity, margin, tint, OK, Cancel, then round to the start.
    const size_t stops[] = {1, 2, 4, 5, 7, 9, 11, 13, 15, 16, 1, 2};
    ASSERT_EQ(12u, order.size());
    ASSERT_EQ(17u, children.size());
    for (size_t i = 0; i < 12; i++)
        EXPECT_EQ(children[stops[i]], order[i]) << i;
}

TEST_F(DialogFixture, RectangleBrowseKeepsTheFieldUnlessTheHostAnswers) {
    struct Case {
        FakeAnswerKind kind;
        const char* answer;
        bool withCallback;
        std::string written;
    };
    const Case cases[] = {
        {FakeNoAnswer, "", true, "typed"},
        {FakeSuccessKeepSlot, "", true, "typed"},
        {FakeAnswerText, "", true, "typed"},
        {FakeAnswerText, "Picked Rect", true, "Picked Rect"},
        {FakeAnswerText, "Picked Rect", false, "typed"},
    };
    for (int action : {1, 5, 9}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << action << " " << c.kind << " " << c.answer);
            host.requests.clear();
            host.answers[8] = {c.kind, c.answer};
            host.registerInterfaceAccess(nullptr);
            if (c.withCallback)
                StartFakeHost(&host);
            FakeParams params;
            SetFakeParams(&params, {"Rect1", "", "", "", "", ""});
            std::wstring shown;
            EXPECT_EQ(
                1, EditWithScript(&host, action, &params, CaptionOf(action), [&](HWND d, int step) {
                    if (step == 0) {
                        TypeText(Child(d, 1), L"typed");
                        Click(Child(d, 2));
                        return false;
                    }
                    shown = TextOf(Child(d, 1));
                    return PressOk(d);
                }));
            EXPECT_EQ(c.written, FakeParamText(&params, 0));
            EXPECT_EQ(std::wstring(c.written.begin(), c.written.end()), shown);
            if (c.withCallback) {
                ASSERT_EQ(1u, host.requests.size());
                EXPECT_EQ(8, host.requests[0].code);
                EXPECT_EQ("typed", host.requests[0].text);
            } else {
                EXPECT_TRUE(host.requests.empty());
            }
        }
    }
}

TEST_F(DialogFixture, SvgFileBrowseSendsTheFileRequestAndTakesAnAnswer) {
    for (bool answered : {false, true}) {
        SCOPED_TRACE(answered);
        host.requests.clear();
        host.answers[15] = answered ? FakeAnswer{FakeAnswerText, "D:\\pictures\\b.svg"}
                                    : FakeAnswer{FakeNoAnswer, ""};
        FakeParams params;
        SetFakeParams(&params, {"Rect1", "C:\\a.svg", "", "", "", ""});
        std::wstring shown;
        EXPECT_EQ(1, EditWithScript(&host, 1, &params, CaptionOf(1), [&](HWND d, int step) {
                      if (step == 0) {
                          Click(Child(d, 5));
                          return false;
                      }
                      shown = TextOf(Child(d, 4));
                      return PressOk(d);
                  }));
        ASSERT_EQ(1u, host.requests.size());
        EXPECT_EQ(15, host.requests[0].code);
        EXPECT_EQ("Select SVG File\rC:\\a.svg\r\rSVG Files|*.svg|All Files|*.*\r1",
                  host.requests[0].text);
        const char* expected = answered ? "D:\\pictures\\b.svg" : "C:\\a.svg";
        EXPECT_EQ(expected, FakeParamText(&params, 1));
        EXPECT_EQ(std::wstring(expected, expected + strlen(expected)), shown);
        EXPECT_EQ("Rect1", FakeParamText(&params, 0));
    }
}

// What the lists show when the dialog opens, and what OK writes back for it.
TEST_F(DialogFixture, ListsShowTheParameterAndWriteTheirSelection) {
    struct Case {
        int action;
        std::vector<const char*> params;
        size_t list;
        const wchar_t* shown;
        int param;
        const char* written;
    };
    const Case cases[] = {
        {5, {"r", "warm sunset", "", "", "", ""}, 4, L"Warm Sunset", 1, "Warm Sunset"},
        {1, {"r", "f", "", "", "#FF8000", ""}, 13, L"", 4, ""},
        {1, {"r", "f", "natural", "", "", ""}, 7, L"Fit", 2, "Fit"},
        {1, {"r", "f", " ORIGINAL", "", "", ""}, 7, L"Original", 2, "Original"},
        {3, {"r", "abc"}, 4, L"0 (Hide)", 1, "0"},
        {3, {"r", ""}, 4, L"1 (Show)", 1, "1"},
        {7, {""}, 1, L"1 (Pause - hide all)", 0, "1"},
        {7, {"0"}, 1, L"0 (Resume - show all)", 0, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.action << " " << c.params[c.param]);
        FakeParams params;
        SetFakeParams(&params, c.params);
        std::wstring shown;
        EXPECT_EQ(1,
                  EditWithScript(&host, c.action, &params, CaptionOf(c.action), [&](HWND d, int) {
                      shown = ListText(Child(d, c.list));
                      return PressOk(d);
                  }));
        EXPECT_EQ(c.shown, shown);
        EXPECT_EQ(c.written, FakeParamText(&params, c.param));
    }
    // A tint that names no preset opens with nothing selected.
    FakeParams params;
    SetFakeParams(&params, {"r", "f", "", "", "#FF8000", ""});
    int selection = 99;
    EditWithScript(&host, 1, &params, CaptionOf(1), [&](HWND d, int) {
        selection = ListSelection(Child(d, 13));
        return PressOk(d);
    });
    EXPECT_EQ(-1, selection);
}

TEST_F(DialogFixture, ChangedControlsAreWrittenInTheirParameters) {
    FakeParams params;
    SetFakeParams(&params, {"Rect1", "a.svg", "fit", "255", "", "0"});
    EXPECT_EQ(1, EditWithScript(&host, 1, &params, CaptionOf(1), [](HWND d, int) {
                  SendMessageW(Child(d, 7), CB_SETCURSEL, 1, 0);
                  SendMessageW(Child(d, 13), CB_SETCURSEL, 6, 0);
                  TypeText(Child(d, 9), L"300x");
                  TypeText(Child(d, 11), L"10 20");
                  return PressOk(d);
              }));
    const std::vector<std::string> written = {"Rect1", "a.svg",    "Stretch",
                                              "300x",  "Blue Ice", "10 20"};
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(written[static_cast<size_t>(i)], FakeParamText(&params, i)) << i;

    SetFakeParams(&params, {"Rect1", "", "", "", "", ""});
    EXPECT_EQ(1, EditWithScript(&host, 5, &params, CaptionOf(5), [](HWND d, int) {
                  SendMessageW(Child(d, 4), CB_SETCURSEL, 1, 0);
                  TypeText(Child(d, 7), L"10");
                  TypeText(Child(d, 9), L"$20");
                  TypeText(Child(d, 11), L"abc");
                  TypeText(Child(d, 13), L"300");
                  return PressOk(d);
              }));
    const std::vector<std::string> tint = {"Rect1", "Custom", "10", "$20", "abc", "300"};
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(tint[static_cast<size_t>(i)], FakeParamText(&params, i)) << i;
}

// The dialogs show parameters as the host-text reader gives them: cut at the
// first control character, other characters (accented letters) kept; OK
// writes that text back.
TEST_F(DialogFixture, ParametersShowAndWriteBackAsTheHostTextReaderGivesThem) {
    FakeParams params;
    SetFakeParams(&params, {"Rect\x01tail", "C:\\caf\xE9\\a.svg", "", "", "", ""});
    std::wstring rectangle, file;
    EXPECT_EQ(1, EditWithScript(&host, 1, &params, CaptionOf(1), [&](HWND d, int) {
                  rectangle = TextOf(Child(d, 1));
                  file = TextOf(Child(d, 4));
                  return PressOk(d);
              }));
    EXPECT_EQ(L"Rect", rectangle);
    EXPECT_EQ(L"C:\\caf\u00E9\\a.svg", file);
    EXPECT_EQ("Rect", FakeParamText(&params, 0));
    EXPECT_EQ("C:\\caf\xE9\\a.svg", FakeParamText(&params, 1));
}

// Whether a static control's font lets its whole text show inside it, lines
// broken as the control breaks them (at words and carriage returns).
bool ShowsWholeText(HWND label) {
    RECT inside;
    GetClientRect(label, &inside);
    std::wstring text = TextOf(label);
    HDC dc = GetDC(label);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT needed = {0, 0, inside.right, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    return needed.right <= inside.right && needed.bottom <= inside.bottom;
}

// Every control in creation order (the dialog's Z order): its window class,
// text, list items and style, and its place at the display's resolution; the
// window itself: caption, frame, client size and position.
TEST_F(DialogFixture, WindowsShowTheirControlsWhereAndAsDescribed) {
    int dpiX = DisplayDpi(LOGPIXELSX), dpiY = DisplayDpi(LOGPIXELSY);
    for (const ExpectedDialog& expected : ExpectedDialogs()) {
        SCOPED_TRACE(expected.action);
        DialogDescription description;
        ASSERT_EQ(1, DescribeActionDialog(expected.action, nullptr, &description));
        std::vector<ControlBox> boxes = DialogControlBoxes(description, dpiX, dpiY);
        ControlBox client = DialogClientBox(description, dpiX, dpiY);
        EditWithScript(&host, expected.action, nullptr, expected.caption, [&](HWND d, int) {
            EXPECT_EQ(expected.caption, TextOf(d));
            LONG style = GetWindowLongW(d, GWL_STYLE);
            EXPECT_EQ(static_cast<LONG>(WS_CAPTION), style & WS_CAPTION);
            EXPECT_TRUE(style & WS_SYSMENU);
            EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_CHILD));
            RECT inside, outside;
            GetClientRect(d, &inside);
            GetWindowRect(d, &outside);
            EXPECT_EQ(client.width, inside.right);
            EXPECT_EQ(client.height, inside.bottom);
            int width = outside.right - outside.left, height = outside.bottom - outside.top;
            EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - width) / 2, outside.left);
            EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - height) / 2, outside.top);

            std::vector<HWND> children = ChildWindows(d);
            EXPECT_EQ(expected.controls.size(), children.size());
            for (size_t i = 0; i < children.size() && i < expected.controls.size(); i++) {
                SCOPED_TRACE(i);
                const ExpectedControl& e = expected.controls[i];
                HWND child = children[i];
                std::wstring className = WindowClass(child);
                EXPECT_EQ(0, _wcsicmp(e.className, className.c_str())) << className;
                if (e.text) {
                    EXPECT_EQ(e.text, TextOf(child));
                }
                LONG childStyle = GetWindowLongW(child, GWL_STYLE);
                bool editable = std::wstring(e.className) != L"Static";
                EXPECT_EQ(editable, (childStyle & WS_TABSTOP) != 0);
                if (std::wstring(e.className) == L"ComboBox") {
                    EXPECT_EQ(CBS_DROPDOWNLIST, childStyle & 3);
                }
                if (std::wstring(e.className) == L"Static") {
                    EXPECT_TRUE(childStyle & SS_NOPREFIX);
                    EXPECT_TRUE(ShowsWholeText(child)) << "label text cut off";
                }
                RECT box = ClientBoxOf(d, child);
                EXPECT_EQ(boxes[i].x, box.left);
                EXPECT_EQ(boxes[i].y, box.top);
                EXPECT_EQ(boxes[i].width, box.right - box.left);
                EXPECT_EQ(boxes[i].height, box.bottom - box.top);
            }
            for (const ExpectedItems& list : ExpectedDropDownItems()) {
                if (list.action == expected.action) {
                    EXPECT_EQ(list.items, ListItems(children[static_cast<size_t>(list.control)]));
                }
            }
            Click(ButtonNamed(d, L"Cancel"));
            return true;
        });
    }
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct HostWindowState {
    FakeHost* host;
    int messagesHandled;
    bool dialogWasOpen;
    int messageResult;
} hostWindowState;

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        hostWindowState.messagesHandled++;
        hostWindowState.dialogWasOpen = FindWindowW(nullptr, CaptionOf(3).c_str()) != nullptr;
        hostWindowState.messageResult = hostWindowState.host->message(5, 0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateOwnerWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &HostWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"DialogOwnerWindow";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, L"DialogOwnerWindow", L"Fake host", WS_OVERLAPPEDWINDOW, 10, 10, 300,
                           200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// The dialog's loop dispatches the host's own messages: the host's window
// procedure runs while the dialog is open and can call the module's entry
// points. The dialog is owned by the window that was active.
TEST_F(DialogFixture, TheHostKeepsWorkingAndOwnsTheDialog) {
    HWND hostWindow = CreateOwnerWindow();
    ASSERT_TRUE(hostWindow);
    ShowWindow(hostWindow, SW_SHOW);
    SetActiveWindow(hostWindow);
    ASSERT_EQ(hostWindow, GetActiveWindow());
    hostWindowState = {&host, 0, false, -1};
    HWND owner = nullptr;
    FakeParams params;
    SetFakeParams(&params, {"Rect1", "1"});
    EXPECT_EQ(1, EditWithScript(&host, 3, &params, CaptionOf(3), [&](HWND d, int step) {
                  if (step == 0) {
                      owner = GetWindow(d, GW_OWNER);
                      PostMessageW(hostWindow, WM_APP, 0, 0);
                      return false;
                  }
                  if (hostWindowState.messagesHandled == 0 && step < 100)
                      return false;
                  return PressOk(d);
              }));
    EXPECT_EQ(hostWindow, owner);
    EXPECT_EQ(1, hostWindowState.messagesHandled);
    EXPECT_TRUE(hostWindowState.dialogWasOpen);
    EXPECT_EQ(0, hostWindowState.messageResult);
    EXPECT_TRUE(IsWindow(hostWindow)); // closing the dialog leaves its owner alone
    DestroyWindow(hostWindow);
}

// A dialog ends as a cancel when its owner goes away or the host quits; a
// quit request is handed back to the host's own loop.
TEST_F(DialogFixture, OwnerDestructionAndQuitEndTheDialogAsACancel) {
    FakeParams params;
    SetFakeParams(&params, {"Rect1", "10"});
    std::vector<char*> before = SlotsOf(&params);

    HWND hostWindow = CreateOwnerWindow();
    ShowWindow(hostWindow, SW_SHOW);
    SetActiveWindow(hostWindow);
    HWND dialog = nullptr;
    EXPECT_EQ(0, EditWithScript(&host, 9, &params, CaptionOf(9), [&](HWND d, int) {
                  dialog = d;
                  TypeText(Child(d, 4), L"90");
                  DestroyWindow(hostWindow);
                  return true;
              }));
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(before, SlotsOf(&params));

    DialogDrive drive;
    EXPECT_EQ(0, EditWithScript(
                     &host, 9, &params, CaptionOf(9),
                     [](HWND, int) {
                         PostQuitMessage(7);
                         return true;
                     },
                     &drive));
    EXPECT_FALSE(drive.timedOut);
    EXPECT_FALSE(IsWindow(drive.dialog));
    EXPECT_EQ(before, SlotsOf(&params));
    MSG quit;
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, quit.wParam);
}

// Nothing of a dialog outlives it: the window, its font and its window class
// are gone, so dialogs can be opened again and again and the module can be
// unloaded and loaded again between them.
TEST_F(DialogFixture, DialogsLeaveNoWindowFontOrClassBehind) {
    for (int round = 0; round < 3; round++) {
        SCOPED_TRACE(round);
        HWND dialog = nullptr;
        HFONT font = nullptr;
        std::wstring className;
        EXPECT_EQ(1, EditWithScript(&host, 9, nullptr, CaptionOf(9), [&](HWND d, int) {
                      dialog = d;
                      font = reinterpret_cast<HFONT>(SendMessageW(Child(d, 0), WM_GETFONT, 0, 0));
                      className = WindowClass(d);
                      return PressOk(d);
                  }));
        EXPECT_FALSE(IsWindow(dialog));
        ASSERT_TRUE(font);
        EXPECT_EQ(0u, GetObjectType(font)) << "the dialog's font was not deleted";
        WNDCLASSEXW info{};
        info.cbSize = sizeof(info);
        EXPECT_FALSE(GetClassInfoExW(host.module, className.c_str(), &info));
        UnloadFakeHost(&host);
        ASSERT_EQ(1, LoadFakeHost(&host));
        StartFakeHost(&host);
    }
}

// The host may open a dialog from within another dialog's loop; both work and
// the class goes only when the last one closes.
TEST_F(DialogFixture, ADialogOpenedFromInsideAnotherWorks) {
    FakeParams outerParams, innerParams;
    SetFakeParams(&outerParams, {"Outer", "", "", "", "", ""});
    SetFakeParams(&innerParams, {"Inner"});
    int innerResult = -1;
    std::wstring className;
    DialogDrive inner = MakeDrive(CaptionOf(2), [](HWND d, int) {
        TypeText(Child(d, 1), L"Inner edited");
        return PressOk(d);
    });
    DialogDrive outer = MakeDrive(CaptionOf(1), [&](HWND d, int step) {
        if (step == 0) {
            className = WindowClass(d);
            innerResult = EditWithDrives(&host, 2, &innerParams, {&inner});
            return false;
        }
        return PressOk(d);
    });
    EXPECT_EQ(1, EditWithDrives(&host, 1, &outerParams, {&outer}));
    EXPECT_EQ(1, innerResult);
    EXPECT_FALSE(inner.timedOut);
    EXPECT_FALSE(outer.timedOut);
    EXPECT_EQ("Inner edited", FakeParamText(&innerParams, 0));
    EXPECT_EQ("Outer", FakeParamText(&outerParams, 0));
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    EXPECT_FALSE(GetClassInfoExW(host.module, className.c_str(), &info));
}

TEST_F(DialogFixture, ActionsWithoutADialogReturnZeroAtOnce) {
    FakeParams params;
    SetFakeParams(&params, {"a", "b", "c", "d", "e", "f"});
    std::vector<char*> before = SlotsOf(&params);
    for (int action : {0, 6, 8, 10, -1, 1000})
        EXPECT_EQ(0, host.editAction(action, FakeParamArray(&params))) << action;
    EXPECT_EQ(before, SlotsOf(&params));
}

} // namespace
