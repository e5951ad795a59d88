// The Ctrl and Shift copies of what the Pro strip shows, with their click.
#include "readout/readout.h"

#include <mmsystem.h>

#include <cstdio>
#include <cstring>

#include "render/render.h"
#include "settings/settings.h"
#include "settings/shared.h"

namespace {

constexpr int ClipboardTries = 6;
constexpr DWORD ClipboardWaitMs = 10;

bool OpenClipboardSoon() {
    // Clipboard managers hold the clipboard for a moment after each change.
    for (int i = 0; i < ClipboardTries; ++i) {
        if (i > 0)
            Sleep(ClipboardWaitMs);
        if (OpenClipboard(LensWindow))
            return true;
    }
    return false;
}

void FreeClipboardData(UINT format, HANDLE data) {
    if (format == CF_BITMAP)
        DeleteObject(data);
    else
        GlobalFree(data);
}

bool PutTextOnClipboard(const char* text) {
    // Zeroed: programs outside Wine receive the whole block, not just the text.
    HGLOBAL block = GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE | GMEM_ZEROINIT, PixelTextSize);
    if (!block)
        return false;
    if (char* p = static_cast<char*>(GlobalLock(block))) {
        snprintf(p, PixelTextSize, "%s", text);
        GlobalUnlock(block);
    }
    return HandToClipboard(CF_TEXT, block);
}

// A 10 x 10 bitmap of the colour; nullptr if it cannot be made.
HBITMAP MakeSwatchBitmap(COLORREF colour) {
    ScopedGdiObject swatch(CreateCompatibleBitmap(LensDC, SwatchSide, SwatchSide));
    const ScopedDC dc(CreateCompatibleDC(LensDC));
    const ScopedGdiObject brush(CreateSolidBrush(colour));
    if (!swatch.object || !dc.dc || !brush.object)
        return nullptr;
    {
        const ScopedSelection filled(dc.dc, swatch.object);
        RECT all{0, 0, SwatchSide, SwatchSide};
        FillRect(dc.dc, &all, static_cast<HBRUSH>(brush.object));
    }
    return static_cast<HBITMAP>(swatch.Keep());
}

HGLOBAL MakeSwatchDib(COLORREF colour) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, SwatchDibSize);
    if (!block)
        return nullptr;
    auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
    if (!bytes) {
        GlobalFree(block);
        return nullptr;
    }
    WriteSwatchDib(colour, bytes);
    GlobalUnlock(block);
    return block;
}

// The colour the strip's text shows, the refresh's own read: the swatch and
// the text never disagree. The device-independent copy is what Wine hands
// to X programs; Windows makes either from the other, so both are given.
bool PutSwatchOnClipboard() {
    HBITMAP swatch = MakeSwatchBitmap(PointerColour);
    // Either one missing, both are freed and the user's clipboard stays as it was.
    const ClipboardItem items[] = {{CF_BITMAP, swatch}, {CF_DIB, MakeSwatchDib(PointerColour)}};
    return HandToClipboard(items, 2);
}

bool ProLensActive() {
    return LensSettings.ProFlag == 1 && LensActive();
}

}  // namespace

bool HandToClipboard(UINT format, HANDLE data) {
    const ClipboardItem item{format, data};
    return HandToClipboard(&item, 1);
}

bool HandToClipboard(const ClipboardItem* items, int count) {
    bool whole = count > 0;
    for (int i = 0; i < count; ++i)
        whole = whole && items[i].data != nullptr;
    // A null entry would stand for data promised later, which never comes.
    if (!whole || !OpenClipboardSoon()) {
        for (int i = 0; i < count; ++i)
            if (items[i].data)
                FreeClipboardData(items[i].format, items[i].data);
        return false;
    }
    EmptyClipboard();
    bool placed = true;
    for (int i = 0; i < count; ++i)
        if (!SetClipboardData(items[i].format, items[i].data)) {
            FreeClipboardData(items[i].format, items[i].data);
            placed = false;
        }
    CloseClipboard();
    return placed;
}

void WriteSwatchDib(COLORREF colour, unsigned char* out) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = SwatchSide;
    header.biHeight = SwatchSide;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = SwatchDibSize - sizeof(header);
    memcpy(out, &header, sizeof(header));
    constexpr int stride = (SwatchSide * 3 + 3) & ~3;
    unsigned char* rows = out + sizeof(header);
    for (int y = 0; y < SwatchSide; ++y) {
        unsigned char* p = rows + y * stride;
        for (int x = 0; x < SwatchSide; ++x) {
            *p++ = ColourComponent(3, colour);
            *p++ = ColourComponent(2, colour);
            *p++ = ColourComponent(1, colour);
        }
        for (int pad = SwatchSide * 3; pad < stride; ++pad)
            *p++ = 0;
    }
}

bool CopyPixelText() {
    if (!ProLensActive() || !PutTextOnClipboard(PixelText))
        return false;
    PlayClickSound();
    return true;
}

bool CopyColourSwatch() {
    if (!ProLensActive() || !PutSwatchOnClipboard())
        return false;
    PlayClickSound();
    return true;
}

void PlayClickSound() {
    if (LensSettings.SoundOn != 1 || !ClickSound)
        return;
    sndPlaySoundA(static_cast<const char*>(LockResource(ClickSound)), SND_MEMORY | SND_NODEFAULT);
}
