// vexlar-host: a small host for Vexlar.dll. It loads the module as an
// authoring application does and prints what such a host sees: the module's
// title, author and description and the actions it registers.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

typedef int(__stdcall* AddActionFn)(int, const char*, const char*, const unsigned char*, int, int);
typedef int(__stdcall* InitPlugInFn)(intptr_t, char**, char**, char**);
typedef int(__stdcall* RegisterPlugInFn)(AddActionFn, intptr_t, intptr_t, void*);

int __stdcall PrintAction(int action, const char* name, const char* hint,
                          const unsigned char* kinds, int, int count) {
    std::printf("  %d  %s\n      %s\n      parameters:", action, name, hint);
    for (int i = 0; i < count; i++)
        std::printf(" %s", kinds[i] == 5 ? "svg-file" : "text");
    std::printf("\n");
    return 1;
}

template <typename Fn> Fn Resolve(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

int main() {
    HMODULE module = LoadLibraryW(L"Vexlar.dll");
    if (!module) {
        std::fprintf(stderr, "vexlar-host: cannot load Vexlar.dll\n");
        return 1;
    }
    InitPlugInFn init = Resolve<InitPlugInFn>(module, "_nbInitPlugIn");
    RegisterPlugInFn registerPlugIn = Resolve<RegisterPlugInFn>(module, "_nbRegisterPlugIn");
    if (!init || !registerPlugIn) {
        std::fprintf(stderr, "vexlar-host: Vexlar.dll lacks its entry points\n");
        return 1;
    }
    char* title = nullptr;
    char* author = nullptr;
    char* description = nullptr;
    init(0, &title, &author, &description);
    std::printf("Title:       %s\nAuthor:      %s\nDescription: %s\n\nActions:\n", title, author,
                description);
    registerPlugIn(&PrintAction, 0, 0, nullptr);
    FreeLibrary(module);
    return 0;
}
