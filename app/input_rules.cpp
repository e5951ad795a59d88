// What a key, a tray event, the wheel and the hotkey do: pure rules, so they
// can be checked with worked examples.
#include "app/input_rules.h"

#include <shellapi.h>

#include "settings/settings.h"

namespace {

constexpr int WheelNotch = 120;  // WHEEL_DELTA: one notch of a plain wheel

int Within(int v, int low, int high) {
    return v < low ? low : (v > high ? high : v);
}

// The arrows, and the keypad's arrows whether Num Lock gives them as arrows
// or as digits.
int ArrowStepX(WPARAM key) {
    return key == VK_LEFT || key == VK_NUMPAD4 ? -1 : key == VK_RIGHT || key == VK_NUMPAD6 ? 1 : 0;
}
int ArrowStepY(WPARAM key) {
    return key == VK_UP || key == VK_NUMPAD8 ? -1 : key == VK_DOWN || key == VK_NUMPAD2 ? 1 : 0;
}

}  // namespace

bool IsKeptKey(WPARAM key) {
    return key == VK_SPACE || key == VK_CONTROL || key == VK_SHIFT;
}

bool IsArrowKey(WPARAM key) {
    return ArrowStepX(key) != 0 || ArrowStepY(key) != 0;
}

KeyAction KeyDownAction(WPARAM key, LPARAM flags, LensState lens, WPARAM actingArrow) {
    // A held key acts once: bit 30 marks the keyboard's repeats. A repeat
    // that finds the lens shown belongs to a key pressed before the show,
    // such as the hotkey's Z still held after its Win key was let go. Only a
    // held arrow pressed during the show moves on.
    const bool repeat = (static_cast<DWORD>(flags) & 0x40000000u) != 0;
    if (IsArrowKey(key) && lens == LensState::ShownMagnifying)
        return !repeat || key == actingArrow ? KeyMovePointer : KeyNothing;
    if (repeat)
        return KeyNothing;
    if (!IsKeptKey(key))
        return KeyHide;
    // A hidden lens has nothing to act on.
    if (lens == LensState::Hidden)
        return KeyNothing;
    if (key == VK_SHIFT)
        return KeyCopySwatch;
    if (key == VK_CONTROL)
        return KeyCopyText;
    return KeyToggle;
}

bool ArrowTarget(WPARAM key, const MonitorSet& monitors, POINT from, POINT* to) {
    const int x = from.x + ArrowStepX(key);
    const int y = from.y + ArrowStepY(key);
    if (!IsArrowKey(key) || !OnAMonitor(monitors, x, y))
        return false;
    *to = POINT{x, y};
    return true;
}

TrayAction TrayEventAction(UINT event, UINT previous, bool lensShown, bool menuOpen) {
    switch (event) {
    case WM_LBUTTONUP: return TrayToggle;
    // The keyboard's Enter can come twice: it only shows, Esc hides.
    case NIN_KEYSELECT: return !lensShown && !menuOpen ? TrayShow : TrayNothing;
    // A right click brings WM_RBUTTONUP then WM_CONTEXTMENU: one menu.
    case WM_CONTEXTMENU:
        if (previous == WM_RBUTTONUP)
            return TrayNothing;
        [[fallthrough]];
    case WM_RBUTTONUP: return !lensShown && !menuOpen ? TrayOpenMenu : TrayNothing;
    // NIN_SELECT follows a left click's WM_LBUTTONUP.
    default: return TrayNothing;
    }
}

int WheelNotches(int* pending, int delta) {
    // A part of a notch turned the other way is dropped, so that a reversal
    // acts from its own first notch.
    if ((delta > 0 && *pending < 0) || (delta < 0 && *pending > 0))
        *pending = 0;
    *pending += delta;
    const int notches = *pending / WheelNotch;  // towards zero: the rest keeps its sign
    *pending -= notches * WheelNotch;
    return notches;
}

int SteppedFactor(int stored, int proFlag, int notches) {
    int factor = Within(stored, LowestMagnifyFactor, HighestMagnifyFactor);
    // More notches than the range has steps end at a bound all the same.
    const int range = HighestMagnifyFactor - LowestMagnifyFactor;
    const int steps = Within(notches, -range, range);
    for (int i = 0; i < (steps > 0 ? steps : -steps); ++i) {
        // Pro shows at least 6 whatever is stored; a step goes from what is shown.
        const int shown = proFlag == 1 && factor < ProLowestZoom ? ProLowestZoom : factor;
        const int lowest = proFlag == 1 ? ProLowestZoom : LowestMagnifyFactor;
        if (steps > 0)
            factor = Within(shown + 1, LowestMagnifyFactor, HighestMagnifyFactor);
        else if (shown > lowest)
            factor = shown - 1;
    }
    return factor;
}

bool HotkeyShows(bool lensShown, bool menuOpen, bool hidingKeyDown) {
    return !lensShown && !menuOpen && !hidingKeyDown;
}
