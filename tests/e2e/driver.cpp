#include "driver.h"

#include <commctrl.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include "app/ids.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::string VellixExe;
std::string WindowsPathExe;

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

bool CreateProcessIn(const std::string& directory, PROCESS_INFORMATION* pi,
                     const std::string& program = VellixPath()) {
    std::wstring command = L"\"" + Wide(program) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    return CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          Wide(directory).c_str(), &si, pi) != 0;
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

// Picks --vellix=PATH and --windows-path=PATH out of the test program's arguments.
struct ArgumentReader {
    ArgumentReader() {
        int argc = __argc;
        char** argv = __argv;
        for (int i = 1; i < argc; ++i) {
            if (strncmp(argv[i], "--vellix=", 9) == 0)
                VellixExe = argv[i] + 9;
            if (strncmp(argv[i], "--windows-path=", 15) == 0)
                WindowsPathExe = argv[i] + 15;
        }
    }
} ReadArguments;

}  // namespace

const std::string& VellixPath() {
    return VellixExe;
}

const std::string& WindowsPathProgram() {
    return WindowsPathExe;
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
    return StartVellixFrom(run, VellixPath(), directory);
}

bool StartVellixFrom(VellixRun& run, const std::string& program, const std::string& directory) {
    if (!StopLeftInstance())
        return false;
    run.directory = directory.empty() ? MakeTempDirectory() : directory;
    if (!CreateProcessIn(run.directory, &run.process, program))
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
    // A show can make the input layer anew, in another way (see the colour check).
    return WaitFor([&] {
        if (const HWND layer = FindProcessWindow(run.process.dwProcessId, "MyWindowClass_a"))
            run.overlay = layer;
        return LensVisible(run);
    });
}

void SendKey(HWND window, WPARAM key) {
    DWORD_PTR result = 0;
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
    SendMessageTimeoutA(window, WM_KEYDOWN, key, 1 | (scan << 16), SMTO_NORMAL, 10000, &result);
    SendMessageTimeoutA(window, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u, SMTO_NORMAL, 10000,
                        &result);
}

void SendKeyDown(HWND window, WPARAM key, bool repeat) {
    DWORD_PTR result = 0;
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
    const LPARAM flags = 1 | (scan << 16) | (repeat ? 0x40000000u : 0u);
    SendMessageTimeoutA(window, WM_KEYDOWN, key, flags, SMTO_NORMAL, 10000, &result);
}

