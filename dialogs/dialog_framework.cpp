#include "dialogs/dialog_framework.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>

#include "plugin/entry_points.h"
#include "plugin/host_boundary.h"
#include "plugin/host_text.h"

namespace {

// Registered for the length of each dialog and unregistered afterwards, so
// that no class points into the module once it is unloaded. A dialog opened
// from within another one finds the class already there; the last one out
// unregisters it.
const wchar_t DialogClassName[] = L"VexlarActionEditor";
const int FirstControlId = 100;
const int MaxDroppedItems = 12;

const DWORD DialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
const DWORD DialogExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

struct DialogRun {
    DialogDescription* dialog;
    char** params;
    HWND window;
    std::vector<HWND> controls; // by control index
    HWND lastFocus;             // the control to give the focus back to
    int finished;
    int result;
};

int ControlId(const DialogControl& control, size_t index) {
    if (control.kind == DialogButton && control.role == ButtonOk)
        return IDOK;
    if (control.kind == DialogButton && control.role == ButtonCancel)
        return IDCANCEL;
    return FirstControlId + static_cast<int>(index);
}

std::wstring WindowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

void Finish(DialogRun* run, int result) {
    if (run->finished)
        return;
    run->finished = 1;
    run->result = result;
}

// Copies what the author left in the text fields and lists into the
// description.
void CaptureControls(DialogRun* run) {
    for (size_t i = 0; i < run->controls.size(); i++) {
        DialogControl& control = run->dialog->controls[i];
        HWND window = run->controls[i];
        if (!window)
            continue;
        if (control.kind == DialogTextField)
            control.text = WindowText(window);
        else if (control.kind == DialogDropDown)
            control.selection = static_cast<int>(SendMessageW(window, CB_GETCURSEL, 0, 0));
    }
}

void Browse(DialogRun* run, const DialogControl& button) {
    if (button.browseField < 0 || !button.browse)
        return;
    HWND field = run->controls[static_cast<size_t>(button.browseField)];
    std::wstring answer = button.browse(WindowText(field));
    if (!answer.empty())
        SetWindowTextW(field, answer.c_str());
}

void PressButton(DialogRun* run, int id) {
    if (run->finished)
        return;
    for (size_t i = 0; i < run->dialog->controls.size(); i++) {
        const DialogControl& control = run->dialog->controls[i];
        if (control.kind != DialogButton || ControlId(control, i) != id)
            continue;
        switch (control.role) {
        case ButtonOk:
            CaptureControls(run);
            WriteDialogParams(*run->dialog, run->params);
            Finish(run, 1);
            return;
        case ButtonCancel:
            Finish(run, 0);
            return;
        case ButtonBrowse:
            Browse(run, control);
            return;
        }
    }
}

// Enter presses the focused push button, otherwise OK.
int DefaultButtonId(const DialogRun* run) {
    HWND focus = GetFocus();
    for (size_t i = 0; i < run->controls.size(); i++) {
        const DialogControl& control = run->dialog->controls[i];
        if (focus && run->controls[i] == focus && control.kind == DialogButton)
            return ControlId(control, i);
    }
    return IDOK;
}

void RememberFocus(DialogRun* run) {
    HWND focus = GetFocus();
    if (focus && IsChild(run->window, focus))
        run->lastFocus = focus;
}

LRESULT HandleDialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    DialogRun* run = reinterpret_cast<DialogRun*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!run)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            PressButton(run, LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        Finish(run, 0);
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(DefaultButtonId(run), DC_HASDEFID);
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            RememberFocus(run);
        } else if (run->lastFocus && IsWindow(run->lastFocus)) {
            SetFocus(run->lastFocus);
            return 0;
        }
        break;
    case WM_DESTROY:
        // Destroyed from outside (for instance with its owner): a cancel.
        Finish(run, 0);
        break;
    case WM_NCDESTROY:
        run->window = nullptr;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK DialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return AtHostBoundary<LRESULT>(
        0, nullptr, [&] { return HandleDialogMessage(window, message, wParam, lParam); });
}

int RegisterDialogClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &DialogWindowProc;
    windowClass.hInstance = ModuleInstance();
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = DialogClassName;
    if (RegisterClassExW(&windowClass))
        return 1;
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void DisplayDpi(int* dpiX, int* dpiY) {
    *dpiX = *dpiY = 96;
    HDC screen = GetDC(nullptr);
    if (!screen)
        return;
    int x = GetDeviceCaps(screen, LOGPIXELSX);
    int y = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (x > 0)
        *dpiX = x;
    if (y > 0)
        *dpiY = y;
}

// The font the system's own dialogs use (its message font).
int MessageFont(LOGFONTW* font) {
    NONCLIENTMETRICSW metrics{};
    UINT sizes[] = {sizeof(metrics), sizeof(metrics) - sizeof(metrics.iPaddedBorderWidth)};
    for (UINT size : sizes) { // systems before Vista know the shorter record
        metrics.cbSize = size;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, size, &metrics, 0)) {
            *font = metrics.lfMessageFont;
            return 1;
        }
    }
    return 0;
}

// Whether every label shows its whole text in its box with the font selected
// into dc, lines broken at words and at carriage returns as the static
// control breaks them.
bool LabelsFit(HDC dc, const DialogDescription& dialog, const std::vector<ControlBox>& boxes) {
    for (size_t i = 0; i < boxes.size(); i++) {
        const DialogControl& control = dialog.controls[i];
        if (control.kind != DialogLabel)
            continue;
        RECT needed = {0, 0, boxes[i].width, 0};
        DrawTextW(dc, control.text.c_str(), static_cast<int>(control.text.size()), &needed,
                  DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
        if (needed.right > boxes[i].width || needed.bottom > boxes[i].height)
            return false;
    }
    return true;
}

// The dialog's font: the system's message font, made up to a quarter smaller
// where a label's text would otherwise be cut off by its box (the boxes are
// fixed, the message font is the user's). The stock GUI font when no font can
// be made; *owned says whether the caller deletes it.
HFONT CreateDialogFont(const DialogDescription& dialog, const std::vector<ControlBox>& boxes,
                       int* owned) {
    *owned = 0;
    LOGFONTW base;
    if (!MessageFont(&base))
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HDC screen = GetDC(nullptr);
    int size = base.lfHeight < 0 ? -base.lfHeight : base.lfHeight;
    int smallest = base.lfHeight == 0 || !screen ? size : std::max(size * 3 / 4, 1);
    HFONT font = nullptr;
    for (int height = size; height >= smallest; height--) {
        if (font)
            DeleteObject(font);
        LOGFONTW wanted = base;
        wanted.lfHeight = base.lfHeight < 0 ? -height : height;
        font = CreateFontIndirectW(&wanted);
        if (!font || !screen)
            break;
        HGDIOBJ previous = SelectObject(screen, font);
        bool fits = LabelsFit(screen, dialog, boxes);
        SelectObject(screen, previous);
        if (fits)
            break;
    }
    if (screen)
        ReleaseDC(nullptr, screen);
    if (!font)
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    *owned = 1;
    return font;
}

int OpenDialogWindow(DialogRun* run, int dpiX, int dpiY) {
    ControlBox client = DialogClientBox(*run->dialog, dpiX, dpiY);
    RECT frame = {0, 0, client.width, client.height};
    AdjustWindowRectEx(&frame, DialogStyle, FALSE, DialogExStyle);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    int left = CentredWindowStart(GetSystemMetrics(SM_CXSCREEN), width);
    int top = CentredWindowStart(GetSystemMetrics(SM_CYSCREEN), height);
    run->window = CreateWindowExW(DialogExStyle, DialogClassName, run->dialog->caption.c_str(),
                                  DialogStyle, left, top, width, height, GetActiveWindow(), nullptr,
                                  ModuleInstance(), run);
    return run->window != nullptr;
}

int WindowHeight(HWND window) {
    RECT box;
    GetWindowRect(window, &box);
    return box.bottom - box.top;
}

// A closed drop-down list is as high as its selection field, which follows
// the font; the field is resized until the closed list has the dialog's
// height for it. (The field height is set by request and measured back, as
// systems differ in how the request maps to the field.) The window's own
// height then becomes the height of the opened list.
void FitDropDown(HWND list, const ControlBox& box, size_t itemCount) {
    LRESULT requested = SendMessageW(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int attempt = 0; attempt < 3 && requested != CB_ERR; attempt++) {
        int difference = box.height - WindowHeight(list);
        if (difference == 0 || requested + difference <= 0)
            break;
        requested += difference;
        SendMessageW(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), requested);
    }
    LRESULT itemHeight = SendMessageW(list, CB_GETITEMHEIGHT, 0, 0);
    if (itemHeight == CB_ERR)
        return;
    int rows = static_cast<int>(std::min<size_t>(std::max<size_t>(itemCount, 1), MaxDroppedItems));
    SetWindowPos(list, nullptr, 0, 0, box.width,
                 WindowHeight(list) + rows * static_cast<int>(itemHeight) + 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FillDropDown(HWND list, const DialogControl& control, const ControlBox& box) {
    for (const std::wstring& item : control.items)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(control.selection), 0);
    FitDropDown(list, box, control.items.size());
}

HWND CreateControl(DialogRun* run, size_t index, const ControlBox& box, HFONT font) {
    const DialogControl& control = run->dialog->controls[index];
    const wchar_t* className = L"Static";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    switch (control.kind) {
    case DialogLabel:
        style |= SS_LEFT | SS_NOPREFIX;
        break;
    case DialogTextField:
        className = L"Edit";
        style |= WS_TABSTOP | ES_AUTOHSCROLL;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case DialogButton:
        className = L"Button";
        style |= WS_TABSTOP | (control.role == ButtonOk ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        break;
    case DialogDropDown:
        className = L"ComboBox";
        style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        break;
    }
    HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(control, index)));
    HWND window =
        CreateWindowExW(exStyle, className, control.text.c_str(), style, box.x, box.y, box.width,
                        box.height, run->window, id, ModuleInstance(), nullptr);
    if (!window)
        return nullptr;
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (control.kind == DialogDropDown)
        FillDropDown(window, control, box);
    return window;
}

