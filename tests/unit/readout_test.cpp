// The pixel value text for every format and base, and the copies on the real
// clipboard.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver.h"
#include "drawing_fixture.h"
#include "readout/readout.h"

namespace {

std::string Text(COLORREF colour, int format, int base, const char* before = "") {
    char text[PixelTextSize];
    snprintf(text, sizeof(text), "%s", before);
    FormatPixelValue(colour, format, base, text);
    return text;
}

TEST(PixelText, EveryFormatAndBase) {
    const COLORREF c = 0x0005AB12;  // red 18, green 171, blue 5
    EXPECT_EQ(Text(c, 1, 1), "5AB12");
    EXPECT_EQ(Text(c, 1, 2), "371474");
    EXPECT_EQ(Text(c, 1, 3), "1011010101100010010");
    EXPECT_EQ(Text(c, 2, 1), "12AB05");
    EXPECT_EQ(Text(c, 2, 2), "1223429");
    EXPECT_EQ(Text(c, 2, 3), "100101010101100000101");
    EXPECT_EQ(Text(c, 3, 1), "(0x12, 0xAB, 0x5)");
    EXPECT_EQ(Text(c, 3, 2), "(18, 171, 5)");
    EXPECT_EQ(Text(c, 3, 3), "(0x12, 0xAB, 0x5)");

    for (int base = 1; base <= 3; ++base) {
        EXPECT_EQ(Text(0, 1, base), "0");
        EXPECT_EQ(Text(0, 2, base), "0");
    }
    EXPECT_EQ(Text(0, 3, 2), "(0, 0, 0)");
    EXPECT_EQ(Text(0, 3, 1), "(0x0, 0x0, 0x0)");
    for (int format = 1; format <= 2; ++format) {
        EXPECT_EQ(Text(0x00FFFFFF, format, 1), "FFFFFF");
        EXPECT_EQ(Text(0x00FFFFFF, format, 2), "16777215");
        EXPECT_EQ(Text(0x00FFFFFF, format, 3), std::string(24, '1'));
    }
    EXPECT_EQ(Text(0x00FF0000, 1, 1), "FF0000");  // pure blue
    EXPECT_EQ(Text(0x00FF0000, 2, 1), "FF");
    // The invalid colour of a pixel that cannot be read.
    EXPECT_EQ(Text(0xFFFFFFFF, 1, 1), "FFFFFFFF");
    EXPECT_EQ(Text(0xFFFFFFFF, 1, 2), "-1");
    EXPECT_EQ(Text(0xFFFFFFFF, 1, 3), std::string(32, '1'));
    EXPECT_EQ(Text(0xFFFFFFFF, 2, 1), "FFFFFF");
    EXPECT_EQ(Text(0xFFFFFFFF, 2, 2), "16777215");
    EXPECT_EQ(Text(0xFFFFFFFF, 3, 2), "(255, 255, 255)");
    // A base from an edited profile keeps the last text; an unknown format reads as BGR.
    EXPECT_EQ(Text(c, 1, 7, "last"), "last");
    EXPECT_EQ(Text(c, 3, 0, "last"), "last");
    EXPECT_EQ(Text(c, 9, 1), "5AB12");
}

// The web and design texts take no base; hsl() rounds exact halves up.
TEST(PixelText, WebAndDesignTexts) {
    const COLORREF c = RGB(18, 171, 5);
    for (int base : {1, 2, 3, 7}) {
        EXPECT_EQ(Text(c, 4, base), "#12AB05");
        EXPECT_EQ(Text(c, 5, base), "rgb(18, 171, 5)");
        EXPECT_EQ(Text(c, 6, base), "hsl(115, 94%, 35%)");
    }
    struct Worked {
        COLORREF colour;
        const char *hex, *rgb, *hsl;
    };
    const Worked worked[] = {
        {RGB(0, 0, 0), "#000000", "rgb(0, 0, 0)", "hsl(0, 0%, 0%)"},
        {RGB(255, 255, 255), "#FFFFFF", "rgb(255, 255, 255)", "hsl(0, 0%, 100%)"},
        {RGB(255, 0, 0), "#FF0000", "rgb(255, 0, 0)", "hsl(0, 100%, 50%)"},
        {RGB(0, 255, 0), "#00FF00", "rgb(0, 255, 0)", "hsl(120, 100%, 50%)"},
        {RGB(0, 0, 255), "#0000FF", "rgb(0, 0, 255)", "hsl(240, 100%, 50%)"},
        {RGB(127, 128, 255), "#7F80FF", "rgb(127, 128, 255)", "hsl(240, 100%, 75%)"},
        {RGB(200, 40, 40), "#C82828", "rgb(200, 40, 40)", "hsl(0, 67%, 47%)"},
        {RGB(17, 24, 0), "#111800", "rgb(17, 24, 0)", "hsl(78, 100%, 5%)"},      // 77.5
        {RGB(0, 35, 56), "#002338", "rgb(0, 35, 56)", "hsl(203, 100%, 11%)"},    // 202.5
        {RGB(9, 7, 7), "#090707", "rgb(9, 7, 7)", "hsl(0, 13%, 3%)"},            // 12.5 %
        {RGB(128, 128, 129), "#808081", "rgb(128, 128, 129)", "hsl(240, 0%, 50%)"},
        {RGB(255, 254, 255), "#FFFEFF", "rgb(255, 254, 255)", "hsl(300, 100%, 100%)"},
        {RGB(255, 0, 1), "#FF0001", "rgb(255, 0, 1)", "hsl(0, 100%, 50%)"},  // 359.76 is 0
    };
    for (const Worked& w : worked) {
        EXPECT_EQ(Text(w.colour, 4, 1), w.hex);
        EXPECT_EQ(Text(w.colour, 5, 1), w.rgb);
        EXPECT_EQ(Text(w.colour, 6, 1), w.hsl);
    }
    EXPECT_EQ(Text(RGB(255, 254, 255), 6, 1).size(), 20u);  // the longest text
    // The invalid colour's top byte is not a channel.
    EXPECT_EQ(Text(0xFFFFFFFF, 4, 1), "#FFFFFF");
}

void PutSentinel() {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 8);
    strcpy(static_cast<char*>(GlobalLock(h)), "before");
    GlobalUnlock(h);
    SetClipboardData(CF_TEXT, h);
    CloseClipboard();
}

