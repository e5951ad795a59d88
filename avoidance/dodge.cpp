// Moving the lens aside while the pointer is on it, and back home.
#include "avoidance/avoidance.h"

#include <windows.h>

#include "app/app.h"
#include "render/render.h"
#include "settings/settings.h"

int DodgeArmed = 1;
int Dodged;
int MovedAside;

namespace {

constexpr UINT DodgePauseMs = 100;

bool IsReadingFormat(int windowFormat) {
    return windowFormat > 30;
}

}  // namespace

int ReturnMarginX(const LensGeometry& g) {
    return g.SourceColumns * 55 / 100;
}

int ReturnMarginY(const LensGeometry& g) {
    return g.SourceRows * 55 / 100;
}

DodgeMove DecideDodge(const LensGeometry& g, int dodged, int x, int y) {
    const int homeTop = g.WorkAreaHeight - g.WindowHeight;
    const int homeLeft = g.WorkAreaWidth - g.WindowWidth;
    if (dodged == 0) {
        // Inside the home rectangle (not its first row or column), above the
        // work area's bottom edge.
        if (y > homeTop && x > homeLeft && y < g.WorkAreaHeight)
            return DodgeAside;
        return DodgeStay;
    }
    if (dodged == 1) {
        if (y < homeTop - ReturnMarginY(g) || x < homeLeft - ReturnMarginX(g))
            return DodgeHome;
    }
    return DodgeStay;
}

LensPoint LensPlace(const LensGeometry& g, int windowFormat, int aside) {
    if (IsReadingFormat(windowFormat))
        return {g.HomeX, g.HomeY - aside * (g.WindowHeight + ReturnMarginY(g))};
    return {g.HomeX - aside * (g.WindowWidth + ReturnMarginX(g)), g.HomeY};
}

void CheckDodge() {
    // Every check follows a refresh or a move that has just read the pointer:
    // another read would be another round trip to the display under Wine.
    const POINT pointer = PointerPos;
    if (DodgeArmed != 1)
        return;
    const DodgeMove move = DecideDodge(Geometry, Dodged, pointer.x, pointer.y);
    if (move == DodgeStay)
        return;
    const int aside = move == DodgeAside ? 1 : 0;
    DodgeArmed = 0;
    Dodged = aside;
    MoveLens(aside);
    SetTimer(LensWindow, aside ? DodgeAsideTimer : DodgeHomeTimer, DodgePauseMs, nullptr);
}

void MoveLens(int aside) {
    const LensPoint at = LensPlace(Geometry, LensSettings.WindowFormat, aside);
    MoveWindow(LensWindow, at.x, at.y, Geometry.WindowWidth, Geometry.WindowHeight, TRUE);
}

void DodgeTimerFired(unsigned timerId) {
    KillTimer(LensWindow, timerId);
    MovedAside = timerId == DodgeAsideTimer ? 1 : 0;
    RefreshLens();
    DodgeArmed = 1;
    CheckDodge();
}

void StopDodgeTimers() {
    KillTimer(LensWindow, DodgeAsideTimer);
    KillTimer(LensWindow, DodgeHomeTimer);
}
