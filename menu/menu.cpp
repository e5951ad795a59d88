// The tray menu tree, showing it, its commands and its check marks.
#include "menu/menu.h"

#include <objbase.h>
#include <shellapi.h>

#include "geometry/geometry.h"
#include "settings/shared.h"

HMENU TrayMenu, SettingsMenu, ModeMenu, FactorMenu, WindowFormatMenu, ReadingHeightMenu,
    FourThreeMenu, SixteenNineMenu, PixelValueMenu, PixelFormatMenu, BaseMenu, SampleMenu,
    ProfilesMenu;

namespace {

// Items that open a submenu share this id unless something looks them up.
constexpr UINT SubmenuId = 10;

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

// What a command item does to the settings: sets a value, switches to a
// profile, or toggles a flag.
enum CommandKind {
    SetsMode,
    SetsFactor,
    SetsWindowFormat,
    SetsPixelFormat,
    SetsBase,
    SetsSample,
    SetsProfile,
    TogglesDynamic,
    TogglesStartup,
    TogglesSound,
};

// Every item that sends a setting's command and can carry a check mark: its
// id, what it sets to which value, its label (a window format's is in the
// format table) and the menu it stands in, where the items keep this order.
// Building, carrying out and marking all read it.
struct CommandItem {
    int id;
    CommandKind kind;
    int value;
    const char* label;
    HMENU* menu;
};
constexpr CommandItem CommandItems[] = {
    {CmdCommon, SetsMode, ModeCommon, "Common", &ModeMenu},
    {CmdPro, SetsMode, ModePro, "Pro", &ModeMenu},
    {CmdReading, SetsMode, ModeReading, "Reading", &ModeMenu},
    {82, SetsFactor, 2, "2", &FactorMenu},
    {83, SetsFactor, 3, "3", &FactorMenu},
    {84, SetsFactor, 4, "4", &FactorMenu},
    {85, SetsFactor, 5, "5", &FactorMenu},
    {86, SetsFactor, 6, "6", &FactorMenu},
    {87, SetsFactor, 7, "7", &FactorMenu},
    {88, SetsFactor, 8, "8", &FactorMenu},
    {89, SetsFactor, 9, "9", &FactorMenu},
    {90, SetsFactor, 10, "10", &FactorMenu},
    {111, SetsWindowFormat, 31, nullptr, &ReadingHeightMenu},
    {112, SetsWindowFormat, 32, nullptr, &ReadingHeightMenu},
    {113, SetsWindowFormat, 33, nullptr, &ReadingHeightMenu},
    {31, SetsWindowFormat, 11, nullptr, &FourThreeMenu},
    {32, SetsWindowFormat, 12, nullptr, &FourThreeMenu},
    {33, SetsWindowFormat, 13, nullptr, &FourThreeMenu},
    {34, SetsWindowFormat, 14, nullptr, &FourThreeMenu},
    {35, SetsWindowFormat, 15, nullptr, &FourThreeMenu},
    {36, SetsWindowFormat, 16, nullptr, &FourThreeMenu},
    {51, SetsWindowFormat, 21, nullptr, &SixteenNineMenu},
    {52, SetsWindowFormat, 22, nullptr, &SixteenNineMenu},
    {53, SetsWindowFormat, 23, nullptr, &SixteenNineMenu},
    {54, SetsWindowFormat, 24, nullptr, &SixteenNineMenu},
    {55, SetsWindowFormat, 25, nullptr, &SixteenNineMenu},
    {56, SetsWindowFormat, 26, nullptr, &SixteenNineMenu},
    {61, SetsPixelFormat, 1, "BGR", &PixelFormatMenu},
    {62, SetsPixelFormat, 2, "RGB", &PixelFormatMenu},
    {63, SetsPixelFormat, 3, "(R,G,B)", &PixelFormatMenu},
    {64, SetsPixelFormat, PixelFormatWebHex, "#RRGGBB", &PixelFormatMenu},
    {65, SetsPixelFormat, PixelFormatCssRgb, "rgb()", &PixelFormatMenu},
    {66, SetsPixelFormat, PixelFormatCssHsl, "hsl()", &PixelFormatMenu},
    {71, SetsBase, 1, "Hex", &BaseMenu},
    {72, SetsBase, 2, "Dec", &BaseMenu},
    {73, SetsBase, 3, "Bin", &BaseMenu},
    {121, SetsSample, 1, "1x1", &SampleMenu},
    {123, SetsSample, 3, "3x3", &SampleMenu},
    {125, SetsSample, 5, "5x5", &SampleMenu},
    {91, SetsProfile, 1, "A", &ProfilesMenu},
    {92, SetsProfile, 2, "B", &ProfilesMenu},
    {93, SetsProfile, 3, "C", &ProfilesMenu},
    {94, SetsProfile, 4, "D", &ProfilesMenu},
    {95, SetsProfile, 5, "E", &ProfilesMenu},
    {CmdDynamic, TogglesDynamic, 1, "Dynamic", &SettingsMenu},
    {CmdStartup, TogglesStartup, 1, "Startup", &SettingsMenu},
    {CmdSound, TogglesSound, 1, "Sound", &SettingsMenu},
};
// The factor menu offers exactly the factors a profile may hold, in order.
constexpr bool FactorItemsSpanTheRange() {
    int next = LowestMagnifyFactor;
    for (const CommandItem& c : CommandItems)
        if (c.kind == SetsFactor && c.value != next++)
            return false;
    return next == HighestMagnifyFactor + 1;
}
static_assert(FactorItemsSpanTheRange());
// Submenu openers greyed by id, and the menu each stands in.
struct GreyableItem {
    int id;
    HMENU* menu;
};
constexpr GreyableItem GreyableItems[] = {{CmdFourThreeFamily, &WindowFormatMenu},
                                          {CmdSixteenNineFamily, &WindowFormatMenu},
                                          {CmdReadingFamily, &WindowFormatMenu},
                                          {CmdBaseMenu, &PixelValueMenu}};
// Every command id lies in this range; after each the marks are set again.
constexpr int FirstSyncedId = 11;
constexpr int LastSyncedId = 125;
// The first switch to Reading in a run, with no Reading format remembered: "120".
constexpr int8_t FirstReadingFormat = 32;

// Each window format of the table has exactly one item, in its family's menu.
constexpr bool EveryFormatHasOneItem() {
    for (const WindowFormatEntry& f : WindowFormats) {
        HMENU* const menu = f.family == FamilyFourThree     ? &FourThreeMenu
                            : f.family == FamilySixteenNine ? &SixteenNineMenu
                                                            : &ReadingHeightMenu;
        int items = 0;
        for (const CommandItem& c : CommandItems)
            if (c.kind == SetsWindowFormat && c.value == f.code)
                items += c.menu == menu ? 1 : 2;
        if (items != 1)
            return false;
    }
    int rows = 0;
    for (const CommandItem& c : CommandItems)
        rows += c.kind == SetsWindowFormat ? 1 : 0;
    return rows == static_cast<int>(sizeof(WindowFormats) / sizeof(WindowFormats[0]));
}
static_assert(EveryFormatHasOneItem(), "one item per window format, in its family's menu");

// The item of a command id; nullptr for an id that is no setting's item.
const CommandItem* FindCommand(int id) {
    for (const CommandItem& c : CommandItems)
        if (c.id == id)
            return &c;
    return nullptr;
}

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

// Opens the user's guide, the page that ships beside the running program, in
// the user's browser. Without the page nothing happens: no dialog, nothing
// that waits, as the shell is told not to show any (SEE_MASK_FLAG_NO_UI).
void OpenHelp() {
    wchar_t page[PathCapacity];
    if (!FileBesideProgram(ProgramPath, HELP_PAGE_NAME, page, PathCapacity) || !FileExists(page))
        return;
    // The shell may hand the page to a handler that needs COM.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOW open{};
    open.cbSize = sizeof(open);
    open.fMask = SEE_MASK_FLAG_NO_UI;
    open.hwnd = LensWindow;
    open.lpVerb = L"open";
    open.lpFile = page;
    open.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&open);
    if (SUCCEEDED(com))
        CoUninitialize();
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
    return folder > 0 && JoinPath(out, capacity, programPath, folder, name);
}

