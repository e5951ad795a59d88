// The lens controller (app/controller.cpp): show, hide, activate, refresh,
// the wheel's steps and the mode cursor; it alone writes the lens's state.
#pragma once

#include <windows.h>

#include "settings/shared.h"

// The lens's state, read everywhere through LensShown() and LensActive()
// (settings/shared.h); with it, whether the tray menu is closed. At start-up:
// hidden, the menu closed, a first show to come.
void ResetLensState();
bool MenuIdle();  // the tray menu is not open
void TrayMenuOpening();
void TrayMenuClosed();
// Tests only: the lens taken as in that state, its windows untouched.
void SetLensStateForTest(LensState state);

void ShowOrHideLens();
void HideLens();
void ToggleActive();
void RefreshFromPointer();
void PaintLens();  // paints nothing until the drawing objects exist and while hidden
// The hotkey: the lens shown, magnifying, with the keyboard on the input layer.
void ShowLensMagnifying();
// A turn of the wheel (its delta) while the lens is shown: whole notches change
// the factor at once; nothing while hidden.
void WheelTurned(int delta);
// One Dynamic tick, from either timer.
void DynamicTick();
void SetModeCursor();
HCURSOR ModeCursor();  // the cursor of the lens's mode
// Sets the mode cursor unless it is known to be the one shown.
void KeepModeCursor();
// A WM_SETCURSOR came: the system or DefWindowProc may have shown another.
void ForgetModeCursor();
