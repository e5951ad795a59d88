// The record of what is fixed for the run, and how each fact is found.
#include "app/run_facts.h"

#include "app/windows_path.h"
#include "settings/system_calls.h"

namespace {

RunFacts Facts{false, {}, DpiSystemAware, DynamicTimerPlain, {}, LayerAlphaZero};

}  // namespace

const RunFacts& ThisRun = Facts;

void RecordRunFacts() {
    Facts.Wine = DynCalls.WineGetVersion != nullptr;
    Facts.Windows = WindowsVersion();
    Facts.Dpi = DpiModeFor(Facts.Windows);
    Facts.Timer = DynamicTimerFor(Facts.Windows, Facts.Wine);
    Facts.LayerSystem = Facts.Windows;
    WindowsVersionInfo asIf{};
    const bool windowsPath = !Facts.Wine || WindowsPathUnderWine(&asIf);
    if (Facts.Wine && windowsPath)
        Facts.LayerSystem = asIf;
    Facts.FirstLayer = FirstLayerWay(Facts.LayerSystem, Facts.Wine, windowsPath);
}

void SetRunFactsForTest(const RunFacts& facts) {
    Facts = facts;
}

WindowsVersionInfo WindowsVersion() {
    // GetVersionEx answers what the manifest declares; RtlGetVersion the truth.
    WindowsVersionInfo v{};
    RTL_OSVERSIONINFOW record{};
    record.dwOSVersionInfoSize = sizeof(record);
    if (DynCalls.RtlGetVersion && DynCalls.RtlGetVersion(&record) == 0) {
        v.major = record.dwMajorVersion;
        v.minor = record.dwMinorVersion;
        v.build = record.dwBuildNumber;
    }
    return v;
}

DpiMode DpiModeFor(const WindowsVersionInfo& v) {
    // dpiAwareness is read from Windows 10 1607 (build 14393), PerMonitorV2
    // known from 1703 (15063); before 1607 "true/pm" is read instead, whose
    // "/pm" means per monitor from Windows 8.1 (6.3) on.
    if (v.major > 10 || (v.major == 10 && v.build >= 15063))
        return DpiPerMonitorV2;
    if (v.major == 10 || (v.major == 6 && v.minor >= 3))
        return DpiPerMonitor;
    return DpiSystemAware;
}

DynamicTimerKind DynamicTimerFor(const WindowsVersionInfo& v, bool wine) {
    // Wine's timers already tick every 10 ms, and its periodic timer is what
    // the live benchmark measured; a wait in the message loop would only add
    // wineserver round trips.
    if (wine)
        return DynamicTimerPlain;
    // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION comes with Windows 10 1803 (build 17134).
    if (v.major > 10 || (v.major == 10 && v.build >= 17134))
        return DynamicTimerWaitable;
    // Elsewhere SetTimer fires at the system timer's rate, 15.6 ms by default.
    return DynamicTimerRaisedResolution;
}

bool ExcludeFromCaptureSupported(const WindowsVersionInfo& v) {
    // Windows 10 version 2004 is build 19041; Windows 11 still says 10.0.
    return v.major > 10 || (v.major == 10 && v.build >= 19041);
}

LayerWay WayAfter(LayerWay way, const WindowsVersionInfo& v, bool wine) {
    // WS_EX_NOREDIRECTIONBITMAP comes with Windows 8 (6.2). Wine composes
    // such a window as opaque black (seen here): never under Wine.
    const bool noRedirection = !wine && (v.major > 6 || (v.major == 6 && v.minor >= 2));
    switch (way) {
    case LayerExcluded: return noRedirection ? LayerNoRedirection : LayerAlphaOne;
    case LayerNoRedirection: return LayerAlphaOne;
    case LayerAlphaZero:
    case LayerAlphaOne: break;
    }
    return way;
}

LayerWay FirstLayerWay(const WindowsVersionInfo& v, bool wine, bool windowsPath) {
    // Wine reads the composited X screen, where an alpha-1 layer can dim every
    // read by one level; X delivers input at alpha 0 all the same.
    if (wine && !windowsPath)
        return LayerAlphaZero;
    if (ExcludeFromCaptureSupported(v))
        return LayerExcluded;
    return WayAfter(LayerExcluded, v, wine);
}