void ApplyCommandToSettings(LensSettingsRecord& s, int id) {
    // Only ids of real items: a command posted by another program must not
    // bring in a format or value the lens cannot lay out.
    const CommandItem* c = FindCommand(id);
    if (!c)
        return;
    const int8_t value = static_cast<int8_t>(c->value);
    switch (c->kind) {
    case SetsMode:
        s.ProFlag = c->value == ModePro ? 1 : 0;
        s.ReadingFlag = c->value == ModeReading ? 1 : 0;
        return;
    case SetsFactor: s.MagnifyFactor = value; return;
    case SetsWindowFormat: s.WindowFormat = value; return;
    case SetsPixelFormat: s.PixelFormat = value; return;
    case SetsBase: s.NumberBase = value; return;
    case SetsSample: s.Sample = static_cast<SampleSize>(value); return;
    case SetsProfile: return;  // switched with its files (SwitchProfile), not set
    case TogglesDynamic: s.DynamicRefresh = Toggled(s.DynamicRefresh); return;
    case TogglesStartup: s.StartupShortcut = Toggled(s.StartupShortcut); return;
    case TogglesSound: s.SoundOn = Toggled(s.SoundOn); return;
    }
}

void FollowModeFormat(LensSettingsRecord& s, int defaultFormat) {
    if (s.ReadingFlag == 1) {
        if (IsWindowedFormat(s.WindowFormat)) {
            s.SavedNormalFormat = s.WindowFormat;
            s.WindowFormat =
                s.SavedReadingFormat != 0 ? s.SavedReadingFormat : FirstReadingFormat;
        }
    } else if (IsCommon(s) || IsPro(s)) {
        if (IsReadingFormat(s.WindowFormat)) {
            s.SavedReadingFormat = s.WindowFormat;
            s.WindowFormat = s.SavedNormalFormat != 0 ? s.SavedNormalFormat
                                                      : static_cast<int8_t>(defaultFormat);
        }
    }
}

