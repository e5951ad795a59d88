// Moving the lens aside while the pointer is on it, and back home.
#include "avoidance/avoidance.h"

#include <windows.h>

#include "settings/settings.h"
#include "settings/shared.h"

namespace {

constexpr UINT DodgePauseMs = 100;

DodgeState State = DodgeState::Home;

}  // namespace

const DodgeState& AvoidanceState = State;

DodgeMove DecideDodge(const LensGeometry& g, bool dodged, int x, int y) {
    // Home is one place whatever the format.
    const LensRect home = LensPlace(g, 0, 0);
    if (!dodged) {
        // Inside the home rectangle, not its first row or column; its bottom
        // is the work area's.
        if (y > home.top && x > home.left && x < home.right && y < home.bottom)
            return DodgeAside;
        return DodgeStay;
    }
    const int mx = ReturnMarginX(g);
    const int my = ReturnMarginY(g);
    if (y < home.top - my || x < home.left - mx || x >= home.right + mx || y >= home.bottom + my)
        return DodgeHome;
    return DodgeStay;
}

void CheckDodge() {
    // Every check follows a refresh or a move that has just read the pointer:
    // another read would be another round trip to the display under Wine.
    const POINT pointer = PointerPos;
    if (!DodgeArmed())
        return;
    const DodgeMove move = DecideDodge(Geometry, Dodged(), pointer.x, pointer.y);
    if (move == DodgeStay)
        return;
    const bool aside = move == DodgeAside;
    State = aside ? DodgeState::GoingAside : DodgeState::GoingHome;
    MoveLens(aside);
    SetTimer(LensWindow, aside ? DodgeAsideTimer : DodgeHomeTimer, DodgePauseMs, nullptr);
}

void MoveLens(bool aside) {
    const LensRect at = LensPlace(Geometry, LensSettings.ReadingFlag, aside);
    MoveWindow(LensWindow, at.left, at.top, at.right - at.left, at.bottom - at.top, TRUE);
}

void DodgeTimerFired(unsigned timerId) {
    KillTimer(LensWindow, timerId);
    State = timerId == DodgeAsideTimer ? DodgeState::Aside : DodgeState::Home;
}

void ResumeDodgeChecks() {
    CheckDodge();
}

void ResetAvoidance() {
    // A pause still pending would end while hidden and leave the next show
    // aside while it believes it is home.
    KillTimer(LensWindow, DodgeAsideTimer);
    KillTimer(LensWindow, DodgeHomeTimer);
    State = DodgeState::Home;
}

void SetDodgeStateForTest(DodgeState state) {
    State = state;
}
