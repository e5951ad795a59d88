// Pixel readout: Ctrl and Shift copy what the Pro strip shows to the
// clipboard, its text (PixelText) and a swatch of its colour (PointerColour),
// with their click. The text itself and the strip are drawn by the refresh
// (render/).
#pragma once

#include <windows.h>

// Ctrl and Shift: copy from an active Pro lens, with the click once the
// clipboard holds the copy. True when something was placed.
bool CopyPixelText();
bool CopyColourSwatch();
void PlayClickSound();

// Places data on the clipboard in this format, owned by the lens window. Tries
// for about 50 ms while another program holds the clipboard. Frees data (a
// global block, or a bitmap for CF_BITMAP) when the clipboard did not take it.
// With a null item the clipboard is left untouched.
bool HandToClipboard(UINT format, HANDLE data);
struct ClipboardItem {
    UINT format;
    HANDLE data;
};
// The same for several formats of one copy, placed together; true when all were.
bool HandToClipboard(const ClipboardItem* items, int count);

// The swatch as a packed DIB (header, then bottom-up 24-bit rows): SwatchSide
// pixels square of one colour, SwatchDibSize bytes.
constexpr int SwatchSide = 10;
constexpr unsigned SwatchDibSize = 40 + SwatchSide * ((SwatchSide * 3 + 3) & ~3);
void WriteSwatchDib(COLORREF colour, unsigned char* out);