bool Barrier(const VellixRun& run) {
    // Both windows belong to one thread, which answers a sent message only
    // between the messages it handles: the answer proves every message sent
    // before it handled, and a modal loop (a menu) it started still running.
    DWORD_PTR result = 0;
    const bool lens = SendMessageTimeoutA(run.lens, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    const bool overlay =
        SendMessageTimeoutA(run.overlay, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    return lens && overlay;
}

std::string ClipboardText() {
    if (!OpenClipboard(nullptr))
        return "(not open)";
    std::string out = "(no text)";
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        out.clear();
        const char* p = static_cast<const char*>(GlobalLock(h));
        // Every byte of the block after the text is zero: X programs are
        // handed the whole block.
        for (SIZE_T i = 0, n = GlobalSize(h), end = false; i < n; ++i) {
            if (p[i] == '\0')
                end = true;
            else if (!end)
                out += p[i];
            else
                out += "(stale byte)";
        }
        GlobalUnlock(h);
    }
    CloseClipboard();
    return out;
}

void EmptyTheClipboard() {
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
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

namespace {

// A surface's pixels row by row, once GDI has drawn them.
std::vector<COLORREF> RowByRow(const PixelSurface& copy) {
    GdiFlush();
    std::vector<COLORREF> out;
    for (int y = 0; y < copy.height; ++y)
        for (int x = 0; x < copy.width; ++x)
            out.push_back(copy.At(x, y));
    return out;
}

}  // namespace

std::vector<COLORREF> ReadScreen(const RECT& r) {
    PixelSurface copy(r.right - r.left, r.bottom - r.top);
    HDC screen = GetDC(nullptr);
    // Only the part on the virtual screen: a read beyond it comes back black
    // whole on a compositor that draws into its own overlay window. The rest
    // stays black.
    const int vx = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int vy = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const RECT desk{vx, vy, vx + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    vy + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    RECT on{};
    if (IntersectRect(&on, &r, &desk))
        BitBlt(copy.dc, on.left - r.left, on.top - r.top, on.right - on.left, on.bottom - on.top,
               screen, on.left, on.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return RowByRow(copy);
}

std::vector<COLORREF> ReadWindowPixels(HWND window, const RECT& client) {
    PixelSurface copy(client.right - client.left, client.bottom - client.top);
    HDC dc = GetDC(window);
    BitBlt(copy.dc, 0, 0, copy.width, copy.height, dc, client.left, client.top, SRCCOPY);
    ReleaseDC(window, dc);
    return RowByRow(copy);
}

namespace {

// The tools of one tooltip control of another process: the record and the
// text are handed over in that process's memory.
void ReadTooltipTools(HWND tooltip, std::map<HWND, std::wstring>& tips) {
    DWORD pid = 0;
    GetWindowThreadProcessId(tooltip, &pid);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return;
    constexpr size_t TextChars = 256;
    auto* remote = static_cast<char*>(VirtualAllocEx(
        process, nullptr, sizeof(TTTOOLINFOW) + TextChars * sizeof(wchar_t), MEM_COMMIT,
        PAGE_READWRITE));
    const LRESULT tools = remote ? SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0) : 0;
    for (LRESULT i = 0; i < tools; ++i) {
        auto* remoteText = reinterpret_cast<wchar_t*>(remote + sizeof(TTTOOLINFOW));
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.lpszText = remoteText;
        SIZE_T done = 0;
        WriteProcessMemory(process, remote, &tool, sizeof(tool), &done);
        if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i),
                          reinterpret_cast<LPARAM>(remote)))
            continue;
        ReadProcessMemory(process, remote, &tool, sizeof(tool), &done);
        const wchar_t none[TextChars] = {};
        WriteProcessMemory(process, remoteText, none, sizeof(none), &done);
        tool.lpszText = remoteText;
        WriteProcessMemory(process, remote, &tool, sizeof(tool), &done);
        SendMessageW(tooltip, TTM_GETTEXTW, TextChars - 1, reinterpret_cast<LPARAM>(remote));
        wchar_t text[TextChars] = {};
        ReadProcessMemory(process, remoteText, text, sizeof(text) - sizeof(wchar_t), &done);
        tips[tool.hwnd] = text;
    }
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
}

}  // namespace

HWND WaitForNewTrayTip(const std::map<HWND, std::wstring>& before) {
    HWND icon = nullptr;
    WaitFor([&] {
        for (const auto& tip : TrayTips())
            if (before.count(tip.first) == 0)
                icon = tip.first;
        return icon != nullptr;
    });
    return icon;
}

std::wstring TrayTipOf(HWND icon) {
    const std::map<HWND, std::wstring> tips = TrayTips();
    const auto it = tips.find(icon);
    return it == tips.end() ? L"(no tip)" : it->second;
}

std::map<HWND, std::wstring> TrayTips() {
    std::map<HWND, std::wstring> tips;
    EnumWindows([](HWND window, LPARAM param) -> BOOL {
        char name[32] = {};
        GetClassNameA(window, name, sizeof(name));
        if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0)
            ReadTooltipTools(window, *reinterpret_cast<std::map<HWND, std::wstring>*>(param));
        return TRUE;
    }, reinterpret_cast<LPARAM>(&tips));
    return tips;
}

COLORREF ScreenPixel(int x, int y) {
    RECT r{x, y, x + 1, y + 1};
    return ReadScreen(r)[0];
}

RECT WindowRectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

bool LensWindowAt(const VellixRun& run, const LensGeometry& g) {
    return LensWindowAt(run, g.HomeX, g.HomeY, g);
}

