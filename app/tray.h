// The tray icon (app/tray.cpp): made, added, renewed, its tip and its events.
#pragma once

#include <windows.h>

#include <string>

// The icon and its tip as they are now, then added (tried again every 2 s
// while the shell refuses it).
void PrepareTrayIcon();
void AddTrayIcon();
void RetryTrayIcon();  // at TrayRetryTimer
// The icon at the shell's small-icon size now: made again where that size
// changed (or always).
void RenewTrayIcon(bool always);
// Explorer's "TaskbarCreated", which an elevated copy is let hear too.
void ListenForTaskbarCreated();
bool IsTaskbarCreated(UINT message);
void OnTaskbarCreated();  // the icon at the size of now, added anew
// A tray callback (its lParam): a click shows or hides, a right click opens the menu.
void TrayEvent(LPARAM event);
// The factor after a menu command, a profile switch or the wheel: tooltip anew.
void UpdateTrayTip();
// At shutdown: the icon gone, its retries stopped.
void RemoveTrayIcon();

// Lets Explorer's "TaskbarCreated" reach an elevated program (UIPI), where
// the system has the call; false where it refused or had none.
bool AllowTaskbarCreated(HWND window, UINT message);

// The tray tooltip, for instance "Vellix – 4×, Win+Shift+Z", or "… Win+Shift+Z
// not available" where the hotkey could not be registered, then ", " and the
// trailing phrase if one is given. typographic false: '-' and 'x' instead.
std::wstring TrayTipText(int zoom, bool hotkeyRegistered, const wchar_t* trailing,
                         bool typographic);
// The same in an ANSI code page, typographic where the code page has both
// signs, plain otherwise; cut to capacity bytes with the zero.
void AnsiTrayTip(char* out, int capacity, int zoom, bool hotkeyRegistered,
                 const wchar_t* trailing, UINT codePage);
