// What unit and end-to-end tests alike need: known colours, known settings
// texts, a test picture, scratch directories and whole-file reads and writes.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "geometry/geometry.h"

// The bevel and grid colours and the grey of captured cells on no monitor.
constexpr COLORREF Grey = 0x00808080;
constexpr COLORREF Silver = 0x00C0C0C0;
constexpr COLORREF Red = 0x000000FF;
constexpr COLORREF White = 0x00FFFFFF;

// The profile a first run writes: every setting at its default.
inline constexpr char DefaultProfile[] =
    "Configuration=0;\r\nMagnify Factor=2;\r\nWindow Format=24;\r\nPixel Format=1;\r\n"
    "Base=1;\r\nDynamic=0;\r\nSound=1;";

// A profile as the program writes it with one pixel sampled, from its seven values.
inline std::string Profile(int mode, int factor, int format, int pixel, int base, int dynamic,
                           int sound) {
    return "Configuration=" + std::to_string(mode) + ";\r\nMagnify Factor=" +
           std::to_string(factor) + ";\r\nWindow Format=" + std::to_string(format) +
           ";\r\nPixel Format=" + std::to_string(pixel) + ";\r\nBase=" + std::to_string(base) +
           ";\r\nDynamic=" + std::to_string(dynamic) + ";\r\nSound=" + std::to_string(sound) + ";";
}

// A test picture in which every pixel differs from its neighbours, so that a
// shifted copy cannot pass for the right one.
inline COLORREF PatternColour(int x, int y) {
    return RGB((x * 7 + y) & 0xFF, (y * 13 + x * 3) & 0xFF, ((x + y) * 5) & 0xFF);
}

// Largest difference of one channel between two colours.
inline int ChannelDistance(COLORREF a, COLORREF b) {
    const int dr = abs(GetRValue(a) - GetRValue(b));
    const int dg = abs(GetGValue(a) - GetGValue(b));
    const int db = abs(GetBValue(a) - GetBValue(b));
    return dr > dg ? (dr > db ? dr : db) : (dg > db ? dg : db);
}

// Whether a row is a dotted line: red and white only (within tolerance), red
// first, in runs of one length for red and one for white (the platform's dot
// and gap), only the last run cut short by the row's end.
inline bool RegularDots(const std::vector<COLORREF>& row, int tolerance) {
    int runs[2] = {0, 0};  // red, white
    size_t x = 0;
    for (int k = 0; x < row.size(); ++k) {
        const COLORREF colour = k % 2 == 0 ? Red : White;
        int n = 0;
        while (x < row.size() && ChannelDistance(row[x], colour) <= tolerance)
            ++n, ++x;
        const bool last = x == row.size();
        if (n == 0 || (runs[k % 2] != 0 && (last ? n > runs[k % 2] : n != runs[k % 2])))
            return false;
        if (runs[k % 2] == 0)
            runs[k % 2] = n;
    }
    return runs[0] > 0 && runs[1] > 0;
}

// A desktop for the layout arithmetic: its work area and display mode, borders
// of 1 and a dialog frame of 3 unless told.
inline SystemFacts Desk(int left, int top, int right, int bottom, int screenWidth,
                        int screenHeight, int dlgFrame = 3) {
    SystemFacts f{};
    f.WorkArea = {left, top, right, bottom};
    f.CxBorder = f.CyBorder = 1;
    f.CxDlgFrame = dlgFrame;
    f.ScreenWidth = screenWidth;
    f.ScreenHeight = screenHeight;
    return f;
}

// The program's layout for these settings on that desktop.
inline LensGeometry LaidOut(int factor, int format, int pro, const SystemFacts& f) {
    LensGeometry g{};
    ComputeFormat(g, factor, format, pro, f);
    ComputeLayout(g, pro, f);
    return g;
}

// A 32-bit top-down DIB of w x h: rows in screen order, one DWORD a pixel.
inline BITMAPINFO TopDown32(int w, int h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    return bi;
}