bool LensWindowAt(const VellixRun& run, int x, int y, const LensGeometry& g) {
    const RECT r = WindowRectOf(run.lens);
    return r.left == x && r.top == y && r.right - r.left == g.WindowWidth &&
           r.bottom - r.top == g.WindowHeight;
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
    const int xs[] = {rect.left, rect.right - 1};
    const int ys[] = {rect.top, rect.bottom - 1};
    const bool shown = WaitFor([&] {
        for (int x : xs)
            for (int y : ys)
                if (ScreenPixel(x, y) != p.colour(x, y))
                    return false;
        return true;
    });
    if (!shown) {
        // What covers it: on the managed desktop once, Wine's tray window.
        RECT at{};
        GetWindowRect(p.window, &at);
        fprintf(stderr, "pattern window at %ld,%ld-%ld,%ld, visible %d; corners:", at.left, at.top,
                at.right, at.bottom, IsWindowVisible(p.window) ? 1 : 0);
        for (int x : xs)
            for (int y : ys)
                fprintf(stderr, " (%d,%d) %06lX want %06lX", x, y, ScreenPixel(x, y),
                        p.colour(x, y));
        fprintf(stderr, "\n");
    }
    return shown;
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

namespace {

// The desktops the tests run on, as the test sees them: display mode, work
// area and border metrics. Every one has the work area the layouts below were
// worked out for; a desktop with another work area needs layouts of its own.
struct TestDesktop {
    const char* name;
    int screenWidth, screenHeight, workWidth, workHeight, cxBorder, cyBorder, cxDlgFrame;
};
constexpr TestDesktop Desktops[] = {
    {"Xvfb 1280 x 1024 with xcompmgr", 1280, 1024, 1280, 1024, 1, 1, 3},
    {"Xvfb 1280 x 1024 with xfwm4 (no panel)", 1280, 1024, 1280, 1024, 1, 1, 3},
    {"Xvfb 1280 x 1024 at 144 and 192 DPI", 1280, 1024, 1280, 1024, 1, 1, 3},
    {"two monitors, primary 1280 x 1024", 1280, 1024, 1280, 1024, 1, 1, 3},
};

// Layouts worked out by hand for a 1280 x 1024 work area with borders of 1
// and a dialog frame of 3: view size from the format table, Zoom 6 at least
// in Pro mode, columns and rows = view / Zoom, image = Zoom x cells (+1 in
// Pro), window = image + 14 wide and + 14 high (+ 26 more for the Pro strip),
// home = work area - window. Reading views are 1280 - 8 - 4 - 4 = 1264 wide.
struct WorkedLayout {
    int factor, format, pro;
    int zoom, columns, rows, imageWidth, imageHeight, windowWidth, windowHeight, homeX, homeY;
};
constexpr WorkedLayout Layouts[] = {
    {2, 24, 0, 2, 215, 120, 430, 240, 444, 254, 836, 770},
    {3, 24, 0, 3, 143, 80, 429, 240, 443, 254, 837, 770},
    {4, 12, 0, 4, 45, 35, 180, 140, 194, 154, 1086, 870},
    {5, 22, 0, 5, 50, 28, 250, 140, 264, 154, 1016, 870},
    {2, 13, 0, 2, 120, 90, 240, 180, 254, 194, 1026, 830},
    {2, 11, 1, 6, 21, 15, 127, 91, 141, 131, 1139, 893},
    {6, 11, 1, 6, 21, 15, 127, 91, 141, 131, 1139, 893},
    {9, 11, 1, 9, 14, 10, 127, 91, 141, 131, 1139, 893},
    {4, 13, 1, 6, 40, 30, 241, 181, 255, 221, 1025, 803},
    {3, 14, 1, 6, 53, 40, 319, 241, 333, 281, 947, 743},
    {8, 24, 1, 8, 53, 30, 425, 241, 439, 281, 841, 743},
    {2, 31, 0, 2, 632, 45, 1264, 90, 1278, 104, 2, 920},
    {2, 32, 0, 2, 632, 60, 1264, 120, 1278, 134, 2, 890},
    // Every factor of the default format, and the wheel's steps in Pro and Reading.
    {4, 24, 0, 4, 107, 60, 428, 240, 442, 254, 838, 770},
    {5, 24, 0, 5, 86, 48, 430, 240, 444, 254, 836, 770},
    {6, 24, 0, 6, 71, 40, 426, 240, 440, 254, 840, 770},
    {7, 24, 0, 7, 61, 34, 427, 238, 441, 252, 839, 772},
    {8, 24, 0, 8, 53, 30, 424, 240, 438, 254, 842, 770},
    {9, 24, 0, 9, 47, 26, 423, 234, 437, 248, 843, 776},
    {10, 24, 0, 10, 43, 24, 430, 240, 444, 254, 836, 770},
    {7, 11, 1, 7, 18, 12, 127, 85, 141, 125, 1139, 899},
    {8, 11, 1, 8, 16, 11, 129, 89, 143, 129, 1137, 895},
    {10, 11, 1, 10, 13, 9, 131, 91, 145, 131, 1135, 893},
    {3, 32, 0, 3, 421, 40, 1263, 120, 1277, 134, 3, 890},
    {9, 32, 0, 9, 140, 13, 1260, 117, 1274, 131, 6, 893},
    {10, 32, 0, 10, 126, 12, 1260, 120, 1274, 134, 6, 890},
};

const TestDesktop* ThisDesktop() {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    for (const TestDesktop& d : Desktops)
        if (d.screenWidth == static_cast<int>(mode.dmPelsWidth) &&
            d.screenHeight == static_cast<int>(mode.dmPelsHeight) &&
            d.workWidth == work.right - work.left && d.workHeight == work.bottom - work.top &&
            d.cxBorder == GetSystemMetrics(SM_CXBORDER) &&
            d.cyBorder == GetSystemMetrics(SM_CYBORDER) &&
            d.cxDlgFrame == GetSystemMetrics(SM_CXDLGFRAME))
            return &d;
    fprintf(stderr,
            "driver: no worked layouts for this desktop: mode %lu x %lu, work area %ld x %ld, "
            "borders %d %d, dialog frame %d\n",
            mode.dmPelsWidth, mode.dmPelsHeight, work.right - work.left, work.bottom - work.top,
            GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER),
            GetSystemMetrics(SM_CXDLGFRAME));
    return nullptr;
}

}  // namespace