void CreateControls(DialogRun* run, const std::vector<ControlBox>& boxes, HFONT font) {
    for (size_t i = 0; i < boxes.size(); i++) {
        HWND control = CreateControl(run, i, boxes[i], font);
        run->controls.push_back(control);
        if (!run->lastFocus && control && (GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP))
            run->lastFocus = control;
    }
}

// Shows the window with the focus on the first control that takes it; a text
// field starts with its whole text selected, as in the system's dialogs.
void ShowDialog(DialogRun* run) {
    ShowWindow(run->window, SW_SHOW);
    for (size_t i = 0; i < run->controls.size(); i++) {
        if (run->controls[i] != run->lastFocus)
            continue;
        SetFocus(run->lastFocus);
        if (run->dialog->controls[i].kind == DialogTextField)
            SendMessageW(run->lastFocus, EM_SETSEL, 0, -1);
        break;
    }
}

// Waits for the dialog to finish while dispatching every message of the
// thread: the host's windows keep working. Keyboard navigation (Tab, Enter,
// Escape) goes through the dialog manager.
void RunMessageLoop(DialogRun* run) {
    while (!run->finished) {
        MSG message;
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) {
            Finish(run, 0);
            break;
        }
        if (got == 0) { // the host is quitting: give the request back to its loop
            PostQuitMessage(static_cast<int>(message.wParam));
            Finish(run, 0);
            break;
        }
        if (run->window && IsDialogMessageW(run->window, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

void WriteDialogParams(const DialogDescription& dialog, char** params) {
    for (const DialogParamBinding& binding : dialog.bindings)
        SetParamText(params, binding.param, BoundParamText(dialog, binding));
}

int RunDialog(DialogDescription* dialog, char** params) {
    if (!RegisterDialogClass())
        return 0;
    DialogRun run{dialog, params, nullptr, {}, nullptr, 0, 0};
    int dpiX, dpiY;
    DisplayDpi(&dpiX, &dpiY);
    std::vector<ControlBox> boxes = DialogControlBoxes(*dialog, dpiX, dpiY);
    int fontOwned = 0;
    HFONT font = CreateDialogFont(*dialog, boxes, &fontOwned);
    if (OpenDialogWindow(&run, dpiX, dpiY)) {
        CreateControls(&run, boxes, font);
        ShowDialog(&run);
        RunMessageLoop(&run);
        if (run.window)
            DestroyWindow(run.window);
    }
    if (fontOwned)
        DeleteObject(font);
    UnregisterClassW(DialogClassName, ModuleInstance());
    return run.result;
}
