// Settings and profiles: the user's settings record, its fixed defaults, the
// profile files in the working directory and the start-with-Windows test.
//
// This header is free of Windows headers on purpose: the text side of the
// profile files builds natively too (unit tests, fuzzing).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Mode numbers as a profile file stores them under "Configuration=".
enum LensModeNumber { ModeCommon = 0, ModePro = 1, ModeReading = 2 };

// Pixel formats: 1..3 write a number (or triple) in the chosen base; the web
// and design texts below have a fixed form of their own, the base unused.
constexpr int PixelFormatWebHex = 4;  // "#12AB05"
constexpr int PixelFormatCssRgb = 5;  // "rgb(18, 171, 5)"
constexpr int PixelFormatCssHsl = 6;  // "hsl(115, 94%, 35%)"
constexpr bool UsesNumberBase(int pixelFormat) {
    return pixelFormat < PixelFormatWebHex;
}

// The block whose mean colour the lens reads: its side, as a profile stores
// it under "Sample=" (1 is not written).
enum class SampleSize : int8_t { One = 1, Three = 3, Five = 5 };
constexpr int SampleHalf(SampleSize s) {
    return static_cast<int>(s) / 2;
}

// The magnify factors a user may choose, and the least zoom Pro draws at
// whatever factor is chosen: its grid wants cells that large.
constexpr int LowestMagnifyFactor = 2;
constexpr int HighestMagnifyFactor = 10;
constexpr int ProLowestZoom = 6;

struct LensSettingsRecord {
    int32_t ProFlag;            // 1 = Pro mode
    int32_t ReadingFlag;        // 1 = Reading mode; both 0 = Common
    int8_t MagnifyFactor;       // Lowest..HighestMagnifyFactor, the factor the user chose
    int8_t WindowFormat;        // 11..16, 21..26, 31..33
    int8_t PixelFormat;         // 1 BGR, 2 RGB, 3 (R,G,B), 4 #RRGGBB, 5 rgb(), 6 hsl()
    int8_t NumberBase;          // 1 Hex, 2 Dec, 3 Bin
    int32_t DynamicRefresh;     // 1 = refresh on a 10 ms timer
    int32_t SoundOn;            // 1 = copies make a click
    int32_t StartupShortcut;    // 1 = the startup shortcut exists
    int8_t ActiveProfile;       // 1..5 = profiles A..E
    int8_t SavedNormalFormat;   // remembered while Reading mode is on, 0 = none
    int8_t SavedReadingFormat;  // remembered while another mode is on, 0 = none
    SampleSize Sample;          // the block read: 1x1, 3x3 or 5x5 (0 reads as 1x1)
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

// The window formats: every code WindowFormat can hold, with its family, its
// menu label (height first) and its view in window pixels. Width 0 is the
// work area's full width: the Reading strips. The layout, the profile files
// and the menu all read this one table.
enum FormatFamily { FamilyFourThree, FamilySixteenNine, FamilyReading };
struct WindowFormatEntry {
    int code;
    FormatFamily family;
    const char* label;
    int width;
    int height;
};
inline constexpr WindowFormatEntry WindowFormats[] = {
    {11, FamilyFourThree, "90x130", 130, 90},     {12, FamilyFourThree, "140x180", 180, 140},
    {13, FamilyFourThree, "180x240", 240, 180},   {14, FamilyFourThree, "240x320", 320, 240},
    {15, FamilyFourThree, "320x430", 430, 320},   {16, FamilyFourThree, "430x570", 570, 430},
    {21, FamilySixteenNine, "90x160", 160, 90},   {22, FamilySixteenNine, "140x250", 250, 140},
    {23, FamilySixteenNine, "180x320", 320, 180}, {24, FamilySixteenNine, "240x430", 430, 240},
    {25, FamilySixteenNine, "320x570", 570, 320}, {26, FamilySixteenNine, "430x760", 760, 430},
    {31, FamilyReading, "90", 0, 90},             {32, FamilyReading, "120", 0, 120},
    {33, FamilyReading, "160", 0, 160},
};

// The entry of a code; nullptr for a code outside the table.
constexpr const WindowFormatEntry* FindWindowFormat(int code) {
    for (const WindowFormatEntry& e : WindowFormats)
        if (e.code == code)
            return &e;
    return nullptr;
}

// Codes above 30 are the Reading strips, codes below it the windowed formats.
constexpr bool IsReadingFormat(int code) {
    return code > 30;
}
constexpr bool IsWindowedFormat(int code) {
    return code < 30;
}
constexpr bool FamiliesFollowTheCodes() {
    for (const WindowFormatEntry& e : WindowFormats) {
        const bool reading = e.family == FamilyReading;
        if (IsReadingFormat(e.code) != reading || IsWindowedFormat(e.code) == reading ||
            (e.width == 0) != reading)
            return false;
    }
    return true;
}
static_assert(FamiliesFollowTheCodes(), "a Reading strip is a code above 30 of full width");

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
// ActiveProfile -> "Vellix.ini", unchanged. The saves return false where the
// file could not be written (a file left alone because it could not be read
// counts as saved).
bool SaveProfileChoice();
// The active profile's file -> the stored fields, each within its
// valid values; no file (or no profile 1..5) gives ProfileDefaults.
void LoadActiveProfile();
// The stored fields -> the active profile's file (profiles 1..5 only).
bool SaveActiveProfile();
// Profile command of the tray menu: saves the profile being left (only when
// profile differs from the active one), makes profile active and loads it.
// Choosing the active profile drops the changes made since it was saved.
// False where the profile left could not be saved.
bool SwitchProfile(int profile);
// Whether the last save failed; true until a save succeeds.
bool SettingsUnsaved();

// Whether a file (not a folder) of exactly that name exists; a name with
// wildcards names none. Narrow names are read in the system's code page.
bool FileExists(const wchar_t* name);
bool FileExists(const char* name);
// Writes the first headLength characters of head, then tail with its zero,
// into out; false, with nothing written, when they would not fit in capacity.
template <typename Char>
bool JoinPath(Char* out, size_t capacity, const Char* head, size_t headLength, const Char* tail) {
    using Traits = std::char_traits<Char>;
    const size_t tailLength = Traits::length(tail);
    if (headLength + tailLength + 1 > capacity)
        return false;
    Traits::copy(out, head, headLength);
    Traits::copy(out + headLength, tail, tailLength + 1);
    return true;
}
// A whole file as a zero-terminated text (ends at an earlier zero byte, if
// any), or nullptr if it is missing or unreadable; *unreadable tells the two
// apart. Free with ReleaseText.
char* ReadTextFile(const char* name, bool* unreadable = nullptr);
void ReleaseText(char* text);
// Replaces the file with the text's bytes (without the zero), tried three
// times 100 ms apart. The old file stays as it was unless the whole new text
// was written; false then.
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
