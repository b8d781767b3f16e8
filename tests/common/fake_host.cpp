#include "common/fake_host.h"

#include <cstring>

static FakeHost* activeHost;

static int __stdcall FakeAddAction(int action, const char* name, const char* hint,
                                   const unsigned char* kinds, int reserved, int count) {
    if (!activeHost)
        return 0;
    FakeRegistration r;
    r.action = action;
    r.name = name ? name : "<null>";
    r.hint = hint ? hint : "<null>";
    if (kinds && count > 0)
        r.kinds.assign(kinds, kinds + count);
    r.reserved = reserved;
    r.count = count;
    activeHost->registrations.push_back(r);
    return 1;
}

static int __stdcall FakeSetVariable(const char* name, const char* value) {
    if (!activeHost)
        return 1;
    activeHost->variables.emplace_back(name ? name : "<null>", value ? value : "<null>");
    if (activeHost->onVariable) {
        const std::pair<std::string, std::string> set = activeHost->variables.back();
        auto hook = activeHost->onVariable; // a copy: the hook may replace itself
        hook(set.first, set.second);
    }
    return 1;
}

static char* MakeAnswerBlock(const std::string& text) {
    char* block = static_cast<char*>(GlobalAlloc(GMEM_ZEROINIT, text.size() + 1));
    if (block)
        memcpy(block, text.data(), text.size());
    return block;
}

static int __stdcall FakeInterfaceAccess(int code, char** slot) {
    if (!activeHost)
        return 0;
    std::string request = (slot && *slot) ? *slot : "";
    activeHost->requests.push_back({code, request});
    if (activeHost->onRequest) {
        auto hook = activeHost->onRequest; // a copy: the hook may replace itself
        hook(code, request);
    }
    const FakeAnswer* answer = nullptr;
    if (code == 7) {
        auto found = activeHost->objectAnswers.find(request);
        if (found != activeHost->objectAnswers.end())
            answer = &found->second;
    }
    if (!answer) {
        auto found = activeHost->answers.find(code);
        if (found == activeHost->answers.end())
            return 0;
        answer = &found->second;
    }
    switch (answer->kind) {
    case FakeNoAnswer:
        return 0;
    case FakeSuccessKeepSlot:
        return 1;
    case FakeAnswerText:
        // The request block becomes the host's to free, as hosts do.
        if (slot && *slot)
            GlobalFree(*slot);
        *slot = MakeAnswerBlock(answer->text);
        return 1;
    }
    return 0;
}

template <typename Fn> static Fn Resolve(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

int LoadFakeHost(FakeHost* host) {
    return LoadFakeHostFrom(host, L"Vexlar.dll");
}

int LoadFakeHostFrom(FakeHost* host, const wchar_t* path) {
    host->module = LoadLibraryW(path);
    if (!host->module)
        return 0;
    host->initPlugIn = Resolve<InitPlugInFn>(host->module, "_nbInitPlugIn");
    host->registerPlugIn = Resolve<RegisterPlugInFn>(host->module, "_nbRegisterPlugIn");
    host->execAction = Resolve<ActionFn>(host->module, "_nbExecAction");
    host->editAction = Resolve<ActionFn>(host->module, "_nbEditAction");
    host->message = Resolve<MessageFn>(host->module, "_nbMessage");
    host->about = Resolve<AboutFn>(host->module, "_nbAbout");
    host->registerInterfaceAccess =
        Resolve<RegisterPointerFn>(host->module, "_nbRegisterInterfaceAccess");
    host->registerScriptProcessor =
        Resolve<RegisterValueFn>(host->module, "_nbRegisterScriptProcessor");
    activeHost = host;
    return host->initPlugIn && host->registerPlugIn && host->execAction && host->editAction &&
           host->message && host->about && host->registerInterfaceAccess &&
           host->registerScriptProcessor;
}

void StartFakeHost(FakeHost* host) {
    char* title = nullptr;
    char* author = nullptr;
    char* description = nullptr;
    host->initPlugIn(0, &title, &author, &description);
    host->title = title ? title : "<null>";
    host->author = author ? author : "<null>";
    host->description = description ? description : "<null>";
    host->registerPlugIn(reinterpret_cast<void*>(&FakeAddAction), 0, 0,
                         reinterpret_cast<void*>(&FakeSetVariable));
    host->registerInterfaceAccess(reinterpret_cast<void*>(&FakeInterfaceAccess));
}

void UnloadFakeHost(FakeHost* host) {
    if (host->module)
        FreeLibrary(host->module);
    host->module = nullptr;
    if (activeHost == host)
        activeHost = nullptr;
}

std::string FakeVariable(const FakeHost* host, const std::string& name) {
    for (auto it = host->variables.rbegin(); it != host->variables.rend(); ++it) {
        if (it->first == name)
            return it->second;
    }
    return "<unset>";
}

std::string FakeLastError(const FakeHost* host) {
    return FakeVariable(host, "[Vexlar.LastError]");
}

void SetFakeParams(FakeParams* params, const std::vector<const char*>& values) {
    params->texts.clear();
    params->isNull.clear();
    for (const char* v : values) {
        params->texts.push_back(v ? v : "");
        params->isNull.push_back(v == nullptr);
    }
    params->slots.assign(values.size(), nullptr);
    for (size_t i = 0; i < values.size(); i++) {
        if (!params->isNull[i])
            params->slots[i] = &params->texts[i][0];
    }
}

char** FakeParamArray(FakeParams* params) {
    return params->slots.data();
}

std::string FakeParamText(const FakeParams* params, int index) {
    const char* text = params->slots[static_cast<size_t>(index)];
    return text ? text : "<null>";
}

bool IsGlobalBlockAllocated(const void* block) {
    if (!block)
        return false;
    UINT flags = GlobalFlags(const_cast<void*>(block));
    if (flags == GMEM_INVALID_HANDLE)
        return false;
    SIZE_T size = GlobalSize(const_cast<void*>(block));
    return size != 0 && size != static_cast<SIZE_T>(-1);
}
