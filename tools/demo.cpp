// Shows Vellix at work on a display without a user: puts a picture on the
// screen, shows the lens, activates it over the picture and saves what the
// screen then shows as a BMP file.
//
//   demo.exe --vellix=PATH_OF_VELLIX_EXE WORKING_DIRECTORY OUTPUT.bmp
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "driver.h"

namespace {

// Fine detail that shows what magnification does: rings, stripes, a gradient.
COLORREF DemoColour(int x, int y) {
    const double dx = x - 420.0;
    const double dy = y - 330.0;
    const int ring = static_cast<int>(std::sqrt(dx * dx + dy * dy)) / 3;
    if (ring < 60)
        return ring % 2 ? RGB(250, 200, 40) : RGB(30, 60, 170);
    if ((x / 4 + y / 4) % 2 == 0 && y > 500)
        return RGB(230, 230, 230);
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    return RGB(40 + (x * 180) / w, 90 + (y * 120) / h, 160);
}

bool SaveScreenBmp(const std::string& path) {
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    const std::vector<COLORREF> pixels = ReadScreen(RECT{0, 0, w, h});
    const int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride) * h;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
    std::string row(static_cast<size_t>(stride), '\0');
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const COLORREF c = pixels[static_cast<size_t>(y) * w + x];
            row[x * 3] = static_cast<char>(GetBValue(c));
            row[x * 3 + 1] = static_cast<char>(GetGValue(c));
            row[x * 3 + 2] = static_cast<char>(GetRValue(c));
        }
        bytes += row;
    }
    return WriteFileBytes(path, bytes);
}

int Fail(const char* what) {
    fprintf(stderr, "demo: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || VellixPath().empty())
        return Fail("usage: demo --vellix=PATH WORKING_DIRECTORY OUTPUT.bmp");
    VellixRun run;
    if (!StartVellix(run, argv[2]))
        return Fail("Vellix did not start");
    PatternWindow picture;
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    if (!ShowPattern(picture, RECT{0, 0, w, h}, DemoColour))
        return Fail("the picture did not show");
    if (!ShowLens(run))
        return Fail("the lens did not show");
    MovePointer(run, 400, 320);
    SendKey(run.overlay, VK_SPACE);
    // Saved once the lens shows the rings magnified rather than its idle picture.
    const POINT origin = ClientOrigin(run.lens);
    WaitFor([&] {
        const COLORREF c = ScreenPixel(origin.x + 40, origin.y + 40);
        return c != ScreenPixel(origin.x + 4, origin.y + 4) &&
               (ChannelDistance(c, RGB(250, 200, 40)) <= 1 ||
                ChannelDistance(c, RGB(30, 60, 170)) <= 1);
    }, 20000);
    const bool saved = SaveScreenBmp(argv[3]);
    ClosePattern(picture);
    const DWORD code = CloseVellix(run);
    if (!saved)
        return Fail("could not write the picture");
    printf("demo: saved %s, Vellix ended with %lu\n", argv[3], static_cast<unsigned long>(code));
    return code == 0 ? 0 : 1;
}
