// The lens at every edge and corner of the screen, and the Reading strip that
// reaches past its sides, judged against the picture the test put on the
// whole screen.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "driver.h"

namespace {

class Edges : public ::testing::Test {
protected:
    void Start(const std::string& profile) {
        const std::string directory = MakeTempDirectory();
        ASSERT_TRUE(WriteFileBytes(directory + "\\Profile_A.ini", profile));
        ASSERT_TRUE(StartVellix(run, directory));
        const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        ASSERT_TRUE(ShowPattern(pattern, screen, PatternColour));
        ASSERT_TRUE(ShowLens(run));
    }
    void ExpectBackdrop(const LensGeometry& g, int px, int py, const BackdropSkips& skip) {
        int worst = 0;
        POINT where{};
        EXPECT_TRUE(WaitWithPointerAt(run, px, py, [&] {
            return ShowsBackdrop(run, g, px, py, PatternColour, skip, &worst, &where);
        })) << "pointer (" << px << ", " << py << "): largest channel difference " << worst
            << " at image pixel (" << where.x << ", " << where.y << ")";
        printf("pointer (%d, %d): largest channel difference %d at image pixel (%ld, %ld)\n", px,
               py, worst, where.x, where.y);
    }
    void TearDown() override {
        ClosePattern(pattern);
        KillVellix(run);
    }
    VellixRun run;
    PatternWindow pattern;
};

std::string Profile(int mode, int format) {
    return "Configuration=" + std::to_string(mode) + ";\r\nMagnify Factor=2;\r\nWindow Format=" +
           std::to_string(format) + ";\r\nDynamic=0;\r\nSound=0;";
}

TEST_F(Edges, CommonLensShowsTheScreenAtEveryEdgeAndCorner) {
    Start(Profile(0, 24));
    const LensGeometry g = GeometryFor(2, 24, 0);
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    const int hc = g.SourceColumns / 2;
    SendKey(run.overlay, VK_SPACE);
    BackdropSkips skip;
    // The middle first, then one pixel either side of where the area starts
    // to leave the screen, then the edges and corners themselves.
    const POINT places[] = {{w / 2, h / 2}, {hc + 1, h / 2}, {hc - 1, h / 2}, {0, h / 2},
                            {w - 1, h / 2}, {w / 2, 0},      {w / 2, h - 1}, {0, 0},
                            {w - 1, 0},     {0, h - 1},      {w - 1, h - 1}};
    for (const POINT& p : places)
        ExpectBackdrop(g, p.x, p.y, skip);
}

TEST_F(Edges, ReadingStripShowsTheScreenBeyondBothSides) {
    Start(Profile(2, 32));
    const LensGeometry g = GeometryFor(2, 32, 0);
    const int w = GetSystemMetrics(SM_CXSCREEN);
    SendKey(run.overlay, VK_SPACE);
    BackdropSkips skip;
    skip.row = (g.SourceRows / 2 + 1) * g.Zoom;  // the guide line
    for (const POINT p : {POINT{w / 2, 300}, POINT{40, 300}, POINT{w - 40, 300}, POINT{0, 0}})
        ExpectBackdrop(g, p.x, p.y, skip);
}

}  // namespace
