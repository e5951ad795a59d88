// The screen reads proven against pixels the lens drew itself: the patch in
// its frame, the verdict on what the screen gives back, and the blend of the
// input layer undone where a check found one.
#include "render/render.h"

#include <initializer_list>

#include "settings/shared.h"

namespace {

constexpr uint32_t White = 0x00FFFFFF;
constexpr uint32_t Grey80 = 0x00808080;
constexpr uint32_t Grey7F = 0x007F7F7F;

ReadBlend UnblendFor = ReadBlendNone;
uint8_t UnblendTable[256];

bool Explains(ReadBlend blend, const uint32_t* drawn, const uint32_t* read, int count) {
    for (int i = 0; i < count; ++i)
        for (int shift = 0; shift < 24; shift += 8) {
            const int d = static_cast<int>((drawn[i] >> shift) & 0xFF);
            const int r = static_cast<int>((read[i] >> shift) & 0xFF);
            if (BlendedLevel(blend, d) != r)
                return false;
        }
    return true;
}

int TrailingZeros(int level) {
    if (level == 0)
        return 8;
    int n = 0;
    while ((level & 1) == 0) {
        level >>= 1;
        ++n;
    }
    return n;
}

}  // namespace

const uint32_t CheckPatchPixels[CheckPatchPixelCount] = {
    White, White, Grey80, Grey80, Grey7F, Grey7F,
    White, White, Grey80, Grey80, Grey7F, Grey7F,
};

int BlendedLevel(ReadBlend blend, int level) {
    switch (blend) {
    case ReadBlendRounded: return (level * 254 + 127) / 255;
    case ReadBlendTruncated: return level * 254 / 255;
    case ReadBlendNone: break;
    }
    return level;
}

LensRect CheckPatchRect(int clientWidth, int clientHeight) {
    // The middle of the bottom frame: no corner shape of any Windows reaches it.
    const int left = (clientWidth - CheckPatchWidth) / 2;
    const int bottom = clientHeight - 1;
    return {left, bottom - CheckPatchHeight, left + CheckPatchWidth, bottom};
}

ReadsVerdict JudgeReads(const uint32_t* drawn, const uint32_t* read, int count, ReadBlend* blend) {
    *blend = ReadBlendNone;
    int fits = 0;
    for (ReadBlend b : {ReadBlendNone, ReadBlendRounded, ReadBlendTruncated})
        if (Explains(b, drawn, read, count)) {
            ++fits;
            *blend = b;
        }
    // Pixels that read alike under two explanations prove neither.
    if (count <= 0 || fits != 1) {
        *blend = ReadBlendNone;
        return ReadsUnproven;
    }
    return *blend == ReadBlendNone ? ReadsExact : ReadsBlended;
}

void BuildUnblendTable(ReadBlend blend, uint8_t table[256]) {
    for (int r = 0; r < 256; ++r)
        table[r] = static_cast<uint8_t>(r);
    int best[256];
    for (int& b : best)
        b = -1;
    for (int d = 0; d < 256; ++d) {
        const int r = BlendedLevel(blend, d);
        if (best[r] < 0 || TrailingZeros(d) > TrailingZeros(best[r]))
            best[r] = d;
    }
    for (int r = 0; r < 256; ++r)
        if (best[r] >= 0)
            table[r] = static_cast<uint8_t>(best[r]);
}

void UndoBlend(uint32_t* pixels, int count, const uint8_t table[256]) {
    for (int i = 0; i < count; ++i) {
        const uint32_t p = pixels[i];
        pixels[i] = (p & 0xFF000000u) | (static_cast<uint32_t>(table[(p >> 16) & 0xFF]) << 16) |
                    (static_cast<uint32_t>(table[(p >> 8) & 0xFF]) << 8) | table[p & 0xFF];
    }
}

void DrawCheckPatch() {
    RECT client{};
    GetClientRect(LensWindow, &client);
    const LensRect r = CheckPatchRect(client.right, client.bottom);
    // Straight from the pixels, so that the patch is exactly what the check
    // compares with.
    const BITMAPINFO info = TopDownPictureInfo(CheckPatchWidth, CheckPatchHeight);
    SetDIBitsToDevice(LensDC, r.left, r.top, CheckPatchWidth, CheckPatchHeight, 0, 0, 0,
                      CheckPatchHeight, CheckPatchPixels, &info, DIB_RGB_COLORS);
}

bool ReadCheckPatch(uint32_t read[CheckPatchPixelCount]) {
    RECT client{};
    GetClientRect(LensWindow, &client);
    const LensRect r = CheckPatchRect(client.right, client.bottom);
    POINT at{r.left, r.top};
    ClientToScreen(LensWindow, &at);
    // Never beyond the virtual screen: such a read comes back black whole on
    // a compositor that draws into its own overlay window.
    const LensRect& v = Geometry.VirtualScreen;
    if (at.x < v.left || at.y < v.top || at.x + CheckPatchWidth > v.right ||
        at.y + CheckPatchHeight > v.bottom)
        return false;
    uint32_t* pixels = SurfacePixels(CheckSurface);
    if (!pixels ||
        !BitBlt(CheckSurface, 0, 0, CheckPatchWidth, CheckPatchHeight, ScreenDC, at.x, at.y,
                SRCCOPY))
        return false;
    GdiFlush();
    for (int i = 0; i < CheckPatchPixelCount; ++i)
        read[i] = pixels[i] & 0x00FFFFFF;
    return true;
}

bool SetReadsUnblend(ReadBlend blend) {
    if (blend == UnblendFor)
        return false;
    UnblendFor = blend;
    BuildUnblendTable(blend, UnblendTable);
    return true;
}

ReadBlend ReadsUnblend() {
    return UnblendFor;
}

void UnblendRead(uint32_t* pixels, int width, const LensRect& r) {
    if (UnblendFor == ReadBlendNone || !pixels)
        return;
    for (int y = r.top; y < r.bottom; ++y)
        UndoBlend(pixels + static_cast<size_t>(y) * width + r.left, r.right - r.left, UnblendTable);
}

COLORREF UnblendColour(COLORREF colour) {
    if (UnblendFor == ReadBlendNone)
        return colour;
    return RGB(UnblendTable[GetRValue(colour)], UnblendTable[GetGValue(colour)],
               UnblendTable[GetBValue(colour)]);
}
