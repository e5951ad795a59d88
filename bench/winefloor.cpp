// The least any Win32 live lens asks of the system every 10 ms, and nothing
// more: one tick of a periodic timer, one pointer read and one read of the
// area from the screen into a DIB section. Nothing is compared, stretched or
// shown. `scripts/bench live` runs it under Wine, built as the shipped
// program is, to tell the part of a live lens's cost that no drawing code
// can remove from the part its own drawing adds.
//   vellix_floor X Y W H SECONDS   prints the ticks per second
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 6) {
        fprintf(stderr, "usage: vellix_floor X Y W H SECONDS\n");
        return 2;
    }
    const int x = atoi(argv[1]);
    const int y = atoi(argv[2]);
    const int w = atoi(argv[3]);
    const int h = atoi(argv[4]);
    const DWORD ms = static_cast<DWORD>(atoi(argv[5])) * 1000;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP area = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    if (!area || !screen || !memory)
        return 1;
    HGDIOBJ old = SelectObject(memory, area);
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, nullptr);
    const DWORD start = GetTickCount();
    long ticks = 0;
    MSG msg{};
    while (GetTickCount() - start < ms && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != WM_TIMER)
            continue;
        POINT p{};
        GetCursorPos(&p);
        BitBlt(memory, 0, 0, w, h, screen, x, y, SRCCOPY);
        ++ticks;
    }
    KillTimer(nullptr, timer);
    printf("%.1f\n", ticks * 1000.0 / static_cast<double>(GetTickCount() - start));
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(area);
    ReleaseDC(nullptr, screen);
    return 0;
}
