// The eight functions the host calls, exported under their names with a
// leading underscore ("_nbAbout" ...). All use the standard calling convention
// of 32-bit Windows.
#pragma once

#include <cstdint>

#include "plugin/host_text.h"

extern "C" {
int __stdcall nbInitPlugIn(intptr_t value, char** title, char** author, char** description);
int __stdcall nbRegisterPlugIn(AddActionCallback addAction, intptr_t second, intptr_t third,
                               SetVariableCallback setVariable);
int __stdcall nbExecAction(int action, char** params);
int __stdcall nbEditAction(int action, char** params);
int __stdcall nbMessage(int message, intptr_t value);
int __stdcall nbAbout();
int __stdcall nbRegisterInterfaceAccess(InterfaceAccessCallback interfaceAccess);
int __stdcall nbRegisterScriptProcessor(intptr_t callback);
}

// The module's instance handle (overlay windows are created with it).
HINSTANCE ModuleInstance();

// The bodies that live with their subsystems.
int ExecuteAction(int action, char** params);          // run an action
const wchar_t* OutOfMemoryMessage(int action);         // its message when memory runs out
int EditAction(int action, char** params);             // the action's editor dialog
void HandleHostMessage(int message);                   // host notifications
void ReleaseLayersAtUnload(int unloadedByFreeLibrary); // the library is being unloaded
