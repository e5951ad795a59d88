// What a key, a tray event, the wheel and the hotkey do (app/input_rules.cpp):
// pure decisions, which the shell carries out.
#pragma once

#include <windows.h>

#include "geometry/geometry.h"
#include "settings/shared.h"

// The keys that act on a shown lens (Space, Ctrl, Shift); every other hides it.
bool IsKeptKey(WPARAM key);
// The arrows, the keypad's too whatever Num Lock says.
bool IsArrowKey(WPARAM key);

// What a key-down on either window does (flags: the message's lParam).
// While the lens magnifies, an arrow (the keypad's too, whatever the
// modifiers) moves the pointer; of the repeats only those of actingArrow, the
// arrow last pressed during this show, act.
enum KeyAction { KeyNothing, KeyHide, KeyToggle, KeyCopyText, KeyCopySwatch, KeyMovePointer };
KeyAction KeyDownAction(WPARAM key, LPARAM flags, LensState lens, WPARAM actingArrow = 0);
// Where an arrow key moves the pointer from `from`: one screen pixel its way;
// false when the key is no arrow or that pixel lies on no monitor.
bool ArrowTarget(WPARAM key, const MonitorSet& monitors, POINT from, POINT* to);

// What a tray callback event does, given the event before it.
enum TrayAction { TrayNothing, TrayToggle, TrayShow, TrayOpenMenu };
TrayAction TrayEventAction(UINT event, UINT previous, bool lensShown, bool menuOpen);

// The wheel's deltas add up to whole notches of 120 (positive away from the
// user); *pending keeps the rest, dropped when the direction changes. The
// caller drops it at hide.
int WheelNotches(int* pending, int delta);
// The stored factor after that many notches, within 2..10. In Pro, whose zoom
// is at least 6, a step starts from the zoom shown and never goes below 6; a
// step down at 6 leaves the stored factor as it is.
int SteppedFactor(int stored, int proFlag, int notches);
// Whether the hotkey shows the lens: only while it is hidden and the tray
// menu closed, and not while the key that has just hidden it is still down
// (the combination's Win key hides a shown lens; its Z must not show it again).
bool HotkeyShows(bool lensShown, bool menuOpen, bool hidingKeyDown);
