// Drives the real Vellix.exe from outside, as a user or another program would:
// starts it in a fresh working directory, sends it tray clicks, keys and
// pointer moves, and reads its windows, the screen and its files.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "geometry/geometry.h"
#include "support.h"

struct VellixRun {
    PROCESS_INFORMATION process{};
    std::string directory;  // the working directory it was started in
    HWND lens = nullptr;
    HWND overlay = nullptr;
};

// Path of Vellix.exe, from the --vellix= argument of the test program.
const std::string& VellixPath();
// The test build's second program, which takes the Windows path under Wine
// (--windows-path=); empty where not given.
const std::string& WindowsPathProgram();

// Waits for the condition, pumping this thread's messages, for up to timeoutMs.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 30000);

// Starts Vellix in directory (a new temporary one if empty) and waits for its windows.
bool StartVellix(VellixRun& run, const std::string& directory = "");
// The same with another copy of the program (program: its full path).
bool StartVellixFrom(VellixRun& run, const std::string& program, const std::string& directory);
// Starts without waiting for windows; returns the process exit code or STILL_ACTIVE.
DWORD StartAndWaitExit(const std::string& directory, DWORD timeoutMs);
// WM_CLOSE, then waits for the exit code (kills it after the timeout).
DWORD CloseVellix(VellixRun& run, DWORD timeoutMs = 30000);
// Ends it without a word if it still runs.
void KillVellix(VellixRun& run);
bool IsRunning(const VellixRun& run);

// The tray icon's callback message with a mouse event, as the shell sends it.
void TrayClick(const VellixRun& run, UINT mouseEvent);
bool LensVisible(const VellixRun& run);
// Tray left click, then waits until both windows are shown.
bool ShowLens(VellixRun& run);
// A key as the keyboard would deliver it to the window with the focus.
void SendKey(HWND window, WPARAM key);
// A key-down alone; repeat marks it as the keyboard's auto-repeat (bit 30).
void SendKeyDown(HWND window, WPARAM key, bool repeat);
// Returns once the program has handled every message sent to it before and is
// back in a message loop: what those messages did at once has been done.
bool Barrier(const VellixRun& run);
// The clipboard's text, "(no text)" or "(not open)"; "(stale byte)" for each
// byte after the text that is not zero.
std::string ClipboardText();
void EmptyTheClipboard();
// Moves the pointer and tells the input layer, as a real move would.
void MovePointer(const VellixRun& run, int x, int y);

// A window's own pixels in a rectangle of its client area, row by row, as it
// drew them: not the composed screen, so nothing above the window (the input
// layer) is in them.
std::vector<COLORREF> ReadWindowPixels(HWND window, const RECT& client);

// The tips of the tray's icons as the shell shows them: each icon's tool
// window and its text, read from the tooltips of the process that owns them.
std::map<HWND, std::wstring> TrayTips();
// The icon among the tips that was not there before, once the shell shows
// it; nullptr after the timeout.
HWND WaitForNewTrayTip(const std::map<HWND, std::wstring>& before);
// The tip of that icon now; "(no tip)" where the shell shows none.
std::wstring TrayTipOf(HWND icon);

// Screen pixels of a rectangle, read through GDI, row by row (COLORREF values).
std::vector<COLORREF> ReadScreen(const RECT& r);
COLORREF ScreenPixel(int x, int y);

RECT WindowRectOf(HWND window);
// Whether the lens window stands at (x, y) with the size of layout g; at its
// home when x and y are left out.
bool LensWindowAt(const VellixRun& run, const LensGeometry& g);
bool LensWindowAt(const VellixRun& run, int x, int y, const LensGeometry& g);
// Screen position of the lens window's client area.
POINT ClientOrigin(HWND window);

// A window of this test process that shows a known picture at a known place.
struct PatternWindow {
    HWND window = nullptr;
    RECT rect{};
    std::function<COLORREF(int, int)> colour;  // colour at screen (x, y)
};
// Shows a pattern window over rect; colour(x, y) gives each screen pixel.
bool ShowPattern(PatternWindow& p, const RECT& rect, std::function<COLORREF(int, int)> colour);
void ClosePattern(PatternWindow& p);

// Whether the tray icon of this window and id is still known to the shell.
bool TrayIconPresent(HWND owner, UINT id);

