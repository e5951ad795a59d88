// Times the lens's real drawing paths under the real window system:
//   show     - ShowOrHideLens from hidden (LayoutLens, PrepareShow, overlays,
//              both windows shown) through the first paint of the lens
//   drawing  - the part of a show that draws: zoom bitmap, idle picture, paint
//   refresh  - RefreshLens, active, pointer fixed away from the lens, the
//              window's picture forgotten before each so that every one copies
//   still    - RefreshLens over the same still picture: nothing to copy
//   self     - RefreshLens with the lens inside the captured area
//   floor    - one StretchBlt of the same area from the screen into a memory
//              bitmap plus one BitBlt of it into the lens window
//   cursor   - one GetCursorPos, which every RefreshLens starts with (an X
//              round trip under Wine that the floor does not pay)
//   bare     - (refresh - cursor) / floor
//   grid     - Pro: building the grid overlay and its mask
//   try      - one try of the self-check of the screen reads on the Windows
//              path: the patch read, DWM's next composition (none under
//              Wine), read again and judged; a show makes up to four
//   check    - the whole self-check of a show as it runs here, its own time
//              only (not the frames it waits between its tries)
//   undone   - refresh with the input layer's blend undone in every read
//   mean     - Pro: what reading the mean of 5 x 5 adds to a refresh that
//              reads one pixel, in microseconds (the two in turns in one loop)
// and the peak working set of the process. Without arguments it runs every
// layout, each in a fresh process of its own so that each peak is its own.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/colour_check.h"
#include "app/ids.h"
#include "app/lens.h"
#include "driver.h"
#include "geometry/geometry.h"
#include "render/render.h"
#include "settings/settings.h"

namespace {

constexpr int Refreshes = 400;
// Shows are dearer than refreshes: fewer of them.
constexpr int Shows = 15;
// Longer than Wine keeps the pointer position it set (100 ms).
constexpr DWORD PointerCacheMs = 150;

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
    return MedianTime(Refreshes, [] {
        ForgetShownPicture();
        RefreshLens();
    });
}

double TimeStillRefreshes() {
    RefreshLens();
    return MedianTime(Refreshes, [] { RefreshLens(); });
}

// One try of the check of the reads, on the shown lens.
double TimeCheckTry() {
    return MedianTime(Refreshes, [] {
        ReadBlend blend = ReadBlendNone;
        ColourCheckTry(&blend);
    });
}

// The whole check of a show, its ticks a frame apart as its timer gives
// them; only the ticks' own time counts.
double TimeWholeCheck() {
    std::vector<double> t;
    for (int i = 0; i < Shows; ++i) {
        AskColourCheck();
        StartColourCheckIfAsked();
        double own = 0;
        while (ColourCheckRunning()) {
            Sleep(FrameMs);
            const double start = Now();
            ColourCheckTick();
            own += Now() - start;
        }
        t.push_back(own);
    }
    return Median(t);
}

// A refresh with the blend of a black layer at alpha 1 undone in its reads.
double TimeUndoneRefreshes() {
    SetReadsUnblend(ReadBlendRounded);
    const double t = TimeRefreshes();
    SetReadsUnblend(ReadBlendNone);
    return t;
}

// Building the Pro grid overlay and its mask, as a show with a new layout does.
double TimeGridBuild() {
    return MedianTime(Shows, [] {
        ForgetBuiltOverlay();
        BuildProOverlay();
    });
}


struct RefreshFigures {
    double refresh, floor, cursor;
};

