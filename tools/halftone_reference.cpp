// Stretches the logo of a Vellix.exe in HALFTONE mode, as the idle picture
// does, and writes the pixels (top-down rows of 0x00RRGGBB) to a file.
//
//   halftone_reference.exe VELLIX_EXE WIDTH HEIGHT OUTPUT
//
// Wine's 32-bit and 64-bit GDI round HALFTONE differently (its interpolation
// runs in float, kept at x87 precision in the 32-bit build), so a picture
// drawn by a program of one bitness is compared with a reference drawn by a
// program of the same bitness: this one, built beside each Vellix.exe.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 5) {
        fprintf(stderr, "usage: halftone_reference VELLIX_EXE WIDTH HEIGHT OUTPUT\n");
        return 2;
    }
    const int w = atoi(argv[2]);
    const int h = atoi(argv[3]);
    HMODULE exe = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HBITMAP logo = exe ? LoadBitmapA(exe, "aaa") : nullptr;
    if (!logo || w <= 0 || h <= 0)
        return 1;
    BITMAP b{};
    GetObjectA(logo, sizeof(b), &b);
    HDC screen = GetDC(nullptr);
    HDC src = CreateCompatibleDC(screen);
    HDC dst = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ oldSrc = SelectObject(src, logo);
    HGDIOBJ oldDst = SelectObject(dst, picture);
    SetStretchBltMode(dst, HALFTONE);
    SetBrushOrgEx(dst, 0, 0, nullptr);
    StretchBlt(dst, 0, 0, w, h, src, 0, 0, b.bmWidth, b.bmHeight, SRCCOPY);
    SelectObject(dst, oldDst);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    const int rows = GetDIBits(dst, picture, 0, h, pixels.data(), &bi, DIB_RGB_COLORS);
    SelectObject(src, oldSrc);
    DeleteObject(picture);
    DeleteObject(logo);
    DeleteDC(src);
    DeleteDC(dst);
    ReleaseDC(nullptr, screen);
    FreeLibrary(exe);
    FILE* f = fopen(argv[4], "wb");
    if (!f || rows != h)
        return 1;
    const bool written = fwrite(pixels.data(), sizeof(DWORD), pixels.size(), f) == pixels.size();
    return fclose(f) == 0 && written ? 0 : 1;
}
