// vexlar-host: a small host for Vexlar.dll. It loads the module as an
// authoring application does and either prints what such a host sees of it
// (--info) or opens a main window with named Rectangles, runs a script of
// actions and host steps against the module, and saves a screenshot of the
// main window with its overlays as a PNG.
//
//   vexlar-host                      run examples/demo.txt, picture in out/demo.png
//   vexlar-host SCRIPT [PICTURE]     run another script
//   vexlar-host --info               title, author, description and actions
//   vexlar-host --edit N P0 P1 ...   action N's editor dialog; prints what OK wrote
//   vexlar-host --edit-shot PICTURE N P0 P1 ...
//                                    saves a picture of the open dialog, then closes it
//
// Script lines (blank lines and lines starting with # are skipped; a
// parameter with blanks is written in double quotes):
//   window WIDTH HEIGHT                       size of the main window's client area
//   rectangle NAME X Y WIDTH HEIGHT [CAPTION] a Rectangle, caption written above it
//   move NAME X Y | resize NAME WIDTH HEIGHT | hide NAME | show NAME
//   destroy NAME | recreate NAME              the host throws a window away / makes it again
//   movewindow X Y                            move the main window on the screen
//   message N                                 send host notification N (nbMessage)
//   screenshot [PICTURE]                      save the main window with its overlays
//   Vexlar_<Action> PARAMETERS...             run an action (nbExecAction)
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "render/graphics.h"
#include "tools/tool_files.h"

