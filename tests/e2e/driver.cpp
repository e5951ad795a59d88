#include "driver.h"

#include <shellapi.h>

#include "app/ids.h"

#include <cstdio>
#include <cstring>

namespace {

std::string VellixExe;

constexpr UINT TrayMessage = 0x8010;
constexpr UINT TrayId = 555;

struct FindContext {
    DWORD pid;
    const char* className;
    HWND found;
};

BOOL CALLBACK FindOwnWindow(HWND window, LPARAM param) {
    auto* ctx = reinterpret_cast<FindContext*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    if (pid == ctx->pid && strcmp(name, ctx->className) == 0) {
        ctx->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindProcessWindow(DWORD pid, const char* className) {
    FindContext ctx{pid, className, nullptr};
    EnumWindows(FindOwnWindow, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool CreateProcessIn(const std::string& directory, PROCESS_INFORMATION* pi) {
    std::string command = "\"" + VellixPath() + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    return CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          directory.c_str(), &si, pi) != 0;
}

// A 32-bit top-down DIB of w x h: rows in screen order, one DWORD a pixel.
BITMAPINFO TopDown32(int w, int h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    return bi;
}

LRESULT CALLBACK PatternProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(window, &ps);
        auto* p = reinterpret_cast<PatternWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (p) {
            const int w = p->rect.right - p->rect.left;
            const int h = p->rect.bottom - p->rect.top;
            const BITMAPINFO bi = TopDown32(w, h);
            std::vector<DWORD> bits(static_cast<size_t>(w) * h);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const COLORREF c = p->colour(p->rect.left + x, p->rect.top + y);
                    bits[static_cast<size_t>(y) * w + x] =
                        (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
                }
            SetDIBitsToDevice(dc, 0, 0, w, h, 0, 0, 0, h, bits.data(), &bi, DIB_RGB_COLORS);
        }
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Picks --vellix=PATH out of the test program's arguments.
struct ArgumentReader {
    ArgumentReader() {
        int argc = __argc;
        char** argv = __argv;
        for (int i = 1; i < argc; ++i)
            if (strncmp(argv[i], "--vellix=", 9) == 0)
                VellixExe = argv[i] + 9;
    }
} ReadArguments;

}  // namespace

const std::string& VellixPath() {
    return VellixExe;
}

std::string MakeTempDirectory() {
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    static unsigned counter;
    for (;;) {
        char path[MAX_PATH];
        snprintf(path, sizeof(path), "%svellix-%lu-%u", base, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(path, nullptr))
            return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return "";
    }
}

std::string ReadFileBytes(const std::string& path, bool* exists) {
    std::string bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (exists)
        *exists = f != nullptr;
    if (!f)
        return bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
        bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && written;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(10);
    }
}

bool StartVellix(VellixRun& run, const std::string& directory) {
    if (!StopLeftInstance())
        return false;
    run.directory = directory.empty() ? MakeTempDirectory() : directory;
    if (!CreateProcessIn(run.directory, &run.process))
        return false;
    const DWORD pid = run.process.dwProcessId;
    // The tray icon is the last step of start-up: once the shell knows it,
    // the message loop is about to run.
    return WaitFor([&] {
        run.lens = FindProcessWindow(pid, "MyWindowClass");
        run.overlay = FindProcessWindow(pid, "MyWindowClass_a");
        return run.lens && run.overlay && TrayIconPresent(run.lens, TrayId);
    });
}

DWORD StartAndWaitExit(const std::string& directory, DWORD timeoutMs) {
    PROCESS_INFORMATION pi{};
    if (!CreateProcessIn(directory, &pi))
        return static_cast<DWORD>(-1);
    WaitForSingleObject(pi.hProcess, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi.hProcess, &code);
    if (code == STILL_ACTIVE)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

bool IsRunning(const VellixRun& run) {
    return run.process.hProcess &&
           WaitForSingleObject(run.process.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD CloseVellix(VellixRun& run, DWORD timeoutMs) {
    if (!run.process.hProcess)
        return static_cast<DWORD>(-1);
    PostMessageA(run.lens, WM_CLOSE, 0, 0);
    WaitFor([&] { return !IsRunning(run); }, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(run.process.hProcess, &code);
    KillVellix(run);
    return code;
}

void KillVellix(VellixRun& run) {
    if (!run.process.hProcess)
        return;
    if (IsRunning(run)) {
        TerminateProcess(run.process.hProcess, 1);
        WaitForSingleObject(run.process.hProcess, 10000);
    }
    CloseHandle(run.process.hThread);
    CloseHandle(run.process.hProcess);
    run.process = {};
}

void TrayClick(const VellixRun& run, UINT mouseEvent) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(run.lens, TrayMessage, TrayId, mouseEvent, SMTO_NORMAL, 10000, &result);
}

bool LensVisible(const VellixRun& run) {
    return IsWindowVisible(run.lens) && IsWindowVisible(run.overlay);
}

bool ShowLens(VellixRun& run) {
    TrayClick(run, WM_LBUTTONUP);
    return WaitFor([&] { return LensVisible(run); });
}

void SendKey(HWND window, WPARAM key) {
    DWORD_PTR result = 0;
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
    SendMessageTimeoutA(window, WM_KEYDOWN, key, 1 | (scan << 16), SMTO_NORMAL, 10000, &result);
    SendMessageTimeoutA(window, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u, SMTO_NORMAL, 10000,
                        &result);
}

void MovePointer(const VellixRun& run, int x, int y) {
    // Wine answers GetCursorPos with the position just set, while a motion
    // event still on its way from the X server can move the pointer back a
    // moment later. The position counts as settled once it has read back
    // right for a while without being set again; waits that depend on the
    // pointer send it again until the picture shows what they wait for.
    constexpr DWORD SettledMs = 60;
    const DWORD start = GetTickCount();
    SetCursorPos(x, y);
    DWORD setAt = GetTickCount();
    while (GetTickCount() - start < 5000) {
        POINT p{};
        GetCursorPos(&p);
        if (p.x != x || p.y != y) {
            SetCursorPos(x, y);
            setAt = GetTickCount();
        } else if (GetTickCount() - setAt >= SettledMs) {
            break;
        }
        Sleep(5);
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutA(run.overlay, WM_MOUSEMOVE, 0, MAKELPARAM(x, y), SMTO_NORMAL, 10000,
                        &result);
}

std::vector<COLORREF> ReadScreen(const RECT& r) {
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    std::vector<COLORREF> out(static_cast<size_t>(w) * h);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    const BITMAPINFO bi = TopDown32(w, h);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    // Only the part on the virtual screen: a read beyond it comes back black
    // whole on a compositor that draws into its own overlay window. The rest
    // stays black.
    const int vx = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int vy = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const RECT desk{vx, vy, vx + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    vy + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    RECT on{};
    if (IntersectRect(&on, &r, &desk))
        BitBlt(memory, on.left - r.left, on.top - r.top, on.right - on.left, on.bottom - on.top,
               screen, on.left, on.top, SRCCOPY);
    GdiFlush();
    const DWORD* px = static_cast<const DWORD*>(bits);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = RGB((px[i] >> 16) & 0xFF, (px[i] >> 8) & 0xFF, px[i] & 0xFF);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return out;
}

COLORREF ScreenPixel(int x, int y) {
    RECT r{x, y, x + 1, y + 1};
    return ReadScreen(r)[0];
}

int ChannelDistance(COLORREF a, COLORREF b) {
    const int dr = abs(GetRValue(a) - GetRValue(b));
    const int dg = abs(GetGValue(a) - GetGValue(b));
    const int db = abs(GetBValue(a) - GetBValue(b));
    return dr > dg ? (dr > db ? dr : db) : (dg > db ? dg : db);
}

RECT WindowRectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

POINT ClientOrigin(HWND window) {
    POINT p{0, 0};
    ClientToScreen(window, &p);
    return p;
}

bool ShowPattern(PatternWindow& p, const RECT& rect, std::function<COLORREF(int, int)> colour) {
    static bool registered;
    if (!registered) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = PatternProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VellixTestPattern";
        RegisterClassExA(&wc);
        registered = true;
    }
    p.rect = rect;
    p.colour = std::move(colour);
    p.window = CreateWindowExA(WS_EX_TOOLWINDOW, "VellixTestPattern", "pattern", WS_POPUP,
                               rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (!p.window)
        return false;
    SetWindowLongPtrA(p.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&p));
    ShowWindow(p.window, SW_SHOWNOACTIVATE);
    UpdateWindow(p.window);
    // Shown once the screen carries the picture at its four corners.
    return WaitFor([&] {
        const int xs[] = {rect.left, rect.right - 1};
        const int ys[] = {rect.top, rect.bottom - 1};
        for (int x : xs)
            for (int y : ys)
                if (ChannelDistance(ScreenPixel(x, y), p.colour(x, y)) > 1)
                    return false;
        return true;
    });
}

void ClosePattern(PatternWindow& p) {
    if (p.window)
        DestroyWindow(p.window);
    p.window = nullptr;
    PumpMessages();
}

bool TrayIconPresent(HWND owner, UINT id) {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner;
    data.uID = id;
    data.uFlags = 0;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != 0;
}

LensGeometry GeometryFor(int factor, int format, int pro) {
    LensGeometry g{};
    const SystemFacts f = ReadSystemFacts();
    ComputeFormat(g, factor, format, pro, f);
    ComputeLayout(g, pro, f);
    return g;
}

RECT LensImageRect(const VellixRun& run, const LensGeometry& g) {
    const POINT o = ClientOrigin(run.lens);
    return {o.x + g.ImageLeft, o.y + g.ImageTop, o.x + g.ImageLeft + g.ImageWidth,
            o.y + g.ImageTop + g.ImageHeight};
}

RECT CapturedArea(const LensGeometry& g, int px, int py) {
    const int left = px - g.SourceColumns / 2;
    const int top = py - g.SourceRows / 2;
    return {left, top, left + g.SourceColumns, top + g.SourceRows};
}

bool ShowsMagnified(const VellixRun& run, const LensGeometry& g, int px, int py, int* worst) {
    const std::vector<COLORREF> area = ReadScreen(CapturedArea(g, px, py));
    const std::vector<COLORREF> shown = ReadScreen(LensImageRect(run, g));
    int most = 0;
    // A Pro image is one pixel wider and higher than its cells (the closing
    // grid line); that line shows no captured pixel.
    for (int j = 0; j < g.Zoom * g.SourceRows; ++j)
        for (int i = 0; i < g.Zoom * g.SourceColumns; ++i) {
            const COLORREF want =
                area[static_cast<size_t>(j / g.Zoom) * g.SourceColumns + i / g.Zoom];
            const int d = ChannelDistance(shown[static_cast<size_t>(j) * g.ImageWidth + i], want);
            most = d > most ? d : most;
        }
    if (worst)
        *worst = most;
    return most <= 1;
}

bool WaitWithPointerAt(const VellixRun& run, int px, int py,
                       const std::function<bool()>& condition) {
    return WaitFor([&] {
        if (condition())
            return true;
        MovePointer(run, px, py);
        return false;
    });
}

bool WaitMagnified(const VellixRun& run, const LensGeometry& g, int px, int py, int* worst) {
    return WaitWithPointerAt(run, px, py, [&] { return ShowsMagnified(run, g, px, py, worst); });
}

namespace {

BOOL CALLBACK AddMonitorRect(HMONITOR, HDC, LPRECT r, LPARAM list) {
    reinterpret_cast<std::vector<RECT>*>(list)->push_back(*r);
    return TRUE;
}

}  // namespace

bool ShowsBackdrop(const VellixRun& run, const LensGeometry& g, int px, int py,
                   const std::function<COLORREF(int, int)>& truth, const BackdropSkips& skip,
                   int* worst, POINT* where) {
    std::vector<RECT> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitorRect, reinterpret_cast<LPARAM>(&monitors));
    const RECT area = CapturedArea(g, px, py);
    const std::vector<COLORREF> shown = ReadScreen(LensImageRect(run, g));
    int most = -1;
    for (int y = 0; y < g.ImageHeight; ++y) {
        if (y == skip.row)
            continue;
        for (int x = 0; x < g.ImageWidth; ++x) {
            if (skip.gridLines && (x % g.Zoom == 0 || y % g.Zoom == 0))
                continue;
            // The extra Pro pixel belongs to the last cell.
            const int cx = x / g.Zoom < g.SourceColumns ? x / g.Zoom : g.SourceColumns - 1;
            const int cy = y / g.Zoom < g.SourceRows ? y / g.Zoom : g.SourceRows - 1;
            const POINT at{area.left + cx, area.top + cy};
            bool onMonitor = false;
            for (const RECT& m : monitors)
                onMonitor |= PtInRect(&m, at) != 0;
            const COLORREF want = onMonitor ? truth(at.x, at.y) : 0x00808080;
            const int d = ChannelDistance(shown[static_cast<size_t>(y) * g.ImageWidth + x], want);
            if (d > most) {
                most = d;
                *where = {x, y};
            }
        }
    }
    *worst = most;
    return most <= skip.tolerance;
}

COLORREF PatternColour(int x, int y) {
    return RGB((x * 7 + y) & 0xFF, (y * 13 + x * 3) & 0xFF, ((x + y) * 5) & 0xFF);
}

bool NoInstanceRunning() {
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, VELLIX_MUTEX_NAME);
    if (!mutex)
        return true;
    CloseHandle(mutex);
    return false;
}

namespace {

BOOL CALLBACK CollectLensWindow(HWND window, LPARAM param) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    if (strcmp(name, LENS_CLASS_NAME) == 0)
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

}  // namespace

bool StopLeftInstance() {
    if (NoInstanceRunning())
        return true;
    std::vector<HWND> lenses;
    EnumWindows(CollectLensWindow, reinterpret_cast<LPARAM>(&lenses));
    for (HWND lens : lenses)
        PostMessageA(lens, WM_CLOSE, 0, 0);
    if (WaitFor(NoInstanceRunning, 10000))
        return true;
    for (HWND lens : lenses) {
        DWORD pid = 0;
        GetWindowThreadProcessId(lens, &pid);
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (process) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 10000);
            CloseHandle(process);
        }
    }
    const bool stopped = WaitFor(NoInstanceRunning, 10000);
    if (!stopped)
        fprintf(stderr, "driver: another Vellix holds the single-instance mutex\n");
    return stopped;
}

// --- the tray menu and the programs it starts -------------------------------

void SendCommand(const VellixRun& run, int id) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(run.lens, WM_COMMAND, static_cast<WPARAM>(id), 0, SMTO_NORMAL, 10000,
                        &result);
}

void RealClick(int x, int y, bool rightButton) {
    const int w = GetSystemMetrics(SM_CXSCREEN) - 1;
    const int h = GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT in[3] = {};
    for (INPUT& i : in) {
        i.type = INPUT_MOUSE;
        i.mi.dx = w > 0 ? x * 65535 / w : 0;
        i.mi.dy = h > 0 ? y * 65535 / h : 0;
        i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE;
    }
    in[0].mi.dwFlags |= MOUSEEVENTF_MOVE;
    in[1].mi.dwFlags |= rightButton ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    in[2].mi.dwFlags |= rightButton ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(1, &in[0], sizeof(INPUT));
    WaitFor([&] {
        POINT p{};
        GetCursorPos(&p);
        return p.x == x && p.y == y;
    }, 2000);
    SendInput(2, &in[1], sizeof(INPUT));
}

bool FirstTrayIconPoint(POINT* at) {
    const HWND tray = FindWindowA(nullptr, "Wine System Tray");
    if (!tray || !IsWindowVisible(tray))
        return false;
    RECT client{};
    GetClientRect(tray, &client);
    // Icons sit in a row from the left; the first one's middle is half an
    // icon height in from the client area's lower left corner.
    const int half = (client.bottom - client.top) / 2;
    POINT p{client.left + half, client.bottom - half};
    ClientToScreen(tray, &p);
    *at = p;
    return true;
}

namespace {

// Visible top-level windows that pass the test.
std::vector<HWND> VisibleWindows(const std::function<bool(HWND)>& test) {
    struct Search {
        const std::function<bool(HWND)>* test;
        std::vector<HWND> found;
    } search{&test, {}};
    EnumWindows([](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (IsWindowVisible(window) && (*s->test)(window))
            s->found.push_back(window);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

HWND OpenMenuOf(const VellixRun& run) {
    const std::vector<HWND> menus = VisibleWindows([&](HWND window) {
        char name[16] = {};
        GetClassNameA(window, name, sizeof(name));
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        return pid == run.process.dwProcessId && strcmp(name, "#32768") == 0;
    });
    return menus.empty() ? nullptr : menus[0];
}

std::vector<HWND> WindowsTitled(const char* title) {
    return VisibleWindows([&](HWND window) {
        char text[128] = {};
        GetWindowTextA(window, text, sizeof(text));
        return strcmp(text, title) == 0;
    });
}

void PostTrayClick(const VellixRun& run, UINT mouseEvent) {
    PostMessageA(run.lens, TrayMessage, TrayId, mouseEvent);
}