bool ItemChecked(const LensSettingsRecord& s, int id) {
    const CommandItem* c = FindCommand(id);
    if (!c)
        return false;
    switch (c->kind) {
    case SetsMode:
        if (c->value == ModeCommon)
            return IsCommon(s);
        return c->value == ModePro ? IsPro(s) : s.ReadingFlag == 1;
    case SetsFactor: return s.MagnifyFactor == c->value;
    case SetsWindowFormat: return s.WindowFormat == c->value;
    case SetsPixelFormat: return s.PixelFormat == c->value;
    case SetsBase: return s.NumberBase == c->value;
    case SetsSample: return static_cast<int>(s.Sample) == c->value;
    case SetsProfile: return s.ActiveProfile == c->value;
    case TogglesDynamic: return s.DynamicRefresh == 1;
    case TogglesStartup: return s.StartupShortcut == 1;
    case TogglesSound: return s.SoundOn == 1;
    }
    return false;
}

bool ItemGrayed(const LensSettingsRecord& s, int id) {
    // Only the formats of the mode's own family can be picked.
    if (id == CmdFourThreeFamily || id == CmdSixteenNineFamily)
        return s.ReadingFlag == 1;
    if (id == CmdReadingFamily)
        return s.ReadingFlag != 1;
    // The web and design texts have no base; the base is kept for the numbers.
    if (id == CmdBaseMenu)
        return !UsesNumberBase(s.PixelFormat);
    return false;
}

void BuildTrayMenu() {
    HMENU* const menus[] = {&TrayMenu,          &SettingsMenu,    &ModeMenu,       &FactorMenu,
                            &WindowFormatMenu,  &ReadingHeightMenu, &FourThreeMenu,
                            &SixteenNineMenu,   &PixelValueMenu,  &PixelFormatMenu, &BaseMenu,
                            &SampleMenu,        &ProfilesMenu};
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

    AddItem(WindowFormatMenu, "Reading", CmdReadingFamily, ReadingHeightMenu);
    AddItem(WindowFormatMenu, "4/3", CmdFourThreeFamily, FourThreeMenu);
    AddItem(WindowFormatMenu, "16/9", CmdSixteenNineFamily, SixteenNineMenu);

    AddItem(PixelValueMenu, "Format", SubmenuId, PixelFormatMenu);
    AddItem(PixelValueMenu, "Base", CmdBaseMenu, BaseMenu);
    AddItem(PixelValueMenu, "Sample", SubmenuId, SampleMenu);

    // The settings' own items, after the submenus of their menu.
    for (const CommandItem& c : CommandItems)
        AddItem(*c.menu, c.label ? c.label : FindWindowFormat(c.value)->label,
                static_cast<UINT>(c.id));
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
            SampleMenu = ProfilesMenu = nullptr;
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
        if (const CommandItem* c = FindCommand(id); c && c->kind == SetsProfile)
            SwitchProfile(c->value);
        else
            ApplyCommandToSettings(LensSettings, id);
        break;
    }
    if (InRange(id, FirstSyncedId, LastSyncedId)) {
        SyncMenuChecks();
        ApplyFormat();
    }
    return MenuNothing;
}

void SyncMenuChecks() {
    FollowModeFormat(LensSettings, ProfileDefaults.DefaultWindowFormat);
    for (const CommandItem& c : CommandItems)
        CheckMenuItem(TrayMenu, static_cast<UINT>(c.id),
                      MF_BYCOMMAND | (ItemChecked(LensSettings, c.id) ? MF_CHECKED : MF_UNCHECKED));
    for (const GreyableItem& item : GreyableItems)
        EnableMenuItem(*item.menu, static_cast<UINT>(item.id),
                       MF_BYCOMMAND | (ItemGrayed(LensSettings, item.id) ? MF_GRAYED : MF_ENABLED));
}