class Clipboard : public ::testing::Test {
protected:
    void SetUp() override {
        StartDrawing();
        UseLayout(ModePro, 2, 24);
        LensSettings.SoundOn = 0;
        SetLensStateForTest(LensState::ShownMagnifying);
        PointerPos = {5, 5};
    }
    void TearDown() override {
        SetLensStateForTest(LensState::Hidden);
        StopDrawing();
    }
};

TEST_F(Clipboard, CtrlAndShiftCopyTextAndSwatchOwnedByTheLens) {
    snprintf(PixelText, sizeof(PixelText), "(18, 171, 5)");
    EXPECT_TRUE(CopyPixelText());
    EXPECT_EQ(ClipboardText(), "(18, 171, 5)");
    EXPECT_EQ(GetClipboardOwner(), LensWindow);

    // The colour the text shows (the refresh's read), whatever the screen holds now.
    const COLORREF colour = RGB(0x80, 0x7F, 0xFE);
    PointerColour = colour;
    EXPECT_TRUE(CopyColourSwatch());
    ASSERT_TRUE(OpenClipboard(nullptr));
    HBITMAP swatch = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP b{};
    GetObjectA(swatch, sizeof(b), &b);
    EXPECT_EQ(b.bmWidth, 10);
    EXPECT_EQ(b.bmHeight, 10);
    PixelSurface pixels(10, 10);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, swatch);
    pixels.CopyFrom(dc);
    SelectObject(dc, old);
    DeleteDC(dc);
    CloseClipboard();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(pixels.At(x, y), colour) << x << "," << y;
}

