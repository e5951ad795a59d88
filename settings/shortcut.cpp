// The start-with-Windows shortcut "Vellix.lnk" in the user's Startup folder.
#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <cstring>

#include "app/app.h"
#include "settings/settings.h"

namespace {

constexpr char ShortcutName[] = "\\Vellix.lnk";

// Writes the link through the shell's own link object; nothing is reported.
void SaveShellLink(const char* target, const char* directory, const wchar_t* linkPath) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
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

bool StartupShortcutPath(char* path, int capacity) {
    char folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(LensWindow, folder, CSIDL_STARTUP, FALSE) || folder[0] == '\0')
        return false;
    const size_t length = strlen(folder);
    if (length + sizeof(ShortcutName) > static_cast<size_t>(capacity))
        return false;
    memcpy(path, folder, length);
    memcpy(path + length, ShortcutName, sizeof(ShortcutName));
    return true;
}

void TestStartupShortcut() {
    char path[PathCapacity];
    if (!StartupShortcutPath(path, PathCapacity)) {
        LensSettings.StartupShortcut = 0;
        return;
    }
    // A folder of that name is no shortcut.
    const DWORD attributes = GetFileAttributesA(path);
    LensSettings.StartupShortcut =
        attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CreateStartupShortcut() {
    // A new user profile may not have the folder yet.
    char folder[MAX_PATH] = {};
    SHGetSpecialFolderPathA(LensWindow, folder, CSIDL_STARTUP, TRUE);
    char path[PathCapacity];
    if (!StartupShortcutPath(path, PathCapacity))
        return;
    // The target is this program itself, wherever it was started from; the
    // working directory keeps its settings where they were.
    char target[PathCapacity] = {};
    const DWORD length = GetModuleFileNameA(nullptr, target, PathCapacity);
    if (length == 0 || length >= PathCapacity)
        return;
    wchar_t widePath[PathCapacity] = {};
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path, -1, widePath, PathCapacity) == 0)
        return;
    const HRESULT com = CoInitialize(nullptr);
    SaveShellLink(target, StartDirectory, widePath);
    if (SUCCEEDED(com))
        CoUninitialize();
}

void DeleteStartupShortcut() {
    char path[PathCapacity];
    if (StartupShortcutPath(path, PathCapacity) && FileExists(path))
        DeleteFileA(path);
}

void ApplyStartupShortcut() {
    if (LensSettings.StartupShortcut == 1)
        CreateStartupShortcut();
    else if (LensSettings.StartupShortcut == 0)
        DeleteStartupShortcut();
}
