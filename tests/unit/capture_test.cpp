#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "render/render.h"

namespace {

struct Desk {
    const char* name;
    std::vector<LensRect> monitors;
};

LensGeometry Captured(int columns, int rows, int zoom, const std::vector<LensRect>& monitors,
                      int pro = 0) {
    LensGeometry g{};
    g.Zoom = zoom;
    g.SourceColumns = columns;
    g.SourceRows = rows;
    g.ImageWidth = columns * zoom + pro;
    g.ImageHeight = rows * zoom + pro;
    g.Monitors.Count = static_cast<int>(monitors.size());
    for (size_t i = 0; i < monitors.size(); ++i)
        g.Monitors.Rects[i] = monitors[i];
    return g;
}

const std::vector<LensRect> OneMonitor = {{0, 0, 1280, 1024}};

// Image pixels the bands grey, each counted once per band that covers it.
std::vector<int> Greyed(const LensGeometry& g, int px, int py) {
    std::vector<int> hits(static_cast<size_t>(g.ImageWidth) * g.ImageHeight);
    LensRect b[MaxOffscreenBands];
    const int n = OffscreenBands(g, px, py, b);
    for (int i = 0; i < n; ++i)
        for (int y = b[i].top; y < b[i].bottom; ++y)
            for (int x = b[i].left; x < b[i].right; ++x)
                ++hits[static_cast<size_t>(y) * g.ImageWidth + x];
    return hits;
}

bool OnSomeMonitor(const LensGeometry& g, int x, int y) {
    for (int i = 0; i < g.Monitors.Count; ++i) {
        const LensRect& m = g.Monitors.Rects[i];
        if (x >= m.left && x < m.right && y >= m.top && y < m.bottom)
            return true;
    }
    return false;
}

// Every image pixel is grey exactly when the captured screen pixel it shows
// lies on no monitor; the extra Pro pixel belongs to the last cell.
void ExpectExact(const LensGeometry& g, int px, int py, const char* desk) {
    const std::vector<int> hits = Greyed(g, px, py);
    const int left = px - g.SourceColumns / 2;
    const int top = py - g.SourceRows / 2;
    for (int y = 0; y < g.ImageHeight; ++y)
        for (int x = 0; x < g.ImageWidth; ++x) {
            const int cx = x / g.Zoom < g.SourceColumns ? x / g.Zoom : g.SourceColumns - 1;
            const int cy = y / g.Zoom < g.SourceRows ? y / g.Zoom : g.SourceRows - 1;
            const int want = OnSomeMonitor(g, left + cx, top + cy) ? 0 : 1;
            const int got = hits[static_cast<size_t>(y) * g.ImageWidth + x];
            if (got != want) {
                ADD_FAILURE() << desk << ": pointer (" << px << ", " << py << "), "
                              << g.SourceColumns << " x " << g.SourceRows << " cells, image pixel ("
                              << x << ", " << y << ") greyed " << got << " times, want " << want;
                return;
            }
        }
}

TEST(OffscreenBands, GreyExactlyTheCellsOnNoMonitorAtEveryEdgeAndCorner) {
    const Desk desks[] = {
        {"one monitor", OneMonitor},
        // A taller second monitor on the left: the primary leaves a hole below it.
        {"left of the primary", {{0, 0, 1280, 1024}, {-1920, 0, 0, 1080}}},
        // A smaller one on the right, lower down: holes above it and below the primary.
        {"right of the primary", {{0, 0, 1280, 1024}, {1280, 200, 2304, 968}}},
        {"above the primary", {{0, 0, 1280, 1024}, {160, -768, 1184, 0}}},
        // An L of three: the corner between the two outer ones is on no monitor.
        {"hole", {{0, 0, 1280, 1024}, {1280, 0, 2560, 1024}, {0, 1024, 1280, 2048}}},
    };
    struct Counts {
        int columns, rows, zoom, pro;
    };
    const Counts counts[] = {{25, 17, 4, 0}, {24, 16, 3, 0}, {24, 17, 2, 0}, {21, 15, 6, 1}};
    for (const Desk& desk : desks)
        for (const Counts& c : counts) {
            const LensGeometry g = Captured(c.columns, c.rows, c.zoom, desk.monitors, c.pro);
            // Every corner and every edge's middle of every monitor, and one
            // pixel either side of them.
            for (const LensRect& m : desk.monitors) {
                const int xs[] = {m.left, (m.left + m.right) / 2, m.right - 1};
                const int ys[] = {m.top, (m.top + m.bottom) / 2, m.bottom - 1};
                for (int x : xs)
                    for (int y : ys)
                        for (int dx = -1; dx <= 1; ++dx)
                            for (int dy = -1; dy <= 1; ++dy)
                                ExpectExact(g, x + dx, y + dy, desk.name);
            }
        }
}

TEST(OffscreenBands, WorkedExamplesAtTheScreensEdges) {
    // Pointer at (0, 0), 25 x 17 cells (hc 12, hr 8): exactly 12 columns and
    // 8 rows lie off-screen; the screen's own first column and row show.
    LensGeometry g = Captured(25, 17, 4, OneMonitor);
    std::vector<int> grey = Greyed(g, 0, 0);
    auto at = [&](int x, int y) { return grey[static_cast<size_t>(y) * g.ImageWidth + x]; };
    EXPECT_EQ(at(12 * 4 - 1, g.ImageHeight - 1), 1);
    EXPECT_EQ(at(12 * 4, g.ImageHeight - 1), 0);
    EXPECT_EQ(at(g.ImageWidth - 1, 8 * 4 - 1), 1);
    EXPECT_EQ(at(g.ImageWidth - 1, 8 * 4), 0);
    EXPECT_EQ(at(12 * 4, 8 * 4), 0);

    // Last column and last row with even counts: the pointer's own cell
    // (column hc, row hr) shows; the hc - 1 columns and hr - 1 rows past it are grey.
    g = Captured(24, 16, 3, OneMonitor);
    grey = Greyed(g, 1279, 1023);
    EXPECT_EQ(at(12 * 3, 8 * 3), 0);
    EXPECT_EQ(at(13 * 3 - 1, 9 * 3 - 1), 0);
    EXPECT_EQ(at(13 * 3, 0), 1);
    EXPECT_EQ(at(0, 9 * 3), 1);

    // Pro: the band on the right reaches the closing grid line.
    g = Captured(21, 15, 6, OneMonitor, 1);
    LensRect b[MaxOffscreenBands];
    ASSERT_EQ(OffscreenBands(g, 1279, 500, b), 1);
    EXPECT_EQ(b[0].left, 11 * 6);
    EXPECT_EQ(b[0].right, 127);
    EXPECT_EQ(b[0].bottom, 91);

    // Inside the screen, nothing; a corner takes two bands, not one per cell.
    EXPECT_EQ(OffscreenBands(Captured(215, 120, 2, OneMonitor), 640, 512, b), 0);
    EXPECT_EQ(OffscreenBands(Captured(215, 120, 2, OneMonitor), 0, 0, b), 2);
}

TEST(OffscreenBands, AreaLargerThanTheWholeDeskGreysAllAround) {
    const LensGeometry g = Captured(41, 31, 2, {{0, 0, 20, 10}});  // hc 20, hr 15
    ExpectExact(g, 10, 5, "tiny desk");
    LensRect b[MaxOffscreenBands];
    EXPECT_LE(OffscreenBands(g, 10, 5, b), 4);
}

LensGeometry DefaultLayout() {
    LensGeometry g{};
    g.Zoom = 2;
    g.SourceColumns = 215;
    g.SourceRows = 120;
    g.ImageWidth = 430;
    g.ImageHeight = 240;
    g.WindowWidth = 444;
    g.WindowHeight = 254;
    g.HomeX = 1476;
    g.HomeY = 786;
    return g;
}

TEST(SelfImage, LandsWhereTheLensStandsAtHome) {
    const LensGeometry g = DefaultLayout();
    int x = 0, y = 0;
    ASSERT_TRUE(SelfImageOffset(g, 0, 0, 1400, 800, &x, &y));
    // The window's left edge is 183 captured columns right of the area's left
    // edge (1400 - 107 = 1293), its top 46 rows below (800 - 60 = 740).
    EXPECT_EQ(x, 2 * 183);
    EXPECT_EQ(y, 2 * 46);
    // When the area's last column reaches the window's left edge, that edge
    // lands in the last magnified column.
    EXPECT_TRUE(SelfImageOffset(g, 0, 0, 1476 - 107, 800, &x, &y));
    EXPECT_EQ(x, 430 - 2);
    // One column further left the area no longer reaches the window.
    EXPECT_FALSE(SelfImageOffset(g, 0, 0, 1476 - 108, 800, &x, &y));
    // Above the window: the area's bottom row (py + 59) must reach the
    // window's top row.
    EXPECT_TRUE(SelfImageOffset(g, 0, 0, 1400, 786 - 59, &x, &y));
    EXPECT_FALSE(SelfImageOffset(g, 0, 0, 1400, 786 - 60, &x, &y));
    // Below the window's bottom.
    EXPECT_FALSE(SelfImageOffset(g, 0, 0, 1400, 786 + 254 + 60, &x, &y));
    // Right of the window (a monitor beside the primary): the area's first
    // column (px - 107) past the window's last, 1919.
    EXPECT_TRUE(SelfImageOffset(g, 0, 0, 1920 + 106, 800, &x, &y));
    EXPECT_EQ(x, 2 * (1476 - 1919));
    EXPECT_FALSE(SelfImageOffset(g, 0, 0, 1920 + 107, 800, &x, &y));
}

TEST(SelfImage, FollowsTheLensWhenMovedAside) {
    const LensGeometry g = DefaultLayout();
    const int tc = 118;  // trunc(0.55 * 215)
    const int aside = 1476 - 1 - (444 + tc);
    int x = 0, y = 0;
    ASSERT_TRUE(SelfImageOffset(g, 0, 1, 900, 800, &x, &y));
    EXPECT_EQ(x, 2 * (1 + 107 - 900 + aside));
    EXPECT_EQ(y, 2 * (60 - 800 + 786));
    EXPECT_FALSE(SelfImageOffset(g, 0, 1, aside - 108, 800, &x, &y));
}

TEST(SelfImage, ReadingStripMovesUpAndLandsWhereItStands) {
    LensGeometry g{};
    g.Zoom = 2;
    g.SourceColumns = 632;
    g.SourceRows = 45;
    g.WindowWidth = 1278;
    g.WindowHeight = 104;
    g.HomeX = 2;
    g.HomeY = 880;
    int x = 0, y = 0;
    // The area's top-left is (640 - 316, 870 - 22) = (324, 848).
    ASSERT_TRUE(SelfImageOffset(g, 1, 0, 640, 870, &x, &y));
    EXPECT_EQ(x, 2 * (2 - 324));
    EXPECT_EQ(y, 2 * (880 - 848));
    const int tr = 24;  // trunc(0.55 * 45)
    const int raised = 880 - (104 + tr);
    ASSERT_TRUE(SelfImageOffset(g, 1, 1, 640, raised + 10, &x, &y));
    EXPECT_EQ(y, 2 * 22 - 2 * 10);
}

// Cells of the capture the self-image hides, worked on the default layout
// (window 444 x 254 at home (1476, 786), aside at x 914), one cell in from
// each self-image edge that lies inside the area.
TEST(UnseenSourceCells, TheSelfImageHidesThemOneCellInFromItsEdges) {
    const LensGeometry g = DefaultLayout();
    // Area 1293..1507 x 740..859: the window from column 183 and row 46.
    LensRect r = UnseenSourceCells(g, 0, 0, 0, 1400, 800);
    EXPECT_EQ(r.left, 184);
    EXPECT_EQ(r.top, 47);
    EXPECT_EQ(r.right, 215);
    EXPECT_EQ(r.bottom, 120);
    // Aside, area 793..1007: the window 914..1357 from column 121.
    r = UnseenSourceCells(g, 0, 0, 1, 900, 800);
    EXPECT_EQ(r.left, 122);
    EXPECT_EQ(r.right, 215);
    // The window covers only the area's last column, a border cell: none.
    r = UnseenSourceCells(g, 0, 0, 0, 1476 - 107, 800);
    EXPECT_LE(r.right, r.left);
    // The pointer over the window: the whole area is hidden in Common, but in
    // Pro the strip shows the colour of the pointer's own cell, so none is.
    r = UnseenSourceCells(g, 0, 0, 0, 1600, 900);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 215);
    EXPECT_EQ(r.bottom, 120);
    r = UnseenSourceCells(g, 0, 1, 0, 1600, 900);
    EXPECT_LE(r.right, r.left);
    // Pro with the pointer's cell (107, 60) outside them: they stay.
    r = UnseenSourceCells(g, 0, 1, 0, 1400, 800);
    EXPECT_EQ(r.left, 184);
    // Two cells left of them, the pointer's cell is outside a 3 x 3 block's
    // reach but not a 5 x 5 one's, whose mean the strip shows.
    r = UnseenSourceCells(g, 0, 1, 0, 1475, 800, 1);
    EXPECT_EQ(r.left, 109);
    r = UnseenSourceCells(g, 0, 1, 0, 1475, 800, 2);
    EXPECT_LE(r.right, r.left);
    r = UnseenSourceCells(g, 0, 0, 0, 1475, 800, 2);
    EXPECT_EQ(r.left, 109);
}