// 10 x 10 at 24 bits: rows of 30 bytes padded to 32, after a 40-byte header.
TEST(Swatch, APackedDibOfOneColour) {
    ASSERT_EQ(SwatchDibSize, 360u);
    unsigned char dib[SwatchDibSize];
    memset(dib, 0xAA, sizeof(dib));
    WriteSwatchDib(RGB(0x12, 0x34, 0x56), dib);
    BITMAPINFOHEADER head{};
    memcpy(&head, dib, sizeof(head));
    EXPECT_EQ(head.biSize, 40u);
    EXPECT_EQ(head.biWidth, 10);
    EXPECT_EQ(head.biHeight, 10);
    EXPECT_EQ(head.biPlanes, 1);
    EXPECT_EQ(head.biBitCount, 24);
    EXPECT_EQ(head.biCompression, static_cast<DWORD>(BI_RGB));
    for (int row = 0; row < 10; ++row) {
        const unsigned char* p = dib + 40 + row * 32;
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(p[3 * x], 0x56);  // blue, green, red
            EXPECT_EQ(p[3 * x + 1], 0x34);
            EXPECT_EQ(p[3 * x + 2], 0x12);
        }
        EXPECT_EQ(p[30], 0);
        EXPECT_EQ(p[31], 0);
    }
}

TEST_F(Clipboard, NothingOutsideAnActiveProLens) {
    PutSentinel();
    SetLensStateForTest(LensState::Hidden);
    EXPECT_FALSE(CopyPixelText());
    EXPECT_FALSE(CopyColourSwatch());
    SetLensStateForTest(LensState::ShownMagnifying);
    for (int mode : {ModeCommon, ModeReading}) {
        UseLayout(mode, 2, mode == ModeReading ? 31 : 24);
        EXPECT_FALSE(CopyPixelText());
        EXPECT_FALSE(CopyColourSwatch());
    }
    EXPECT_EQ(ClipboardText(), "before");
}

DWORD WINAPI HoldClipboard(void* param) {
    HANDLE* events = static_cast<HANDLE*>(param);
    OpenClipboard(nullptr);
    SetEvent(events[0]);
    WaitForSingleObject(events[1], 10000);
    CloseClipboard();
    return 0;
}

TEST_F(Clipboard, AHeldClipboardGivesNoCopyNoClickAndFreesWhatItDidNotTake) {
    PutSentinel();
    HANDLE events[2] = {CreateEventA(nullptr, TRUE, FALSE, nullptr),
                        CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    HANDLE holder = CreateThread(nullptr, 0, HoldClipboard, events, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(events[0], 10000), WAIT_OBJECT_0);

    EXPECT_FALSE(CopyPixelText());  // false: no click was played
    EXPECT_FALSE(CopyColourSwatch());
    HBITMAP bitmap = CreateCompatibleBitmap(LensDC, 10, 10);
    EXPECT_FALSE(HandToClipboard(CF_BITMAP, bitmap));
    EXPECT_EQ(GetObjectType(bitmap), 0u);  // deleted
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 50);
    EXPECT_FALSE(HandToClipboard(CF_TEXT, block));
    EXPECT_EQ(GlobalSize(block), 0u);  // freed

    SetEvent(events[1]);
    WaitForSingleObject(holder, 10000);
    CloseHandle(holder);
    CloseHandle(events[0]);
    CloseHandle(events[1]);
    EXPECT_EQ(ClipboardText(), "before");
}

// A copy with a part that could not be made leaves the clipboard alone: no
// emptied clipboard, no entry promising data later.
TEST_F(Clipboard, ACopyWithAMissingPartLeavesTheClipboardAlone) {
    PutSentinel();
    const DWORD before = GetClipboardSequenceNumber();
    EXPECT_FALSE(HandToClipboard(CF_BITMAP, nullptr));
    HBITMAP bitmap = CreateCompatibleBitmap(LensDC, 10, 10);
    const ClipboardItem items[] = {{CF_BITMAP, bitmap}, {CF_DIB, nullptr}};
    EXPECT_FALSE(HandToClipboard(items, 2));
    EXPECT_EQ(GetObjectType(bitmap), 0u);  // deleted
    EXPECT_EQ(GetClipboardSequenceNumber(), before);
    EXPECT_EQ(ClipboardText(), "before");
}

}  // namespace