// A 32-bit top-down DIB section in its own memory DC: pixels that can be read directly.
struct PixelSurface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    DWORD* bits = nullptr;
    int width = 0, height = 0;

    PixelSurface(int w, int h) : width(w), height(h) {
        const BITMAPINFO bi = TopDown32(w, h);
        dc = CreateCompatibleDC(nullptr);
        void* p = nullptr;
        bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<DWORD*>(p);
        old = SelectObject(dc, bitmap);
    }
    ~PixelSurface() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    PixelSurface(const PixelSurface&) = delete;
    PixelSurface& operator=(const PixelSurface&) = delete;

    // Copies w x h pixels of another DC in.
    void CopyFrom(HDC source) {
        BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
        GdiFlush();
    }
    COLORREF At(int x, int y) const {
        const DWORD p = bits[static_cast<size_t>(y) * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
};

// Paths in tests are UTF-8, so that folders in any script can be named; the
// system is always called with the wide path.
inline std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(),
                                      static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n - 1 : 0);
    return wide;
}

inline std::string Utf8(const std::wstring& wide) {
    std::string utf8(wide.size() * 3 + 1, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8.data(),
                                      static_cast<int>(utf8.size()), nullptr, nullptr);
    utf8.resize(n > 0 ? n - 1 : 0);
    return utf8;
}

// Target and working directory of a link file, as the shell reads them.
inline bool ReadShellLink(const wchar_t* path, std::wstring* target, std::wstring* directory) {
    CoInitialize(nullptr);
    bool loaded = false;
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t text[2][MAX_PATH] = {};
        // The target from the link's item list, which the shell starts:
        // Wine's GetPath gives a copy through the code page.
        PIDLIST_ABSOLUTE items = nullptr;
        loaded = SUCCEEDED(file->Load(path, STGM_READ)) &&
                 SUCCEEDED(link->GetIDList(&items)) && SHGetPathFromIDListW(items, text[0]) &&
                 SUCCEEDED(link->GetWorkingDirectory(text[1], MAX_PATH));
        CoTaskMemFree(items);
        *target = text[0];
        *directory = text[1];
    }
    if (file)
        file->Release();
    if (link)
        link->Release();
    CoUninitialize();
    return loaded;
}

// A new empty directory under the temporary folder.
inline std::string MakeTempDirectory() {
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

inline std::string ReadFileBytes(const std::string& path, bool* exists = nullptr) {
    std::string bytes;
    FILE* f = _wfopen(Wide(path).c_str(), L"rb");
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

inline bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    FILE* f = _wfopen(Wide(path).c_str(), L"wb");
    if (!f)
        return false;
    const bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && written;
}

inline bool FileExists(const std::string& path) {
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Live GDI objects of this process. Windows counts them; Wine answers 0, but
// there a handle whose upper word is 0 names whatever lives at its index in
// the process's handle table, so the table can be walked.
inline DWORD GdiObjects() {
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0)
        return counted;
    DWORD live = 0;
    for (UINT_PTR index = 1; index < 0x10000; ++index)
        live += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0;
    return live;
}

// The Pro grid over an image of columns x rows cells of zoom pixels (one
// pixel more each way for the closing lines), pixel by pixel: NotGrid off the
// lines. Along every line the colours alternate from its start, grey on even
// and silver on odd offsets, a vertical line's pixel winning where two cross.
// The pointer's cell (columns / 2, rows / 2), with half cells more each way
// (the block whose mean is read), is framed red on even and white on odd
// offsets: its four sides are drawn in pairs from the first even offset at
// or after the block's near line to the pair starting at or before its far line.
constexpr COLORREF NotGrid = 0xFF000000;
inline COLORREF WorkedGridColour(int x, int y, int zoom, int columns, int rows, int half = 0) {
    const bool vertical = x % zoom == 0, horizontal = y % zoom == 0;
    if (!vertical && !horizontal)
        return NotGrid;
    const int along = vertical ? y : x;
    const int line = vertical ? x / zoom : y / zoom;
    const int centreLine = vertical ? columns / 2 : rows / 2;
    const int centreCell = vertical ? rows / 2 : columns / 2;
    const int pair = along & ~1;
    const bool frame = (line == centreLine - half || line == centreLine + half + 1) &&
                       (centreCell - half) * zoom <= pair && pair <= (centreCell + half + 1) * zoom;
    if (frame)
        return along % 2 == 0 ? Red : White;
    return along % 2 == 0 ? Grey : Silver;
}
