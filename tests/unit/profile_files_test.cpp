// The settings files on disk: read, written and replaced in a scratch
// working directory, through the real Windows file calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "settings/profile_text.h"
#include "settings/settings.h"
#include "support.h"

namespace {

const std::string ProProfile = Profile(1, 7, 14, 3, 2, 1, 0);

void Put(const char* name, const std::string& bytes) {
    ASSERT_TRUE(WriteFileBytes(name, bytes));
}

// Each test runs in a new empty working directory.
class ProfileFiles : public ::testing::Test {
protected:
    void SetUp() override {
        GetCurrentDirectoryA(MAX_PATH, previous);
        directory = MakeTempDirectory();
        ASSERT_TRUE(SetCurrentDirectoryA(directory.c_str()));
        ProfileDefaults = StandardProfileDefaults();
    }
    void TearDown() override {
        WIN32_FIND_DATAA found{};
        const HANDLE search = FindFirstFileA("*", &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                SetFileAttributesA(found.cFileName, FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(found.cFileName);
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        SetCurrentDirectoryA(previous);
        RemoveDirectoryA(directory.c_str());
    }
    // Start-up's part: the profile number, then the profile.
    void Start() {
        ReadProfileChoice();
        LoadActiveProfile();
    }
    // Shutdown's part.
    void Exit() {
        SaveProfileChoice();
        SaveActiveProfile();
    }
    char previous[MAX_PATH] = {};
    std::string directory;
};

// One test of existence for the settings, the Startup shortcut and the help
// page: a file, found even while another program holds it unshared; never a
// folder, and never another file through wildcards.
TEST_F(ProfileFiles, FileExistsFindsFilesOnly) {
    EXPECT_FALSE(FileExists("Vellix.ini"));
    Put("Vellix.ini", "Active profile=1;");
    EXPECT_TRUE(FileExists("Vellix.ini"));
    EXPECT_TRUE(FileExists(L"Vellix.ini"));
    EXPECT_FALSE(FileExists("Vellix.*"));
    EXPECT_FALSE(FileExists(L"?ellix.ini"));
    ASSERT_TRUE(CreateDirectoryA("Profile_A.ini", nullptr));
    EXPECT_FALSE(FileExists("Profile_A.ini"));
    RemoveDirectoryA("Profile_A.ini");
    const HANDLE held = CreateFileA("Vellix.ini", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FileExists("Vellix.ini"));
    CloseHandle(held);
    // A name in another script than the system's code page.
    const std::wstring wide = L"\u0420\u0430\u0431-\u6E2C.ini";
    ASSERT_TRUE(WriteFileBytes(Utf8(wide), "x"));
    EXPECT_TRUE(FileExists(wide.c_str()));
    DeleteFileW(wide.c_str());
}

// Every bounded join of a path: the temporary settings file, the shortcut in
// the Startup folder, the about program beside Vellix.exe.
TEST(PathJoin, WritesTheWholePathOrNothing) {
    char narrow[16] = "untouched";
    EXPECT_TRUE(JoinPath(narrow, sizeof(narrow), "Vellix.ini", 10, ".tmp"));
    EXPECT_STREQ(narrow, "Vellix.ini.tmp");
    EXPECT_TRUE(JoinPath(narrow, 15, "Vellix.ini", 10, ".tmp"));  // 14 and the zero
    strcpy(narrow, "untouched");
    EXPECT_FALSE(JoinPath(narrow, 14, "Vellix.ini", 10, ".tmp"));
    EXPECT_STREQ(narrow, "untouched");
    wchar_t wide[20] = L"";
    EXPECT_TRUE(JoinPath(wide, 20, L"C:\\Apps\\Vellix.exe", 8, L"About.exe"));
    EXPECT_STREQ(wide, L"C:\\Apps\\About.exe");
    EXPECT_TRUE(JoinPath(wide, 1, L"", 0, L""));
    EXPECT_STREQ(wide, L"");
    EXPECT_FALSE(JoinPath(wide, 0, L"", 0, L""));
}

TEST_F(ProfileFiles, FirstRunWritesTheExactBytes) {
    Start();
    EXPECT_EQ(LensSettings.ActiveProfile, 1);
    EXPECT_EQ(ModeNumber(LensSettings), ModeCommon);
    EXPECT_EQ(LensSettings.WindowFormat, 24);
    Exit();
    EXPECT_EQ(ReadFileBytes("Vellix.ini"), "Active profile=1;");
    EXPECT_EQ(ReadFileBytes("Profile_A.ini"), DefaultProfile);
    EXPECT_FALSE(FileExists("Vellix.ini.tmp"));
    EXPECT_FALSE(FileExists("Profile_A.ini.tmp"));
}

TEST_F(ProfileFiles, ProfileNumberThreeWithoutItsFileIsCreatedAtExit) {
    Put("Vellix.ini", "Active profile=3;");
    Put("Profile_A.ini", ProProfile);
    Start();
    EXPECT_EQ(LensSettings.ActiveProfile, 3);
    EXPECT_EQ(ModeNumber(LensSettings), ModeCommon);
    EXPECT_EQ(LensSettings.MagnifyFactor, 2);
    Exit();
    EXPECT_EQ(ReadFileBytes("Vellix.ini"), "Active profile=3;");
    EXPECT_EQ(ReadFileBytes("Profile_C.ini"), DefaultProfile);
    EXPECT_EQ(ReadFileBytes("Profile_A.ini"), ProProfile);
}

TEST_F(ProfileFiles, ProfileNumbersWithoutAFileKeepDefaultsAndAreWrittenBackUnchanged) {
    for (const char* number : {"0", "7", "255"}) {
        Put("Vellix.ini", std::string("Active profile=") + number + ";");
        Put("Profile_A.ini", ProProfile);
        Start();
        EXPECT_EQ(ModeNumber(LensSettings), ModeCommon) << number;
        EXPECT_EQ(LensSettings.MagnifyFactor, 2) << number;
        LensSettings.MagnifyFactor = 9;  // a menu change; nowhere to save it
        SaveActiveProfile();
        SaveProfileChoice();
        EXPECT_EQ(ReadFileBytes("Profile_A.ini"), ProProfile) << number;
        WIN32_FIND_DATAA found{};
        const HANDLE search = FindFirstFileA("Profile_*", &found);
        ASSERT_NE(search, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(FindNextFileA(search, &found)) << "a second profile file: " << found.cFileName;
        FindClose(search);
        // Held as a signed byte and written as one.
        const std::string want = std::string(number) == "255" ? "-1" : number;
        EXPECT_EQ(ReadFileBytes("Vellix.ini"), "Active profile=" + want + ";");
    }
}

TEST_F(ProfileFiles, AMissingOrUnusableChoiceGivesProfileOne) {
    for (const char* text : {"", "Active profile=;", "Active profile=-1;", "Active profile=2",
                             "active profile=2;", "Active profile=256;"}) {
        Put("Vellix.ini", text);
        LensSettings.ActiveProfile = 4;
        ReadProfileChoice();
        EXPECT_EQ(LensSettings.ActiveProfile, 1) << text;
    }
    Put("Vellix.ini", "\r\nActive profile=\t5;\r\n");
    ReadProfileChoice();
    EXPECT_EQ(LensSettings.ActiveProfile, 5);
}

TEST_F(ProfileFiles, SwitchingWritesTheLeftProfileBeforeReadingTheChosenOne) {
    Put("Profile_B.ini", ProProfile);
    Start();
    LensSettings.MagnifyFactor = 5;
    LensSettings.ReadingFlag = 1;
    LensSettings.WindowFormat = 33;
    SwitchProfile(2);
    EXPECT_EQ(ReadFileBytes("Profile_A.ini"), Profile(2, 5, 33, 1, 1, 0, 1));
    EXPECT_EQ(LensSettings.ActiveProfile, 2);
    EXPECT_EQ(ModeNumber(LensSettings), ModePro);
    EXPECT_EQ(LensSettings.MagnifyFactor, 7);
    EXPECT_EQ(ReadFileBytes("Profile_B.ini"), ProProfile);

    // Back to A: B is written (unchanged), A comes back as it was left.
    SwitchProfile(1);
    EXPECT_EQ(ModeNumber(LensSettings), ModeReading);
    EXPECT_EQ(LensSettings.MagnifyFactor, 5);
    EXPECT_EQ(ReadFileBytes("Profile_B.ini"), ProProfile);

    // A profile that was never written loads the defaults.
    SwitchProfile(4);
    EXPECT_EQ(ModeNumber(LensSettings), ModeCommon);
    EXPECT_EQ(LensSettings.MagnifyFactor, 2);
    EXPECT_FALSE(FileExists("Profile_D.ini"));
}

TEST_F(ProfileFiles, ChoosingTheActiveProfileReloadsItWithoutSaving) {
    Put("Profile_A.ini", ProProfile);
    Start();
    LensSettings.MagnifyFactor = 3;
    LensSettings.ProFlag = 0;
    SwitchProfile(1);
    EXPECT_EQ(LensSettings.MagnifyFactor, 7);
    EXPECT_EQ(ModeNumber(LensSettings), ModePro);
    EXPECT_EQ(ReadFileBytes("Profile_A.ini"), ProProfile);

    // Without a file yet, choosing it again restores the defaults.
    SwitchProfile(3);
    LensSettings.MagnifyFactor = 8;
    SwitchProfile(3);
    EXPECT_EQ(LensSettings.MagnifyFactor, 2);
    EXPECT_FALSE(FileExists("Profile_C.ini"));
}

TEST_F(ProfileFiles, ReadingTakesTheWholeFileUpToAZeroByte) {
    EXPECT_EQ(ReadTextFile("Missing.ini"), nullptr);
    Put("Empty.ini", "");
    char* text = ReadTextFile("Empty.ini");
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "");
    ReleaseText(text);
    Put("Zero.ini", std::string("Base=2;\0Sound=0;", 16));
    text = ReadTextFile("Zero.ini");
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "Base=2;");
    ReleaseText(text);
    const std::string big(100000, 'x');
    Put("Big.ini", big + "Base=3;");
    text = ReadTextFile("Big.ini");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(ParseSettingValue(text, 1, "Base="), 3);
    ReleaseText(text);
}

TEST_F(ProfileFiles, AFileHeldOpenForWritingIsUnreadableAndGivesDefaults) {
    Put("Profile_A.ini", ProProfile);
    const HANDLE held = CreateFileA("Profile_A.ini", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Start();
    EXPECT_EQ(ModeNumber(LensSettings), ModeCommon);
    CloseHandle(held);
}

TEST_F(ProfileFiles, WritingReplacesTheWholeFile) {
    Put("Vellix.ini", "Active profile=1;" + std::string(500, ' ') + "old tail");
    EXPECT_TRUE(WriteTextFile("Vellix.ini", "Active profile=2;"));
    EXPECT_EQ(ReadFileBytes("Vellix.ini"), "Active profile=2;");
    EXPECT_FALSE(FileExists("Vellix.ini.tmp"));
}

// A write that cannot replace its file leaves the old one as it was and no
// temporary file behind.
TEST_F(ProfileFiles, AFailedReplaceKeepsTheOldFile) {
    Put("Profile_A.ini", ProProfile);
    Start();
    LensSettings.MagnifyFactor = 4;

    ASSERT_TRUE(SetFileAttributesA("Profile_A.ini", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(SaveActiveProfile());
    EXPECT_TRUE(SettingsUnsaved());
    EXPECT_EQ(ReadFileBytes("Profile_A.ini"), ProProfile);
    EXPECT_FALSE(FileExists("Profile_A.ini.tmp"));
    // Leaving the profile says so too; the save of another clears it, until
    // the next failure.
    EXPECT_FALSE(SwitchProfile(2));
    EXPECT_TRUE(SwitchProfile(1));
    EXPECT_FALSE(SettingsUnsaved());
    EXPECT_EQ(ReadFileBytes("Profile_A.ini"), ProProfile);
    LensSettings.MagnifyFactor = 4;
    ASSERT_TRUE(SetFileAttributesA("Profile_A.ini", FILE_ATTRIBUTE_NORMAL));

    // Held open by another program that does not allow deleting it.
    const HANDLE held = CreateFileA("Profile_A.ini", GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteTextFile("Profile_A.ini", "Base=3;"));
    SaveActiveProfile();
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes("Profile_A.ini"), ProProfile);
    EXPECT_FALSE(FileExists("Profile_A.ini.tmp"));

    // A temporary file that cannot be made: nothing changes either.
    ASSERT_TRUE(CreateDirectoryA("Profile_A.ini.tmp", nullptr));
    EXPECT_FALSE(WriteTextFile("Profile_A.ini", "Base=3;"));
    EXPECT_EQ(ReadFileBytes("Profile_A.ini"), ProProfile);
    RemoveDirectoryA("Profile_A.ini.tmp");

    // Once it can be replaced again, it is.
    EXPECT_TRUE(SaveActiveProfile());
    EXPECT_FALSE(SettingsUnsaved());
    EXPECT_NE(ReadFileBytes("Profile_A.ini").find("Magnify Factor=4;"), std::string::npos);
}

DWORD WINAPI CloseAfterAMoment(void* handle) {
    Sleep(120);
    CloseHandle(static_cast<HANDLE>(handle));
    return 0;
}

// A file held for a moment (a sync tool, a backup) is written once it is let go:
// three tries, 100 ms apart.
TEST_F(ProfileFiles, AFileHeldForAMomentIsWrittenOnALaterTry) {
    Put("Vellix.ini", "Active profile=1;");
    const HANDLE held = CreateFileA("Vellix.ini", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const HANDLE releaser = CreateThread(nullptr, 0, CloseAfterAMoment, held, 0, nullptr);
    ASSERT_NE(releaser, nullptr);
    EXPECT_TRUE(WriteTextFile("Vellix.ini", "Active profile=2;"));
    WaitForSingleObject(releaser, INFINITE);
    CloseHandle(releaser);
    EXPECT_EQ(ReadFileBytes("Vellix.ini"), "Active profile=2;");
}

TEST_F(ProfileFiles, AFileHeldByAnotherProgramIsReadOrLeftAlone) {
    Put("Vellix.ini", "Active profile=1;");
    Put("Profile_A.ini", ProProfile);
    // A tool that writes the file and lets others share it: we still read it.
    HANDLE held = CreateFileA("Profile_A.ini", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Start();
    CloseHandle(held);
    EXPECT_EQ(LensSettings.MagnifyFactor, 7);

    // One that shares nothing: the defaults stand in, and the user's file is
    // not replaced by them later, neither at exit nor when switching away.
    held = CreateFileA("Profile_A.ini", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Start();
    CloseHandle(held);
    EXPECT_EQ(LensSettings.MagnifyFactor, 2);
    Exit();
    SwitchProfile(2);
    EXPECT_EQ(ReadFileBytes("Profile_A.ini"), ProProfile);
    // Read again once it is free, it is the user's file as before.
    SwitchProfile(1);
    EXPECT_EQ(LensSettings.MagnifyFactor, 7);
    LensSettings.MagnifyFactor = 4;
    Exit();
    EXPECT_NE(ReadFileBytes("Profile_A.ini").find("Magnify Factor=4;"), std::string::npos);
}

}  // namespace
