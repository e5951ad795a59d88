// The program's drawing objects made for real in a test process: a hidden lens
// window with its own DC, then the start-up steps that make every object.
#pragma once

#include <windows.h>

#include <vector>

#include "app/lens.h"
#include "geometry/geometry.h"
#include "render/render.h"
#include "settings/settings.h"
#include "support.h"

// A small desktop, so that even the layouts with the largest zoom stay small.
inline SystemFacts SmallDesktop() {
    return Desk(0, 0, 400, 300, 400, 320);
}

inline void UseLayout(int mode, int factor, int format, const SystemFacts& facts = SmallDesktop()) {
    LensSettings.ProFlag = mode == ModePro ? 1 : 0;
    LensSettings.ReadingFlag = mode == ModeReading ? 1 : 0;
    LensSettings.MagnifyFactor = static_cast<int8_t>(factor);
    LensSettings.WindowFormat = static_cast<int8_t>(format);
    Geometry = LaidOut(factor, format, LensSettings.ProFlag, facts);
}

inline LRESULT CALLBACK PlainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, m, wp, lp);
}

// Makes the lens window, LensDC and every drawing object, as start-up does.
inline void StartDrawing() {
    ProgramModule = GetModuleHandleA(nullptr);
    static bool registered;
    if (!registered) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_OWNDC;
        wc.lpfnWndProc = PlainWindowProc;
        wc.hInstance = ProgramModule;
        wc.lpszClassName = "VellixDrawingTest";
        RegisterClassExA(&wc);
        registered = true;
    }
    LensWindow = CreateWindowExA(WS_EX_TOOLWINDOW, "VellixDrawingTest", "lens", WS_POPUP, 0, 0, 100,
                                 100, nullptr, nullptr, ProgramModule, nullptr);
    LensDC = GetDC(LensWindow);
    SetInitialisedForTest(false);
    SetLensStateForTest(LensState::Hidden);
    UseLayout(ModeCommon, 2, 24);
    Geometry.ImageWidth = 0;  // start-up builds the idle picture before any layout
    Geometry.ImageHeight = 0;
    CreateEarlyDrawingObjects();
    CreateDrawingResources();
}

inline void StopDrawing() {
    ReleaseDrawingResources();
    ReleaseDC(LensWindow, LensDC);
    DestroyWindow(LensWindow);
    LensWindow = nullptr;
    LensDC = nullptr;
}
