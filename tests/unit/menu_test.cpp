// The tray menu: the remembered formats of the Reading mode, and the real
// menu tree with its marks and greying, built and read back under Windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "menu/menu.h"
#include "settings/settings.h"

namespace {

LensSettingsRecord Defaults() {
    LensSettingsRecord s{};
    s.MagnifyFactor = 2;
    s.WindowFormat = 24;
    s.PixelFormat = 1;
    s.NumberBase = 1;
    s.SoundOn = 1;
    s.ActiveProfile = 1;
    s.Sample = SampleSize::One;
    return s;
}

void Choose(LensSettingsRecord& s, int id) {
    ApplyCommandToSettings(s, id);
    FollowModeFormat(s, 24);
}

TEST(MenuFormats, ReadingRemembersTheFormatOfEachFamily) {
    LensSettingsRecord s = Defaults();
    Choose(s, 23);  // Reading
    EXPECT_EQ(s.WindowFormat, 32);
    EXPECT_EQ(s.SavedNormalFormat, 24);
    EXPECT_TRUE(ItemChecked(s, 112));  // "120"
    Choose(s, 113);                    // "160"
    EXPECT_EQ(s.WindowFormat, 33);
    Choose(s, 22);  // Pro
    EXPECT_EQ(s.SavedReadingFormat, 33);
    EXPECT_EQ(s.WindowFormat, 24);
    EXPECT_TRUE(ItemChecked(s, 54));  // "240x430"
    Choose(s, 23);
    EXPECT_EQ(s.SavedNormalFormat, 24);
    EXPECT_EQ(s.WindowFormat, 33);
    // Common and Pro share the windowed family: switching keeps the format.
    Choose(s, 21);
    Choose(s, 35);
    Choose(s, 22);
    EXPECT_EQ(s.WindowFormat, 15);
}

TEST(MenuFormats, LeavingReadingWithNothingRememberedAndHandEditedProfiles) {
    LensSettingsRecord s = Defaults();
    s.ReadingFlag = 1;
    s.WindowFormat = 31;  // started in Reading: no windowed format remembered
    Choose(s, 21);
    EXPECT_EQ(s.WindowFormat, 24);
    EXPECT_EQ(s.SavedReadingFormat, 31);

    // A profile whose mode and format disagree: the format moves into the
    // mode's family and the other one is remembered.
    s = Defaults();
    s.WindowFormat = 33;
    FollowModeFormat(s, 24);
    EXPECT_EQ(s.WindowFormat, 24);
    EXPECT_EQ(s.SavedReadingFormat, 33);
    s = Defaults();
    s.ReadingFlag = 1;
    s.WindowFormat = 13;
    FollowModeFormat(s, 24);
    EXPECT_EQ(s.WindowFormat, 32);
    EXPECT_EQ(s.SavedNormalFormat, 13);
}

// Every item sets its own value; an id between the items (a command posted by
// another program) and a profile's id change nothing in the record itself.
TEST(MenuCommands, EachItemSetsItsValueAndNoOtherIdChangesAnything) {
    LensSettingsRecord s = Defaults();
    ApplyCommandToSettings(s, 90);
    EXPECT_EQ(s.MagnifyFactor, 10);
    ApplyCommandToSettings(s, 36);
    EXPECT_EQ(s.WindowFormat, 16);
    ApplyCommandToSettings(s, 51);
    EXPECT_EQ(s.WindowFormat, 21);
    ApplyCommandToSettings(s, 113);
    EXPECT_EQ(s.WindowFormat, 33);
    ApplyCommandToSettings(s, 62);
    EXPECT_EQ(s.PixelFormat, 2);
    ApplyCommandToSettings(s, 73);
    EXPECT_EQ(s.NumberBase, 3);
    ApplyCommandToSettings(s, 22);
    EXPECT_EQ(s.ProFlag, 1);
    ApplyCommandToSettings(s, 25);
    EXPECT_EQ(s.StartupShortcut, 1);
    ApplyCommandToSettings(s, 66);
    EXPECT_EQ(s.PixelFormat, 6);
    ApplyCommandToSettings(s, 125);
    EXPECT_EQ(s.Sample, SampleSize::Five);

    const LensSettingsRecord before = s;
    for (int id : {0, 10, 16, 30, 37, 50, 57, 67, 74, 81, 91, 95, 96, 110, 114, 122, 124, 126,
                   1000})
        ApplyCommandToSettings(s, id);
    auto fields = [](const LensSettingsRecord& r) {
        return std::vector<int>{r.ProFlag,        r.ReadingFlag,     r.MagnifyFactor,
                                r.WindowFormat,   r.PixelFormat,     r.NumberBase,
                                r.DynamicRefresh, r.SoundOn,         r.StartupShortcut,
                                r.ActiveProfile,  r.SavedNormalFormat, r.SavedReadingFormat,
                                static_cast<int>(r.Sample)};
    };
    EXPECT_EQ(fields(s), fields(before));
}

// The tree as "label=id" items, a submenu in brackets after its item.
std::string Describe(HMENU menu) {
    std::string out;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char label[64] = {};
        MENUITEMINFOA item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE;
        item.dwTypeData = label;
        item.cch = sizeof(label);
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item);
        if (i > 0)
            out += ",";
        out += label;
        out += '=';
        out += std::to_string(item.wID);
        if (item.fType != MFT_STRING)
            out += "!type";
        if (item.hSubMenu) {
            out += '[';
            out += Describe(item.hSubMenu);
            out += ']';
        }
    }
    return out;
}

