// The Pro grid and Reading guide against their pixel-by-pixel definition, and
// the refresh's copy into the window against the masked blit it replaces.
#include <gtest/gtest.h>

#include "drawing_fixture.h"

namespace {

constexpr COLORREF Key = 0x00FF00FF;
constexpr COLORREF Red = 0x000000FF;
constexpr COLORREF White = 0x00FFFFFF;

// The grid as defined: pairs of SetPixel calls along every line, horizontal
// lines first, in the four colours given.
void ReferenceGrid(HDC dc, const LensGeometry& g, COLORREF ge, COLORREF go, COLORREF ce,
                   COLORREF co) {
    const int C = g.SourceColumns, R = g.SourceRows, z = g.Zoom, hc = C / 2, hr = R / 2;
    for (int i = 0; i <= R; ++i)
        for (int j = 0; j <= z * C + 1; j += 2) {
            if ((i == hr || i == hr + 1) && hc * z <= j && j <= (hc + 1) * z) {
                SetPixel(dc, j, i * z, ce);
                SetPixel(dc, j + 1, i * z, co);
            } else {
                SetPixel(dc, j, i * z, ge);
                if (j <= z * C - 1)
                    SetPixel(dc, j + 1, i * z, go);
            }
        }
    for (int i = 0; i <= C; ++i)
        for (int j = 0; j <= z * R + 1; j += 2) {
            if ((i == hc || i == hc + 1) && hr * z <= j && j <= (hr + 1) * z) {
                SetPixel(dc, i * z, j, ce);
                SetPixel(dc, i * z, j + 1, co);
            } else {
                SetPixel(dc, i * z, j, ge);
                if (j <= z * R - 1)
                    SetPixel(dc, i * z, j + 1, go);
            }
        }
}

// PassMask as colour pixels: white passes, black keeps.
void ReadMask(PixelSurface& out) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, PassMask);
    out.CopyFrom(dc);
    SelectObject(dc, old);
    DeleteDC(dc);
}

int CountDifferences(const PixelSurface& a, const PixelSurface& b) {
    int n = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            n += a.At(x, y) != b.At(x, y);
    return n;
}

class Overlay : public ::testing::Test {
protected:
    void SetUp() override { StartDrawing(); }
    void TearDown() override { StopDrawing(); }
};

