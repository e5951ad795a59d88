// Colours proven on the user's own machine: the ways of keeping the input
// layer out of the screen reads, and the self-check after each show that
// compares the patch the lens drew with what the screen gives back and walks
// the ways by its verdict.
#include "app/app.h"

#include <dwmapi.h>

#include <cstring>

#include "render/render.h"
#include "settings/system_calls.h"

LayerWay LayerWayInForce = LayerAlphaZero;
LayerPlan NextShowLayer = FirstLayerPlan(LayerAlphaZero);
ReadsVerdict ColoursVerdict = ReadsUnproven;
bool ColoursOnHdr;

namespace {

// The check of this show.
bool CheckAsked;    // the next paint of the lens starts it
bool CheckRunning;  // its timer runs
int TriesLeft;
bool HavePrevious;  // under Wine: the previous tick's read, a frame ago
uint32_t PreviousRead[CheckPatchPixelCount];

// A window attribute of 32 bits (a BOOL or an enumeration's value); Windows
// XP has no dwmapi.dll.
void SetWindowAttribute(HWND window, DWORD attribute, DWORD value) {
    if (DynCalls.DwmSetWindowAttribute)
        DynCalls.DwmSetWindowAttribute(window, attribute, &value, sizeof(value));
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
    NextShowLayer = FirstLayerPlan(ThisRun.FirstLayer);
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
        way = WayAfter(way, ThisRun.LayerSystem, ThisRun.Wine);
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
    return DynCalls.DwmFlush && SUCCEEDED(DynCalls.DwmFlush());
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
    TriesLeft = ColourCheckTries + (ThisRun.Wine ? 1 : 0);
    SetTimer(LensWindow, ColourCheckTimer, ThisRun.Wine ? WineCompositorMs : FrameMs, nullptr);
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
    const ReadsVerdict verdict = ThisRun.Wine ? PacedTry(&blend) : ColourCheckTry(&blend);
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
        PlanAfterCheck(NextShowLayer, verdict, blend, ThisRun.LayerSystem, ThisRun.Wine);
    NextShowLayer = outcome.next;
    if (SetReadsUnblend(outcome.undoNow)) {
        // The picture, the text and what the copies take, read anew.
        ForgetShownPicture();
        if (LensActive())
            RefreshLens();
    }
    UpdateTrayTip();
}
