// The tray menu tree, showing it, its commands and its check marks.
#include "menu/menu.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "geometry/geometry.h"
#include "settings/shared.h"

HMENU TrayMenu, SettingsMenu, ModeMenu, FactorMenu, WindowFormatMenu, ReadingHeightMenu,
    FourThreeMenu, SixteenNineMenu, PixelValueMenu, PixelFormatMenu, BaseMenu, ProfilesMenu;

namespace {

// Items that open a submenu share this id unless something looks them up.
constexpr UINT SubmenuId = 10;

struct ListItem {
    const char* label;
    UINT id;
};

// Appends a text item; with a submenu it opens that menu and sends nothing.
void AddItem(HMENU menu, const char* label, UINT id, HMENU submenu = nullptr) {
    MENUITEMINFOA item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_ID | MIIM_TYPE | (submenu ? MIIM_SUBMENU : 0);
    item.fType = MFT_STRING;
    item.wID = id;
    item.hSubMenu = submenu;
    item.dwTypeData = const_cast<char*>(label);
    InsertMenuItemA(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &item);
}

template <size_t N>
void AddItems(HMENU menu, const ListItem (&items)[N]) {
    for (const ListItem& item : items)
        AddItem(menu, item.label, item.id);
}

constexpr ListItem ModeItems[] = {{"Common", CmdCommon}, {"Pro", CmdPro}, {"Reading", CmdReading}};
constexpr ListItem ReadingHeightItems[] = {{"90", 111}, {"120", 112}, {"160", 113}};
constexpr ListItem FourThreeItems[] = {{"90x130", 31},  {"140x180", 32}, {"180x240", 33},
                                       {"240x320", 34}, {"320x430", 35}, {"430x570", 36}};
constexpr ListItem SixteenNineItems[] = {{"90x160", 51},  {"140x250", 52}, {"180x320", 53},
                                         {"240x430", 54}, {"320x570", 55}, {"430x760", 56}};
constexpr ListItem PixelFormatItems[] = {{"BGR", 61}, {"RGB", 62}, {"(R,G,B)", 63}};
constexpr ListItem BaseItems[] = {{"Hex", 71}, {"Dec", 72}, {"Bin", 73}};
constexpr ListItem ProfileItems[] = {{"A", 91}, {"B", 92}, {"C", 93}, {"D", 94}, {"E", 95}};

// Every item that can carry a check mark, by command id.
constexpr int MarkedIds[] = {CmdDynamic, CmdSound, CmdStartup, CmdCommon, CmdPro, CmdReading,
                             82, 83, 84, 85, 86, 87, 88, 89, 90,
                             31, 32, 33, 34, 35, 36, 51, 52, 53, 54, 55, 56, 111, 112, 113,
                             61, 62, 63, 71, 72, 73, 91, 92, 93, 94, 95};
constexpr int FamilyIds[] = {CmdFourThreeFamily, CmdSixteenNineFamily, CmdReadingFamily};

bool InRange(int v, int low, int high) {
    return v >= low && v <= high;
}

int Toggled(int flag) {
    return flag == 0 ? 1 : 0;
}

bool IsCommon(const LensSettingsRecord& s) {
    return s.ProFlag == 0 && s.ReadingFlag == 0;
}

bool IsPro(const LensSettingsRecord& s) {
    return s.ProFlag == 1 && s.ReadingFlag == 0;
}

bool FileInWorkingDirectory(const wchar_t* name) {
    const DWORD attributes = GetFileAttributesW(name);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void OpenHelp() {
    // Without the file the help engine blocks behind a dialog (or is missing
    // altogether on current Windows); a missing file is reported to nobody.
    if (FileInWorkingDirectory(HELP_FILE_NAME))
        WinHelpW(LensWindow, HELP_FILE_NAME, HELP_FINDER, 0);
}

// Starts the about program that lies beside the running Vellix.exe, without
// waiting for it: the working directory can be any folder, and whatever
// program of that name lies there is not ours.
void StartAboutProgram() {
    wchar_t program[PathCapacity];
    if (!FileBesideProgram(ProgramPath, ABOUT_PROGRAM_NAME, program, PathCapacity))
        return;
    // CreateProcessW may write into the command line.
    wchar_t commandLine[] = L"\"" ABOUT_PROGRAM_NAME L"\" a";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(program, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

}  // namespace

bool FileBesideProgram(const wchar_t* programPath, const wchar_t* name, wchar_t* out,
                       size_t capacity) {
    size_t folder = 0;  // up to and with the last separator
    for (size_t i = 0; programPath[i]; ++i)
        if (programPath[i] == L'\\' || programPath[i] == L'/')
            folder = i + 1;
    const size_t nameLength = wcslen(name);
    if (folder == 0 || folder + nameLength + 1 > capacity)
        return false;
    wmemcpy(out, programPath, folder);
    wmemcpy(out + folder, name, nameLength + 1);
    return true;
}

void ApplyCommandToSettings(LensSettingsRecord& s, int id) {
    switch (id) {
    case CmdCommon: s.ProFlag = 0; s.ReadingFlag = 0; return;
    case CmdPro: s.ReadingFlag = 0; s.ProFlag = 1; return;
    case CmdReading: s.ReadingFlag = 1; s.ProFlag = 0; return;
    case CmdStartup: s.StartupShortcut = Toggled(s.StartupShortcut); return;
    case CmdSound: s.SoundOn = Toggled(s.SoundOn); return;
    case CmdDynamic: s.DynamicRefresh = Toggled(s.DynamicRefresh); return;
    default: break;
    }
    // Only ids of real items: a command posted by another program must not
    // bring in a format or value the lens cannot lay out.
    if (InRange(id, 82, 90))
        s.MagnifyFactor = static_cast<int8_t>(id - 80);
    else if (InRange(id, 31, 36))
        s.WindowFormat = static_cast<int8_t>(id - 20);
    else if (InRange(id, 51, 56))
        s.WindowFormat = static_cast<int8_t>(id - 30);
    else if (InRange(id, 111, 113))
        s.WindowFormat = static_cast<int8_t>(id - 80);
    else if (InRange(id, 61, 63))
        s.PixelFormat = static_cast<int8_t>(id - 60);
    else if (InRange(id, 71, 73))
        s.NumberBase = static_cast<int8_t>(id - 70);
}

void FollowModeFormat(LensSettingsRecord& s, int defaultFormat) {
    if (s.ReadingFlag == 1) {
        if (s.WindowFormat < 30) {
            s.SavedNormalFormat = s.WindowFormat;
            s.WindowFormat = s.SavedReadingFormat != 0 ? s.SavedReadingFormat : int8_t{32};
        }
    } else if (IsCommon(s) || IsPro(s)) {
        if (s.WindowFormat > 30) {
            s.SavedReadingFormat = s.WindowFormat;
            s.WindowFormat = s.SavedNormalFormat != 0 ? s.SavedNormalFormat
                                                      : static_cast<int8_t>(defaultFormat);
        }
    }
}

bool ItemChecked(const LensSettingsRecord& s, int id) {
    switch (id) {
    case CmdDynamic: return s.DynamicRefresh == 1;
    case CmdSound: return s.SoundOn == 1;
    case CmdStartup: return s.StartupShortcut == 1;
    case CmdCommon: return IsCommon(s);
    case CmdPro: return IsPro(s);
    case CmdReading: return s.ReadingFlag == 1;
    default: break;
    }
    if (InRange(id, 82, 90))
        return s.MagnifyFactor == id - 80;
    if (InRange(id, 31, 36))
        return s.WindowFormat == id - 20;
    if (InRange(id, 51, 56))
        return s.WindowFormat == id - 30;
    if (InRange(id, 111, 113))
        return s.WindowFormat == id - 80;
    if (InRange(id, 61, 63))
        return s.PixelFormat == id - 60;
    if (InRange(id, 71, 73))
        return s.NumberBase == id - 70;
    if (InRange(id, 91, 95))
        return s.ActiveProfile == id - 90;
    return false;
}

bool ItemGrayed(const LensSettingsRecord& s, int id) {
    // Only the formats of the mode's own family can be picked.
    if (id == CmdFourThreeFamily || id == CmdSixteenNineFamily)
        return s.ReadingFlag == 1;
    if (id == CmdReadingFamily)
        return s.ReadingFlag != 1;
    return false;
}

void BuildTrayMenu() {
    HMENU* const menus[] = {&TrayMenu,          &SettingsMenu,    &ModeMenu,       &FactorMenu,
                            &WindowFormatMenu,  &ReadingHeightMenu, &FourThreeMenu,
                            &SixteenNineMenu,   &PixelValueMenu,  &PixelFormatMenu, &BaseMenu,
                            &ProfilesMenu};
    for (HMENU* menu : menus)
        *menu = CreatePopupMenu();

    AddItem(TrayMenu, "Close Menu", CmdCloseMenu);
    AddItem(TrayMenu, "Settings", 12, SettingsMenu);
    AddItem(TrayMenu, "Profiles", 17, ProfilesMenu);
    AddItem(TrayMenu, "Help", CmdHelp);
    AddItem(TrayMenu, "About", CmdAbout);
    AddItem(TrayMenu, "Exit", CmdExit);

    AddItem(SettingsMenu, "Comfiguration", 13, ModeMenu);
    AddItem(SettingsMenu, "Magnify Factor", SubmenuId, FactorMenu);
    AddItem(SettingsMenu, "Window Format", SubmenuId, WindowFormatMenu);
    AddItem(SettingsMenu, "Pixel Value", SubmenuId, PixelValueMenu);
    AddItem(SettingsMenu, "Dynamic", CmdDynamic);
    AddItem(SettingsMenu, "Startup", CmdStartup);
    AddItem(SettingsMenu, "Sound", CmdSound);

    AddItems(ModeMenu, ModeItems);
    char label[10];
    for (int factor = 2; factor <= 10; ++factor) {
        snprintf(label, sizeof(label), "%d", factor);
        AddItem(FactorMenu, label, static_cast<UINT>(factor + 80));
    }

    AddItem(WindowFormatMenu, "Reading", CmdReadingFamily, ReadingHeightMenu);
    AddItem(WindowFormatMenu, "4/3", CmdFourThreeFamily, FourThreeMenu);
    AddItem(WindowFormatMenu, "16/9", CmdSixteenNineFamily, SixteenNineMenu);
    AddItems(ReadingHeightMenu, ReadingHeightItems);
    AddItems(FourThreeMenu, FourThreeItems);
    AddItems(SixteenNineMenu, SixteenNineItems);

    AddItem(PixelValueMenu, "Format", SubmenuId, PixelFormatMenu);
    AddItem(PixelValueMenu, "Base", SubmenuId, BaseMenu);
    AddItems(PixelFormatMenu, PixelFormatItems);
    AddItems(BaseMenu, BaseItems);
    AddItems(ProfilesMenu, ProfileItems);
}

void ShowTrayMenu() {
    POINT pointer{};
    GetCursorPos(&pointer);
    // A tray menu closes on a click elsewhere only if its owner is the
    // foreground window; the WM_NULL lets the next menu open properly.
    SetForegroundWindow(LensWindow);
    TrackPopupMenu(TrayMenu, TPM_BOTTOMALIGN | TPM_RIGHTALIGN, pointer.x, pointer.y, 0,
                   LensWindow, nullptr);
    PostMessageA(LensWindow, WM_NULL, 0, 0);
}

void DestroyTrayMenu() {
    // The submenus go with the root.
    if (TrayMenu)
        DestroyMenu(TrayMenu);
    TrayMenu = SettingsMenu = ModeMenu = FactorMenu = WindowFormatMenu = ReadingHeightMenu =
        FourThreeMenu = SixteenNineMenu = PixelValueMenu = PixelFormatMenu = BaseMenu =
            ProfilesMenu = nullptr;
}

MenuAction HandleMenuCommand(WPARAM command) {
    if (command > 0xFFFF)
        return MenuNothing;
    const int id = static_cast<int>(command);
    switch (id) {
    case CmdExit:
        // The shutdown sequence saves the settings; the menus are gone after it.
        return MenuExit;
    case CmdHelp: OpenHelp(); break;
    case CmdAbout: StartAboutProgram(); break;
    case CmdStartup:
        ApplyCommandToSettings(LensSettings, id);
        ApplyStartupShortcut();
        // The setting and its mark say what is there: a failed write leaves it off.
        TestStartupShortcut();
        break;
    default:
        if (InRange(id, 91, 95))
            SwitchProfile(id - 90);
        else
            ApplyCommandToSettings(LensSettings, id);
        break;
    }
    if (InRange(id, 11, 119)) {
        SyncMenuChecks();
        ApplyFormat();
    }
    return MenuNothing;
}

void SyncMenuChecks() {
    FollowModeFormat(LensSettings, ProfileDefaults.DefaultWindowFormat);
    for (int id : MarkedIds)
        CheckMenuItem(TrayMenu, static_cast<UINT>(id),
                      MF_BYCOMMAND | (ItemChecked(LensSettings, id) ? MF_CHECKED : MF_UNCHECKED));
    for (int id : FamilyIds)
        EnableMenuItem(WindowFormatMenu, static_cast<UINT>(id),
                       MF_BYCOMMAND | (ItemGrayed(LensSettings, id) ? MF_GRAYED : MF_ENABLED));
}
