// Settings and profiles: the user's settings record, its fixed defaults, the
// profile files in the working directory and the start-with-Windows test.
//
// This header is free of Windows headers on purpose: the text side of the
// profile files builds natively too (unit tests, fuzzing).
#pragma once

#include <cstdint>

// Mode numbers as a profile file stores them under "Configuration=".
enum LensModeNumber { ModeCommon = 0, ModePro = 1, ModeReading = 2 };

struct LensSettingsRecord {
    int32_t ProFlag;            // 1 = Pro mode
    int32_t ReadingFlag;        // 1 = Reading mode; both 0 = Common
    int8_t MagnifyFactor;       // 2..10, the factor the user chose
    int8_t WindowFormat;        // 11..16, 21..26, 31..33
    int8_t PixelFormat;         // 1 BGR, 2 RGB, 3 (R,G,B)
    int8_t NumberBase;          // 1 Hex, 2 Dec, 3 Bin
    int32_t DynamicRefresh;     // 1 = refresh on a 10 ms timer
    int32_t SoundOn;            // 1 = copies make a click
    int32_t StartupShortcut;    // 1 = the startup shortcut exists
    int8_t ActiveProfile;       // 1..5 = profiles A..E
    int8_t SavedNormalFormat;   // remembered while Reading mode is on, 0 = none
    int8_t SavedReadingFormat;  // remembered while another mode is on, 0 = none
};

struct ProfileDefaultsRecord {
    int DefaultConfiguration;
    int DefaultMagnifyFactor;
    int DefaultWindowFormat;
    int DefaultPixelFormat;
    int DefaultNumberBase;
    int DefaultDynamicRefresh;
    int DefaultSoundOn;
    int DefaultActiveProfile;
};

extern LensSettingsRecord LensSettings;
extern ProfileDefaultsRecord ProfileDefaults;

constexpr int PathCapacity = 260;
// Wide: the folders may be named in any script. StartDirectory is the working
// directory at start-up, ProgramPath the running program itself (empty when
// its path does not fit): the Startup shortcut starts ProgramPath in
// StartDirectory, and the about program lies beside ProgramPath.
extern wchar_t StartDirectory[PathCapacity];
extern wchar_t ProgramPath[PathCapacity];

// The fixed defaults that stand in for a missing file, key or value.
ProfileDefaultsRecord StandardProfileDefaults();

// Mode number derived from the two flags: 2 for Reading, else ProFlag.
int ModeNumber(const LensSettingsRecord& s);

// Profile files, all in the working directory. A missing file, key or
// value yields its default; nothing is ever reported.
// "Vellix.ini" -> ActiveProfile (any number 0..255, also one without a file).
void ReadProfileChoice();
// ActiveProfile -> "Vellix.ini", unchanged.
void SaveProfileChoice();
// The active profile's file -> the eight stored fields, each within its
// valid values; no file (or no profile 1..5) gives ProfileDefaults.
void LoadActiveProfile();
// The eight stored fields -> the active profile's file (profiles 1..5 only).
void SaveActiveProfile();
// Profile command of the tray menu: saves the profile being left (only when
// profile differs from the active one), makes profile active and loads it.
// Choosing the active profile drops the changes made since it was saved.
void SwitchProfile(int profile);

// Whether a file search finds the name.
bool FileExists(const char* name);
// A whole file as a zero-terminated text (ends at an earlier zero byte, if
// any), or nullptr if it is missing or unreadable; *unreadable tells the two
// apart. Free with ReleaseText.
char* ReadTextFile(const char* name, bool* unreadable = nullptr);
void ReleaseText(char* text);
// Replaces the file with the text's bytes (without the zero). The old file
// stays as it was unless the whole new text was written; false then.
bool WriteTextFile(const char* name, const char* text);

// Start-up: StartDirectory and ProgramPath, once.
void RecordStartPaths();
// Start-with-Windows: sets StartupShortcut to 1 if the shortcut exists.
void TestStartupShortcut();
// Makes the shortcut match StartupShortcut: written when 1, deleted when 0.
void ApplyStartupShortcut();
// Writes "Vellix.lnk" into the Startup folder (replacing one that exists),
// pointing at ProgramPath, working directory StartDirectory.
void CreateStartupShortcut();
void DeleteStartupShortcut();
// The shortcut's full path; false if the Startup folder is unknown or the
// path would not fit in capacity characters.
bool StartupShortcutPath(wchar_t* path, int capacity);