// Refresh, floor and pointer read taken in turns within one loop, so that the
// load of the machine, which drifts, weighs on all three alike.
RefreshFigures TimeRefreshAgainstFloor(int px, int py) {
    const LensGeometry& g = Geometry;
    HDC memory = CreateCompatibleDC(LensDC);
    HBITMAP bitmap = CreateCompatibleBitmap(LensDC, g.ImageWidth, g.ImageHeight);
    HGDIOBJ old = SelectObject(memory, bitmap);
    std::vector<double> refresh, floor, cursor;
    auto timed = [](std::vector<double>& into, auto step) {
        const double start = Now();
        step();
        GdiFlush();
        into.push_back(Now() - start);
    };
    POINT p;
    for (int i = 0; i < Refreshes; ++i) {
        timed(refresh, [] {
            ForgetShownPicture();
            RefreshLens();
        });
        timed(floor, [&] {
            CaptureInto(memory, px, py);
            BitBlt(LensDC, g.ImageLeft, g.ImageTop, g.ImageWidth, g.ImageHeight, memory, 0, 0,
                   SRCCOPY);
        });
        timed(cursor, [&] { GetCursorPos(&p); });
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return {Median(refresh), Median(floor), Median(cursor)};
}

// Pro refreshes reading one pixel and the mean of 5 x 5, taken in turns
// within one loop so that the machine's drifting load weighs on both alike.
struct MeanFigures {
    double one, five;
};
MeanFigures TimeMeanAgainstOnePixel() {
    std::vector<double> one, five;
    for (int i = 0; i < Refreshes; ++i)
        for (SampleSize sample : {SampleSize::One, SampleSize::Five}) {
            LensSettings.Sample = sample;
            const double start = Now();
            ForgetShownPicture();
            RefreshLens();
            GdiFlush();
            (sample == SampleSize::One ? one : five).push_back(Now() - start);
        }
    LensSettings.Sample = SampleSize::One;
    return {Median(one), Median(five)};
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
    const double checkTry = TimeCheckTry();
    const double check = TimeWholeCheck();
    const LensGeometry& g = Geometry;
    // Away from the lens, and just left of it with its edge in the picture.
    const int awayX = g.SourceColumns / 2 + 10;
    const int awayY = g.SourceRows / 2 + 10;
    SetCursorPos(awayX, awayY);
    ToggleActive();
    // Wine answers GetCursorPos from the position it last set for 100 ms,
    // then with an X round trip; the small layouts' turns take 40-100 ms,
    // so their medians fell on either side by chance. Taken past the window,
    // as a live lens over a still pointer reads it.
    Sleep(PointerCacheMs);
    const RefreshFigures figures = TimeRefreshAgainstFloor(awayX, awayY);
    const double refresh = figures.refresh;
    const double floor = figures.floor;
    const double still = TimeStillRefreshes();
    const bool pro = LensSettings.ProFlag == 1;
    const double grid = pro ? TimeGridBuild() : 0.0;
    const MeanFigures mean = pro ? TimeMeanAgainstOnePixel() : MeanFigures{0.0, 0.0};
    if (LensSettings.ReadingFlag == 1)
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2, g.HomeY - 5);
    else
        SetCursorPos(g.HomeX - 20, g.HomeY + g.WindowHeight / 2);
    const double self = TimeRefreshes();
    const double cursor = figures.cursor;
    SetCursorPos(awayX, awayY);
    const double undone = TimeUndoneRefreshes();

    const char* names[] = {"Common", "Pro", "Reading"};
    char gridText[16] = "-";
    char meanText[16] = "-";
    if (pro) {
        snprintf(gridText, sizeof(gridText), "%.2f", grid);
        snprintf(meanText, sizeof(meanText), "%.1f", (mean.five - mean.one) * 1000.0);
    }
    printf("%-8s %2d %2d %5dx%-4d %7.2f %7.2f %8.3f %8.3f %8.3f %8.3f %6.2f %7.3f %5.2f %6s %6.3f "
           "%6.3f %7.3f %7.1f %7.1f %6s\n",
           names[mode], factor, format, g.ImageWidth, g.ImageHeight, Median(shows), drawing,
           refresh, still, self, floor, refresh / floor, cursor, (refresh - cursor) / floor,
           gridText, checkTry, check, undone, PeakMegabytes(), before, meanText);
    fflush(stdout);
    ReleaseDrawingResources();
    return 0;
}

int RunAll(const char* self) {
    printf("Vellix bench: medians in ms; drawing = the show's own drawing (zoom bitmap, idle\n"
           "picture, first paint), the rest of show is placing and mapping the windows;\n"
           "still = a refresh over an unchanged picture; ratio = refresh / floor;\n"
           "cursor = one GetCursorPos; bare = (refresh - cursor) / floor;\n"
           "grid = Pro grid overlay and mask build; try = one try of the check of the\n"
           "screen reads on the Windows path; check = a show's whole check, its own time;\n"
           "undone = refresh with the layer's blend undone in its reads;\n"
           "peak working set in MB, start = the same before the program's start-up;\n"
           "mean = what the 5x5 mean adds to a Pro refresh of one pixel, in us\n");
    printf("%-8s %2s %2s %10s %7s %7s %8s %8s %8s %8s %6s %7s %5s %6s %6s %6s %7s %7s %7s %6s\n",
           "mode", "f", "fm", "image", "show", "drawing", "refresh", "still", "self", "floor",
           "ratio", "cursor", "bare", "grid", "try", "check", "undone", "peak", "start", "mean");
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

// Live refresh for the CPU count that scripts/bench makes from outside: the
// real program with Dynamic refresh, its lens active at the default layout
// over a still picture, for the given seconds; then the program ends and the
// picture stays as long again for another magnifier to show it.
int RunLive(int seconds) {
    const std::string dir = MakeTempDirectory();
    WriteFileBytes(dir + "\\Profile_A.ini",
                   "Configuration=0;\r\nMagnify Factor=2;\r\nWindow Format=24;\r\n"
                   "Pixel Format=1;\r\nBase=1;\r\nDynamic=1;\r\nSound=0;");
    VellixRun run;
    if (!StartVellix(run, dir))
        return 1;
    const LensGeometry g = GeometryFor(2, 24, 0);
    const int px = 300, py = 300;
    PatternWindow pattern;
    const RECT area = CapturedArea(g, px, py);
    ShowPattern(pattern, area, PatternColour);
    ShowLens(run);
    MovePointer(run, px, py);
    SendKey(run.overlay, VK_SPACE);
    const bool live = WaitMagnified(run, g, px, py);
    // Waits on messages, not a poll: this process must not count in the figures.
    auto stay = [](int s) {
        const DWORD end = GetTickCount() + static_cast<DWORD>(s) * 1000;
        while (GetTickCount() < end) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
            Pump();
        }
    };
    printf("live %s %dx%d+%ld+%ld\n", live ? "ok" : "not-magnifying", g.SourceColumns,
           g.SourceRows, area.left, area.top);
    fflush(stdout);
    stay(seconds);
    KillVellix(run);
    printf("vellix-done\n");
    fflush(stdout);
    stay(seconds);
    ClosePattern(pattern);
    return live ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[2], "live") == 0)
        return RunLive(atoi(argv[3]));
    if (argc == 4)
        return MeasureLayout(atoi(argv[1]), atoi(argv[2]), atoi(argv[3]));
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return RunAll(self);
}
