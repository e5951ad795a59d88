// Names, private messages and ids of the shell.
#pragma once

// These names, like the resource names of resources/vellix.rc ("aaa" the
// logo, "abb" the icon, "acr" the Common cursor, "asd" the click) and the
// file "rdc.cur", look arbitrary and are kept as they are on purpose: a copy
// of Vellix of any version finds a running one by the mutex, other programs
// and the tests find the windows by their classes and title and the
// resources by their names, and users keep the cursor file beside the
// program. Renaming any of them breaks those.
#define VELLIX_MUTEX_NAME "y0e4h7l1"
#define LENS_CLASS_NAME "MyWindowClass"
#define INPUT_LAYER_CLASS_NAME "MyWindowClass_a"
#define LENS_WINDOW_TITLE "T3"

constexpr unsigned TrayCallbackMessage = 0x8010;
constexpr unsigned TrayIconId = 555;
constexpr unsigned TrayRecordSize = 508;  // NOTIFYICONDATAA as the tray expects it

// The show-and-magnify hotkey, Win+Shift+Z, on the lens window.
constexpr int LensHotkeyId = 1;
constexpr unsigned LensHotkeyKey = 'Z';

// The timers' ids are all in settings/shared.h (TimerId); here their periods.
// The Dynamic refresh.
constexpr unsigned DynamicTimerMs = 10;
// CREATE_WAITABLE_TIMER_HIGH_RESOLUTION (Windows 10 1803), missing from older headers.
constexpr unsigned long HighResolutionTimerFlag = 0x00000002;

// Adding the tray icon again while the shell is not ready (a program in the
// Startup folder starts before it): every 2 s, for about a minute.
constexpr unsigned TrayRetryMs = 2000;
constexpr int TrayRetryLimit = 30;

// The self-check of the screen reads after a show: up to four frames of tries,
// a frame apart. Under Wine its first read waits for the compositor (see
// StartColourCheckIfAsked).
constexpr unsigned FrameMs = 17;  // one frame at 60 Hz
constexpr int ColourCheckTries = 4;
constexpr unsigned WineCompositorMs = 100;
// WS_EX_NOREDIRECTIONBITMAP (Windows 8), which the headers give only to
// programs built for Windows 8 and later.
constexpr unsigned long NoRedirectionBitmapStyle = 0x00200000;
// DwmSetWindowAttribute's corner preference (Windows 11), missing from these headers.
constexpr unsigned long DWMWA_WINDOW_CORNER_PREFERENCE = 33;
constexpr unsigned long DWMWCP_DONOTROUND = 1;

// The accessibility shortcut bits, the same in STICKYKEYS, FILTERKEYS and
// TOGGLEKEYS (SKF_/FKF_/TKF_HOTKEYACTIVE and _CONFIRMHOTKEY).
constexpr unsigned long ShortcutHotkeyActive = 0x00000004;
constexpr unsigned long ShortcutConfirmHotkey = 0x00000008;
