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

namespace {

// Target and working directory of a link file, as the shell reads them.
bool ReadLink(const char* path, std::string* target, std::string* directory) {
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH);
    CoInitialize(nullptr);
    bool loaded = false;
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        char text[2][MAX_PATH] = {};
        loaded = SUCCEEDED(file->Load(wide, STGM_READ)) &&
                 SUCCEEDED(link->GetPath(text[0], MAX_PATH, nullptr, SLGP_RAWPATH)) &&
                 SUCCEEDED(link->GetWorkingDirectory(text[1], MAX_PATH));
        *target = text[0];
        *directory = text[1];
    }
    if (file)
        file->Release();
    if (link)
        link->Release();
    CoUninitialize();
    return loaded;
}

bool SamePath(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

class Shortcut : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(StartupShortcutPath(path, sizeof(path)));
        ASSERT_GT(GetModuleFileNameA(nullptr, self, sizeof(self)), 0u);
        // Started from a directory that does not hold the program.
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        GetCurrentDirectoryA(MAX_PATH, previous);
        ASSERT_TRUE(SetCurrentDirectoryA(temp));
        GetCurrentDirectoryA(PathCapacity, StartDirectory);
    }
    void TearDown() override {
        DeleteFileA(path);
        SetCurrentDirectoryA(previous);
    }
    char path[PathCapacity] = {};
    char self[MAX_PATH] = {};
    char previous[MAX_PATH] = {};
};

TEST_F(Shortcut, TheMenuFlagWritesAShortcutToThisProgramAndRemovesIt) {
    EXPECT_NE(std::string(path).find("\\Vellix.lnk"), std::string::npos);
    // One made meanwhile by a copy elsewhere is replaced.
    CreateStartupShortcut();
    GetTempPathA(PathCapacity, StartDirectory);
    lstrcatA(StartDirectory, "elsewhere");

    LensSettings.StartupShortcut = 1;
    ApplyStartupShortcut();
    TestStartupShortcut();
    EXPECT_EQ(LensSettings.StartupShortcut, 1);
    std::string target, directory;
    ASSERT_TRUE(ReadLink(path, &target, &directory));
    EXPECT_TRUE(SamePath(target, self)) << target << " vs " << self;
    EXPECT_TRUE(SamePath(directory, StartDirectory)) << directory;

    LensSettings.StartupShortcut = 0;
    ApplyStartupShortcut();
    EXPECT_EQ(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES);
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
    ASSERT_TRUE(CreateDirectoryA(path, nullptr));  // a folder in the way: the write fails
    HandleMenuCommand(CmdStartup);
    EXPECT_EQ(LensSettings.StartupShortcut, 0);
    EXPECT_FALSE(checked());
    ASSERT_TRUE(RemoveDirectoryA(path));

    HandleMenuCommand(CmdStartup);
    EXPECT_EQ(LensSettings.StartupShortcut, 1);
    EXPECT_TRUE(checked());
    HandleMenuCommand(CmdStartup);
    EXPECT_EQ(LensSettings.StartupShortcut, 0);
    EXPECT_FALSE(checked());
    EXPECT_EQ(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES);
    DestroyTrayMenu();
}

}  // namespace
