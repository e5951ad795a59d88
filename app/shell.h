// The two window procedures (app/shell.cpp), thin: one handler per message.
#pragma once

#include <windows.h>

LRESULT CALLBACK LensProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK InputLayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The lens is hidden: a held arrow's repeats no longer act.
void ForgetActingArrow();
