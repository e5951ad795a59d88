// Colours proven on the user's own machine: the ways of keeping the input
// layer out of the screen reads, and the self-check after each show that
// compares the patch the lens drew with what the screen gives back and walks
// the ways by its verdict.
#include "app/app.h"

#include <dwmapi.h>

#include <cstring>

#include "render/render.h"

LayerWay LayerWayInForce = LayerAlphaZero;
LayerPlan NextShowLayer = FirstLayerPlan(LayerAlphaZero);
ReadsVerdict ColoursVerdict = ReadsUnproven;
bool ColoursOnHdr;

namespace {

// The system the ways are chosen for.
WindowsVersionInfo LayerSystem;
bool LayerWine;

// The check of this show.
bool CheckAsked;    // the next paint of the lens starts it
bool CheckRunning;  // its timer runs
int TriesLeft;
bool HavePrevious;  // under Wine: the previous tick's read, a frame ago
uint32_t PreviousRead[CheckPatchPixelCount];

// dwmapi.dll is looked up at run time, so that Windows XP, which has none,
// still starts Vellix; loaded once, for the run.
HMODULE DwmApi() {
    static const HMODULE module = LoadSystemLibrary("dwmapi.dll");
    return module;
}

template <typename Proc>
Proc DwmCall(const char* name) {
    return LateFunction<Proc>(DwmApi(), name);
}

// A window attribute of 32 bits (a BOOL or an enumeration's value).
void SetWindowAttribute(HWND window, DWORD attribute, DWORD value) {
    using SetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    if (const auto set = DwmCall<SetAttribute>("DwmSetWindowAttribute"))
        set(window, attribute, &value, sizeof(value));
}

// A layered window stays see-through yet takes the pointer and the keys; a
// window that paints nothing would be composed as black. Windows lets clicks
// through at alpha 0, so there it is alpha 1, painted black by its class so
// that its blend, if any, is known. A window without redirection surface has
// nothing to compose at all; it is hit-tested by its rectangle by the general
// rules for windows, which nothing documents for this style.
HWND CreateLayerWindow(LayerWay way) {
    const DWORD style =
        WS_EX_TOOLWINDOW | (way == LayerNoRedirection ? NoRedirectionBitmapStyle : WS_EX_LAYERED);
    HWND layer = CreateWindowExA(style, OVERLAY_CLASS_NAME, LENS_WINDOW_TITLE, WS_POPUP, 0, 0, 100,
                                 100, nullptr, nullptr, ProgramModule, nullptr);
    if (!layer)
        return nullptr;
    if (way != LayerNoRedirection)
        SetLayeredWindowAttributes(layer, 0, way == LayerAlphaZero ? 0 : 1, LWA_ALPHA);
    DisableTransitions(layer);
    return layer;
}

// Under Wine one read a tick, each compared with the one a frame before.
ReadsVerdict PacedTry(ReadBlend* blend) {
    *blend = ReadBlendNone;
    uint32_t now[CheckPatchPixelCount];
    const bool read = ReadCheckPatch(now);
    const bool stable =
        read && HavePrevious && std::memcmp(now, PreviousRead, sizeof(now)) == 0;
    HavePrevious = read;
    if (read)
        std::memcpy(PreviousRead, now, sizeof(now));
    return stable ? JudgeReads(CheckPatchPixels, now, CheckPatchPixelCount, blend)
                  : ReadsUnproven;
}

}  // namespace

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

LayerPlan FirstLayerPlan(LayerWay way) {
    return LayerPlan{way, ReadBlendNone, way, ReadBlendNone, false};
}

LayerVerdictOutcome PlanAfterCheck(const LayerPlan& now, ReadsVerdict verdict, ReadBlend blend,
                                   const WindowsVersionInfo& v, bool wine) {
    switch (verdict) {
    case ReadsBlended: {
        // The blend just identified is undone at once, whatever way blends.
        const LayerWay after = WayAfter(now.way, v, wine);
        if (after == now.way || now.settled)
            return {{now.way, blend, now.way, blend, now.settled}, blend};
        return {{after, ReadBlendNone, now.way, blend, false}, blend};
    }
    case ReadsExact: return {FirstLayerPlan(now.way), ReadBlendNone};
    case ReadsUnproven: break;
    }
    // A way tried after a blended one that proves nothing: back to the blended
    // way and its table, for good. Its own reads keep no table meanwhile.
    if (now.back != now.way)
        return {{now.back, now.backBlend, now.back, now.backBlend, true}, ReadBlendNone};
    // Nothing new: a blend proven before still holds.
    return {now, now.blend};
}

const wchar_t* ColoursPhrase(ReadsVerdict verdict, bool hdr) {
    // There the screen's reads are tone-mapped: only a proof of exact reads
    // says more than that.
    if (hdr && verdict != ReadsExact)
        return L"colours approximate (HDR)";
    switch (verdict) {
    case ReadsExact: return L"colours exact";
    case ReadsBlended: return L"colours within one level";
    case ReadsUnproven: break;
    }
    return L"colours unproven";
}