// A Pro picture (21 x 15 cells at zoom 6, with the closing grid line) whose
// every cell shows colour(c, r) (0x00RRGGBB) throughout.
std::vector<uint32_t> CellPicture(const LensGeometry& g,
                                  const std::function<uint32_t(int, int)>& colour) {
    std::vector<uint32_t> p(static_cast<size_t>(g.ImageWidth) * g.ImageHeight);
    for (int y = 0; y < g.ImageHeight; ++y)
        for (int x = 0; x < g.ImageWidth; ++x)
            p[static_cast<size_t>(y) * g.ImageWidth + x] =
                colour(std::min(x / g.Zoom, g.SourceColumns - 1),
                       std::min(y / g.Zoom, g.SourceRows - 1));
    return p;
}

TEST(BlockMean, TheMeanOfTheCellsOnAMonitorWithHalvesUp) {
    const LensGeometry one = Captured(21, 15, 6, OneMonitor, 1);
    // 3 x 3 around cell (10, 7): red 0..8 row by row, green 255 on the even
    // ones, blue 1 on one cell; grey around it.
    auto block3 = [](int c, int r) -> uint32_t {
        const int k = (r - 6) * 3 + (c - 9);
        if (c < 9 || c > 11 || r < 6 || r > 8)
            return 0x808080;
        return static_cast<uint32_t>(k) << 16 | (k % 2 == 0 ? 0xFF00u : 0u) | (k == 4 ? 1u : 0u);
    };
    std::vector<uint32_t> p = CellPicture(one, block3);
    EXPECT_EQ(BlockMeanColour(one, 640, 500, 0, p.data()), RGB(4, 255, 1));  // the cell alone
    // Red 36 / 9, green 1275 / 9 = 141.7, blue 1 / 9.
    EXPECT_EQ(BlockMeanColour(one, 640, 500, 1, p.data()), RGB(4, 142, 0));
    // At the desk's left edge the left column is on no monitor: red 27 / 6
    // and green 765 / 6 are exact halves, rounded up.
    EXPECT_EQ(BlockMeanColour(one, 0, 500, 1, p.data()), RGB(5, 128, 0));

    // Two monitors in an L: cells right of x 1279 and below y 799 are on
    // none. Of the 5 x 5 block around (1280, 800) 16 cells count; blue 1 on
    // 8 of them gives 0.5, up to 1 (0 had the 9 others counted).
    const LensGeometry ell =
        Captured(21, 15, 6, {{0, 0, 1280, 1024}, {1280, 0, 2560, 800}}, 1);
    auto block5 = [](int c, int r) -> uint32_t {
        const bool off = c >= 10 && r >= 7;  // screen x >= 1280 and y >= 800
        if (off)
            return 0xFAFAFA;
        return 0x0A0000u | 0x000A00u | ((c + r) % 2 == 0 ? 1u : 0u);
    };
    p = CellPicture(ell, block5);
    EXPECT_EQ(BlockMeanColour(ell, 1280, 800, 2, p.data()), RGB(10, 10, 1));
    // Only the pointer's cell on no monitor (it cannot be): that cell all the same.
    EXPECT_EQ(BlockMeanColour(ell, 1280, 800, 0, p.data()), RGB(0xFA, 0xFA, 0xFA));
}

