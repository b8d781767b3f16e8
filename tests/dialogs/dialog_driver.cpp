#include "dialogs/dialog_driver.h"

namespace {

const UINT TickMilliseconds = 10;
const int TicksBeforeClosing = 500; // about five seconds

std::vector<DialogDrive*> activeDrives;
int ticks;

void DriveOnce(DialogDrive* drive) {
    if (drive->running)
        return;
    HWND dialog = FindWindowW(nullptr, drive->caption.c_str());
    if (!dialog || !IsWindowVisible(dialog))
        return;
    if (!drive->done) {
        drive->dialog = dialog;
        drive->running = true;
        drive->done = drive->script(dialog, drive->steps++);
        drive->running = false;
    }
    if (ticks > TicksBeforeClosing && IsWindow(dialog)) {
        drive->timedOut = true;
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    }
}

void CALLBACK DriveTimer(HWND, UINT, UINT_PTR, DWORD) {
    ticks++;
    std::vector<DialogDrive*> drives = activeDrives; // a script may open more
    for (DialogDrive* drive : drives)
        DriveOnce(drive);
}

} // namespace

DialogDrive MakeDrive(const std::wstring& caption, DialogScript script) {
    return {caption, script, nullptr, 0, false, false, false};
}

int EditWithDrives(FakeHost* host, int action, FakeParams* params,
                   const std::vector<DialogDrive*>& drives) {
    bool outermost = activeDrives.empty();
    activeDrives.insert(activeDrives.end(), drives.begin(), drives.end());
    UINT_PTR timer = 0;
    if (outermost) {
        ticks = 0;
        timer = SetTimer(nullptr, 0, TickMilliseconds, &DriveTimer);
    }
    int result = host->editAction(action, params ? FakeParamArray(params) : nullptr);
    if (outermost) {
        KillTimer(nullptr, timer);
        activeDrives.clear();
    }
    return result;
}

int EditWithScript(FakeHost* host, int action, FakeParams* params, const std::wstring& caption,
                   DialogScript script, DialogDrive* drive) {
    DialogDrive local = MakeDrive(caption, script);
    DialogDrive* used = drive ? drive : &local;
    if (drive)
        *drive = local;
    return EditWithDrives(host, action, params, {used});
}

std::vector<HWND> ChildWindows(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

std::wstring WindowClass(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window) {
    LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                                  reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(copied));
    return text;
}

void TypeText(HWND field, const std::wstring& text) {
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
}

int ListSelection(HWND list) {
    return static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0));
}

static std::wstring ListItem(HWND list, int index) {
    LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR)
        return L"<error>";
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}

std::wstring ListText(HWND list) {
    int selection = ListSelection(list);
    return selection < 0 ? std::wstring() : ListItem(list, selection);
}

std::vector<std::wstring> ListItems(HWND list) {
    std::vector<std::wstring> items;
    int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; i++)
        items.push_back(ListItem(list, i));
    return items;
}

void PostKey(HWND control, WPARAM key) {
    UINT scan = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
    PostMessageW(control, WM_KEYDOWN, key, static_cast<LPARAM>(1 | (scan << 16)));
    PostMessageW(control, WM_KEYUP, key, static_cast<LPARAM>(1 | (scan << 16) | 0xC0000000u));
}

RECT ClientBoxOf(HWND dialog, HWND child) {
    RECT box;
    GetWindowRect(child, &box);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    return box;
}
