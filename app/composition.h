// What Vellix asks of the desktop's composition (app/composition.cpp).
#pragma once

#include <windows.h>

// The lens and the input layer fade in and out at once (DWM's transitions off).
void DisableTransitions(HWND window);
// Windows 11 rounds a window's corners unless asked not to.
void KeepSquareCorners(HWND window);
// Waits for DWM's next composition; false where there is no DWM to wait for.
bool WaitForComposition();
