// The start-with-Windows shortcut "Vellix.lnk" in the user's Startup folder.
// Every path here is wide: a user name or folder in another script than the
// system's code page would otherwise turn into question marks.
#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <cwchar>

#include "settings/settings.h"
#include "settings/shared.h"
#include "settings/system_calls.h"

namespace {

constexpr wchar_t ShortcutName[] = L"\\Vellix.lnk";

// FOLDERID_Startup, spelled out so that no GUID library is needed.
constexpr GUID StartupFolderId = {
    0xB97D20BB, 0xF46A, 0x4C97, {0xBA, 0x10, 0x5E, 0x36, 0x08, 0x43, 0x08, 0x54}};
constexpr DWORD KnownFolderCreate = 0x00008000;  // KF_FLAG_CREATE

// The Startup folder, made first when create is set (a new user profile may
// not have it yet). Windows XP has no SHGetKnownFolderPath, only the older call.
bool StartupFolder(wchar_t* folder, size_t capacity, bool create) {
    folder[0] = L'\0';
    const auto knownFolderPath = DynCalls.SHGetKnownFolderPath;
    if (knownFolderPath) {
        PWSTR found = nullptr;
        const HRESULT result =
            knownFolderPath(StartupFolderId, create ? KnownFolderCreate : 0, nullptr, &found);
        const bool fits = SUCCEEDED(result) && found && wcslen(found) < capacity;
        if (fits)
            wcscpy(folder, found);
        CoTaskMemFree(found);
        return fits && folder[0] != L'\0';
    }
    wchar_t path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(LensWindow, path, CSIDL_STARTUP, create) || path[0] == L'\0' ||
        wcslen(path) >= capacity)
        return false;
    wcscpy(folder, path);
    return true;
}

bool ShortcutPathIn(const wchar_t* folder, wchar_t* path, int capacity) {
    return capacity > 0 &&
           JoinPath(path, static_cast<size_t>(capacity), folder, wcslen(folder), ShortcutName);
}

// Writes the link through the shell's own link object; nothing is reported.
void SaveShellLink(const wchar_t* target, const wchar_t* directory, const wchar_t* linkPath) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return;
    link->SetPath(target);
    link->SetWorkingDirectory(directory);
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        file->Save(linkPath, TRUE);
        file->Release();
    }
    link->Release();
}

}  // namespace

void RecordStartPaths() {
    StartDirectory[0] = L'\0';
    GetCurrentDirectoryW(PathCapacity, StartDirectory);
    // The program itself, wherever it was started from: the working directory
    // need not hold it (a shortcut elsewhere, a command prompt).
    const DWORD length = GetModuleFileNameW(nullptr, ProgramPath, PathCapacity);
    if (length == 0 || length >= PathCapacity)
        ProgramPath[0] = L'\0';
}

bool StartupShortcutPath(wchar_t* path, int capacity) {
    wchar_t folder[PathCapacity];
    return StartupFolder(folder, PathCapacity, false) && ShortcutPathIn(folder, path, capacity);
}

void TestStartupShortcut() {
    wchar_t path[PathCapacity];
    LensSettings.StartupShortcut = StartupShortcutPath(path, PathCapacity) && FileExists(path);
}

void CreateStartupShortcut() {
    wchar_t folder[PathCapacity];
    wchar_t path[PathCapacity];
    if (!StartupFolder(folder, PathCapacity, true) || !ShortcutPathIn(folder, path, PathCapacity))
        return;
    // The target is this program itself; the working directory keeps its
    // settings where they were.
    if (ProgramPath[0] == L'\0')
        return;
    const HRESULT com = CoInitialize(nullptr);
    SaveShellLink(ProgramPath, StartDirectory, path);
    if (SUCCEEDED(com))
        CoUninitialize();
}

void DeleteStartupShortcut() {
    wchar_t path[PathCapacity];
    if (StartupShortcutPath(path, PathCapacity) && FileExists(path))
        DeleteFileW(path);
}

void ApplyStartupShortcut() {
    if (LensSettings.StartupShortcut == 1)
        CreateStartupShortcut();
    else if (LensSettings.StartupShortcut == 0)
        DeleteStartupShortcut();
}