namespace {

// ---- the module, as a host sees it ------------------------------------------

typedef int(__stdcall* AddActionFn)(int, const char*, const char*, const unsigned char*, int, int);
typedef int(__stdcall* SetVariableFn)(const char*, const char*);
typedef int(__stdcall* InterfaceAccessFn)(int, char**);
typedef int(__stdcall* InitPlugInFn)(intptr_t, char**, char**, char**);
typedef int(__stdcall* RegisterPlugInFn)(AddActionFn, intptr_t, intptr_t, SetVariableFn);
typedef int(__stdcall* RegisterInterfaceAccessFn)(InterfaceAccessFn);
typedef int(__stdcall* ExecActionFn)(int, char**);
typedef int(__stdcall* MessageFn)(int, intptr_t);

struct RegisteredAction {
    int id;
    int paramCount;
    std::vector<unsigned char> kinds;
};

struct Module {
    HMODULE library;
    InitPlugInFn init;
    RegisterPlugInFn registerPlugIn;
    RegisterInterfaceAccessFn registerInterfaceAccess;
    ExecActionFn execAction;
    MessageFn message;
    std::map<std::string, RegisteredAction> actions; // by lower-case name
    std::map<std::string, std::string> variables;
};

struct Rectangle {
    std::string name;
    std::string caption;
    HWND window;
    int x, y, width, height;
};

// The host's main window and its Rectangles.
struct Stage {
    HWND main;
    std::vector<Rectangle> rectangles;
};

Module* activeModule;
Stage* activeStage;

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

Rectangle* FindRectangle(Stage* stage, const std::string& name) {
    for (Rectangle& r : stage->rectangles) {
        if (Lower(r.name) == Lower(name))
            return &r;
    }
    return nullptr;
}

int __stdcall PrintAction(int action, const char* name, const char* hint,
                          const unsigned char* kinds, int, int count) {
    std::printf("  %d  %s\n      %s\n      parameters:", action, name, hint);
    for (int i = 0; i < count; i++)
        std::printf(" %s", kinds[i] == 5 ? "svg-file" : "text");
    std::printf("\n");
    return 1;
}

int __stdcall KeepAction(int action, const char* name, const char*, const unsigned char* kinds, int,
                         int count) {
    RegisteredAction& a = activeModule->actions[Lower(name)];
    a.id = action;
    a.paramCount = count;
    a.kinds.assign(kinds, kinds + count);
    return 1;
}

int __stdcall KeepVariable(const char* name, const char* value) {
    activeModule->variables[name] = value;
    return 1;
}

// Request 7: a Rectangle's window handle as signed decimal text.
int __stdcall AnswerInterfaceAccess(int code, char** slot) {
    if (code != 7 || !slot || !*slot || !activeStage)
        return 0;
    Rectangle* r = FindRectangle(activeStage, *slot);
    if (!r || !r->window)
        return 0;
    char text[32];
    std::snprintf(text, sizeof text, "%lld",
                  static_cast<long long>(reinterpret_cast<intptr_t>(r->window)));
    char* answer = static_cast<char*>(GlobalAlloc(GMEM_ZEROINIT, std::strlen(text) + 1));
    if (!answer)
        return 0;
    std::memcpy(answer, text, std::strlen(text));
    GlobalFree(*slot); // the request block is the host's to free once answered
    *slot = answer;
    return 1;
}

template <typename Fn> Fn Resolve(HMODULE library, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

int LoadModule(Module* module) {
    module->library = LoadLibraryW(L"Vexlar.dll");
    if (!module->library) {
        std::fprintf(stderr, "vexlar-host: cannot load Vexlar.dll\n");
        return 0;
    }
    module->init = Resolve<InitPlugInFn>(module->library, "_nbInitPlugIn");
    module->registerPlugIn = Resolve<RegisterPlugInFn>(module->library, "_nbRegisterPlugIn");
    module->registerInterfaceAccess =
        Resolve<RegisterInterfaceAccessFn>(module->library, "_nbRegisterInterfaceAccess");
    module->execAction = Resolve<ExecActionFn>(module->library, "_nbExecAction");
    module->message = Resolve<MessageFn>(module->library, "_nbMessage");
    if (!module->init || !module->registerPlugIn || !module->registerInterfaceAccess ||
        !module->execAction || !module->message) {
        std::fprintf(stderr, "vexlar-host: Vexlar.dll lacks its entry points\n");
        return 0;
    }
    return 1;
}

// Start-up as a host does it: information, actions, interface access.
void StartModule(Module* module) {
    activeModule = module;
    char* title = nullptr;
    char* author = nullptr;
    char* description = nullptr;
    module->init(0, &title, &author, &description);
    module->registerPlugIn(&KeepAction, 0, 0, &KeepVariable);
    module->registerInterfaceAccess(&AnswerInterfaceAccess);
}

// ---- the stage: main window and Rectangles ------------------------------------

const wchar_t MainClass[] = L"VexlarHostMain";
const wchar_t RectangleClass[] = L"VexlarHostRectangle";
const int CaptionHeight = 18;

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// Captions above the Rectangles, on the main window's background.
void PaintCaptions(HWND window, HDC dc) {
    if (!activeStage)
        return;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(40, 40, 48));
    HGDIOBJ font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    for (const Rectangle& r : activeStage->rectangles) {
        if (!r.window || r.caption.empty())
            continue;
        RECT box = {r.x, r.y - CaptionHeight, r.x + r.width, r.y - 2};
        std::wstring caption = Wide(r.caption);
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &box,
                  DT_LEFT | DT_BOTTOM | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    SelectObject(dc, font);
    (void)window;
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        PaintCaptions(window, dc);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A light checkerboard: where a drawing is transparent, the board shows.
LRESULT CALLBACK RectangleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        HBRUSH light = CreateSolidBrush(RGB(246, 246, 246));
        HBRUSH dark = CreateSolidBrush(RGB(226, 226, 230));
        const int cell = 12;
        for (int y = 0; y < client.bottom; y += cell) {
            for (int x = 0; x < client.right; x += cell) {
                RECT c = {x, y, x + cell, y + cell};
                FillRect(dc, &c, ((x / cell + y / cell) % 2) ? dark : light);
            }
        }
        DeleteObject(light);
        DeleteObject(dark);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int OpenStage(Stage* stage, int clientWidth, int clientHeight) {
    WNDCLASSW main = {};
    main.lpfnWndProc = MainProc;
    main.hInstance = GetModuleHandleW(nullptr);
    main.hCursor = LoadCursor(nullptr, IDC_ARROW);
    main.hbrBackground = CreateSolidBrush(RGB(252, 252, 250));
    main.lpszClassName = MainClass;
    RegisterClassW(&main);
    WNDCLASSW rectangle = {};
    rectangle.lpfnWndProc = RectangleProc;
    rectangle.hInstance = GetModuleHandleW(nullptr);
    rectangle.hCursor = LoadCursor(nullptr, IDC_ARROW);
    rectangle.lpszClassName = RectangleClass;
    RegisterClassW(&rectangle);

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    stage->main = CreateWindowExW(0, MainClass, L"Vexlar demo host", style | WS_VISIBLE, 20, 20,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    activeStage = stage;
    return stage->main != nullptr;
}

void ResizeStage(Stage* stage, int clientWidth, int clientHeight) {
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(stage->main, GWL_STYLE));
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    SetWindowPos(stage->main, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND MakeRectangleWindow(Stage* stage, const Rectangle& r) {
    return CreateWindowExW(0, RectangleClass, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, r.x, r.y,
                           r.width, r.height, stage->main, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// ---- the screenshot ---------------------------------------------------------------

struct Picture {
    int width, height;
    std::vector<uint32_t> pixels; // 0xAARRGGBB, rows from the top
};

// Copies a screen rectangle, layered windows included (CAPTUREBLT). Under
// Wine and Xvfb the screen holds the overlays already blended over the host's
// windows, as on Windows, so the capture needs no compositing of its own.
Picture CaptureScreen(const RECT& area) {
    Picture picture = {area.right - area.left, area.bottom - area.top, {}};
    picture.pixels.assign(static_cast<size_t>(picture.width) * picture.height, 0);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, picture.width, picture.height, screen, area.left, area.top,
               SRCCOPY | CAPTUREBLT);
        GdiFlush();
        std::memcpy(picture.pixels.data(), bits, picture.pixels.size() * 4);
        SelectObject(memory, previous);
    }
    if (bitmap)
        DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    for (uint32_t& p : picture.pixels)
        p |= 0xFF000000u; // the screen is opaque
    return picture;
}

// Writes the picture, making missing folders first; 0 after saying why not.
int SavePicture(const Picture& picture, const std::string& path) {
    std::wstring widePath = Wide(path);
    if (!MakeFoldersFor(widePath)) {
        std::fprintf(stderr, "vexlar-host: cannot make the folders for %s (Windows error %lu)\n",
                     path.c_str(), GetLastError());
        return 0;
    }
    if (!GfxSavePng(widePath.c_str(), picture.pixels.data(), picture.width, picture.height)) {
        std::fprintf(stderr, "vexlar-host: cannot write %s\n", path.c_str());
        return 0;
    }
    return 1;
}

int TakeScreenshot(Stage* stage, const std::string& path) {
    // Let every window finish painting first.
    RedrawWindow(stage->main, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (int i = 0; i < 10; i++) {
        PumpMessages();
        Sleep(30);
    }
    RECT area;
    GetWindowRect(stage->main, &area);
    Picture picture = CaptureScreen(area);
    if (!SavePicture(picture, path))
        return 0;
    std::printf("picture: %s (%d x %d)\n", path.c_str(), picture.width, picture.height);
    return 1;
}

// ---- the script ----------------------------------------------------------------------

// Splits a line into words; double quotes group words with blanks.
std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            i++;
        if (i >= line.size())
            break;
        std::string word;
        if (line[i] == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string::npos)
                end = line.size();
            word = line.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t')
                word += line[i++];
        }
        words.push_back(word);
    }
    return words;
}

struct Script {
    Module* module;
    Stage* stage;
    std::string picture; // where a screenshot without a path goes
    int lineNumber;
    int failures;
};

int Number(const std::vector<std::string>& words, size_t index) {
    return index < words.size() ? std::atoi(words[index].c_str()) : 0;
}

void Complain(Script* script, const std::string& text) {
    std::fprintf(stderr, "line %d: %s\n", script->lineNumber, text.c_str());
    script->failures++;
}

void RunAction(Script* script, const RegisteredAction& action,
               const std::vector<std::string>& words) {
    // One string per registered parameter; missing ones are empty.
    std::vector<std::string> texts(static_cast<size_t>(action.paramCount));
    for (size_t i = 0; i < texts.size() && i + 1 < words.size(); i++)
        texts[i] = words[i + 1];
    std::vector<char*> params;
    for (std::string& t : texts)
        params.push_back(&t[0]);
    const int result = script->module->execAction(action.id, params.data());
    PumpMessages();
    std::printf("%-24s", words[0].c_str());
    for (size_t i = 1; i < words.size(); i++)
        std::printf(words[i].empty() || words[i].find(' ') != std::string::npos ? " \"%s\"" : " %s",
                    words[i].c_str());
    std::printf("  -> %d\n", result);
    if (result == 0)
        std::printf("    [Vexlar.LastError] %s\n",
                    script->module->variables["[Vexlar.LastError]"].c_str());
}

// Host steps: what the authoring application does to its own windows.
int RunHostStep(Script* script, const std::vector<std::string>& words) {
    const std::string step = Lower(words[0]);
    Stage* stage = script->stage;
    Rectangle* r = words.size() > 1 ? FindRectangle(stage, words[1]) : nullptr;
    if (step == "window") {
        ResizeStage(stage, Number(words, 1), Number(words, 2));
    } else if (step == "rectangle") {
        if (words.size() < 6)
            return 0;
        if (!r) {
            stage->rectangles.push_back({});
            r = &stage->rectangles.back();
        } else if (r->window) {
            DestroyWindow(r->window);
        }
        r->name = words[1];
        r->x = Number(words, 2);
        r->y = Number(words, 3);
        r->width = Number(words, 4);
        r->height = Number(words, 5);
        r->caption = words.size() > 6 ? words[6] : "";
        r->window = MakeRectangleWindow(stage, *r);
        InvalidateRect(stage->main, nullptr, TRUE);
    } else if (step == "movewindow") {
        SetWindowPos(stage->main, nullptr, Number(words, 1), Number(words, 2), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (step == "message") {
        script->module->message(Number(words, 1), 0);
    } else if (step == "screenshot") {
        if (!TakeScreenshot(stage, words.size() > 1 ? words[1] : script->picture))
            script->failures++;
    } else if (!r) {
        return 0;
    } else if (step == "move") {
        r->x = Number(words, 2);
        r->y = Number(words, 3);
        SetWindowPos(r->window, nullptr, r->x, r->y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(stage->main, nullptr, TRUE);
    } else if (step == "resize") {
        r->width = Number(words, 2);
        r->height = Number(words, 3);
        SetWindowPos(r->window, nullptr, 0, 0, r->width, r->height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (step == "hide" || step == "show") {
        ShowWindow(r->window, step == "hide" ? SW_HIDE : SW_SHOWNA);
    } else if (step == "destroy") {
        DestroyWindow(r->window);
        r->window = nullptr;
    } else if (step == "recreate") {
        if (r->window)
            DestroyWindow(r->window);
        r->window = MakeRectangleWindow(stage, *r);
    } else {
        return 0;
    }
    PumpMessages();
    return 1;
}

void RunLine(Script* script, const std::string& line) {
    std::vector<std::string> words = SplitWords(line);
    if (words.empty() || words[0][0] == '#')
        return;
    auto action = script->module->actions.find(Lower(words[0]));
    if (action != script->module->actions.end()) {
        RunAction(script, action->second, words);
        return;
    }
    if (!RunHostStep(script, words))
        Complain(script, "cannot run: " + line);
}

int RunScriptFile(Script* script, const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        std::fprintf(stderr, "vexlar-host: cannot open the script %s\n", path.c_str());
        return 0;
    }
    std::printf("script: %s\n", path.c_str());
    char buffer[4096];
    script->lineNumber = 0;
    while (std::fgets(buffer, sizeof buffer, file)) {
        script->lineNumber++;
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        RunLine(script, line);
    }
    std::fclose(file);
    return 1;
}

// ---- modes ---------------------------------------------------------------------------

int RunInfo() {
    Module module = {};
    if (!LoadModule(&module))
        return 1;
    char* title = nullptr;
    char* author = nullptr;
    char* description = nullptr;
    module.init(0, &title, &author, &description);
    std::printf("Title:       %s\nAuthor:      %s\nDescription: %s\n\nActions:\n", title, author,
                description);
    module.registerPlugIn(&PrintAction, 0, 0, nullptr);
    FreeLibrary(module.library);
    return 0;
}

int RunScript(const std::string& scriptPath, const std::string& picturePath) {
    uintptr_t token = 0;
    if (!GfxStartup(&token)) { // the host's own GDI+, for saving the picture
        std::fprintf(stderr, "vexlar-host: GDI+ does not start\n");
        return 1;
    }
    Module module = {};
    Stage stage = {};
    if (!LoadModule(&module) || !OpenStage(&stage, 960, 640))
        return 1;
    StartModule(&module);
    PumpMessages();
    Script script = {&module, &stage, picturePath, 0, 0};
    const int ran = RunScriptFile(&script, scriptPath);
    module.message(2, 0); // the host's tear-down before it unloads the module
    FreeLibrary(module.library);
    DestroyWindow(stage.main);
    activeStage = nullptr;
    GfxShutdown(token);
    return ran && script.failures == 0 ? 0 : 1;
}

// ---- editor dialogs ----------------------------------------------------------------

typedef int(__stdcall* EditActionFn)(int, char**);

// The host's side of the dialogs' "Browse..." buttons: this host has no object
// picker or file dialog, so it shows the request and gives no answer (the
// dialog keeps its field).
int __stdcall PrintBrowseRequest(int code, char** slot) {
    std::string text = slot && *slot ? *slot : "";
    for (char& c : text) {
        if (c == '\r')
            c = '|';
    }
    std::printf("request %d: \"%s\" (no answer)\n", code, text.c_str());
    return 0;
}

struct DialogShot {
    std::string path;
    int ticksOpen;
    int saved;
};
DialogShot* activeShot;

BOOL CALLBACK FindShownWindow(HWND window, LPARAM found) {
    if (!IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Runs inside the dialog's own loop: once the dialog has been open for a few
// ticks (painted), saves what the screen shows of it and closes it.
void CALLBACK ShootDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindShownWindow, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog || ++activeShot->ticksOpen < 5)
        return;
    KillTimer(nullptr, timer);
    RECT area;
    GetWindowRect(dialog, &area);
    Picture picture = CaptureScreen(area);
    activeShot->saved = SavePicture(picture, activeShot->path);
    if (activeShot->saved)
        std::printf("picture: %s (%d x %d)\n", activeShot->path.c_str(), picture.width,
                    picture.height);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
}

// --edit N P0 P1 ... and --edit-shot PICTURE N P0 P1 ...: opens an action's
// editor dialog as a host does at design time, then prints the result and
// every parameter as it stands afterwards.
int RunEdit(int argc, char** argv) {
    const bool shot = std::string(argv[1]) == "--edit-shot";
    const int actionArg = shot ? 3 : 2;
    if (argc <= actionArg) {
        std::fprintf(stderr, "usage: vexlar-host --edit N P0 P1 ...\n"
                             "       vexlar-host --edit-shot PICTURE N P0 P1 ...\n");
        return 1;
    }
    uintptr_t token = 0;
    if (shot && !GfxStartup(&token)) {
        std::fprintf(stderr, "vexlar-host: GDI+ does not start\n");
        return 1;
    }
    Module module = {};
    if (!LoadModule(&module))
        return 1;
    EditActionFn edit = Resolve<EditActionFn>(module.library, "_nbEditAction");
    StartModule(&module);
    module.registerInterfaceAccess(&PrintBrowseRequest);

    const int action = std::atoi(argv[actionArg]);
    size_t count = static_cast<size_t>(argc - actionArg - 1);
    for (const auto& registered : module.actions) {
        if (registered.second.id == action)
            count = static_cast<size_t>(registered.second.paramCount);
    }
    std::vector<std::string> texts(count);
    for (size_t i = 0; i < count && actionArg + 1 + static_cast<int>(i) < argc; i++)
        texts[i] = argv[actionArg + 1 + i];
    std::vector<char*> params, before;
    for (std::string& t : texts)
        params.push_back(&t[0]);
    before = params;

    DialogShot picture = {shot ? argv[2] : "", 0, 0};
    activeShot = &picture;
    UINT_PTR timer = shot ? SetTimer(nullptr, 0, 50, &ShootDialog) : 0;
    const int result = edit ? edit(action, params.data()) : 0;
    if (timer)
        KillTimer(nullptr, timer);
    activeShot = nullptr;

    std::printf("action %d -> %d\n", action, result);
    for (size_t i = 0; i < params.size(); i++) {
        std::printf("  %zu: \"%s\"%s\n", i, params[i] ? params[i] : "(null)",
                    params[i] == before[i] ? "" : "  (written)");
        if (params[i] != before[i] && params[i])
            GlobalFree(params[i]); // the host owns what the module wrote
    }
    FreeLibrary(module.library);
    if (shot)
        GfxShutdown(token);
    return shot && !picture.saved ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--info")
        return RunInfo();
    if (first == "--edit" || first == "--edit-shot")
        return RunEdit(argc, argv);
    const std::string script = argc > 1 ? first : "examples/demo.txt";
    const std::string picture = argc > 2 ? argv[2] : "out/demo.png";
    return RunScript(script, picture);
}
