#include "plugin/entry_points.h"

#include "plugin/action_table.h"
#include "plugin/host_boundary.h"
#include "svg/base/report.h"

// Module-wide state of the host interface. Everything starts zero at load.
static HINSTANCE moduleInstance;
static AddActionCallback addActionCallback;
static intptr_t registerSecond, registerThird;
static intptr_t scriptProcessorCallback;
static intptr_t initValue;

// The seventeen strings handed to the host: title, author, description, then
// the seven action names and the seven hints. The host may keep the pointers
// until the module is unloaded.
enum { InfoStringCount = 3, RegistrationStringCount = InfoStringCount + 2 * ActionCount };
static char* registrationStrings[RegistrationStringCount];
// One buffer reused for every registration; the host reads it during the call.
static unsigned char kindBuffer[MaxActionParams];

static const wchar_t ModuleTitle[] = L"Vexlar";
static const wchar_t ModuleAuthor[] = L"The Vexlar developers";
static const wchar_t ModuleDescription[] = L"Resolution-independent SVG viewer for Rectangle "
                                           L"objects. Vector paths re-rasterize crisp at any size.";

HINSTANCE ModuleInstance() {
    return moduleInstance;
}

// The host may keep reading a string it was given until it unloads the
// module, so a repeated call hands out the same block again (its text never
// changes); only a block that could not be made is tried again.
static char* RegistrationString(int slot, const wchar_t* text) {
    if (!registrationStrings[slot])
        registrationStrings[slot] = MakeHostString(text);
    return registrationStrings[slot];
}

static void ReportToHost(const std::wstring& message) {
    SetLastError(message);
}

static int InitPlugIn(intptr_t value, char** title, char** author, char** description) {
    initValue = value;
    char* titleText = RegistrationString(0, ModuleTitle);
    char* authorText = RegistrationString(1, ModuleAuthor);
    char* descriptionText = RegistrationString(2, ModuleDescription);
    if (title)
        *title = titleText;
    if (author)
        *author = authorText;
    if (description)
        *description = descriptionText;
    return 0;
}

static int RegisterPlugIn(AddActionCallback addAction, intptr_t second, intptr_t third,
                          SetVariableCallback setVariable) {
    addActionCallback = addAction;
    registerSecond = second;
    registerThird = third;
    SetSetVariableCallback(setVariable);
    if (!addAction)
        return 0;
    for (int i = 0; i < ActionCount; i++) {
        const ActionInfo& action = ActionTable[i];
        char* name = RegistrationString(InfoStringCount + i, action.name);
        char* hint = RegistrationString(InfoStringCount + ActionCount + i, action.hint);
        for (int k = 0; k < action.paramCount; k++)
            kindBuffer[k] = action.kinds[k];
        addActionCallback(action.id, name, hint, kindBuffer, 0, action.paramCount);
    }
    return 0;
}

int __stdcall nbInitPlugIn(intptr_t value, char** title, char** author, char** description) {
    return AtHostBoundary(0, nullptr,
                          [&] { return InitPlugIn(value, title, author, description); });
}

int __stdcall nbRegisterPlugIn(AddActionCallback addAction, intptr_t second, intptr_t third,
                               SetVariableCallback setVariable) {
    return AtHostBoundary(0, nullptr,
                          [&] { return RegisterPlugIn(addAction, second, third, setVariable); });
}

int __stdcall nbExecAction(int action, char** params) {
    return AtHostBoundary(0, OutOfMemoryMessage(action),
                          [&] { return ExecuteAction(action, params); });
}

// A dialog that runs out of memory ends as a cancel.
int __stdcall nbEditAction(int action, char** params) {
    if (!FindAction(action))
        return 0;
    return AtHostBoundary(0, nullptr, [&] { return EditAction(action, params); });
}

int __stdcall nbMessage(int message, intptr_t /*value*/) {
    return AtHostBoundary(0, nullptr, [&] {
        HandleHostMessage(message);
        return 0;
    });
}

int __stdcall nbAbout() {
    return 0;
}

int __stdcall nbRegisterInterfaceAccess(InterfaceAccessCallback interfaceAccess) {
    SetInterfaceAccessCallback(interfaceAccess);
    return 0;
}

int __stdcall nbRegisterScriptProcessor(intptr_t callback) {
    scriptProcessorCallback = callback;
    return 0;
}

static void ReleaseHostInterface() {
    for (char*& text : registrationStrings) {
        FreeHostString(text);
        text = nullptr;
    }
    addActionCallback = nullptr;
    registerSecond = registerThird = 0;
    SetHostCallbacks(nullptr, nullptr);
}

// Loading only records the instance handle and routes the SVG readers'
// failure messages to the host's last-error variable. Unloading frees the
// registration strings, forgets the host's call-backs and lets the layers
// release what they still hold.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        moduleInstance = instance;
        SetReportSink(&ReportToHost);
    } else if (reason == DLL_PROCESS_DETACH) {
        // reserved is null when FreeLibrary unloads the module, not null when
        // the process is exiting.
        AtHostBoundary(0, nullptr, [&] {
            ReleaseLayersAtUnload(reserved == nullptr);
            return 0;
        });
        ReleaseHostInterface();
        SetReportSink(nullptr);
    }
    return TRUE;
}
