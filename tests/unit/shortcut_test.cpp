// The start-with-Windows shortcut, written into the real Startup folder and
// read back through the shell's own link object.
#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "menu/menu.h"
#include "settings/settings.h"
#include "support.h"

namespace {

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

class Shortcut : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(StartupShortcutPath(path, PathCapacity));
        ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
        // Started from a directory that does not hold the program.
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        GetCurrentDirectoryW(MAX_PATH, previous);
        ASSERT_TRUE(SetCurrentDirectoryW(temp));
        RecordStartPaths();  // as start-up does
    }
    void TearDown() override {
        DeleteFileW(path);
        SetCurrentDirectoryW(previous);
    }
    wchar_t path[PathCapacity] = {};
    wchar_t self[MAX_PATH] = {};
    wchar_t previous[MAX_PATH] = {};
};

TEST_F(Shortcut, TheMenuFlagWritesAShortcutToThisProgramAndRemovesIt) {
    EXPECT_NE(std::wstring(path).find(L"\\Vellix.lnk"), std::wstring::npos);
    // One made meanwhile by a copy elsewhere is replaced.
    CreateStartupShortcut();
    // A working directory in two scripts the code page cannot both spell.
    GetTempPathW(PathCapacity, StartDirectory);
    lstrcatW(StartDirectory, L"\u0420\u0430\u0431\u043E\u0447\u0438\u0439-\u6E2C\u8A66");

    LensSettings.StartupShortcut = 1;
    ApplyStartupShortcut();
    TestStartupShortcut();
    EXPECT_EQ(LensSettings.StartupShortcut, 1);
    std::wstring target, directory;
    ASSERT_TRUE(ReadShellLink(path, &target, &directory));
    EXPECT_TRUE(SamePath(target, self)) << Utf8(target) << " vs " << Utf8(self);
    EXPECT_TRUE(SamePath(directory, StartDirectory)) << Utf8(directory);

    LensSettings.StartupShortcut = 0;
    ApplyStartupShortcut();
    EXPECT_EQ(GetFileAttributesW(path), INVALID_FILE_ATTRIBUTES);
    TestStartupShortcut();
    EXPECT_EQ(LensSettings.StartupShortcut, 0);
    // Turning it off again with no file is harmless.
    ApplyStartupShortcut();
    EXPECT_EQ(LensSettings.StartupShortcut, 0);
}

// The setting and its check mark say whether the shortcut is there.
TEST_F(Shortcut, TheStartupMarkFollowsWhetherTheShortcutExists) {
    BuildTrayMenu();
    auto checked = [] {
        return (GetMenuState(TrayMenu, CmdStartup, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    LensSettings.StartupShortcut = 0;
    ASSERT_TRUE(CreateDirectoryW(path, nullptr));  // a folder in the way: the write fails
    HandleMenuCommand(CmdStartup);
    EXPECT_EQ(LensSettings.StartupShortcut, 0);
    EXPECT_FALSE(checked());
    ASSERT_TRUE(RemoveDirectoryW(path));

    HandleMenuCommand(CmdStartup);
    EXPECT_EQ(LensSettings.StartupShortcut, 1);
    EXPECT_TRUE(checked());
    HandleMenuCommand(CmdStartup);
    EXPECT_EQ(LensSettings.StartupShortcut, 0);
    EXPECT_FALSE(checked());
    EXPECT_EQ(GetFileAttributesW(path), INVALID_FILE_ATTRIBUTES);
    DestroyTrayMenu();
}

}  // namespace
