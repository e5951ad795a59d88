// Shows Vellix at work on a display without a user: puts a page of small text
// and fine detail on the screen, then for each mode starts Vellix, shows the
// lens, activates it over the page, checks that the lens shows what it should
// and saves the screen as a BMP file. Fails loudly when the lens is wrong.
//
//   demo.exe --vellix=PATH_OF_VELLIX_EXE OUTPUT_PREFIX
//
// writes OUTPUT_PREFIX-common.bmp, -pro.bmp and -reading.bmp.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "driver.h"

namespace {

int ScreenW, ScreenH;
HDC PageDC;  // the page, drawn once; the window copies it

constexpr COLORREF Paper = RGB(250, 250, 246);
constexpr COLORREF Ink = RGB(40, 44, 52);

HFONT Font(int height, int weight, const char* face = "Tahoma") {
    return CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, face);
}

void Text(HDC dc, HFONT font, COLORREF colour, int x, int y, const char* text) {
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, colour);
    TextOutA(dc, x, y, text, static_cast<int>(strlen(text)));
    SelectObject(dc, old);
}

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT r{left, top, right, bottom};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

// A page one would want to magnify: small print, a table with hairlines,
// a palette of close colours, one-pixel stripes, rings and a tiny icon.
void DrawPage(HDC dc) {
    Fill(dc, 0, 0, ScreenW, ScreenH, Paper);
    Fill(dc, 0, 0, ScreenW, 30, RGB(32, 56, 110));
    SetBkMode(dc, TRANSPARENT);
    HFONT title = Font(15, FW_BOLD);
    HFONT body = Font(11, FW_NORMAL);
    HFONT small = Font(8, FW_NORMAL);
    Text(dc, title, RGB(255, 255, 255), 184, 7, "Colour proof  -  sheet 4 of 12");

    static const char* const lines[] = {
        "The swatches on the right were printed from the same file on two",
        "presses. Compare each one with its neighbour and read its value:",
        "two colours that differ by a single level look the same from here,",
        "and the hairlines of the table below are one pixel wide.",
        "",
        "Press 3 shifted the greens slightly; the reds are within tolerance.",
        "Check the stripes: each column alternates red, green and blue.",
    };
    int y = 48;
    for (const char* line : lines) {
        Text(dc, body, Ink, 16, y, line);
        y += 15;
    }
    y += 6;
    static const char* const fine[] = {
        "Fine print: values are 8-bit sRGB, measured at the centre of each patch; a patch",
        "is rejected when any channel differs by more than 2 levels from the reference.",
        "Tolerances apply per press. Reprints carry the suffix -R and the date of the run.",
    };
    for (const char* line : fine) {
        Text(dc, small, RGB(90, 90, 96), 16, y, line);
        y += 11;
    }

    // A table with one-pixel rules and small figures.
    const int tx = 16, ty = 230, cw = 84, ch = 18;
    static const char* const head[] = {"Patch", "Press 1", "Press 2", "Press 3", "Delta"};
    HPEN rule = CreatePen(PS_SOLID, 1, RGB(170, 176, 186));
    HGDIOBJ oldPen = SelectObject(dc, rule);
    for (int r = 0; r <= 8; ++r) {
        MoveToEx(dc, tx, ty + r * ch, nullptr);
        LineTo(dc, tx + 5 * cw, ty + r * ch);
    }
    for (int c = 0; c <= 5; ++c) {
        MoveToEx(dc, tx + c * cw, ty, nullptr);
        LineTo(dc, tx + c * cw, ty + 8 * ch);
    }
    SelectObject(dc, oldPen);
    DeleteObject(rule);
    for (int c = 0; c < 5; ++c)
        Text(dc, small, Ink, tx + c * cw + 5, ty + 4, head[c]);
    for (int r = 1; r < 8; ++r) {
        char cell[32];
        snprintf(cell, sizeof(cell), "C-%02d", r * 3);
        Text(dc, small, Ink, tx + 5, ty + r * ch + 4, cell);
        for (int c = 1; c < 5; ++c) {
            snprintf(cell, sizeof(cell), c == 4 ? "%+d" : "#%02X%02X%02X",
                     c == 4 ? (r * 7) % 5 - 2 : 40 + r * 20, 90 + c * 30, 200 - r * 9);
            Text(dc, small, c == 4 ? RGB(170, 30, 30) : Ink, tx + c * cw + 5, ty + r * ch + 4,
                 cell);
        }
    }

    // Palette: neighbouring patches one or two levels apart.
    const int px = 560, py = 48;
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 14; ++c) {
            const int base = 60 + r * 38;
            Fill(dc, px + c * 22, py + r * 22, px + c * 22 + 20, py + r * 22 + 20,
                 RGB(base + c, 180 - r * 25 + (c & 1), 90 + c * 9));
        }
    // One-pixel stripes: red, green and blue columns, then alternating rows.
    for (int x = 0; x < 150; ++x)
        for (int yy = 0; yy < 40; ++yy) {
            const COLORREF c = x % 3 == 0 ? RGB(220, 40, 40)
                             : x % 3 == 1 ? RGB(40, 170, 60) : RGB(40, 70, 220);
            SetPixel(dc, px + x, 170 + yy, c);
        }
    for (int yy = 0; yy < 40; ++yy)
        for (int x = 0; x < 150; ++x)
            SetPixel(dc, px + 160 + x, 170 + yy,
                     (x + yy) % 2 ? RGB(30, 30, 30) : RGB(235, 235, 235));
    // Rings one and two pixels wide.
    for (int yy = -60; yy <= 60; ++yy)
        for (int x = -60; x <= 60; ++x) {
            const int d = static_cast<int>(std::sqrt(static_cast<double>(x * x + yy * yy)));
            if (d <= 60)
                SetPixel(dc, 640 + x, 300 + yy, d % 3 ? RGB(250, 200, 40) : RGB(30, 60, 170));
        }
    // A 16 x 16 icon at its real size.
    static const char* const icon[] = {
        "................", "......XXXX......", "....XXooooXX....", "...XooooooooX...",
        "..XoooWWooooooX.", "..XooWWoooooooX.", ".XoooWoooooooooX", ".XoooooooooooooX",
        ".XoooooooooooooX", ".XoooooooooooooX", "..XooooooooooX..", "..XooooooooooX..",
        "...XooooooooX...", "....XXooooXX....", "......XXXX......", "................"};
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c) {
            const char k = icon[r][c];
            if (k != '.')
                SetPixel(dc, 760 + c, 280 + r,
                         k == 'X' ? RGB(20, 90, 40) : k == 'W' ? RGB(255, 255, 255)
                                                            : RGB(60, 190, 90));
        }
    Text(dc, small, RGB(90, 90, 96), 742, 300, "icon 16 x 16");

    DeleteObject(title);
    DeleteObject(body);
    DeleteObject(small);
}

LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(window, &ps);
        BitBlt(dc, 0, 0, ScreenW, ScreenH, PageDC, 0, 0, SRCCOPY);
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The page over the whole screen; true once the screen shows it.
HWND ShowPage() {
    HDC screen = GetDC(nullptr);
    PageDC = CreateCompatibleDC(screen);
    SelectObject(PageDC, CreateCompatibleBitmap(screen, ScreenW, ScreenH));
    ReleaseDC(nullptr, screen);
    DrawPage(PageDC);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = PageProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VellixDemoPage";
    RegisterClassExA(&wc);
    HWND page = CreateWindowExA(WS_EX_TOOLWINDOW, "VellixDemoPage", "page", WS_POPUP, 0, 0,
                                ScreenW, ScreenH, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(page, SW_SHOWNOACTIVATE);
    UpdateWindow(page);
    const bool shown = WaitFor([] {
        const POINT probes[] = {{20, 20}, {600, 180}, {645, 300}, {ScreenW - 1, ScreenH - 1}};
        for (const POINT& p : probes)
            if (ScreenPixel(p.x, p.y) != GetPixel(PageDC, p.x, p.y))
                return false;
        return true;
    }, 10000);
    return shown ? page : nullptr;
}

bool SaveScreenBmp(const std::string& path) {
    const std::vector<COLORREF> pixels = ReadScreen(RECT{0, 0, ScreenW, ScreenH});
    const int stride = (ScreenW * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = ScreenW;
    info.biHeight = ScreenH;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride) * ScreenH;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
    std::string row(static_cast<size_t>(stride), '\0');
    for (int y = ScreenH - 1; y >= 0; --y) {
        for (int x = 0; x < ScreenW; ++x) {
            const COLORREF c = pixels[static_cast<size_t>(y) * ScreenW + x];
            row[x * 3] = static_cast<char>(GetBValue(c));
            row[x * 3 + 1] = static_cast<char>(GetGValue(c));
            row[x * 3 + 2] = static_cast<char>(GetRValue(c));
        }
        bytes += row;
    }
    return WriteFileBytes(path, bytes);
}

struct Mode {
    const char* name;
    const char* profile;
    int factor, format, pro, reading;
    int px, py;  // where the pointer rests
};

bool Alike(COLORREF a, COLORREF b) {
    return a == b;
}

bool IsGridColour(COLORREF c) {
    return Alike(c, RGB(128, 128, 128)) || Alike(c, RGB(192, 192, 192)) ||
           Alike(c, RGB(255, 0, 0)) || Alike(c, RGB(255, 255, 255));
}

// A Pro image is one pixel wider and higher than Zoom times the captured
// area, so the stretch may show a line pixel from the cell before it.
bool LikeNeighbour(const std::vector<COLORREF>& area, const LensGeometry& g, int sx, int sy,
                   COLORREF got) {
    for (int dy = -1; dy <= 0; ++dy)
        for (int dx = -1; dx <= 0; ++dx) {
            const int x = sx + dx, y = sy + dy;
            if (x >= 0 && y >= 0 && Alike(got, area[static_cast<size_t>(y) * g.SourceColumns + x]))
                return true;
        }
    return false;
}

// What the lens shows, judged against the screen around the pointer. In Pro
// mode the cells' inner pixels must show the magnified page and the grid
// lines the grid; in Reading mode every row but the guide row the magnified
// page and the guide row red and white. *overlay tells whether the grid or
// the guide was seen.
std::string JudgeLens(const VellixRun& run, const LensGeometry& g, const Mode& m, bool* overlay) {
    const std::vector<COLORREF> area = ReadScreen(CapturedArea(g, m.px, m.py));
    const std::vector<COLORREF> shown = ReadScreen(LensImageRect(run, g));
    const int z = g.Zoom;
    const int guideRow = (g.SourceRows / 2 + 1) * z;
    int wrongPage = 0, lineGrid = 0, linePage = 0, lineOther = 0;
    for (int y = 0; y < g.ImageHeight; ++y)
        for (int x = 0; x < g.ImageWidth; ++x) {
            const int sx = std::min(x / z, g.SourceColumns - 1);
            const int sy = std::min(y / z, g.SourceRows - 1);
            const COLORREF want = area[static_cast<size_t>(sy) * g.SourceColumns + sx];
            const COLORREF got = shown[static_cast<size_t>(y) * g.ImageWidth + x];
            const bool onLine = m.pro ? (x % z == 0 || y % z == 0) : m.reading && y == guideRow;
            if (!onLine) {
                // Pro: judged at the cells' inner pixels, clear of rounding at their edges.
                if (m.pro && (x % z != z / 2 || y % z != z / 2))
                    continue;
                wrongPage += !Alike(got, want);
            } else if (IsGridColour(got) && !Alike(got, want)) {
                ++lineGrid;
            } else if (Alike(got, want) || LikeNeighbour(area, g, sx, sy, got)) {
                ++linePage;
            } else {
                ++lineOther;
            }
        }
    *overlay = lineGrid > 0;
    char why[200] = "";
    if (wrongPage > 0)
        snprintf(why, sizeof(why), "%d pixels do not show the magnified page", wrongPage);
    else if (lineOther > 0 || (lineGrid > 0 && linePage > lineGrid / 4))
        snprintf(why, sizeof(why), "the %s is broken: %d grid, %d page, %d other pixels",
                 m.pro ? "grid" : "guide line", lineGrid, linePage, lineOther);
    return why;
}

// The layout the program computes on this display: the demo's screen has no
// hand-worked layouts, and the demo only places its pictures by it.
LensGeometry ProgramGeometry(int factor, int format, int pro) {
    LensGeometry g{};
    const SystemFacts f = ReadSystemFacts();
    ComputeFormat(g, factor, format, pro, f);
    ComputeLayout(g, pro, f);
    return g;
}

bool RunMode(const Mode& m, const std::string& output) {
    const std::string directory = MakeTempDirectory();
    WriteFileBytes(directory + "\\Profile_A.ini", m.profile);
    const std::string exe = VellixPath();
    const std::string cursor = exe.substr(0, exe.find_last_of("/\\") + 1) + "rdc.cur";
    CopyFileA(cursor.c_str(), (directory + "\\rdc.cur").c_str(), FALSE);
    VellixRun run;
    if (!StartVellix(run, directory)) {
        fprintf(stderr, "demo: %s: Vellix did not start\n", m.name);
        return false;
    }
    bool ok = ShowLens(run);
    const LensGeometry g = ProgramGeometry(m.factor, m.format, m.pro);
    std::string why = ok ? "" : "the lens did not show";
    bool overlay = false;
    // Pro: the strip above the picture as the idle lens shows it, to tell
    // whether the active lens writes the colour there.
    const POINT origin = ClientOrigin(run.lens);
    const RECT strip{origin.x + g.TextStripRect.left, origin.y + g.TextStripRect.top,
                     origin.x + g.TextStripRect.right, origin.y + g.TextStripRect.bottom};
    std::vector<COLORREF> idleStrip;
    if (ok && m.pro) {
        ok = WaitFor([&] {
            const RECT r = LensImageRect(run, g);
            return Alike(ScreenPixel(r.left, r.top), RGB(128, 128, 128)) &&
                   Alike(ScreenPixel(r.left + 1, r.top + 1), RGB(192, 192, 192));
        }, 10000);
        why = ok ? "" : "the lens did not show its idle picture";
        idleStrip = ReadScreen(strip);
    }
    if (ok) {
        MovePointer(run, m.px, m.py);
        SendKey(run.overlay, VK_SPACE);
        ok = WaitWithPointerAt(run, m.px, m.py, [&] {
            why = JudgeLens(run, g, m, &overlay);
            return why.empty() && (overlay || !(m.pro || m.reading));
        });
    }
    if (ok && m.pro && ReadScreen(strip) == idleStrip)
        ok = false, why = "the strip shows no colour text";
    if (ok && (m.pro || m.reading) && !overlay)
        ok = false, why = m.pro ? "the lens shows no grid" : "the lens shows no guide line";
    if (ok)
        ok = SaveScreenBmp(output) || (why = "could not write " + output, false);
    if (!ok)
        fprintf(stderr, "demo: %s: %s\n", m.name, why.c_str());
    const DWORD code = CloseVellix(run);
    if (code != 0) {
        fprintf(stderr, "demo: %s: Vellix ended with %lu\n", m.name,
                static_cast<unsigned long>(code));
        ok = false;
    }
    if (ok)
        printf("demo: %s: saved %s\n", m.name, output.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || VellixPath().empty()) {
        fprintf(stderr, "usage: demo --vellix=PATH OUTPUT_PREFIX\n");
        return 2;
    }
    const std::string prefix = argv[argc - 1];
    ScreenW = GetSystemMetrics(SM_CXSCREEN);
    ScreenH = GetSystemMetrics(SM_CYSCREEN);
    HWND page = ShowPage();
    if (!page) {
        fprintf(stderr, "demo: the page did not show\n");
        return 1;
    }
    const Mode modes[] = {
        {"common", "Configuration=0;\r\nMagnify Factor=3;\r\nWindow Format=24;\r\nSound=0;\r\n",
         3, 24, 0, 0, 170, 160},
        // The strip shows the web colour text "#RRGGBB" that designers paste.
        {"pro",
         "Configuration=1;\r\nMagnify Factor=8;\r\nWindow Format=24;\r\nPixel Format=4;\r\n"
         "Sound=0;\r\n",
         8, 24, 1, 0, 770, 288},
        {"reading", "Configuration=2;\r\nMagnify Factor=2;\r\nWindow Format=32;\r\nSound=0;\r\n",
         2, 32, 0, 1, 330, 100},
    };
    int failed = 0;
    for (const Mode& m : modes)
        failed += !RunMode(m, prefix + "-" + m.name + ".bmp");
    DestroyWindow(page);
    return failed == 0 ? 0 : 1;
}
