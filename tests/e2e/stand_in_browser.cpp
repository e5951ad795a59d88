// A stand-in for the user's browser, which the help test registers for
// ".html" in its Wine prefix: it writes the command line it was started with,
// UTF-8, to the file named by its first argument, and ends. Built only here.
#include <windows.h>

#include <shellapi.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count < 2)
        return 1;
    const wchar_t* line = GetCommandLineW();
    char text[4096];
    const int length = WideCharToMultiByte(CP_UTF8, 0, line, -1, text, sizeof(text), nullptr,
                                           nullptr);
    // Written under another name, then renamed: the test never reads half a line.
    wchar_t part[MAX_PATH];
    lstrcpynW(part, arguments[1], MAX_PATH - 6);
    lstrcatW(part, L".part");
    const HANDLE file = CreateFileW(part, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(file, text, length > 0 ? static_cast<DWORD>(length - 1) : 0, &written, nullptr);
    CloseHandle(file);
    const BOOL moved = MoveFileExW(part, arguments[1], MOVEFILE_REPLACE_EXISTING);
    LocalFree(arguments);
    return moved ? 0 : 1;
}
