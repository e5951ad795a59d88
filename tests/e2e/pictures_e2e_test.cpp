// The lens's own pictures as the user sees them: the idle logo in its bevel,
// and the lens's scaled picture wherever the lens lies in the magnified area.
#include <gtest/gtest.h>

#include "driver.h"
#include "geometry/geometry.h"

namespace {

constexpr COLORREF Grey = 0x00808080;
constexpr COLORREF Silver = 0x00C0C0C0;
constexpr COLORREF LogoPaper = RGB(246, 249, 255);

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
        KillVellix(run);
    }


    VellixRun run;
    PatternWindow pattern;
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

TEST_F(Pictures, PointerLeftOfTheLensMagnifiesItsScaledPictureNotTheLiveLens) {
    // The window's left edge will lie 20 columns right of the pointer, inside
    // the captured area: in the picture it is at column hc + 20, Zoom wide.
    const RECT lens{g.HomeX, g.HomeY, g.HomeX + g.WindowWidth, g.HomeY + g.WindowHeight};
    const int px = lens.left - 20;
    const int py = lens.top + g.WindowHeight / 2;
    // A known picture left of the lens, so the live screen there is told
    // apart; shown first, where a user's windows are.
    ASSERT_TRUE(ShowPattern(pattern, RECT{px - 60, py - 40, lens.left, py + 40},
                            [](int x, int y) { return RGB((x * 7) & 0xFF, (y * 5) & 0xFF, 40); }));
    ASSERT_TRUE(ShowLens(run));
    ASSERT_EQ(WindowRectOf(run.lens).left, g.HomeX);
    MovePointer(run, px, py);
    SendKey(run.overlay, VK_SPACE);
    const int z = g.Zoom;
    const int edge = (g.SourceColumns / 2 + 20) * z;
    const RECT image = LensImageRect(run, g);
    const int row = image.top + g.ImageHeight / 2;
    auto at = [&](int column) { return ScreenPixel(image.left + column, row); };
    auto alike = [](COLORREF a, COLORREF b) { return a == b; };
    const bool shown = WaitWithPointerAt(run, px, py, [&] {
        for (int k = 0; k < z; ++k)
            if (!alike(at(edge + k), Grey) || !alike(at(edge + z + k), Silver))
                return false;
        // Inside the bands the logo's paper, where the live window has its
        // frame and its blue background.
        return alike(at(edge + 2 * z), LogoPaper) && alike(at(edge + 3 * z + 1), LogoPaper);
    });
    EXPECT_TRUE(shown) << std::hex << "columns from the edge: 0x" << at(edge) << " 0x"
                       << at(edge + z) << " 0x" << at(edge + 2 * z) << " 0x"
                       << at(edge + 3 * z + 1);
    // Left of the edge, the screen itself: the pattern's last column.
    for (int k = 1; k <= z; ++k)
        EXPECT_TRUE(alike(at(edge - k), pattern.colour(lens.left - 1, py))) << k;
    ClosePattern(pattern);
}

}  // namespace
