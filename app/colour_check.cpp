// Colours proven on the user's own machine: the self-check after each show
// compares the patch the lens drew with what the screen gives back, and
// walks the input layer's ways by its verdict.
#include "app/colour_check.h"

#include <cstring>

#include "app/composition.h"
#include "app/ids.h"
#include "app/input_layer.h"
#include "app/run_facts.h"
#include "app/tray.h"
#include "settings/shared.h"

ReadsVerdict ColoursVerdict = ReadsUnproven;
bool ColoursOnHdr;

namespace {

// The check of this show: asked for at the show, started by the lens's next
// paint, then running on its timer until a verdict or the hide.
enum class CheckState : unsigned char { Idle, Asked, Running };
CheckState Check = CheckState::Idle;
int TriesLeft;
bool HavePrevious;  // under Wine: the previous tick's read, a frame ago
uint32_t PreviousRead[CheckPatchPixelCount];

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

void AskColourCheck() {
    StopColourCheck();
    Check = CheckState::Asked;
}

void StartColourCheckIfAsked() {
    if (Check != CheckState::Asked)
        return;
    GdiFlush();
    Check = CheckState::Running;
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
    if (Check != CheckState::Running) {
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
    Check = CheckState::Idle;
    KillTimer(LensWindow, ColourCheckTimer);
}

bool ColourCheckRunning() {
    return Check == CheckState::Running;
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
