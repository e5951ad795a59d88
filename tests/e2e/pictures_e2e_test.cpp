// The lens's own pictures as the user sees them: the idle logo in its bevel,
// and the lens's scaled picture wherever the lens lies in the magnified area.
#include <gtest/gtest.h>

#include "driver.h"
#include "geometry/geometry.h"

namespace {


// The logo stretched in HALFTONE mode to the image, drawn by the
// halftone_reference program built beside the Vellix.exe under test: Wine's
// 32-bit and 64-bit GDI round that interpolation differently, so the
// reference must come from a program of the same bitness as the one tested.
std::vector<COLORREF> HalftoneLogo(const LensGeometry& g) {
    std::string helper = VellixPath();
    helper = helper.substr(0, helper.find_last_of("/\\") + 1) + "halftone_reference.exe";
    const std::string out = MakeTempDirectory() + "\\logo.bin";
    std::string command = "\"" + helper + "\" \"" + VellixPath() + "\" " +
                          std::to_string(g.ImageWidth) + " " + std::to_string(g.ImageHeight) +
                          " \"" + out + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::vector<COLORREF> logo;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
        return logo;
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const std::string bytes = ReadFileBytes(out);
    if (bytes.size() != static_cast<size_t>(g.ImageWidth) * g.ImageHeight * 4)
        return logo;
    logo.resize(bytes.size() / 4);
    for (size_t i = 0; i < logo.size(); ++i) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + i * 4;
        logo[i] = RGB(p[2], p[1], p[0]);
    }
    return logo;
}

// The idle picture as the program builds it: its own logo, stretched in
// HALFTONE mode to the image, framed by one grey and one silver ring.
std::vector<COLORREF> ExpectedIdlePicture(const LensGeometry& g) {
    std::vector<COLORREF> out = HalftoneLogo(g);
    if (out.empty())
        return out;
    for (int y = 0; y < g.ImageHeight; ++y)
        for (int x = 0; x < g.ImageWidth; ++x) {
            const int ring = std::min(std::min(x, y),
                                      std::min(g.ImageWidth - 1 - x, g.ImageHeight - 1 - y));
            if (ring <= 1)
                out[static_cast<size_t>(y) * g.ImageWidth + x] = ring == 0 ? Grey : Silver;
        }
    return out;
}

class Pictures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(VellixPath().empty()) << "run with --vellix=PATH";
        ASSERT_TRUE(StartVellix(run)) << "Vellix did not start";
        g = GeometryFor(2, 24, 0);
    }
    void TearDown() override {
        ClosePattern(pattern);
        ClosePattern(left);
        KillVellix(run);
    }

    VellixRun run;
    PatternWindow pattern, left;
    LensGeometry g{};
};

TEST_F(Pictures, TheInactiveLensShowsTheLogoInItsBevel) {
    const std::vector<COLORREF> want = ExpectedIdlePicture(g);
    ASSERT_FALSE(want.empty()) << "no reference picture from halftone_reference.exe";
    ASSERT_TRUE(ShowLens(run));
    int worst = 0;
    const bool same = WaitFor([&] {
        const std::vector<COLORREF> shown = ReadScreen(LensImageRect(run, g));
        worst = 0;
        for (size_t i = 0; i < shown.size(); ++i)
            worst = std::max(worst, ChannelDistance(shown[i], want[i]));
        return worst == 0;
    });
    EXPECT_TRUE(same) << "largest channel difference " << worst;
}

// The pointer left of and below the top of the lens at home (836, 770), with
// a known picture under and around it: the window's top-left corner lies in
// the captured area (709, 730)-(924, 850) at column 127 and row 40, so the
// magnified picture shows the lens's own picture from image pixel (254, 80)
// on, the screen's pattern left of and above it, and no live lens.
TEST_F(Pictures, PointerNearTheLensMagnifiesItsScaledPictureWhereTheLensIs) {
    const int px = 816, py = 790;
    // Above and left of the lens, never over it: on a desktop with a window
    // manager a test window may be stacked over the lens.
    ASSERT_TRUE(ShowPattern(pattern, RECT{756, 700, 1280, 770}, PatternColour));
    ASSERT_TRUE(ShowPattern(left, RECT{756, 770, 836, 1024}, PatternColour));
    ASSERT_TRUE(ShowLens(run));
    ASSERT_EQ(WindowRectOf(run.lens).left, 836);
    ASSERT_EQ(WindowRectOf(run.lens).top, 770);
    MovePointer(run, px, py);
    SendKey(run.overlay, VK_SPACE);
    auto alike = [](COLORREF a, COLORREF b) { return a == b; };
    std::string why;
    const bool shown = WaitWithPointerAt(run, px, py, [&] {
        const std::vector<COLORREF> s = ReadScreen(LensImageRect(run, g));
        for (int y = 0; y < g.ImageHeight; ++y)
            for (int x = 94; x < g.ImageWidth; ++x) {  // the pattern starts at column 47
                const int ring = std::min(x - 254, y - 80);  // in the lens's own bevel
                if (ring >= 4)
                    continue;  // the logo inside the bevel
                const COLORREF want =
                    ring >= 0 ? (ring < 2 ? Grey : Silver) : PatternColour(709 + x / 2, 730 + y / 2);
                if (!alike(s[static_cast<size_t>(y) * g.ImageWidth + x], want)) {
                    char text[80];
                    snprintf(text, sizeof(text), "at %d,%d: %06lx, not %06lx", x, y,
                             s[static_cast<size_t>(y) * g.ImageWidth + x], want);
                    why = text;
                    return false;
                }
            }
        return true;
    });
    EXPECT_TRUE(shown) << why;
}

}  // namespace
