// The Pro grid and Reading guide against their pixel-by-pixel definition, and
// the refresh's copy into the window against the masked blit it replaces.
#include <gtest/gtest.h>

#include "drawing_fixture.h"

namespace {

constexpr COLORREF Key = 0x00FF00FF;

// The monochrome mask the masked blit of old took, made from the overlay:
// white (pass) wherever the overlay is magenta, black on its grid or guide.
HBITMAP MaskOfOverlay(int width, int height) {
    PixelSurface overlay(width, height);
    overlay.CopyFrom(OverlaySurface);
    const int stride = (width + 15) / 16 * 2;  // rows padded to 16 bits
    std::vector<uint8_t> bits(static_cast<size_t>(stride) * height, 0xFF);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (overlay.At(x, y) != Key)
                bits[static_cast<size_t>(y) * stride + x / 8] &= ~(0x80 >> (x % 8));
    return CreateBitmap(width, height, 1, 1, bits.data());
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
    // Worked by hand: image size, the pointer cell's near lines, and the grid
    // pixels (lines x image length, less the crossings) the mask blacks out.
    struct Case {
        int factor, format, width, height, cellX, cellY, gridPixels;
    };
    // Format 11 at Zoom 6 and then 9 gives the same image with another grid;
    // format 12 at Zoom 7 has each line's last pair start beyond the image,
    // and its odd pointer-cell lines start their frame one pixel in.
    for (Case c : {Case{6, 11, 127, 91, 60, 42, 16 * 127 + 22 * 91 - 16 * 22},
                   Case{9, 11, 127, 91, 63, 45, 11 * 127 + 15 * 91 - 11 * 15},
                   Case{7, 12, 176, 141, 84, 70, 21 * 176 + 26 * 141 - 21 * 26},
                   Case{10, 26, 761, 431, 380, 210, 44 * 761 + 77 * 431 - 44 * 77},
                   Case{8, 14, 321, 241, 160, 120, 31 * 321 + 41 * 241 - 31 * 41},
                   Case{10, 14, 321, 241, 160, 120, 25 * 321 + 33 * 241 - 25 * 33}}) {
        SCOPED_TRACE(testing::Message() << "factor " << c.factor << " format " << c.format);
        UseLayout(ModePro, c.factor, c.format);
        const LensGeometry& g = Geometry;
        ASSERT_EQ(g.ImageWidth, c.width);
        ASSERT_EQ(g.ImageHeight, c.height);
        BuildProOverlay();
        PixelSurface shown(g.ImageWidth, g.ImageHeight);
        shown.CopyFrom(OverlaySurface);
        int wrong = 0, black = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const COLORREF want = WorkedGridColour(x, y, c.factor, g.SourceColumns,
                                                       g.SourceRows);
                wrong += shown.At(x, y) != (want == NotGrid ? Key : want);
                black += shown.At(x, y) != Key;
            }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(black, c.gridPixels);
        // The frame's top side and left side start red on the cell's corner.
        const int z = c.factor;
        const int first = c.cellX + c.cellX % 2, firstY = c.cellY + c.cellY % 2;
        EXPECT_EQ(shown.At(first, c.cellY), Red);
        EXPECT_EQ(shown.At(first + 1, c.cellY), White);
        EXPECT_EQ(shown.At(c.cellX, firstY), Red);
        EXPECT_EQ(shown.At(c.cellX + z, firstY + 1), White);
        EXPECT_EQ(shown.At(c.cellX - 2 * z, 0), Grey);  // a crossing on the top line

        if (c.format == 11 && c.factor == 6) {
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
            EXPECT_EQ(shown.At(6, 6), Grey);
            EXPECT_EQ(shown.At(7, 6), Silver);
        }
    }
}

// The frame surrounds the whole block whose mean is read; a sample chosen
// between two shows of the same layout draws the new frame.
TEST_F(Overlay, TheFrameSurroundsTheSampledBlock) {
    for (SampleSize sample : {SampleSize::Three, SampleSize::Five, SampleSize::One}) {
        SCOPED_TRACE(static_cast<int>(sample));
        LensSettings.Sample = sample;
        UseLayout(ModePro, 6, 11);
        BuildProOverlay();
        const LensGeometry& g = Geometry;
        PixelSurface shown(g.ImageWidth, g.ImageHeight);
        shown.CopyFrom(OverlaySurface);
        int wrong = 0;
        for (int y = 0; y < g.ImageHeight; ++y)
            for (int x = 0; x < g.ImageWidth; ++x) {
                const COLORREF want = WorkedGridColour(x, y, 6, g.SourceColumns, g.SourceRows,
                                                       SampleHalf(sample));
                wrong += shown.At(x, y) != (want == NotGrid ? Key : want);
            }
        EXPECT_EQ(wrong, 0);
    }
    // Worked by hand for 5 x 5: the frame's lines at x 48 and 78, y 30 and 60.
    LensSettings.Sample = SampleSize::Five;
    BuildProOverlay();
    PixelSurface shown(Geometry.ImageWidth, Geometry.ImageHeight);
    shown.CopyFrom(OverlaySurface);
    EXPECT_EQ(shown.At(48, 30), Red);
    EXPECT_EQ(shown.At(49, 30), White);
    EXPECT_EQ(shown.At(78, 60), Red);
    EXPECT_EQ(shown.At(60, 42), Grey);  // the pointer's own corner: plain grid
    LensSettings.Sample = SampleSize::One;
}

TEST_F(Overlay, ReadingGuideIsOneRedAndWhiteRowBelowThePointersRow) {
    UseLayout(ModeReading, 2, 31);
    const LensGeometry& g = Geometry;
    ASSERT_EQ(g.SourceRows, 45);
    BuildReadingMask();
    PixelSurface shown(g.ImageWidth, g.ImageHeight);
    shown.CopyFrom(OverlaySurface);
    std::vector<COLORREF> guide;
    for (int y = 0; y < g.ImageHeight; ++y)
        for (int x = 0; x < g.ImageWidth; ++x) {
            const COLORREF o = shown.At(x, y);
            if (y == 46)
                guide.push_back(o);
            else
                ASSERT_EQ(o, Key) << x << "," << y;
        }
    EXPECT_TRUE(RegularDots(guide, 0));
    // A Pro show after it builds its grid again, whatever the sizes.
    EXPECT_EQ(BuiltOverlayZoom(), 0);
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
        const HBITMAP mask = MaskOfOverlay(g.ImageWidth, g.ImageHeight);
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
                        0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029));
            else
                PutPictureInWindow();
            GdiFlush();
        }
        DeleteObject(mask);
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
    SetInitialisedForTest(true);
    SetLensStateForTest(LensState::ShownMagnifying);
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
    SetLensStateForTest(LensState::Hidden);
    LensDC = lensDC;
}

}  // namespace
