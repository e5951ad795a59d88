// Times the lens's real drawing paths under the real window system:
//   show     - ShowOrHideLens from hidden (LayoutLens, PrepareShow, overlays,
//              both windows shown) through the first paint of the lens
//   drawing  - the part of a show that draws: zoom bitmap, idle picture, paint
//   refresh  - RefreshLens, active, pointer fixed away from the lens
//   self     - RefreshLens with the lens inside the captured area
//   floor    - one StretchBlt of the same area from the screen into a memory
//              bitmap plus one BitBlt of it into the lens window
//   cursor   - one GetCursorPos, which every RefreshLens starts with
//   composed - Pro and Reading: the floor plus a masked copy done in memory
// and the peak working set of the process. Without arguments it runs every
// layout, each in a fresh process of its own so that each peak is its own.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/app.h"
#include "geometry/geometry.h"
#include "render/render.h"
#include "settings/settings.h"

namespace {

constexpr int Refreshes = 400;
// Shows are dearer than refreshes: fewer of them.
constexpr int Shows = 15;

double Now() {
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Median time of runs calls of step, each flushed so its drawing is done.
template <typename Step>
double MedianTime(int runs, const Step& step) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        step();
        GdiFlush();
        t.push_back(Now() - start);
    }
    return Median(t);
}