std::wstring TipTrailing(ReadsVerdict verdict, bool hdr, bool unsaved) {
    std::wstring trailing = ColoursPhrase(verdict, hdr);
    if (unsaved)
        trailing += L", settings not saved";
    return trailing;
}

void ChooseLayerWay() {
    LayerWine = RunningUnderWine();
    LayerSystem = WindowsVersion();
    WindowsVersionInfo asIf{};
    const bool windowsPath = !LayerWine || WindowsPathUnderWine(&asIf);
    if (LayerWine && windowsPath)
        LayerSystem = asIf;
    NextShowLayer = FirstLayerPlan(FirstLayerWay(LayerSystem, LayerWine, windowsPath));
}

void MakeInputLayer() {
    if (InputOverlay)
        DestroyWindow(InputOverlay);
    InputOverlay = nullptr;
    LayerWay way = NextShowLayer.way;
    for (;;) {
        InputOverlay = CreateLayerWindow(way);
        if (!InputOverlay || way != LayerExcluded || ExcludeFromCaptures(InputOverlay))
            break;
        // Refused: the next way, on a window of its own.
        DestroyWindow(InputOverlay);
        way = WayAfter(way, LayerSystem, LayerWine);
    }
    // A way refused is no way proven: the plan starts again from the one made.
    if (way != NextShowLayer.way)
        NextShowLayer = FirstLayerPlan(way);
    LayerWayInForce = way;
}

void PrepareInputLayer() {
    if (NextShowLayer.way != LayerWayInForce)
        MakeInputLayer();
    SetReadsUnblend(NextShowLayer.blend);
}

void DisableTransitions(HWND window) {
    SetWindowAttribute(window, DWMWA_TRANSITIONS_FORCEDISABLED, TRUE);
}

void KeepSquareCorners(HWND window) {
    // A system that does not know the attribute refuses it: nothing to round there.
    SetWindowAttribute(window, DWMWA_WINDOW_CORNER_PREFERENCE, DWMWCP_DONOTROUND);
}

bool WaitForComposition() {
    using Flush = HRESULT(WINAPI*)();
    const auto flush = DwmCall<Flush>("DwmFlush");
    return flush && SUCCEEDED(flush());
}

void AskColourCheck() {
    StopColourCheck();
    CheckAsked = true;
}

void StartColourCheckIfAsked() {
    if (!CheckAsked)
        return;
    CheckAsked = false;
    GdiFlush();
    CheckRunning = true;
    HavePrevious = false;
    // Under Wine DwmFlush returns at once, and the compositor shows a newly
    // shown window 20-70 ms later, the layer often after the lens (seen on
    // xcompmgr and xfwm4): a read at once could find the lens without the
    // layer over it. So the first read waits for the compositor and each one
    // after is compared with the one a frame before it.
    TriesLeft = ColourCheckTries + (LayerWine ? 1 : 0);
    SetTimer(LensWindow, ColourCheckTimer, LayerWine ? WineCompositorMs : FrameMs, nullptr);
}

ReadsVerdict ColourCheckTry(ReadBlend* blend) {
    *blend = ReadBlendNone;
    uint32_t first[CheckPatchPixelCount];
    uint32_t second[CheckPatchPixelCount];
    if (!ReadCheckPatch(first))
        return ReadsUnproven;
    // Without DWM (Windows XP, composition off) the screen holds what was
    // drawn: the second read follows at once.
    WaitForComposition();
    if (!ReadCheckPatch(second) || std::memcmp(first, second, sizeof(first)) != 0)
        return ReadsUnproven;
    return JudgeReads(CheckPatchPixels, second, CheckPatchPixelCount, blend);
}

void ColourCheckTick() {
    if (!CheckRunning) {
        KillTimer(LensWindow, ColourCheckTimer);
        return;
    }
    ReadBlend blend = ReadBlendNone;
    const ReadsVerdict verdict = LayerWine ? PacedTry(&blend) : ColourCheckTry(&blend);
    if (verdict != ReadsUnproven || --TriesLeft <= 0) {
        StopColourCheck();
        ConcludeColourCheck(verdict, blend);
        return;
    }
    SetTimer(LensWindow, ColourCheckTimer, FrameMs, nullptr);
}

void StopColourCheck() {
    CheckAsked = false;
    CheckRunning = false;
    KillTimer(LensWindow, ColourCheckTimer);
}

bool ColourCheckRunning() {
    return CheckRunning;
}

void ConcludeColourCheck(ReadsVerdict verdict, ReadBlend blend) {
    ColoursVerdict = verdict;
    ColoursOnHdr = MonitorRunsHdr(MonitorFromWindow(LensWindow, MONITOR_DEFAULTTONEAREST));
    const LayerVerdictOutcome outcome =
        PlanAfterCheck(NextShowLayer, verdict, blend, LayerSystem, LayerWine);
    NextShowLayer = outcome.next;
    if (SetReadsUnblend(outcome.undoNow)) {
        // The picture, the text and what the copies take, read anew.
        ForgetShownPicture();
        if (LensActive())
            RefreshLens();
    }
    UpdateTrayTip();
}
