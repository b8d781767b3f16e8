#include "plugin/host_text.h"

#include "svg/base/strings.h"

static SetVariableCallback setVariableCallback;
static InterfaceAccessCallback interfaceAccessCallback;

void SetSetVariableCallback(SetVariableCallback setVariable) {
    setVariableCallback = setVariable;
}

void SetInterfaceAccessCallback(InterfaceAccessCallback interfaceAccess) {
    interfaceAccessCallback = interfaceAccess;
}

void SetHostCallbacks(SetVariableCallback setVariable, InterfaceAccessCallback interfaceAccess) {
    setVariableCallback = setVariable;
    interfaceAccessCallback = interfaceAccess;
}

char* MakeHostString(const std::wstring& text) {
    int length = 0;
    if (!text.empty()) {
        length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                     0, nullptr, nullptr);
    }
    char* block = static_cast<char*>(GlobalAlloc(GMEM_ZEROINIT, static_cast<SIZE_T>(length) + 1));
    if (!block)
        return nullptr;
    if (length > 0) {
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), block, length,
                            nullptr, nullptr);
    }
    return block;
}

void FreeHostString(char* block) {
    if (block)
        GlobalFree(block);
}

// Control characters end host text: C0 controls other than TAB, LF and CR,
// DEL and the C1 controls. Every other character, accented letters included,
// is kept.
static bool EndsHostText(wchar_t c) {
    if (c == L'\t' || c == L'\n' || c == L'\r')
        return false;
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

std::wstring SanitizeHostText(const std::wstring& text) {
    size_t limit = text.size() < 2000 ? text.size() : 2000;
    size_t end = 0;
    while (end < limit && !EndsHostText(text[end]))
        end++;
    return text.substr(0, end);
}

std::wstring ReadHostText(const char* text) {
    if (!text || IsBadReadPtr(text, 1))
        return std::wstring();
    int bytes = static_cast<int>(strlen(text));
    if (bytes == 0)
        return std::wstring();
    int length = MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text, bytes, &wide[0], length);
    return SanitizeHostText(wide);
}

std::wstring GetParamText(char** params, int index) {
    if (!params)
        return std::wstring();
    if (IsBadReadPtr(&params[index], sizeof(char*)))
        return std::wstring();
    return ReadHostText(params[index]);
}

int GetParamInt(char** params, int index, int defaultValue) {
    std::wstring text = GetParamText(params, index);
    if (text.empty())
        return defaultValue;
    return Int32ValueOfText(text);
}

void SetParamText(char** params, int index, const std::wstring& text) {
    if (!params || IsBadWritePtr(&params[index], sizeof(char*)))
        return;
    // The host owns both the block that stood here and the new one.
    params[index] = MakeHostString(text);
}

void SetHostVariable(const std::wstring& name, const std::wstring& value) {
    if (!setVariableCallback)
        return;
    char* nameBlock = MakeHostString(name);
    char* valueBlock = MakeHostString(value);
    if (nameBlock && valueBlock)
        setVariableCallback(nameBlock, valueBlock);
    FreeHostString(nameBlock);
    FreeHostString(valueBlock);
}

void SetLastError(const std::wstring& message) {
    SetHostVariable(L"[Vexlar.LastError]", message);
}

// One interface-access call: the slot starts at the request block; the host
// may put its answer block there instead (the request block is then the
// host's to free). Whatever the slot holds afterwards is freed here. Returns
// 1 with the answer text when the host answered with a readable string; 0
// without calling when the request block cannot be made.
static int AskHost(int code, const std::wstring& request, std::wstring* answer) {
    answer->clear();
    char* slot = MakeHostString(request);
    if (!slot)
        return 0; // no request block, no call
    int result = interfaceAccessCallback(code, &slot);
    int answered = 0;
    if (result != 0 && slot && !IsBadReadPtr(slot, 1)) {
        *answer = ReadHostText(slot);
        answered = 1;
    }
    if (slot)
        GlobalFree(slot);
    return answered;
}

intptr_t QueryObjectHandle(const std::wstring& name) {
    if (!interfaceAccessCallback)
        return 0;
    std::wstring answer;
    if (!AskHost(7, name, &answer))
        return 0;
    // Handles are pointer-sized; the low bits of the 64-bit value are kept.
    return static_cast<intptr_t>(IntegerValueOfText(answer));
}

std::wstring BrowseObjectName(const std::wstring& current) {
    if (!interfaceAccessCallback)
        return std::wstring();
    std::wstring answer;
    AskHost(8, current, &answer);
    return answer;
}

std::wstring BrowseFileName(const std::wstring& title, const std::wstring& currentPath,
                            const std::wstring& thirdField, const std::wstring& filter) {
    if (!interfaceAccessCallback)
        return std::wstring();
    std::wstring request =
        title + L"\r" + currentPath + L"\r" + thirdField + L"\r" + filter + L"\r" + L"1";
    std::wstring answer;
    AskHost(15, request, &answer);
    return answer;
}