LensGeometry GeometryFor(int factor, int format, int pro) {
    const TestDesktop* desktop = ThisDesktop();
    for (const WorkedLayout& l : Layouts)
        if (desktop && l.factor == factor && l.format == format && l.pro == pro) {
            LensGeometry g{};
            g.Zoom = l.zoom;
            g.SourceColumns = l.columns;
            g.SourceRows = l.rows;
            g.ImageWidth = l.imageWidth;
            g.ImageHeight = l.imageHeight;
            g.ImageLeft = 4;
            g.ImageTop = pro ? 30 : 4;
            g.WindowWidth = l.windowWidth;
            g.WindowHeight = l.windowHeight;
            g.HomeX = l.homeX;
            g.HomeY = l.homeY;
            g.TextStripRect = {4, 4, 4 + l.imageWidth, 26};
            return g;
        }
    // A test asking for a layout nobody worked out is itself wrong.
    fprintf(stderr, "driver: no worked layout for factor %d, format %d, Pro %d\n", factor,
            format, pro);
    abort();
}

SIZE TestScreenSize() {
    const TestDesktop* desktop = ThisDesktop();
    if (!desktop)
        abort();  // ThisDesktop said which desktop it did not know
    return {desktop->screenWidth, desktop->screenHeight};
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

bool ShowsMagnified(const VellixRun& run, const LensGeometry& g, int px, int py, int* worst,
                    const ScreenTruth& truth) {
    int most = 0;
    POINT where{};
    const bool shown = ShowsBackdrop(run, g, px, py, truth, BackdropSkips{}, &most, &where);
    if (worst)
        *worst = most;
    return shown;
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

bool WaitMagnified(const VellixRun& run, const LensGeometry& g, int px, int py, int* worst,
                   const ScreenTruth& truth) {
    return WaitWithPointerAt(run, px, py,
                             [&] { return ShowsMagnified(run, g, px, py, worst, truth); });
}

namespace {

BOOL CALLBACK AddMonitorRect(HMONITOR, HDC, LPRECT r, LPARAM list) {
    reinterpret_cast<std::vector<RECT>*>(list)->push_back(*r);
    return TRUE;
}

}  // namespace

std::vector<RECT> MonitorRects() {
    std::vector<RECT> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitorRect, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

bool ShowsBackdrop(const VellixRun& run, const LensGeometry& g, int px, int py,
                   const std::function<COLORREF(int, int)>& truth, const BackdropSkips& skip,
                   int* worst, POINT* where) {
    const std::vector<RECT> monitors = MonitorRects();
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
    return most <= 0;
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

void RealWheel(int delta) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_WHEEL;
    in.mi.mouseData = static_cast<DWORD>(delta);
    SendInput(1, &in, sizeof(INPUT));
}

void RealKey(WORD key, bool down) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    // The Windows keys are extended keys (E0 5B, E0 5C).
    in.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) |
                    (key == VK_LWIN || key == VK_RWIN ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &in, sizeof(INPUT));
}

bool XdoTool(const std::string& arguments) {
    if (!FileExists("Z:/usr/bin/xdotool"))
        return false;
    // Wine starts a Linux program but gives no end to wait for: a script
    // leaves a file behind when xdotool is done.
    static int runs;
    const std::string base =
        "/tmp/vellix-xdo-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++runs);
    const std::string script = "xdotool " + arguments + "\ntouch " + base + ".done\n";
    if (!WriteFileBytes("Z:" + base + ".sh", script))
        return false;
    std::string command = "Z:\\bin\\sh " + base + ".sh";
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const bool done = WaitFor([&] { return FileExists("Z:" + base + ".done"); });
    DeleteFileA(("Z:" + base + ".sh").c_str());
    DeleteFileA(("Z:" + base + ".done").c_str());
    return done;
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

int ChildProcessCount(const VellixRun& run) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int children = 0;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry))
        children += entry.th32ParentProcessID == run.process.dwProcessId;
    CloseHandle(snapshot);
    return children;
}

