// Pixel readout: the colour under the pointer as text in the Pro strip, and
// the Ctrl / Shift copies to the clipboard with their click.
#pragma once

#include <windows.h>

constexpr int PixelTextSize = 50;
// The text of the last refresh of an active Pro lens; what Ctrl copies.
extern char PixelText[PixelTextSize];

void ShowPixelValue();
// White strip above the image with the text centred in LensDC's own font.
void DrawStripText(const char* text);
void ForgetStripText();  // the strip was erased: the next text is drawn in any case
// Ctrl and Shift: copy from an active Pro lens, with the click once the
// clipboard holds the copy. True when something was placed.
bool CopyPixelText();
bool CopyColourSwatch();
void PlayClickSound();

// Text arithmetic of the readout.
unsigned char ColourComponent(int index, COLORREF colour);  // 1 red, 2 green, 3 blue
void UpperCaseText(char* text);
// The strip's text for a colour in a pixel format (1 BGR, 2 RGB, 3 (R,G,B); any
// other counts as BGR) and a number base (1 Hex, 2 Dec, 3 Bin). A base outside
// 1..3 leaves text as it was. text holds PixelTextSize bytes.
void FormatPixelValue(COLORREF colour, int pixelFormat, int numberBase, char* text);

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
