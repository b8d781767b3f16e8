#include "plugin/entry_points.h"

#include "plugin/action_table.h"
#include "svg/report.h"

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

// A repeated call hands out new strings; the earlier ones are freed.
static char* ReplaceRegistrationString(int slot, const wchar_t* text) {
    FreeHostString(registrationStrings[slot]);
    registrationStrings[slot] = MakeHostString(text);
    return registrationStrings[slot];
}

static void ReportToHost(const std::wstring& message) {
    SetLastError(message);
}

int __stdcall nbInitPlugIn(intptr_t value, char** title, char** author, char** description) {
    initValue = value;
    char* titleText = ReplaceRegistrationString(0, ModuleTitle);
    char* authorText = ReplaceRegistrationString(1, ModuleAuthor);
    char* descriptionText = ReplaceRegistrationString(2, ModuleDescription);
    if (title)
        *title = titleText;
    if (author)
        *author = authorText;
    if (description)
        *description = descriptionText;
    return 0;
}

int __stdcall nbRegisterPlugIn(AddActionCallback addAction, intptr_t second, intptr_t third,
                               SetVariableCallback setVariable) {
    addActionCallback = addAction;
    registerSecond = second;
    registerThird = third;
    SetSetVariableCallback(setVariable);
    if (!addAction)
        return 0;
    for (int i = 0; i < ActionCount; i++) {
        const ActionInfo& action = ActionTable[i];
        char* name = ReplaceRegistrationString(InfoStringCount + i, action.name);
        char* hint = ReplaceRegistrationString(InfoStringCount + ActionCount + i, action.hint);
        for (int k = 0; k < action.paramCount; k++)
            kindBuffer[k] = action.kinds[k];
        addActionCallback(action.id, name, hint, kindBuffer, 0, action.paramCount);
    }
    return 0;
}

int __stdcall nbExecAction(int action, char** params) {
    return ExecuteAction(action, params);
}

int __stdcall nbEditAction(int action, char** params) {
    if (!FindAction(action))
        return 0;
    return EditAction(action, params);
}

int __stdcall nbMessage(int message, intptr_t /*value*/) {
    HandleHostMessage(message);
    return 0;
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
        ReleaseLayersAtUnload(reserved == nullptr);
        ReleaseHostInterface();
        SetReportSink(nullptr);
    }
    return TRUE;
}
