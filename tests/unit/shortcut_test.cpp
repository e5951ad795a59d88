// The start-with-Windows shortcut, written into the real Startup folder and
// read back through the shell's own link object.
#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "settings/settings.h"

namespace {

struct LinkProperties {
    bool loaded = false;
    std::string target, directory;
};

LinkProperties ReadLink(const char* path) {
    LinkProperties out;
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH);
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            if (SUCCEEDED(file->Load(wide, STGM_READ))) {
                char text[MAX_PATH] = {};
                link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
                out.target = text;
                text[0] = '\0';
                link->GetWorkingDirectory(text, MAX_PATH);
                out.directory = text;
                out.loaded = true;
            }
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return out;
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
        // The folder need not exist in a fresh profile.
        std::string folder(path);
        SHCreateDirectoryExA(nullptr, folder.substr(0, folder.rfind('\\')).c_str(), nullptr);
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
    const LinkProperties link = ReadLink(path);
    ASSERT_TRUE(link.loaded);
    EXPECT_TRUE(SamePath(link.target, self)) << link.target << " vs " << self;
    EXPECT_TRUE(SamePath(link.directory, StartDirectory)) << link.directory;

    LensSettings.StartupShortcut = 0;
    ApplyStartupShortcut();
    EXPECT_EQ(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES);
    TestStartupShortcut();
    EXPECT_EQ(LensSettings.StartupShortcut, 0);
    // Turning it off again with no file is harmless.
    ApplyStartupShortcut();
    EXPECT_EQ(LensSettings.StartupShortcut, 0);
}

}  // namespace