// --- the lens as it must be laid out on this display -----------------------

// The layout for these settings on this desktop, worked out by hand; ends the
// test program when this desktop or these settings have no worked layout.
LensGeometry GeometryFor(int factor, int format, int pro);
// The screen size of that worked desktop.
SIZE TestScreenSize();
// Screen rectangle of the lens's image area.
RECT LensImageRect(const VellixRun& run, const LensGeometry& g);
// The screen area the lens captures with the pointer at (px, py).
RECT CapturedArea(const LensGeometry& g, int px, int py);
// What the test put on the screen at (x, y): the ground truth a lens is
// judged against, never a screen read through the program's own layer.
using ScreenTruth = std::function<COLORREF(int, int)>;
// Whether the lens shows truth around (px, py) magnified pixel for pixel,
// exactly (ShowsBackdrop with nothing left out); *worst gets the largest
// channel difference seen.
bool ShowsMagnified(const VellixRun& run, const LensGeometry& g, int px, int py,
                    int* worst = nullptr, const ScreenTruth& truth = PatternColour);
// Waits until condition holds with the pointer at (px, py). A user's pointer
// keeps sending moves; so does this wait, in case the display moved the
// pointer before the lens read its position.
bool WaitWithPointerAt(const VellixRun& run, int px, int py,
                       const std::function<bool()>& condition);
// Waits until the lens shows the screen around (px, py) magnified.
bool WaitMagnified(const VellixRun& run, const LensGeometry& g, int px, int py,
                   int* worst = nullptr, const ScreenTruth& truth = PatternColour);
// PatternColour is a test picture in which every pixel differs from its
// neighbours, so that a shifted copy cannot pass for the right one.

// --- the clipboard as another program reads it -------------------------------

// The pixels of the clipboard's device-independent picture (CF_DIB, which
// Wine hands across bitnesses), row by row from the top; empty without one.
std::vector<COLORREF> CopiedPicture(int* width = nullptr, int* height = nullptr);

// What a backdrop check leaves out.
struct BackdropSkips {
    bool gridLines = false;  // Pro: the grid's own lines
    int row = -1;            // Reading: the guide line's image row
};
// The monitors' rectangles, in virtual-screen coordinates.
std::vector<RECT> MonitorRects();
// Whether the lens image shows the backdrop the test put on the screen,
// truth(x, y) at each captured screen pixel, magnified cell for cell, and grey
// where that pixel lies on no monitor, exactly. *worst gets the largest
// channel difference and *where the image pixel it was seen at.
bool ShowsBackdrop(const VellixRun& run, const LensGeometry& g, int px, int py,
                   const std::function<COLORREF(int, int)>& truth, const BackdropSkips& skip,
                   int* worst, POINT* where);

// --- the tray menu and the programs it starts -------------------------------

// A menu command as the tray menu sends it; returns once it has been handled.
void SendCommand(const VellixRun& run, int id);
// A real click of the mouse at a screen point, through the system's input queue.
void RealClick(int x, int y, bool rightButton);
// A wheel turn through the system's input queue (positive: away from the user).
void RealWheel(int delta);
// A key pressed (down) or let go, through the system's input queue.
void RealKey(WORD key, bool down);
// Keys and buttons as the X server gives them to Wine, as a Linux user's
// keyboard does: xdotool run with these arguments as a Linux program. True
// once it has finished; false where it cannot run (not under Wine, or no xdotool).
bool XdoTool(const std::string& arguments);
// Screen point of the first icon in Wine's own tray window; false without one.
bool FirstTrayIconPoint(POINT* at);
// The popup menu the program has open, or nullptr.
HWND OpenMenuOf(const VellixRun& run);
// Processes the program started that still run.
int ChildProcessCount(const VellixRun& run);
// Visible top-level windows with this title, of any process.
std::vector<HWND> WindowsTitled(const char* title);

// --- the single instance -----------------------------------------------------

// Whether no program holds the single-instance mutex.
bool NoInstanceRunning();
// A program left running (by a failed test, say) keeps the mutex and every
// later start would end at once: closes it, or ends it, and waits until the
// mutex is free. StartVellix does this first.
bool StopLeftInstance();

// The tray icon's callback message, posted: returns at once, also when the
// program answers it with a menu of its own.
void PostTrayClick(const VellixRun& run, UINT mouseEvent);
