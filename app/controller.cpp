// The lens controller: show, hide, activate and refresh.
#include "app/lens.h"

#include "app/accessibility_shortcuts.h"
#include "app/colour_check.h"
#include "app/dynamic_timer.h"
#include "app/input_layer.h"
#include "app/input_rules.h"
#include "app/shell.h"
#include "app/tray.h"
#include "avoidance/avoidance.h"
#include "geometry/geometry.h"
#include "menu/menu.h"
#include "render/render.h"
#include "settings/settings.h"

namespace {

// The lens's state: the shell's alone, read below through settings/shared.h.
LensState State = LensState::Hidden;
bool MenuOpen;          // the tray menu is open: the lens cannot be shown meanwhile
bool FirstShow = true;  // the first show comes with SW_SHOWNORMAL

// The mode cursor last set, until a WM_SETCURSOR says the system may have
// shown another. Under Wine every SetCursor is a round trip to the wineserver,
// which a Dynamic tick over a still pointer would otherwise pay 100 times a
// second for a cursor that is already the mode's.
HCURSOR CursorSet;

// The wheel's turn not yet a whole notch.
int WheelPending;

bool OverlayMode() {
    return LensSettings.ProFlag == 1 || LensSettings.ReadingFlag == 1;
}

// The Pro grid or the Reading guide, with its mask, for the current layout.
void BuildModeOverlay() {
    if (LensSettings.ProFlag == 1)
        BuildProOverlay();
    else if (LensSettings.ReadingFlag == 1)
        BuildReadingMask();
}

// The factor of the active profile, stepped while the lens is shown: laid
// out, placed and rebuilt as a show at that factor would, and drawn at once.
void StepFactor(int notches) {
    const int factor = SteppedFactor(LensSettings.MagnifyFactor, LensSettings.ProFlag, notches);
    if (factor == LensSettings.MagnifyFactor)
        return;
    LensSettings.MagnifyFactor = static_cast<int8_t>(factor);
    SyncMenuChecks();
    ApplyFormat();
    LayoutLens();
    UpdateTrayTip();
    // Where it stands now, or is going: a lens stepped aside stays aside
    // rather than landing on the pointer for a moment.
    ReshapeShownLens(Dodged());
    BuildModeOverlay();
    RedrawWindow(LensWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME |
                 RDW_UPDATENOW);
    // A larger lens may now cover the pointer.
    CheckDodge();
}

void ShowBothWindows() {
    const int how = FirstShow ? SW_SHOWNORMAL : SW_SHOW;
    FirstShow = false;
    ShowWindow(LensWindow, how);
    ShowWindow(InputOverlay, how);
}

}  // namespace

const LensState& ShellLensState = State;

void ResetLensState() {
    State = LensState::Hidden;
    MenuOpen = false;
    FirstShow = true;
}

void SetLensStateForTest(LensState state) {
    State = state;
}

bool MenuIdle() {
    return !MenuOpen;
}

void TrayMenuOpening() {
    MenuOpen = true;
}

void TrayMenuClosed() {
    MenuOpen = false;
}

HCURSOR ModeCursor() {
    if (LensSettings.ReadingFlag == 1)
        return ReadingCursor;
    if (LensSettings.ProFlag == 1)
        return ProCursor;
    return CommonCursor;
}

void SetModeCursor() {
    CursorSet = ModeCursor();
    SetCursor(CursorSet);
}

void KeepModeCursor() {
    if (CursorSet != ModeCursor())
        SetModeCursor();
}

void ForgetModeCursor() {
    CursorSet = nullptr;
}

void ShowOrHideLens() {
    SetModeCursor();
    // A click while the tray menu is open is ignored: showing the lens then
    // would leave the menu's state stuck and the lens could never be shown again.
    if (MenuOpen)
        return;
    if (State != LensState::Hidden) {
        HideLens();
        return;
    }
    State = LensState::ShownIdle;
    // The display may have changed since the last show (resolution, primary
    // monitor, taskbar): the whole layout is worked out again from the settings.
    ApplyFormat();
    LayoutLens();
    // The last check may have moved on to another way of keeping the layer
    // out of the reads: its window is made now, while hidden.
    PrepareInputLayer();
    PrepareShow();
    BuildModeOverlay();
    ShowBothWindows();
    // The lens's Shift copies must not open the Sticky Keys prompt.
    AccessibilityShortcutsAt(ShortcutMoment::Show);
    // Once the lens is up: its first paint starts the check of the reads.
    AskColourCheck();
}

void ShowLensMagnifying() {
    if (LensShown())
        return;
    ShowOrHideLens();
    if (!LensShown())
        return;
    // The program that received the hotkey may take the foreground: Esc,
    // Space, Ctrl and Shift reach the input layer from the first press.
    SetForegroundWindow(InputOverlay);
    SetFocus(InputOverlay);
    ToggleActive();
}

void WheelTurned(int delta) {
    if (!LensShown())
        return;
    const int notches = WheelNotches(&WheelPending, delta);
    if (notches != 0)
        StepFactor(notches);
}

void HideLens() {
    State = LensState::Hidden;
    ForgetActingArrow();
    WheelPending = 0;
    StopColourCheck();
    if (LensSettings.DynamicRefresh == 1)
        StopDynamicTimer();
    AccessibilityShortcutsAt(ShortcutMoment::Hide);
    ShowWindow(LensWindow, SW_HIDE);
    ShowWindow(InputOverlay, SW_HIDE);
    ResetAvoidance();
}

void ToggleActive() {
    // Only a shown lens magnifies; its windows alone take the clicks and keys
    // that toggle it.
    if (State == LensState::Hidden)
        return;
    State = State == LensState::ShownMagnifying ? LensState::ShownIdle
                                                 : LensState::ShownMagnifying;
    if (State == LensState::ShownMagnifying) {
        if (OverlayMode())
            BlitOverlay();
        if (LensSettings.DynamicRefresh == 1)
            StartDynamicTimer();
    } else if (LensSettings.DynamicRefresh == 1) {
        StopDynamicTimer();
    }
    RefreshLens();
}

void RefreshFromPointer() {
    KeepModeCursor();
    // While a pause runs, the lens may not stand where it was asked to go yet.
    if (DodgeArmed() && LensActive()) {
        RefreshLens();
        CheckDodge();
    }
    if (!LensActive())
        CheckDodge();
}

void DynamicTick() {
    RefreshFromPointer();
}

void PaintLens() {
    // A paint can arrive before the drawing objects exist, or while hidden.
    if (!Initialised() || !LensShown())
        return;
    ForgetShownPicture();
    if (LensActive() && OverlayMode())
        BlitOverlay();
    RefreshLens();
    DrawCheckPatch();
    StartColourCheckIfAsked();
}
