// The self-image drawn straight into the magnified picture must give exactly
// the pixels of the picture built at Zoom times the window size and copied in.
#include <gtest/gtest.h>

#include <string>

#include "avoidance/avoidance.h"
#include "drawing_fixture.h"

namespace {

struct Layout {
    int mode, factor, format;
};

// Every pixel different from its neighbours, so that a shifted copy shows.
void FillPattern(HDC dc, int w, int h) {
    PixelSurface p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.bits[static_cast<size_t>(y) * w + x] =
                static_cast<DWORD>(((x * 7 + y) & 0xFF) << 16 | ((y * 13 + x * 3) & 0xFF) << 8 |
                                   (((x + y) * 5) & 0xFF));
    BitBlt(dc, 0, 0, w, h, p.dc, 0, 0, SRCCOPY);
}

class SelfImage : public ::testing::TestWithParam<Layout> {
protected:
    void SetUp() override { StartDrawing(); }
    void TearDown() override {
        MovedAside = 0;
        StopDrawing();
    }
};

TEST_P(SelfImage, DrawnInPlaceEqualsTheFullSizePictureCopiedIn) {
    const Layout l = GetParam();
    UseLayout(l.mode, l.factor, l.format);
    PrepareShow();
    const LensGeometry& g = Geometry;
    const int iw = g.ImageWidth;
    const int ih = g.ImageHeight;

    // The whole window Zoom times enlarged: logo and zoom bevel.
    const int sw = g.Zoom * g.WindowWidth;
    const int sh = g.Zoom * g.WindowHeight;
    HDC full = CreateCompatibleDC(LensDC);
    HBITMAP fullBitmap = CreateCompatibleBitmap(LensDC, sw, sh);
    HGDIOBJ oldFull = SelectObject(full, fullBitmap);
    PlaceLogo(full, sw, sh);
    DrawZoomBevel(full, sw, sh);

    HDC pattern = CreateCompatibleDC(LensDC);
    HBITMAP patternBitmap = CreateCompatibleBitmap(LensDC, iw, ih);
    HGDIOBJ oldPattern = SelectObject(pattern, patternBitmap);
    FillPattern(pattern, iw, ih);

    PixelSurface expected(iw, ih);
    PixelSurface actual(iw, ih);
    int painted = 0;
    bool clippedLeft = false, clippedRight = false, clippedTop = false, clippedBottom = false;
    const int hc = g.SourceColumns / 2;
    const int hr = g.SourceRows / 2;
    for (int aside : {0, 1}) {
        MovedAside = aside;
        // Pointer positions from where the captured area just reaches the
        // window to where it has passed it, on both axes.
        const int wx = aside == 1 && l.mode != ModeReading
                           ? g.HomeX - g.WindowWidth - static_cast<int>(0.55 * g.SourceColumns)
                           : g.HomeX;
        const int wy = aside == 1 && l.mode == ModeReading
                           ? g.HomeY - g.WindowHeight - static_cast<int>(0.55 * g.SourceRows)
                           : g.HomeY;
        const int x0 = wx - hc - 3, x1 = wx + g.WindowWidth + hc + 3;
        const int y0 = wy - hr - 3, y1 = wy + g.WindowHeight + hr + 3;
        for (int i = 0; i <= 12; ++i)
            for (int j = 0; j <= 10; ++j) {
                const int px = x0 + (x1 - x0) * i / 12;
                const int py = y0 + (y1 - y0) * j / 10;
                int x = 0, y = 0;
                if (!SelfImageOffset(g, l.mode == ModeReading, aside, px, py, &x, &y))
                    continue;
                BitBlt(ZoomSurface, 0, 0, iw, ih, pattern, 0, 0, SRCCOPY);
                BitBlt(ZoomSurface, x, y, sw, sh, full, 0, 0, SRCCOPY);
                expected.CopyFrom(ZoomSurface);

                BitBlt(ZoomSurface, 0, 0, iw, ih, pattern, 0, 0, SRCCOPY);
                PointerPos = {px, py};
                PaintSelfImage(aside);
                actual.CopyFrom(ZoomSurface);

                ++painted;
                clippedLeft |= x < 0;
                clippedTop |= y < 0;
                clippedRight |= x + sw > iw && x < iw;
                clippedBottom |= y + sh > ih && y < ih;
                int wrong = 0;
                for (int k = 0; k < iw * ih; ++k)
                    wrong += expected.bits[k] != actual.bits[k];
                EXPECT_EQ(wrong, 0) << "pointer (" << px << ", " << py << ") aside " << aside
                                    << " self-image at (" << x << ", " << y << ")";
            }
    }
    EXPECT_GT(painted, 20);
    EXPECT_TRUE(clippedLeft && clippedRight && clippedTop && clippedBottom)
        << clippedLeft << clippedRight << clippedTop << clippedBottom;

    SelectObject(pattern, oldPattern);
    DeleteObject(patternBitmap);
    DeleteDC(pattern);
    SelectObject(full, oldFull);
    DeleteObject(fullBitmap);
    DeleteDC(full);
}

const Layout SmallLayouts[] = {
    {ModeCommon, 2, 11}, {ModeCommon, 3, 21}, {ModeCommon, 5, 12},  {ModePro, 2, 11},
    {ModePro, 7, 21},    {ModeReading, 2, 31}, {ModeReading, 3, 32},
};

std::string LayoutName(const ::testing::TestParamInfo<Layout>& info) {
    const char* mode[] = {"Common", "Pro", "Reading"};
    return std::string(mode[info.param.mode]) + "Factor" + std::to_string(info.param.factor) +
           "Format" + std::to_string(info.param.format);
}

INSTANTIATE_TEST_SUITE_P(Layouts, SelfImage, ::testing::ValuesIn(SmallLayouts), LayoutName);

}  // namespace
