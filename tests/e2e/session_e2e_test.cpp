// What the user's session keeps of the program: the accessibility shortcuts
// given back while another program is in front (through the record the test
// build's second program keeps, as Wine has no such shortcuts), and settings
// that cannot be saved, said in the tip and at Exit.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sstream>
#include <string>

#include "driver.h"

namespace {

using Flags = std::map<std::string, unsigned long>;

// The flags each record was last set to, from the second program's log, and
// how many sets it holds.
Flags LastSets(const std::string& dir, size_t* sets = nullptr) {
    std::istringstream log(ReadFileBytes(dir + "\\accessibility.log"));
    Flags last;
    std::string name;
    std::string hex;
    size_t count = 0;
    while (log >> name >> hex) {
        last[name] = std::stoul(hex, nullptr, 16);
        ++count;
    }
    if (sets)
        *sets = count;
    return last;
}

// Windows' defaults, which the second program starts from, and the same
// without the shortcut bits (4 and 8).
const Flags Given{{"sticky", 0x1FE}, {"filter", 0x7E}, {"toggle", 0x1E}};
const Flags Cleared{{"sticky", 0x1F2}, {"filter", 0x72}, {"toggle", 0x12}};

TEST(Shortcuts, GivenBackWhileAnotherProgramIsInFrontAndTakenAgainWhenTheLensIs) {
    if (WindowsPathProgram().empty())
        GTEST_SKIP() << "run with --windows-path=PATH";
    VellixRun run;
    const std::string dir = MakeTempDirectory();
    ASSERT_TRUE(StartVellixFrom(run, WindowsPathProgram(), dir));
    ASSERT_TRUE(ShowLens(run));
    EXPECT_TRUE(WaitFor([&] { return LastSets(dir) == Cleared; }, 10000));

    // Another program takes the foreground: a window of this test's.
    const HWND other = CreateWindowExA(0, "STATIC", "another program", WS_POPUP | WS_VISIBLE, 300,
                                       300, 120, 60, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    // Asked again while waiting: the window manager may hand the focus
    // around once more just after a change (xfwm4 does).
    EXPECT_TRUE(WaitFor([&] {
        SetForegroundWindow(other);
        return LastSets(dir) == Given;
    }, 10000));
    EXPECT_TRUE(LensVisible(run));

    // The lens in front again.
    EXPECT_TRUE(WaitFor([&] {
        SetForegroundWindow(run.overlay);
        return LastSets(dir) == Cleared;
    }, 10000));

    // Hidden, they are given back, and a change of foreground sets nothing more.
    SendKey(run.overlay, VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !LensVisible(run); }));
    EXPECT_TRUE(WaitFor([&] { return LastSets(dir) == Given; }, 10000));
    size_t before = 0, after = 0;
    LastSets(dir, &before);
    SetForegroundWindow(other);
    SetForegroundWindow(run.lens);
    Barrier(run);
    LastSets(dir, &after);
    EXPECT_EQ(after, before);
    DestroyWindow(other);
    EXPECT_EQ(CloseVellix(run), 0u);
}

// The program's message box, where one is shown: a dialog titled as the program.
HWND MessageBoxOf() {
    return FindWindowA("#32770", "Vellix");
}

class SavingFails : public ::testing::Test {
protected:
    void TearDown() override {
        SetFileAttributesA((dir + "\\Profile_A.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
        KillVellix(run);
    }
    std::wstring Tip() { return TrayTipOf(icon); }
    VellixRun run;
    std::string dir;
    HWND icon = nullptr;
};

// A profile the program may read but not replace (read-only here; Controlled
// Folder Access or a sync tool on Windows).
TEST_F(SavingFails, SaidInTheTipAfterASwitchAndInOneMessageBoxAtExit) {
    dir = MakeTempDirectory();
    // Not as the program writes it: any write would show.
    const std::string profile = "Magnify Factor=4;\r\n";
    const std::string profilePath = dir + "\\Profile_A.ini";
    ASSERT_TRUE(WriteFileBytes(profilePath, profile));
    ASSERT_TRUE(SetFileAttributesA(profilePath.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::map<HWND, std::wstring> before = TrayTips();
    ASSERT_TRUE(StartVellix(run, dir));
    icon = WaitForNewTrayTip(before);
    ASSERT_NE(icon, nullptr) << "no new tray icon tip";

    const std::wstring unsaved = L", settings not saved";
    SendCommand(run, 92);  // profile B: A cannot be saved
    EXPECT_TRUE(WaitFor([&] { return Tip().ends_with(unsaved); }, 10000)) << Utf8(Tip());
    SendCommand(run, 91);  // back to A: B is saved
    EXPECT_TRUE(WaitFor([&] { return !Tip().ends_with(unsaved) && Tip() != L"(no tip)"; }, 10000))
        << Utf8(Tip());

    // Exit from the menu with A active: one box names the folder; after OK
    // the program ends.
    PostMessageA(run.lens, WM_COMMAND, 11, 0);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = MessageBoxOf()) != nullptr; }, 10000));
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the message's static control
    EXPECT_NE(std::wstring(text).find(L"could not save"), std::wstring::npos) << Utf8(text);
    char folder[MAX_PATH] = {};
    GetFullPathNameA(dir.c_str(), MAX_PATH, folder, nullptr);
    EXPECT_NE(std::wstring(text).find(Wide(folder)), std::wstring::npos) << Utf8(text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForSingleObject(run.process.hProcess, 30000), WAIT_OBJECT_0);
    EXPECT_EQ(ReadFileBytes(profilePath), profile);
}

// At the end of the session no one is there to read a box: the save fails
// without a word, and the handler returns at once.
TEST_F(SavingFails, NothingIsShownAtTheEndOfTheSession) {
    dir = MakeTempDirectory();
    const std::string profilePath = dir + "\\Profile_A.ini";
    ASSERT_TRUE(WriteFileBytes(profilePath, "Base=2;"));
    ASSERT_TRUE(SetFileAttributesA(profilePath.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(StartVellix(run, dir));
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutA(run.lens, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 10000, &result),
              0);
    ASSERT_TRUE(Barrier(run));
    EXPECT_EQ(MessageBoxOf(), nullptr);
    EXPECT_EQ(ReadFileBytes(profilePath), "Base=2;");
}

}  // namespace
