// What the program's folders share while it runs: the two windows and the
// lens window's DC, the module, read-only views of the lens's state and of
// where it stands, the pointer position and every timer's id.
//
// It lies at the bottom of the house, beside the settings record, and
// includes nothing of ours, so that every folder may read it and none has to
// reach up for it. Each item is written only where the comment beside it
// says; what one folder alone uses stays in that folder.
#pragma once

#include <windows.h>

// Made by the shell (app/) at start-up, for the whole run.
extern HINSTANCE ProgramModule;
extern HWND LensWindow;    // shows the lens; owns tray icon, menu and timers
extern HWND InputOverlay;  // invisible full-screen layer taking the input
extern HDC LensDC;         // the lens window's own DC, kept for the whole run

// The lens as the shell (app/) has it, written there alone; here a read-only
// view, for the drawing and the copies. It magnifies only while shown.
enum class LensState : unsigned char { Hidden, ShownIdle, ShownMagnifying };
extern const LensState& ShellLensState;
inline bool LensShown() {
    return ShellLensState != LensState::Hidden;
}
inline bool LensActive() {
    return ShellLensState == LensState::ShownMagnifying;
}

// Where the lens stands, as the avoidance (avoidance/) has it, written there
// alone: a move aside or home starts a pause, and the lens counts as standing
// at its new place once the pause is over. The shell asks for Home at a hide.
enum class DodgeState : unsigned char { Home, GoingAside, Aside, GoingHome };
extern const DodgeState& AvoidanceState;
// The lens is, or is going, aside.
inline bool Dodged() {
    return AvoidanceState == DodgeState::GoingAside || AvoidanceState == DodgeState::Aside;
}
// The lens stands aside: its picture is drawn for the place aside.
inline bool MovedAside() {
    return AvoidanceState == DodgeState::Aside || AvoidanceState == DodgeState::GoingHome;
}

// The pointer in screen coordinates: read at the start of every refresh
// (render/) or taken from a pointer move (app/); the avoidance checks it.
extern POINT PointerPos;

// Every timer of the program, all on the lens window, in one place so that
// no two share an id: the avoidance's 100 ms pauses and the shell's own.
enum TimerId : unsigned {
    DodgeAsideTimer = 5,
    DodgeHomeTimer = 6,
    DynamicTimer = 21,      // the Dynamic refresh's periodic timer
    TrayRetryTimer = 31,    // the tray icon added again while the shell refuses it
    ColourCheckTimer = 41,  // the tries of the check of the reads after a show
};