// The floor's own screen read: the captured area stretched into memory.
void CaptureInto(HDC memory, int px, int py) {
    const LensGeometry& g = Geometry;
    StretchBlt(memory, 0, 0, g.ImageWidth, g.ImageHeight, ScreenDC, px - g.SourceColumns / 2,
               py - g.SourceRows / 2, g.SourceColumns, g.SourceRows, SRCCOPY);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

double PeakMegabytes() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof(pmc);
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
    return static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

// The program's own windows and start-up, without the tray and the loop.
void StartLikeVellix() {
    ProgramModule = GetModuleHandleA(nullptr);
    CreateLensWindows();
    InitSettings();
    CreateDrawingResources();
}

void ChooseLayout(int mode, int factor, int format) {
    LensSettings.ProFlag = mode == ModePro ? 1 : 0;
    LensSettings.ReadingFlag = mode == ModeReading ? 1 : 0;
    LensSettings.MagnifyFactor = static_cast<int8_t>(factor);
    LensSettings.WindowFormat = static_cast<int8_t>(format);
    LensSettings.DynamicRefresh = 0;
    ApplyFormat();
}

// The show's own drawing: the new zoom bitmap, the idle picture and the
// first paint. The rest of a show is placing and mapping the two windows.
double TimeShowDrawing() {
    return MedianTime(Shows, [] {
        ReplaceSurfaceBitmap(ZoomSurface, Geometry.ImageWidth, Geometry.ImageHeight);
        BuildIdlePicture();
        InvalidateRect(LensWindow, nullptr, FALSE);
        UpdateWindow(LensWindow);
    });
}

double TimeShow() {
    const double start = Now();
    ShowOrHideLens();
    UpdateWindow(LensWindow);  // the first paint, sent at once
    const double took = Now() - start;
    return took;
}

double TimeRefreshes() {
    return MedianTime(Refreshes, [] { RefreshLens(); });
}

// A masked copy composed in memory instead of MaskBlt to the window: the
// picture ANDed with the mask, ORed with the kept pixels (black where the
// mask passes), then one plain copy. Measured to size a change of the Pro
// and Reading refresh; same area and same screen read as the floor.
double TimeComposedMaskedCopy(int px, int py) {
    const LensGeometry& g = Geometry;
    HDC memory = CreateCompatibleDC(LensDC);
    HBITMAP bitmap = CreateCompatibleBitmap(LensDC, g.ImageWidth, g.ImageHeight);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HDC maskDC = CreateCompatibleDC(LensDC);
    HBITMAP mask = CreateBitmap(g.ImageWidth, g.ImageHeight, 1, 1, nullptr);
    HGDIOBJ oldMask = SelectObject(maskDC, mask);
    PatBlt(maskDC, 0, 0, g.ImageWidth, g.ImageHeight, WHITENESS);
    HDC keptDC = CreateCompatibleDC(LensDC);
    HBITMAP kept = CreateCompatibleBitmap(LensDC, g.ImageWidth, g.ImageHeight);
    HGDIOBJ oldKept = SelectObject(keptDC, kept);
    PatBlt(keptDC, 0, 0, g.ImageWidth, g.ImageHeight, BLACKNESS);
    const double median = MedianTime(Refreshes, [&] {
        CaptureInto(memory, px, py);
        BitBlt(memory, 0, 0, g.ImageWidth, g.ImageHeight, maskDC, 0, 0, SRCAND);
        BitBlt(memory, 0, 0, g.ImageWidth, g.ImageHeight, keptDC, 0, 0, SRCPAINT);
        BitBlt(LensDC, g.ImageLeft, g.ImageTop, g.ImageWidth, g.ImageHeight, memory, 0, 0,
               SRCCOPY);
    });
    SelectObject(keptDC, oldKept);
    DeleteObject(kept);
    DeleteDC(keptDC);
    SelectObject(maskDC, oldMask);
    DeleteObject(mask);
    DeleteDC(maskDC);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return median;
}

// RefreshLens reads the pointer first; under Wine that asks the X server.
double TimeCursorReads() {
    POINT p;
    return MedianTime(Refreshes, [&] { GetCursorPos(&p); });
}

double TimeFloor(int px, int py) {
    const LensGeometry& g = Geometry;
    HDC memory = CreateCompatibleDC(LensDC);
    HBITMAP bitmap = CreateCompatibleBitmap(LensDC, g.ImageWidth, g.ImageHeight);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const double median = MedianTime(Refreshes, [&] {
        CaptureInto(memory, px, py);
        BitBlt(LensDC, g.ImageLeft, g.ImageTop, g.ImageWidth, g.ImageHeight, memory, 0, 0,
               SRCCOPY);
    });
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return median;
}

// One layout, in this process.
int MeasureLayout(int mode, int factor, int format) {
    const double before = PeakMegabytes();
    StartLikeVellix();
    ChooseLayout(mode, factor, format);

    std::vector<double> shows;
    for (int i = 0; i < Shows; ++i) {
        if (i > 0) {
            HideLens();
            Pump();
        }
        shows.push_back(TimeShow());
        Pump();
    }

    const double drawing = TimeShowDrawing();
    const LensGeometry& g = Geometry;
    // Away from the lens, and just left of it with its edge in the picture.
    const int awayX = g.SourceColumns / 2 + 10;
    const int awayY = g.SourceRows / 2 + 10;
    SetCursorPos(awayX, awayY);
    ToggleActive();
    const double refresh = TimeRefreshes();
    const double floor = TimeFloor(awayX, awayY);
    const bool masked = LensSettings.ProFlag == 1 || LensSettings.ReadingFlag == 1;
    const double composed = masked ? TimeComposedMaskedCopy(awayX, awayY) : 0.0;
    if (LensSettings.ReadingFlag == 1)
        SetCursorPos(g.ScreenWidth / 2, g.HomeY - 5);
    else
        SetCursorPos(g.HomeX - 20, g.HomeY + g.WindowHeight / 2);
    const double self = TimeRefreshes();
    const double cursor = TimeCursorReads();

    const char* names[] = {"Common", "Pro", "Reading"};
    char composedText[16] = "-";
    if (masked)
        snprintf(composedText, sizeof(composedText), "%.3f", composed);
    printf("%-8s %2d %2d %5dx%-4d %7.2f %7.2f %8.3f %8.3f %8.3f %6.2f %7.3f %8s %7.1f %7.1f\n",
           names[mode], factor, format, g.ImageWidth, g.ImageHeight, Median(shows), drawing,
           refresh, self,
           floor, refresh / floor, cursor, composedText, PeakMegabytes(), before);
    fflush(stdout);
    ReleaseDrawingResources();
    return 0;
}

int RunAll(const char* self) {
    printf("Vellix bench: medians in ms; drawing = the show's own drawing (zoom bitmap, idle\n"
           "picture, first paint), the rest of show is placing and mapping the windows;\n"
           "ratio = refresh / floor; cursor = one GetCursorPos;\n"
           "composed = floor with the masked copy done in memory (Pro, Reading);\n"
           "peak working set in MB, start = the same before the program's start-up\n");
    printf("%-8s %2s %2s %10s %7s %7s %8s %8s %8s %6s %7s %8s %7s %7s\n", "mode", "f", "fm",
           "image", "show", "drawing", "refresh", "self", "floor", "ratio", "cursor", "composed", "peak", "start");
    fflush(stdout);
    struct Run {
        int mode, factor, format;
    };
    std::vector<Run> runs;
    const int normal[] = {11, 12, 13, 14, 15, 16, 21, 22, 23, 24, 25, 26};
    // Every format at the default factor; the largest also at the largest factor.
    for (int mode : {ModeCommon, ModePro}) {
        for (int format : normal)
            runs.push_back({mode, 2, format});
        runs.push_back({mode, 10, 26});
    }
    for (int format : {31, 32, 33})
        runs.push_back({ModeReading, 2, format});
    runs.push_back({ModeReading, 10, 33});
    int failed = 0;
    for (const Run& r : runs) {
        char command[MAX_PATH + 64];
        snprintf(command, sizeof(command), "\"%s\" %d %d %d", self, r.mode, r.factor, r.format);
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                            &pi)) {
            ++failed;
            continue;
        }
        WaitForSingleObject(pi.hProcess, 120000);
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        failed += code != 0;
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    return failed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4)
        return MeasureLayout(atoi(argv[1]), atoi(argv[2]), atoi(argv[3]));
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return RunAll(self);
}
