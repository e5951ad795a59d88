// The wheel's factor steps, the hotkey's decision and the tray tooltip:
// worked examples.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/app.h"

namespace {

TEST(Wheel, DeltasAddUpToNotchesAndAReversalDropsThePartLeft) {
    int pending = 0;
    EXPECT_EQ(WheelNotches(&pending, 120), 1);
    EXPECT_EQ(pending, 0);
    // A fine wheel: three thirds make one notch.
    EXPECT_EQ(WheelNotches(&pending, 40), 0);
    EXPECT_EQ(WheelNotches(&pending, 40), 0);
    EXPECT_EQ(WheelNotches(&pending, 40), 1);
    EXPECT_EQ(pending, 0);
    // 100 up, then 30 down: the 100 are dropped, not netted to 70.
    EXPECT_EQ(WheelNotches(&pending, 100), 0);
    EXPECT_EQ(WheelNotches(&pending, -30), 0);
    EXPECT_EQ(pending, -30);
    EXPECT_EQ(WheelNotches(&pending, -90), -1);
    EXPECT_EQ(pending, 0);
    // Two notches and a bit at once; the bit goes with the next reversal.
    EXPECT_EQ(WheelNotches(&pending, 250), 2);
    EXPECT_EQ(pending, 10);
    EXPECT_EQ(WheelNotches(&pending, -120), -1);
    EXPECT_EQ(WheelNotches(&pending, -250), -2);
    EXPECT_EQ(pending, -10);
    EXPECT_EQ(WheelNotches(&pending, 0), 0);
    EXPECT_EQ(pending, -10);
}

TEST(Wheel, CommonAndReadingStepWithinTwoToTen) {
    EXPECT_EQ(SteppedFactor(2, 0, 1), 3);
    EXPECT_EQ(SteppedFactor(3, 0, -1), 2);
    EXPECT_EQ(SteppedFactor(2, 0, -1), 2);
    EXPECT_EQ(SteppedFactor(9, 0, 1), 10);
    EXPECT_EQ(SteppedFactor(10, 0, 1), 10);
    EXPECT_EQ(SteppedFactor(5, 0, 3), 8);
    EXPECT_EQ(SteppedFactor(5, 0, -2), 3);
    EXPECT_EQ(SteppedFactor(2, 0, 273), 10);  // a delta of 32767 at once
    EXPECT_EQ(SteppedFactor(10, 0, -273), 2);
    EXPECT_EQ(SteppedFactor(4, 0, 0), 4);
}

TEST(Wheel, ProStepsFromTheZoomShownAndNeverBelowSix) {
    EXPECT_EQ(SteppedFactor(2, 1, 1), 7);   // shows 6: up stores 7
    EXPECT_EQ(SteppedFactor(3, 1, 2), 8);
    EXPECT_EQ(SteppedFactor(2, 1, -1), 2);  // at 6: the stored factor is left alone
    EXPECT_EQ(SteppedFactor(6, 1, -1), 6);
    EXPECT_EQ(SteppedFactor(7, 1, -1), 6);
    EXPECT_EQ(SteppedFactor(9, 1, -5), 6);
    EXPECT_EQ(SteppedFactor(10, 1, 1), 10);
    EXPECT_EQ(SteppedFactor(8, 1, 1), 9);
}

TEST(Hotkey, ShowsOnlyAHiddenLensWithTheMenuClosedAndTheHidingKeyUp) {
    EXPECT_TRUE(HotkeyShows(0, 1, false));
    EXPECT_FALSE(HotkeyShows(1, 1, false));  // shown: its repeats and a second press
    EXPECT_FALSE(HotkeyShows(0, 0, false));  // the tray menu is open
    EXPECT_FALSE(HotkeyShows(0, 1, true));   // the Win key that just hid it is still down
}

// The hotkey's Z, held on after Win is let go, reaches the shown lens as
// repeated key-downs: a held key acts once, whatever the key.
TEST(Hotkey, AKeysRepeatsDoNothing) {
    constexpr LPARAM Press = 1;
    constexpr LPARAM Repeat = 0x40000001;
    EXPECT_EQ(KeyDownAction('Z', Press, 1), KeyHide);
    EXPECT_EQ(KeyDownAction('Z', Repeat, 1), KeyNothing);
    EXPECT_EQ(KeyDownAction(VK_LWIN, Press, 1), KeyHide);
    EXPECT_EQ(KeyDownAction(VK_SPACE, Press, 1), KeyToggle);
    EXPECT_EQ(KeyDownAction(VK_SPACE, Repeat, 1), KeyNothing);
}

TEST(TrayTip, NamesTheZoomAndTheHotkeyInTheCodePage) {
    EXPECT_EQ(TrayTipText(4, true, nullptr, true), L"Vellix \u2013 4\u00D7, Win+Shift+Z");
    EXPECT_EQ(TrayTipText(10, false, L"", false), L"Vellix - 10x, Win+Shift+Z not available");
    EXPECT_EQ(TrayTipText(6, true, L"colours exact", false),
              L"Vellix - 6x, Win+Shift+Z, colours exact");

    char tip[128];
    // Western European has the dash (0x96) and the sign (0xD7).
    AnsiTrayTip(tip, sizeof(tip), 4, true, nullptr, 1252);
    EXPECT_STREQ(tip, "Vellix \x96 4\xD7, Win+Shift+Z");
    AnsiTrayTip(tip, sizeof(tip), 4, true, nullptr, CP_UTF8);
    EXPECT_STREQ(tip, "Vellix \xE2\x80\x93 4\xC3\x97, Win+Shift+Z");
    // Cyrillic has the dash but no multiplication sign, Japanese not the dash.
    for (UINT codePage : {1251u, 932u}) {
        AnsiTrayTip(tip, sizeof(tip), 4, false, nullptr, codePage);
        EXPECT_STREQ(tip, "Vellix - 4x, Win+Shift+Z not available") << codePage;
    }
    // Cut to the field, with its zero.
    AnsiTrayTip(tip, 10, 4, true, nullptr, 1252);
    EXPECT_STREQ(tip, "Vellix - ");
}

}  // namespace
