// The program's drawing objects made for real in a test process: a hidden lens
// window with its own DC, then the start-up steps that make every object.
#pragma once

#include <windows.h>

#include <vector>

#include "app/app.h"
#include "geometry/geometry.h"
#include "render/render.h"
#include "settings/settings.h"
#include "support.h"

// A small desktop, so that even the layouts with the largest zoom stay small.
inline SystemFacts SmallDesktop() {
    SystemFacts f{};
    f.WorkArea = {0, 0, 400, 300};
    f.CxBorder = 1;
    f.CyBorder = 1;
    f.CxDlgFrame = 3;
    f.ScreenWidth = 400;
    f.ScreenHeight = 320;
    return f;
}

inline void UseLayout(int mode, int factor, int format, const SystemFacts& facts = SmallDesktop()) {
    LensSettings.ProFlag = mode == ModePro ? 1 : 0;
    LensSettings.ReadingFlag = mode == ModeReading ? 1 : 0;
    LensSettings.MagnifyFactor = static_cast<int8_t>(factor);
    LensSettings.WindowFormat = static_cast<int8_t>(format);
    ComputeFormat(Geometry, factor, format, LensSettings.ProFlag, facts);
    ComputeLayout(Geometry, LensSettings.ProFlag, facts);
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
    Initialised = 0;
    LensShown = 0;
    LensActive = 0;
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

// A 32-bit top-down DIB section in its own memory DC: pixels that can be read directly.
struct PixelSurface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    DWORD* bits = nullptr;
    int width = 0, height = 0;

    PixelSurface(int w, int h) : width(w), height(h) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        void* p = nullptr;
        bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<DWORD*>(p);
        old = SelectObject(dc, bitmap);
    }
    ~PixelSurface() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    PixelSurface(const PixelSurface&) = delete;
    PixelSurface& operator=(const PixelSurface&) = delete;

    // Copies w x h pixels of another DC in.
    void CopyFrom(HDC source) {
        BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
        GdiFlush();
    }
    COLORREF At(int x, int y) const {
        const DWORD p = bits[static_cast<size_t>(y) * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
};