void PostTrayClick(const VellixRun& run, UINT mouseEvent) {
    PostMessageA(run.lens, TrayMessage, TrayId, mouseEvent);
}

std::vector<COLORREF> CopiedPicture(int* width, int* height) {
    std::vector<COLORREF> pixels;
    if (!OpenClipboard(nullptr))
        return pixels;
    HANDLE h = GetClipboardData(CF_DIB);
    const auto* bytes = h ? static_cast<const unsigned char*>(GlobalLock(h)) : nullptr;
    if (bytes && GlobalSize(h) >= sizeof(BITMAPINFOHEADER)) {
        BITMAPINFOHEADER head{};
        memcpy(&head, bytes, sizeof(head));
        const int w = head.biWidth;
        const int rows = head.biHeight < 0 ? -head.biHeight : head.biHeight;
        const int step = head.biBitCount / 8;
        const size_t stride = (static_cast<size_t>(w) * head.biBitCount + 31) / 32 * 4;
        const size_t need = head.biSize + stride * rows;
        if (head.biCompression == BI_RGB && (step == 3 || step == 4) && w > 0 &&
            GlobalSize(h) >= need) {
            for (int y = 0; y < rows; ++y) {
                // Bottom-up unless the height is negative.
                const int row = head.biHeight < 0 ? y : rows - 1 - y;
                const unsigned char* p = bytes + head.biSize + stride * row;
                for (int x = 0; x < w; ++x, p += step)
                    pixels.push_back(RGB(p[2], p[1], p[0]));
            }
            if (width)
                *width = w;
            if (height)
                *height = rows;
        }
    }
    if (h)
        GlobalUnlock(h);
    CloseClipboard();
    return pixels;
}
