// Tray menu: the popup menu tree, its commands and its check marks.
//
// The settings side of the commands (ApplyCommandToSettings, FollowModeFormat)
// and the marks and greying (ItemChecked, ItemGrayed) are pure, so they can be
// checked without a menu; the rest calls Windows.
#pragma once

#include <windows.h>

#include "settings/settings.h"

// The thirteen popup menus, built once at start-up.
extern HMENU TrayMenu, SettingsMenu, ModeMenu, FactorMenu, WindowFormatMenu, ReadingHeightMenu,
    FourThreeMenu, SixteenNineMenu, PixelValueMenu, PixelFormatMenu, BaseMenu, SampleMenu,
    ProfilesMenu;

// Command ids of the items the menu code addresses by name.
enum MenuCommand {
    CmdFourThreeFamily = 6,
    CmdSixteenNineFamily = 7,
    CmdExit = 11,
    CmdBaseMenu = 16,  // opens "Base"; greyed while a text without a base is chosen
    CmdHelp = 14,
    CmdAbout = 15,
    CmdCommon = 21,
    CmdPro = 22,
    CmdReading = 23,
    CmdStartup = 25,
    CmdSound = 26,
    CmdDynamic = 27,
    CmdCloseMenu = 101,
    CmdReadingFamily = 110,
};

// The user's guide (the README made into one page) and the about program lie
// beside the running program.
#define HELP_PAGE_NAME L"Vellix Help.html"
#define ABOUT_PROGRAM_NAME L"About Box.exe"

// The full path of name in the folder of programPath (a full path): false
// when programPath has no folder or the result would not fit in capacity.
// Wide, as the program's folder may be named in any script.
bool FileBesideProgram(const wchar_t* programPath, const wchar_t* name, wchar_t* out,
                       size_t capacity);

void BuildTrayMenu();
// Opens the menu at the pointer and returns when it has closed.
void ShowTrayMenu();
void DestroyTrayMenu();
// What the shell must do after a command: Exit ends the program there.
enum MenuAction { MenuNothing, MenuExit };
MenuAction HandleMenuCommand(WPARAM command);
// Marks and greying from the settings; keeps the format in the mode's family.
void SyncMenuChecks();

// What a command changes in the settings record alone: mode flags, on/off
// flags (Startup too) and the values chosen from a list. Other ids change nothing.
void ApplyCommandToSettings(LensSettingsRecord& s, int id);
// Moves WindowFormat into the family of the mode, remembering the format of
// the other family; defaultFormat stands in when nothing "4/3" or "16/9" is remembered.
void FollowModeFormat(LensSettingsRecord& s, int defaultFormat);
// Whether the item with this command id carries a check mark / is greyed.
bool ItemChecked(const LensSettingsRecord& s, int id);
bool ItemGrayed(const LensSettingsRecord& s, int id);