class TrayMenuTree : public ::testing::Test {
protected:
    void SetUp() override {
        ProfileDefaults = StandardProfileDefaults();
        LensSettings = Defaults();
        BuildTrayMenu();
    }
    void TearDown() override { DestroyTrayMenu(); }

    // Item state by command id; an id the menu lacks has no state at all.
    static UINT State(int id) {
        const UINT state = GetMenuState(TrayMenu, static_cast<UINT>(id), MF_BYCOMMAND);
        return state == static_cast<UINT>(-1) ? 0 : state;
    }
    static bool Checked(int id) { return (State(id) & MF_CHECKED) != 0; }
    static bool Grayed(int id) { return (State(id) & MF_GRAYED) != 0; }
    // The ids among first..last that carry a mark, as "a,b".
    static std::string CheckedAmong(int first, int last) {
        std::string out;
        for (int id = first; id <= last; ++id)
            if (Checked(id)) {
                if (!out.empty())
                    out += ',';
                out += std::to_string(id);
            }
        return out;
    }
};

TEST_F(TrayMenuTree, TheWholeTreeReadsBackWithLabelsIdsAndOrder) {
    EXPECT_EQ(Describe(TrayMenu),
              "Close Menu=101,"
              "Settings=12[Comfiguration=13[Common=21,Pro=22,Reading=23],"
              "Magnify Factor=10[2=82,3=83,4=84,5=85,6=86,7=87,8=88,9=89,10=90],"
              "Window Format=10[Reading=110[90=111,120=112,160=113],"
              "4/3=6[90x130=31,140x180=32,180x240=33,240x320=34,320x430=35,430x570=36],"
              "16/9=7[90x160=51,140x250=52,180x320=53,240x430=54,320x570=55,430x760=56]],"
              "Pixel Value=10[Format=10[BGR=61,RGB=62,(R,G,B)=63,#RRGGBB=64,rgb()=65,hsl()=66],"
              "Base=16[Hex=71,Dec=72,Bin=73],Sample=10[1x1=121,3x3=123,5x5=125]],"
              "Dynamic=27,Startup=25,Sound=26],"
              "Profiles=17[A=91,B=92,C=93,D=94,E=95],"
              "Help=14,About=15,Exit=11");
    // Nothing is marked or greyed before the first sync.
    EXPECT_EQ(CheckedAmong(11, 125), "");
    EXPECT_FALSE(Grayed(110));
}

TEST_F(TrayMenuTree, MarksAndGreyingFollowEachMode) {
    SyncMenuChecks();
    EXPECT_EQ(CheckedAmong(11, 125), "21,26,54,61,71,82,91,121");
    EXPECT_FALSE(Grayed(6));
    EXPECT_FALSE(Grayed(7));
    EXPECT_TRUE(Grayed(110));

    HandleMenuCommand(23);  // Reading
    EXPECT_EQ(CheckedAmong(11, 125), "23,26,61,71,82,91,112,121");
    EXPECT_TRUE(Grayed(6));
    EXPECT_TRUE(Grayed(7));
    EXPECT_FALSE(Grayed(110));

    HandleMenuCommand(22);  // Pro
    HandleMenuCommand(85);  // factor 5
    HandleMenuCommand(33);  // "180x240"
    HandleMenuCommand(63);
    HandleMenuCommand(73);
    HandleMenuCommand(27);  // Dynamic on
    HandleMenuCommand(26);  // Sound off
    EXPECT_EQ(CheckedAmong(11, 125), "22,27,33,63,73,85,91,121");
    EXPECT_TRUE(Grayed(110));
    EXPECT_FALSE(Grayed(6));

    // Close Menu changes nothing.
    HandleMenuCommand(CmdCloseMenu);
    EXPECT_EQ(CheckedAmong(11, 125), "22,27,33,63,73,85,91,121");
}

// The texts without a base grey "Base", which keeps its choice for the
// numbers; the sample's marks follow its commands.
TEST_F(TrayMenuTree, WebTextsGreyTheBaseAndTheSampleIsMarked) {
    SyncMenuChecks();
    EXPECT_FALSE(Grayed(CmdBaseMenu));
    HandleMenuCommand(72);  // Dec
    for (int id : {64, 65, 66}) {
        HandleMenuCommand(id);
        EXPECT_TRUE(Grayed(CmdBaseMenu)) << id;
        EXPECT_EQ(CheckedAmong(61, 73), std::to_string(id) + ",72");
    }
    HandleMenuCommand(62);
    EXPECT_FALSE(Grayed(CmdBaseMenu));
    EXPECT_EQ(LensSettings.NumberBase, 2);
    HandleMenuCommand(123);
    EXPECT_EQ(CheckedAmong(121, 125), "123");
    HandleMenuCommand(125);
    EXPECT_EQ(CheckedAmong(121, 125), "125");
    EXPECT_EQ(LensSettings.Sample, SampleSize::Five);
}

// Only Exit asks the shell for anything, and it changes no setting: the
// shutdown saves the settings as they are.
TEST_F(TrayMenuTree, OnlyExitAsksTheShellToEndTheProgram) {
    SyncMenuChecks();
    EXPECT_EQ(HandleMenuCommand(CmdExit), MenuExit);
    EXPECT_EQ(CheckedAmong(11, 125), "21,26,54,61,71,82,91,121");
    for (int id : {int{CmdCloseMenu}, 21, 85, 54, 27, 0x10000 + CmdExit})
        EXPECT_EQ(HandleMenuCommand(id), MenuNothing) << id;
}

}  // namespace
