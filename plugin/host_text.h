// Text across the host boundary: host strings, parameter access, host
// variables, the last-error variable and the host's interface-access requests.
// Module text is UTF-16; the host's is zero-terminated ANSI in global memory.
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

// The host's call-backs (stdcall on 32-bit Windows).
typedef int(__stdcall* AddActionCallback)(int action, const char* name, const char* hint,
                                          const unsigned char* kinds, int reserved, int count);
typedef int(__stdcall* SetVariableCallback)(const char* name, const char* value);
typedef int(__stdcall* InterfaceAccessCallback)(int code, char** slot);

// A zero-filled global-memory block holding the text in the ANSI code page
// and a terminating zero; null when it cannot be allocated.
char* MakeHostString(const std::wstring& text);
void FreeHostString(char* block);

// Cuts host text at the first control character (other than TAB, LF, CR) and
// after 2000 characters.
std::wstring SanitizeHostText(const std::wstring& text);
// Reads a zero-terminated ANSI string: "" for null or unreadable pointers.
std::wstring ReadHostText(const char* text);

// Parameter arrays: the host's array of pointers to ANSI strings.
std::wstring GetParamText(char** params, int index);
int GetParamInt(char** params, int index, int defaultValue);
void SetParamText(char** params, int index, const std::wstring& text);

void SetHostVariable(const std::wstring& name, const std::wstring& value);
// Writes "[Vexlar.LastError]".
void SetLastError(const std::wstring& message);

// Interface-access requests: 7 (object's window handle, 0 when not found),
// 8 (let the user pick an object name), 15 (let the user pick a file).
intptr_t QueryObjectHandle(const std::wstring& name);
std::wstring BrowseObjectName(const std::wstring& current);
std::wstring BrowseFileName(const std::wstring& title, const std::wstring& currentPath,
                            const std::wstring& thirdField, const std::wstring& filter);

// The call-backs the host handed over (set by the entry points).
void SetHostCallbacks(SetVariableCallback setVariable, InterfaceAccessCallback interfaceAccess);
void SetInterfaceAccessCallback(InterfaceAccessCallback interfaceAccess);
void SetSetVariableCallback(SetVariableCallback setVariable);
