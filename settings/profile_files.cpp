#include <windows.h>

#include <cstring>
#include <cwchar>

#include "settings/profile_text.h"
#include "settings/settings.h"

namespace {

constexpr char ChoiceFileName[] = "Vellix.ini";
constexpr char ChoiceKey[] = "Active profile=";
// Where a new file text is written before it replaces the old file.
constexpr char TemporarySuffix[] = ".tmp";
// A file that cannot be written is tried again a moment later: a sync or
// backup tool may hold it for a moment.
constexpr int WriteTries = 3;
constexpr DWORD WriteRetryMs = 100;

// Set by every save that fails, cleared by one that succeeds.
bool LastSaveFailed;

char SettingsText[SettingsTextCapacity];

// Files that exist but could not be read when they were loaded (held by a
// backup or sync tool, say). Their values never reached us, so writing ours
// over them would replace what the user saved with defaults: they are left alone.
bool ChoiceUnread;
bool ProfileUnread[6];  // by profile number 1..5

// Writes the whole text into a new file; false if any step fails.
bool WriteWholeFile(const char* name, const char* text) {
    const HANDLE file = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const DWORD length = static_cast<DWORD>(strlen(text));
    DWORD written = 0;
    bool ok = SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
              WriteFile(file, text, length, &written, nullptr) && written == length &&
              FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    return ok;
}

// Whether an existing file may be replaced: not read-only, and not held open
// by anyone who forbids deleting it. Windows refuses such a replace by itself;
// Wine carries it out, so the check is made here for both.
bool MayReplace(const char* name) {
    const DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;  // no file yet (or none we can see): the move decides
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const HANDLE probe = CreateFileA(name, DELETE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(probe);
    return true;
}

}  // namespace

bool FileExists(const wchar_t* name) {
    // The name's entry in its folder: nothing is opened, so a file that
    // another program holds is found as well.
    if (wcspbrk(name, L"*?"))
        return false;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(name, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FileExists(const char* name) {
    wchar_t wide[MAX_PATH];
    return MultiByteToWideChar(CP_ACP, 0, name, -1, wide, MAX_PATH) > 0 && FileExists(wide);
}

char* ReadTextFile(const char* name, bool* unreadable) {
    if (unreadable)
        *unreadable = false;
    if (!FileExists(name))
        return nullptr;
    if (unreadable)
        *unreadable = true;
    // Others may go on reading, writing or even replacing the file meanwhile:
    // a tool that holds it open must not make us miss the user's settings.
    const HANDLE file =
        CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    char* text = nullptr;
    DWORD high = 0;
    const DWORD size = (SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER)
                           ? GetFileSize(file, &high)
                           : INVALID_FILE_SIZE;
    // A file of 4 GB or more is no settings file: treated as unreadable.
    if (size != INVALID_FILE_SIZE && high == 0) {
        // Committed memory is zero-filled, so the text ends at the file's end.
        text = static_cast<char*>(
            VirtualAlloc(nullptr, static_cast<SIZE_T>(size) + 1, MEM_COMMIT | MEM_RESERVE,
                         PAGE_READWRITE));
        DWORD got = 0;
        if (text && !ReadFile(file, text, size, &got, nullptr)) {
            VirtualFree(text, 0, MEM_RELEASE);
            text = nullptr;
        }
    }
    CloseHandle(file);
    if (text && unreadable)
        *unreadable = false;
    return text;
}

void ReleaseText(char* text) {
    if (text)
        VirtualFree(text, 0, MEM_RELEASE);
}

bool WriteTextFile(const char* name, const char* text) {
    // The old file is replaced only by a complete new one: a failed write
    // must not leave the user's settings empty or cut short.
    char temporary[MAX_PATH];
    if (!JoinPath(temporary, sizeof(temporary), name, strlen(name), TemporarySuffix))
        return false;
    for (int tried = 1;; ++tried) {
        if (MayReplace(name)) {
            if (WriteWholeFile(temporary, text) &&
                MoveFileExA(temporary, name, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                return true;
            DeleteFileA(temporary);
        }
        if (tried == WriteTries)
            return false;
        Sleep(WriteRetryMs);
    }
}

bool SettingsUnsaved() {
    return LastSaveFailed;
}

void ReadProfileChoice() {
    char* text = ReadTextFile(ChoiceFileName, &ChoiceUnread);
    if (text) {
        LensSettings.ActiveProfile =
            static_cast<int8_t>(ParseSettingValue(text, ProfileDefaults.DefaultActiveProfile,
                                                  ChoiceKey));
        ReleaseText(text);
    } else {
        LensSettings.ActiveProfile = static_cast<int8_t>(ProfileDefaults.DefaultActiveProfile);
    }
}

bool SaveProfileChoice() {
    if (ChoiceUnread)
        return true;
    ComposeProfileChoiceText(LensSettings.ActiveProfile, SettingsText, sizeof(SettingsText));
    LastSaveFailed = !WriteTextFile(ChoiceFileName, SettingsText);
    return !LastSaveFailed;
}

void LoadActiveProfile() {
    const char* name = ProfileFileName(LensSettings.ActiveProfile);
    bool unreadable = false;
    char* text = name ? ReadTextFile(name, &unreadable) : nullptr;
    if (name)
        ProfileUnread[LensSettings.ActiveProfile] = unreadable;
    if (text) {
        ApplyProfileText(text);
        ReleaseText(text);
    } else {
        ApplyProfileDefaults();
    }
}

bool SaveActiveProfile() {
    ComposeProfileText(LensSettings, SettingsText, sizeof(SettingsText));
    const char* name = ProfileFileName(LensSettings.ActiveProfile);
    if (!name || ProfileUnread[LensSettings.ActiveProfile])
        return true;
    LastSaveFailed = !WriteTextFile(name, SettingsText);
    return !LastSaveFailed;
}

bool SwitchProfile(int profile) {
    const bool saved = LensSettings.ActiveProfile == profile || SaveActiveProfile();
    LensSettings.ActiveProfile = static_cast<int8_t>(profile);
    LoadActiveProfile();
    return saved;
}
