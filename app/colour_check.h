// The check of the colour reads after each show (app/colour_check.cpp), and
// whether the lens stands on an HDR monitor (app/display_colour.cpp).
#pragma once

#include <windows.h>

#include <string>

#include "render/render.h"

// What the tray icon's tip says of the colours, after the zoom and the hotkey;
// hdr: the lens stands on a monitor that runs HDR.
const wchar_t* ColoursPhrase(ReadsVerdict verdict, bool hdr);
// All the tip says after the hotkey: the colours, and whether the last save failed.
std::wstring TipTrailing(ReadsVerdict verdict, bool hdr, bool unsaved);
// HDR: advanced colour enabled and wide colour not enforced (the bits of
// DISPLAYCONFIG_GET_ADVANCED_COLOR_INFO), on the monitor (Windows 10 1703 on).
bool AdvancedColourIsHdr(UINT32 value);
bool MonitorRunsHdr(HMONITOR monitor);

extern ReadsVerdict ColoursVerdict;  // the last check's, unproven until one ends
extern bool ColoursOnHdr;            // the lens stood on an HDR monitor at that check

// The self-check: asked for at a show, started after the lens's first paint,
// one try per tick of its timer, stopped at a hide.
void AskColourCheck();
void StartColourCheckIfAsked();
void ColourCheckTick();
void StopColourCheck();
bool ColourCheckRunning();
// One try on the Windows path: the patch read, DWM's next composition, read
// again; unproven unless both reads agree.
ReadsVerdict ColourCheckTry(ReadBlend* blend);
// A check's end: the verdict, the way wanted next, the blend undone, the tip.
void ConcludeColourCheck(ReadsVerdict verdict, ReadBlend blend);
