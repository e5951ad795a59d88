// Blocks of known colours side by side, put on the screen by the colour tests:
// both ends of each channel, both sides of 128 (where a dimmed read drops a
// level) and mixed channels.
#pragma once

#include <windows.h>

#include <vector>

#include "driver.h"

constexpr COLORREF Blocks[] = {RGB(0xFF, 0xFF, 0xFF), RGB(0x80, 0x80, 0x80),
                               RGB(0x7F, 0x7F, 0x7F), RGB(0x00, 0x00, 0x00),
                               RGB(0xF0, 0xC0, 0x80), RGB(0x01, 0x80, 0xFE)};
constexpr int BlockCount = 6;
constexpr int BlockSide = 40;
constexpr RECT BlockRow{200, 260, 200 + BlockCount * BlockSide, 260 + BlockSide};

// Each as RGB in hex, worked by hand: no leading zeros.
inline const char* const BlockTexts[] = {"FFFFFF", "808080", "7F7F7F", "0", "F0C080", "180FE"};

// The blocks in their row, the test pattern around them.
inline COLORREF BlockColour(int x, int y) {
    if (x < BlockRow.left || x >= BlockRow.right || y < BlockRow.top || y >= BlockRow.bottom)
        return PatternColour(x, y);
    return Blocks[(x - BlockRow.left) / BlockSide];
}

// Whether the clipboard holds a 10 x 10 swatch of exactly this colour as any
// program reads it, whatever its bitness (CF_DIB).
inline bool SwatchIs(COLORREF colour) {
    int w = 0, h = 0;
    const std::vector<COLORREF> dib = CopiedPicture(&w, &h);
    return w == 10 && h == 10 && dib == std::vector<COLORREF>(100, colour);
}
