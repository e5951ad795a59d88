// The shell's start-up and shutdown (app/startup.cpp): the program's entry,
// the two windows, the settings' start and their save at the end.
#pragma once

#include <windows.h>

#include <string>

// The whole program: start-up, message loop, shutdown. Returns the exit code.
int RunVellix(HINSTANCE module);

// Start-up of the settings, after the lens windows exist: start values of the
// controller, the drawing and the avoidance, the early drawing objects, the
// Startup test, the paths, the defaults, the active profile number and
// profile, then the lens geometry.
void InitSettings();

// Registers the classes and makes both windows and LensDC. A failure that
// ends start-up has been reported with its warning when this returns false.
bool CreateLensWindows();
void DestroyLensWindows();
// At the lens window's end: the settings saved, the shortcuts given back,
// the tray icon, the hotkey, the drawing objects and the classes released.
void ShutDown();
// At Exit, and at the end of a session, where Windows ends the program
// without destroying its windows; never twice. False where a file could not
// be written.
bool SaveSettingsOnce();

extern bool HotkeyRegistered;  // Win+Shift+Z is ours

// Whether another copy runs, from the single-instance mutex: made (a handle
// came back) and the last error after CreateMutex.
bool AnotherCopyRuns(bool made, DWORD error);
// The message at Exit where the settings could not be saved in the folder.
std::wstring NotSavedText(const wchar_t* folder);
