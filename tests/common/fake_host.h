// A fake host for tests: loads the real Vexlar.dll with LoadLibrary, finds the
// entry points by their exported names, calls them with the host's stdcall
// signatures and supplies the host's call-backs, recording everything the
// module asks of it. One FakeHost is active at a time (the call-backs are
// plain functions).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct FakeRegistration {
    int action;
    std::string name;
    std::string hint;
    std::vector<unsigned char> kinds; // read during the call, as a host must
    int reserved;                     // the fifth argument
    int count;
};

struct FakeRequest {
    int code;
    std::string text; // the request text the module sent
};

// How the host answers an interface-access request.
enum FakeAnswerKind {
    FakeNoAnswer,        // returns 0, slot untouched
    FakeSuccessKeepSlot, // returns nonzero without replacing the slot
    FakeAnswerText,      // returns nonzero with a new block holding the text
};

struct FakeAnswer {
    FakeAnswerKind kind;
    std::string text;
};

typedef int(__stdcall* InitPlugInFn)(intptr_t, char**, char**, char**);
typedef int(__stdcall* RegisterPlugInFn)(void*, intptr_t, intptr_t, void*);
typedef int(__stdcall* ActionFn)(int, char**);
typedef int(__stdcall* MessageFn)(int, intptr_t);
typedef int(__stdcall* AboutFn)();
typedef int(__stdcall* RegisterPointerFn)(void*);
typedef int(__stdcall* RegisterValueFn)(intptr_t);

struct FakeHost {
    HMODULE module;
    InitPlugInFn initPlugIn;
    RegisterPlugInFn registerPlugIn;
    ActionFn execAction;
    ActionFn editAction;
    MessageFn message;
    AboutFn about;
    RegisterPointerFn registerInterfaceAccess;
    RegisterValueFn registerScriptProcessor;

    std::string title, author, description;
    std::vector<FakeRegistration> registrations;
    std::vector<std::pair<std::string, std::string>> variables; // every set, in order
    std::vector<FakeRequest> requests;

    // Answers by request code; code 7 is answered per object name first.
    std::map<int, FakeAnswer> answers;
    std::map<std::string, FakeAnswer> objectAnswers;

    // Host code run inside the call-backs, as a host may (re-entering the
    // module): before a request is answered, after a variable is set.
    std::function<void(int code, const std::string& request)> onRequest;
    std::function<void(const std::string& name, const std::string& value)> onVariable;
};

// Loads Vexlar.dll (from the test program's folder) and resolves the eight
// entry points. Returns 1 on success; the host becomes the active one.
int LoadFakeHost(FakeHost* host);
// The same from another file: a copy of Vexlar.dll under another name is a
// module of its own, with its own state.
int LoadFakeHostFrom(FakeHost* host, const wchar_t* path);
// Calls nbInitPlugIn, nbRegisterPlugIn and nbRegisterInterfaceAccess as a
// host does at start-up.
void StartFakeHost(FakeHost* host);
// FreeLibrary; the host stops being the active one.
void UnloadFakeHost(FakeHost* host);

// The last value set for a variable, or "<unset>".
std::string FakeVariable(const FakeHost* host, const std::string& name);
std::string FakeLastError(const FakeHost* host);

// A host parameter array: strings owned by the array (null entries allowed).
struct FakeParams {
    std::vector<std::string> texts;
    std::vector<char*> slots;
    std::vector<bool> isNull;
};
void SetFakeParams(FakeParams* params, const std::vector<const char*>& values);
char** FakeParamArray(FakeParams* params);
// The text of a slot after the module wrote it (nullptr -> "<null>").
std::string FakeParamText(const FakeParams* params, int index);

// Global-memory blocks the module handed out through the call-backs that are
// still allocated (registration strings are checked with GlobalSize).
bool IsGlobalBlockAllocated(const void* block);