TEST(CapturesDiffer, EveryCellCountsButTheUnseen) {
    const int columns = 6, rows = 4;
    const LensRect unseen{2, 1, 5, 3};
    const std::vector<uint32_t> a(columns * rows, 0x00102030u);
    struct Change {
        int x, y;
        bool differs;
    };
    const Change changes[] = {{3, 2, false}, {2, 1, false}, {4, 2, false}, {1, 2, true},
                              {5, 2, true},  {3, 0, true},  {3, 3, true},  {0, 0, true},
                              {5, 3, true}};
    for (const Change& c : changes) {
        std::vector<uint32_t> b = a;
        b[static_cast<size_t>(c.y) * columns + c.x] ^= 1u;
        EXPECT_EQ(CapturesDiffer(a.data(), b.data(), columns, rows, unseen), c.differs)
            << "cell (" << c.x << ", " << c.y << ")";
        EXPECT_TRUE(CapturesDiffer(a.data(), b.data(), columns, rows, LensRect{0, 0, 0, 0}));
    }
    EXPECT_FALSE(CapturesDiffer(a.data(), a.data(), columns, rows, LensRect{0, 0, 0, 0}));
}

// Only the part of the captured area on the virtual screen is read; worked in
// cells from the area's top-left.
TEST(CapturedOnScreen, ClipsTheAreaToTheVirtualScreen) {
    LensGeometry g = Captured(215, 120, 2, OneMonitor);  // hc 107, hr 60
    g.VirtualScreen = {0, 0, 1280, 1024};
    LensRect on = CapturedOnScreen(g, 640, 512);
    EXPECT_EQ(on.left, 0);
    EXPECT_EQ(on.top, 0);
    EXPECT_EQ(on.right, 215);
    EXPECT_EQ(on.bottom, 120);
    // One column past the left edge: the area starts at x -1.
    on = CapturedOnScreen(g, 106, 512);
    EXPECT_EQ(on.left, 1);
    EXPECT_EQ(on.right, 215);
    // Bottom-right corner: the area spans 1172..1386 by 963..1082.
    on = CapturedOnScreen(g, 1279, 1023);
    EXPECT_EQ(on.right, 1280 - 1172);
    EXPECT_EQ(on.bottom, 1024 - 963);
    EXPECT_EQ(on.left, 0);
    EXPECT_EQ(on.top, 0);
    // A second monitor left of the primary: the virtual screen starts at -1024.
    g.VirtualScreen = {-1024, 0, 1280, 1024};
    on = CapturedOnScreen(g, 0, 30);
    EXPECT_EQ(on.left, 0);
    EXPECT_EQ(on.top, 30);
    // An area wholly off the desk (a pointer can't be there, the arithmetic can).
    on = CapturedOnScreen(g, 3000, 512);
    EXPECT_LE(on.right, on.left);
}

}  // namespace
