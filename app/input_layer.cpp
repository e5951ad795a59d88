// The input layer: the invisible full-screen window that takes the pointer
// and the keys while the lens is shown, made in the first way of keeping it
// out of the screen reads that the system has, and the plan of the ways that
// the check of the reads walks.
#include "app/input_layer.h"

#include "app/composition.h"
#include "app/ids.h"
#include "app/shell.h"
#include "app/windows_path.h"
#include "settings/shared.h"

LayerWay LayerWayInForce = LayerAlphaZero;
LayerPlan NextShowLayer = FirstLayerPlan(LayerAlphaZero);

namespace {

// A layered window stays see-through yet takes the pointer and the keys; a
// window that paints nothing would be composed as black. Windows lets clicks
// through at alpha 0, so there it is alpha 1, painted black by its class so
// that its blend, if any, is known. A window without redirection surface has
// nothing to compose at all; it is hit-tested by its rectangle by the general
// rules for windows, which nothing documents for this style.
HWND CreateLayerWindow(LayerWay way) {
    const DWORD style =
        WS_EX_TOOLWINDOW | (way == LayerNoRedirection ? NoRedirectionBitmapStyle : WS_EX_LAYERED);
    HWND layer = CreateWindowExA(style, INPUT_LAYER_CLASS_NAME, LENS_WINDOW_TITLE, WS_POPUP, 0, 0,
                                 100, 100, nullptr, nullptr, ProgramModule, nullptr);
    if (!layer)
        return nullptr;
    if (way != LayerNoRedirection)
        SetLayeredWindowAttributes(layer, 0, way == LayerAlphaZero ? 0 : 1, LWA_ALPHA);
    DisableTransitions(layer);
    return layer;
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

void ChooseLayerWay() {
    NextShowLayer = FirstLayerPlan(ThisRun.FirstLayer);
}

bool RegisterInputLayerClass() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_OWNDC | CS_DBLCLKS;
    wc.lpfnWndProc = InputLayerProc;
    wc.hInstance = ProgramModule;
    // Black on the Windows path, so that the layer's blend, if any, is known;
    // Wine's layer at alpha 0 paints nothing.
    if (NextShowLayer.way != LayerAlphaZero)
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = INPUT_LAYER_CLASS_NAME;
    return RegisterClassExA(&wc) != 0;
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