TEST_F(Overlay, GridAndMaskArePixelForPixelTheDefinitionAndFollowEveryFactorChange) {
    struct Case {
        int factor, format;
    };
    // Format 11 at Zoom 6 and then 9 gives the same image with another grid;
    // format 12 at Zoom 7 has each line's last pair start beyond the image.
    for (Case c : {Case{6, 11}, Case{9, 11}, Case{7, 12}, Case{10, 26}, Case{8, 14}, Case{10, 14}}) {
        SCOPED_TRACE(testing::Message() << "factor " << c.factor << " format " << c.format);
        UseLayout(ModePro, c.factor, c.format);
        const LensGeometry& g = Geometry;
        BuildProOverlay();
        PixelSurface shown(g.ImageWidth, g.ImageHeight), want(g.ImageWidth, g.ImageHeight);
        shown.CopyFrom(OverlaySurface);
        RECT all{0, 0, g.ImageWidth, g.ImageHeight};
        FillRect(want.dc, &all, KeyBrush);
        ReferenceGrid(want.dc, g, 0x00808080, 0x00C0C0C0, Red, White);
        GdiFlush();
        EXPECT_EQ(CountDifferences(shown, want), 0);

        PixelSurface mask(g.ImageWidth, g.ImageHeight);
        ReadMask(mask);
        FillRect(want.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        ReferenceGrid(want.dc, g, 0, 0, 0, 0);
        GdiFlush();
        EXPECT_EQ(CountDifferences(mask, want), 0);

        if (c.format == 11 && c.factor == 6) {
            ASSERT_EQ(g.ImageWidth, 127);
            ASSERT_EQ(g.ImageHeight, 91);
            int black = 0;
            for (int y = 0; y < 91; ++y)
                for (int x = 0; x < 127; ++x)
                    black += mask.At(x, y) == 0;
            EXPECT_EQ(black, 3682);
            for (int k = 0; k < 4; ++k) {
                for (int line : {42, 48}) {
                    EXPECT_EQ(shown.At(60 + 2 * k, line), Red);
                    EXPECT_EQ(shown.At(61 + 2 * k, line), White);
                }
                for (int line : {60, 66}) {
                    EXPECT_EQ(shown.At(line, 42 + 2 * k), Red);
                    EXPECT_EQ(shown.At(line, 43 + 2 * k), White);
                }
            }
            EXPECT_EQ(shown.At(6, 6), 0x00808080u);
            EXPECT_EQ(shown.At(7, 6), 0x00C0C0C0u);
        }
    }
}

TEST_F(Overlay, ReadingGuideIsOneRedAndWhiteRowBelowThePointersRow) {
    UseLayout(ModeReading, 2, 31);
    const LensGeometry& g = Geometry;
    ASSERT_EQ(g.SourceRows, 45);
    BuildReadingMask();
    PixelSurface shown(g.ImageWidth, g.ImageHeight), mask(g.ImageWidth, g.ImageHeight);
    shown.CopyFrom(OverlaySurface);
    ReadMask(mask);
    int red = 0;
    for (int y = 0; y < g.ImageHeight; ++y)
        for (int x = 0; x < g.ImageWidth; ++x) {
            const COLORREF o = shown.At(x, y);
            if (y == 46) {
                ASSERT_TRUE(o == Red || o == White) << x;
                red += o == Red;
                ASSERT_EQ(mask.At(x, y), 0u) << x;
            } else {
                ASSERT_EQ(o, Key) << x << "," << y;
                ASSERT_EQ(mask.At(x, y), White) << x << "," << y;
            }
        }
    EXPECT_GT(red, g.ImageWidth / 4);
    EXPECT_LT(red, g.ImageWidth);
    // A Pro show after it builds its grid again, whatever the sizes.
    EXPECT_EQ(OverlayBuiltZoom, 0);
}

// Window pixels after the refresh's copy, drawn both ways over the same
// window: the masked blit of old and the picture composed in memory.
TEST_F(Overlay, CopyIntoTheWindowGivesTheMaskedBlitsPixels) {
    struct Case {
        int mode, factor, format;
    };
    HDC lensDC = LensDC;
    for (Case c : {Case{ModePro, 6, 11}, Case{ModePro, 7, 12}, Case{ModePro, 10, 14},
                   Case{ModePro, 9, 25}, Case{ModeReading, 2, 31}, Case{ModeReading, 3, 33}}) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " factor " << c.factor << " format "
                                        << c.format);
        LensDC = lensDC;
        UseLayout(c.mode, c.factor, c.format);
        const LensGeometry& g = Geometry;
        PrepareShow();
        if (c.mode == ModePro)
            BuildProOverlay();
        else
            BuildReadingMask();
        PixelSurface old(g.WindowWidth, g.WindowHeight), now(g.WindowWidth, g.WindowHeight);
        for (PixelSurface* window : {&old, &now}) {
            // What the window held before: something that is neither picture nor grid.
            for (int i = 0; i < window->width * window->height; ++i)
                window->bits[i] = static_cast<DWORD>(i * 2654435761u) & 0x00FFFFFF;
            uint32_t* picture = SurfacePixels(ZoomSurface);
            ASSERT_NE(picture, nullptr);
            for (int i = 0; i < g.ImageWidth * g.ImageHeight; ++i)
                picture[i] = static_cast<uint32_t>(i * 40503u + 7) & 0x00FFFFFF;
            LensDC = window->dc;
            BlitOverlay();
            if (window == &old)
                MaskBlt(LensDC, g.ImageLeft, g.ImageTop, g.ImageWidth, g.ImageHeight, ZoomSurface,
                        0, 0, PassMask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029));
            else
                PutPictureInWindow();
            GdiFlush();
        }
        EXPECT_EQ(CountDifferences(old, now), 0);
    }
    LensDC = lensDC;
}

// A refresh over an unchanged picture leaves the window alone, until a paint
// has erased what the window showed.
TEST_F(Overlay, AnUnchangedPictureIsCopiedAgainOnlyAfterAPaint) {
    HDC lensDC = LensDC;
    UseLayout(ModePro, 6, 11);
    const LensGeometry& g = Geometry;
    PrepareShow();
    BuildProOverlay();
    PixelSurface window(g.WindowWidth, g.WindowHeight);
    LensDC = window.dc;
    Initialised = 1;
    LensShown = 1;
    LensActive = 1;
    RefreshLens();
    GdiFlush();
    const COLORREF corner = window.At(g.ImageLeft, g.ImageTop);  // a grid pixel
    EXPECT_EQ(corner, 0x00808080u);
    RECT all{0, 0, g.WindowWidth, g.WindowHeight};
    FillRect(window.dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    RefreshLens();
    GdiFlush();
    EXPECT_EQ(window.At(g.ImageLeft + 1, g.ImageTop + 1), 0u);  // left alone
    PaintLens();
    GdiFlush();
    EXPECT_EQ(window.At(g.ImageLeft, g.ImageTop), corner);
    // The strip was drawn again too: white around the text.
    EXPECT_EQ(window.At(g.TextStripRect.left, g.TextStripRect.top), 0x00FFFFFFu);
    LensActive = 0;
    LensShown = 0;
    LensDC = lensDC;
}

}  // namespace
