// What is fixed for the whole run: Wine or Windows and its version, the DPI
// mode, the Dynamic timer's kind and the input layer's first way, recorded
// once at start-up. What changes while Vellix runs (monitors, DPI, HDR) is
// read where it is needed instead.
#pragma once

#include <windows.h>

struct WindowsVersionInfo {
    DWORD major, minor, build;
};

// The DPI awareness the manifest gives each Windows version.
enum DpiMode { DpiSystemAware, DpiPerMonitor, DpiPerMonitorV2 };

// Dynamic refresh every 10 ms: a high-resolution waitable timer that the
// message loop waits on, a periodic timer with the system timer raised to
// 1 ms, or the plain periodic timer.
enum DynamicTimerKind {
    DynamicTimerNone,
    DynamicTimerPlain,
    DynamicTimerRaisedResolution,
    DynamicTimerWaitable
};

// The ways of keeping the input layer out of the screen reads, in the order
// they are tried. The self-check after each show walks them: only a
// "blended" verdict moves on to the next way.
enum LayerWay {
    LayerAlphaZero,      // Wine: alpha 0, where X still gives the layer the input
    LayerExcluded,       // black at alpha 1, excluded from capture (build 19041+)
    LayerNoRedirection,  // a window without redirection surface: nothing to blend
    LayerAlphaOne,       // black at alpha 1; its blend undone where the check finds it
};

struct RunFacts {
    bool Wine;                   // Wine, not Windows: its ntdll has wine_get_version
    WindowsVersionInfo Windows;  // the real version, whatever the manifest says
    DpiMode Dpi;                 // the awareness the manifest gives that version
    DynamicTimerKind Timer;      // how a Dynamic lens ticks
    // The system the input layer's ways are chosen for: the one that runs, or
    // under the test build's second program Windows 10 2004 although Wine runs.
    WindowsVersionInfo LayerSystem;
    LayerWay FirstLayer;
};

// Once, at start-up, after InitDynCalls (settings/system_calls.h).
void RecordRunFacts();
extern const RunFacts& ThisRun;
// Tests only: the run taken as having these facts.
void SetRunFactsForTest(const RunFacts& facts);

// The parts of the record, each worked out from what it depends on.
WindowsVersionInfo WindowsVersion();
DpiMode DpiModeFor(const WindowsVersionInfo& v);
DynamicTimerKind DynamicTimerFor(const WindowsVersionInfo& v, bool wine);
bool ExcludeFromCaptureSupported(const WindowsVersionInfo& v);
// The first way for this system. windowsPath: the layer is made as on
// Windows even under Wine (only the test build's second program does that).
LayerWay FirstLayerWay(const WindowsVersionInfo& v, bool wine, bool windowsPath);
// The way tried when this one is refused or found blended; the last is its own.
LayerWay WayAfter(LayerWay way, const WindowsVersionInfo& v, bool wine);
