// What keys and tray events do, the about program's path and the choice of
// the input layer's way out of the screen reads: worked examples.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "menu/menu.h"

namespace {

constexpr LPARAM Press = 0x00390001;            // scan code, one press
constexpr LPARAM Repeat = Press | 0x40000000;   // the key was already down

TEST(Keys, ActOnAShownLensOnceAndHideOnOtherKeys) {
    EXPECT_EQ(KeyDownAction(VK_SPACE, Press, 1), KeyToggle);
    EXPECT_EQ(KeyDownAction(VK_CONTROL, Press, 1), KeyCopyText);
    EXPECT_EQ(KeyDownAction(VK_SHIFT, Press, 1), KeyCopySwatch);
    for (WPARAM key : {VK_SPACE, VK_CONTROL, VK_SHIFT}) {
        EXPECT_EQ(KeyDownAction(key, Repeat, 1), KeyNothing) << key;
        EXPECT_EQ(KeyDownAction(key, Press, 0), KeyNothing) << key;
    }
    EXPECT_EQ(KeyDownAction(VK_ESCAPE, Press, 1), KeyHide);
    EXPECT_EQ(KeyDownAction('A', Repeat, 1), KeyHide);
}

TEST(Tray, EachClickActsOnceAndTheKeyboardGetsIn) {
    // A left click: WM_LBUTTONUP toggles, the NIN_SELECT after it does nothing.
    EXPECT_EQ(TrayEventAction(WM_LBUTTONUP, WM_MOUSEMOVE, 0, 1), TrayToggle);
    EXPECT_EQ(TrayEventAction(NIN_SELECT, WM_LBUTTONUP, 1, 1), TrayNothing);
    // A right click opens one menu, only while the lens is hidden.
    EXPECT_EQ(TrayEventAction(WM_RBUTTONUP, WM_MOUSEMOVE, 0, 1), TrayOpenMenu);
    EXPECT_EQ(TrayEventAction(WM_CONTEXTMENU, WM_RBUTTONUP, 0, 1), TrayNothing);
    EXPECT_EQ(TrayEventAction(WM_RBUTTONUP, WM_MOUSEMOVE, 1, 1), TrayNothing);
    // The keyboard: the menu key alone opens it, Enter only shows.
    EXPECT_EQ(TrayEventAction(WM_CONTEXTMENU, NIN_KEYSELECT, 0, 1), TrayOpenMenu);
    EXPECT_EQ(TrayEventAction(WM_CONTEXTMENU, WM_MOUSEMOVE, 1, 1), TrayNothing);
    EXPECT_EQ(TrayEventAction(NIN_KEYSELECT, WM_MOUSEMOVE, 0, 1), TrayShow);
    EXPECT_EQ(TrayEventAction(NIN_KEYSELECT, NIN_KEYSELECT, 1, 1), TrayNothing);
}

TEST(InputLayer, LeftOutOfCapturesFromWindows10Version2004) {
    EXPECT_FALSE(ExcludeFromCaptureSupported({6, 1, 7601}));    // Windows 7
    EXPECT_FALSE(ExcludeFromCaptureSupported({6, 3, 9600}));    // Windows 8.1
    EXPECT_FALSE(ExcludeFromCaptureSupported({10, 0, 18363}));  // Windows 10 1909
    EXPECT_TRUE(ExcludeFromCaptureSupported({10, 0, 19041}));   // Windows 10 2004
    EXPECT_TRUE(ExcludeFromCaptureSupported({10, 0, 22631}));   // Windows 11 23H2
    EXPECT_FALSE(ExcludeFromCaptureSupported({0, 0, 0}));       // version unknown
    EXPECT_TRUE(RunningUnderWine());  // as this machine does
}

TEST(AboutProgram, LiesInTheRunningProgramsFolder) {
    char out[40];
    ASSERT_TRUE(FileBesideProgram("C:\\Apps\\Vellix\\Vellix.exe", "About Box.exe", out, 40));
    EXPECT_STREQ(out, "C:\\Apps\\Vellix\\About Box.exe");
    ASSERT_TRUE(FileBesideProgram("/tmp/x/Vellix.exe", "a", out, 40));
    EXPECT_STREQ(out, "/tmp/x/a");
    // No folder, or no room for the whole path with its zero.
    EXPECT_FALSE(FileBesideProgram("Vellix.exe", "About Box.exe", out, 40));
    EXPECT_FALSE(FileBesideProgram("C:\\Apps\\Vellix.exe", "About Box.exe", out, 21));
    EXPECT_TRUE(FileBesideProgram("C:\\Apps\\Vellix.exe", "About Box.exe", out, 22));
}

}  // namespace
