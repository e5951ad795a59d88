// The tray icon: made, added (again while the shell is not ready, and after
// Explorer starts again), its tip and its events.
#include "app/tray.h"

#include <shellapi.h>

#include "app/app.h"
#include "app/colour_check.h"
#include "app/ids.h"
#include "app/input_rules.h"
#include "app/lens.h"
#include "geometry/geometry.h"
#include "menu/menu.h"
#include "settings/settings.h"
#include "settings/shared.h"
#include "settings/system_calls.h"

namespace {

NOTIFYICONDATAA TrayIcon;
int TrayIconPixels;  // the size TrayIcon.hIcon was made at
UINT LastTrayEvent;  // the tray callback's previous event, to pair the mouse's messages
UINT TaskbarCreatedMessage;
int TrayRetriesLeft;

// The version can only be set on an icon that exists. An add refused because
// the icon is still there (a "TaskbarCreated" from a shell that kept its
// icons) counts as done.
bool AddTrayIconOnce() {
    if (!Shell_NotifyIconA(NIM_ADD, &TrayIcon) && !Shell_NotifyIconA(NIM_MODIFY, &TrayIcon))
        return false;
    Shell_NotifyIconA(NIM_SETVERSION, &TrayIcon);
    return true;
}

// The program's icon at size x size pixels.
HICON MakeTrayIcon(int size) {
    return static_cast<HICON>(
        LoadImageA(ProgramModule, "abb", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// The one place that says what the tooltip holds now.
void CurrentTrayTip(char* tip, int capacity) {
    const std::wstring trailing = TipTrailing(ColoursVerdict, ColoursOnHdr, SettingsUnsaved());
    AnsiTrayTip(tip, capacity, Geometry.Zoom, HotkeyRegistered, trailing.c_str(), GetACP());
}
}  // namespace

#if !defined(_WIN64)
static_assert(sizeof(NOTIFYICONDATAA) == TrayRecordSize, "tray record size");
#endif

void PrepareTrayIcon() {
    ZeroMemory(&TrayIcon, sizeof(TrayIcon));
    TrayIcon.cbSize = sizeof(TrayIcon);
    TrayIcon.hWnd = LensWindow;
    TrayIcon.uID = TrayIconId;
    TrayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    CurrentTrayTip(TrayIcon.szTip, sizeof(TrayIcon.szTip));
    TrayIcon.uCallbackMessage = TrayCallbackMessage;
    TrayIconPixels = SmallIconSize();
    TrayIcon.hIcon = MakeTrayIcon(TrayIconPixels);
    TrayIcon.uVersion = NOTIFYICON_VERSION;
}

// A shell that is still starting can refuse the icon; without it the program
// could not be reached, so the add is tried again for a while.
void AddTrayIcon() {
    KillTimer(LensWindow, TrayRetryTimer);
    if (AddTrayIconOnce())
        return;
    TrayRetriesLeft = TrayRetryLimit;
    SetTimer(LensWindow, TrayRetryTimer, TrayRetryMs, nullptr);
}

void RetryTrayIcon() {
    if (AddTrayIconOnce() || --TrayRetriesLeft <= 0)
        KillTimer(LensWindow, TrayRetryTimer);
}

// The tray icon at the shell's small-icon size now: made again where that
// size changed (or always), the old icon destroyed once the shell has the new.
void RenewTrayIcon(bool always) {
    const int size = SmallIconSize();
    if (!TrayIcon.hWnd || (!always && size == TrayIconPixels))
        return;
    const HICON made = MakeTrayIcon(size);
    if (!made)
        return;
    const HICON old = TrayIcon.hIcon;
    TrayIcon.hIcon = made;
    TrayIconPixels = size;
    Shell_NotifyIconA(NIM_MODIFY, &TrayIcon);
    if (old)
        DestroyIcon(old);
}

// Explorer started again: the icon at the size of now, added anew.
void OnTaskbarCreated() {
    RenewTrayIcon(true);
    AddTrayIcon();
}

void ListenForTaskbarCreated() {
    TaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    // Run elevated, the program would otherwise never hear that Explorer
    // started again, and its icon would be gone for good.
    AllowTaskbarCreated(LensWindow, TaskbarCreatedMessage);
}

bool IsTaskbarCreated(UINT message) {
    return message == TaskbarCreatedMessage && message != 0;
}

void TrayEvent(LPARAM event) {
    const UINT now = LOWORD(event);
    const TrayAction action = TrayEventAction(now, LastTrayEvent, LensShown(), !MenuIdle());
    LastTrayEvent = now;
    if (action == TrayOpenMenu) {
        TrayMenuOpening();
        ShowTrayMenu();
        // The menu is closed now, whether or not its loop said so.
        TrayMenuClosed();
        // The lens window was made foreground for the menu; hidden, it would
        // swallow the user's typing.
        Shell_NotifyIconA(NIM_SETFOCUS, &TrayIcon);
    } else if (action == TrayToggle || action == TrayShow) {
        ShowOrHideLens();
    }
}

void UpdateTrayTip() {
    if (!TrayIcon.hWnd)
        return;  // not made yet: it is made with the tooltip of the moment
    char tip[sizeof(TrayIcon.szTip)];
    CurrentTrayTip(tip, sizeof(tip));
    if (lstrcmpA(tip, TrayIcon.szTip) == 0)
        return;
    lstrcpynA(TrayIcon.szTip, tip, sizeof(TrayIcon.szTip));
    Shell_NotifyIconA(NIM_MODIFY, &TrayIcon);
}

void RemoveTrayIcon() {
    KillTimer(LensWindow, TrayRetryTimer);
    Shell_NotifyIconA(NIM_DELETE, &TrayIcon);
    if (TrayIcon.hIcon)
        DestroyIcon(TrayIcon.hIcon);
    TrayIcon.hIcon = nullptr;
}

bool AllowTaskbarCreated(HWND window, UINT message) {
    if (message == 0)
        return false;
    // Windows 7 filters per window; Vista only per process.
    if (DynCalls.ChangeWindowMessageFilterEx)
        return DynCalls.ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr) !=
               FALSE;
    return DynCalls.ChangeWindowMessageFilter &&
           DynCalls.ChangeWindowMessageFilter(message, MSGFLT_ADD) != FALSE;
}

std::wstring TrayTipText(int zoom, bool hotkeyRegistered, const wchar_t* trailing,
                         bool typographic) {
    std::wstring tip = typographic ? L"Vellix \u2013 " : L"Vellix - ";
    tip += std::to_wstring(zoom);
    tip += typographic ? L"\u00D7" : L"x";
    tip += hotkeyRegistered ? L", Win+Shift+Z" : L", Win+Shift+Z not available";
    if (trailing && *trailing) {
        tip += L", ";
        tip += trailing;
    }
    return tip;
}

void AnsiTrayTip(char* out, int capacity, int zoom, bool hotkeyRegistered,
                 const wchar_t* trailing, UINT codePage) {
    // The tray record is ANSI: the dash and the multiplication sign only where
    // the code page has both (Western and Central European ones do), plain
    // '-' and 'x' elsewhere; no best-fit stand-ins and no question marks.
    const std::wstring fancy = TrayTipText(zoom, hotkeyRegistered, trailing, true);
    // UTF-8 has every character, and Windows takes neither flags nor the
    // lost-character report for it.
    const bool utf8 = codePage == CP_UTF8;
    BOOL lost = FALSE;
    int n = WideCharToMultiByte(codePage, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, fancy.c_str(), -1, out,
                                capacity, nullptr, utf8 ? nullptr : &lost);
    if (n > 0 && !lost)
        return;
    const std::wstring plain = TrayTipText(zoom, hotkeyRegistered, trailing, false);
    n = WideCharToMultiByte(codePage, 0, plain.c_str(), -1, out, capacity, nullptr, nullptr);
    if (n <= 0 && capacity > 0) {
        // Too long for the field: as much as fits, ASCII being one byte each.
        int i = 0;
        for (; i < capacity - 1 && i < static_cast<int>(plain.size()); ++i)
            out[i] = plain[i] < 0x80 ? static_cast<char>(plain[i]) : '?';
        out[i] = '\0';
    }
}
