// The input rules (the wheel's factor steps, the hotkey's decision, the
// arrows) and the tray tooltip: worked examples.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/input_rules.h"
#include "app/tray.h"

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
    EXPECT_TRUE(HotkeyShows(false, false, false));
    EXPECT_FALSE(HotkeyShows(true, false, false));  // shown: its repeats and a second press
    EXPECT_FALSE(HotkeyShows(false, true, false));  // the tray menu is open
    EXPECT_FALSE(HotkeyShows(false, false, true));   // the Win key that just hid it is still down
}

// The hotkey's Z, held on after Win is let go, reaches the shown lens as
// repeated key-downs: a held key acts once, whatever the key.
TEST(Hotkey, AKeysRepeatsDoNothing) {
    constexpr LPARAM Press = 1;
    constexpr LPARAM Repeat = 0x40000001;
    EXPECT_EQ(KeyDownAction('Z', Press, LensState::ShownIdle), KeyHide);
    EXPECT_EQ(KeyDownAction('Z', Repeat, LensState::ShownIdle), KeyNothing);
    EXPECT_EQ(KeyDownAction(VK_LWIN, Press, LensState::ShownIdle), KeyHide);
    EXPECT_EQ(KeyDownAction(VK_SPACE, Press, LensState::ShownIdle), KeyToggle);
    EXPECT_EQ(KeyDownAction(VK_SPACE, Repeat, LensState::ShownIdle), KeyNothing);
}

// While the lens magnifies, every arrow moves the pointer, the keypad's too;
// of the repeats only those of the arrow pressed during the show. A lens that
// only shows hides on an arrow, as on any other key.
TEST(Arrows, MoveThePointerOnlyWhileTheLensMagnifies) {
    constexpr LPARAM Press = 1;
    constexpr LPARAM Repeat = 0x40000001;
    for (WPARAM key : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_NUMPAD2, VK_NUMPAD4, VK_NUMPAD6,
                       VK_NUMPAD8}) {
        EXPECT_EQ(KeyDownAction(key, Press, LensState::ShownMagnifying, 0), KeyMovePointer) << key;
        EXPECT_EQ(KeyDownAction(key, Repeat, LensState::ShownMagnifying, key), KeyMovePointer)
            << key;
        // Held from before the show:
        EXPECT_EQ(KeyDownAction(key, Repeat, LensState::ShownMagnifying, 0), KeyNothing) << key;
        EXPECT_EQ(KeyDownAction(key, Press, LensState::ShownIdle, 0), KeyHide) << key;
        EXPECT_EQ(KeyDownAction(key, Repeat, LensState::ShownIdle, key), KeyNothing) << key;
        EXPECT_EQ(KeyDownAction(key, Press, LensState::Hidden, 0), KeyHide) << key;
    }
    EXPECT_EQ(KeyDownAction(VK_LEFT, Repeat, LensState::ShownMagnifying, VK_RIGHT), KeyNothing);
    EXPECT_EQ(KeyDownAction(VK_NUMPAD5, Press, LensState::ShownMagnifying, 0), KeyHide);
    EXPECT_EQ(KeyDownAction(VK_HOME, Press, LensState::ShownMagnifying, 0), KeyHide);
    EXPECT_EQ(KeyDownAction(VK_SPACE, Press, LensState::ShownMagnifying, VK_SPACE), KeyToggle);
}

// One screen pixel the arrow's way, and only onto a monitor.
TEST(Arrows, StepOnePixelAndNeverOffTheMonitors) {
    MonitorSet m{};
    m.Count = 2;
    m.Rects[0] = {0, 0, 1280, 1024};
    m.Rects[1] = {1280, -200, 2560, 800};
    POINT to{};
    ASSERT_TRUE(ArrowTarget(VK_NUMPAD2, m, POINT{5, 5}, &to));
    EXPECT_EQ(to.x, 5);
    EXPECT_EQ(to.y, 6);
    ASSERT_TRUE(ArrowTarget(VK_RIGHT, m, POINT{1279, 500}, &to));  // onto the second
    EXPECT_EQ(to.x, 1280);
    ASSERT_TRUE(ArrowTarget(VK_UP, m, POINT{1300, -199}, &to));
    EXPECT_EQ(to.y, -200);
    to = POINT{-7, -7};
    EXPECT_FALSE(ArrowTarget(VK_LEFT, m, POINT{0, 10}, &to));
    EXPECT_FALSE(ArrowTarget(VK_RIGHT, m, POINT{1279, 900}, &to));  // beside the second
    EXPECT_FALSE(ArrowTarget(VK_UP, m, POINT{1300, -200}, &to));
    EXPECT_FALSE(ArrowTarget(VK_DOWN, m, POINT{100, 1023}, &to));
    EXPECT_FALSE(ArrowTarget(VK_RIGHT, m, POINT{2559, 0}, &to));
    EXPECT_FALSE(ArrowTarget('A', m, POINT{5, 5}, &to));
    EXPECT_EQ(to.x, -7);  // untouched where it does nothing
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
