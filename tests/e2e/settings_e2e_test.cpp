// The settings files from the outside: what the real program leaves in its
// working directory, and what it makes of files a user edited by hand.
#include <gtest/gtest.h>

#include <string>

#include "driver.h"
#include "geometry/geometry.h"

namespace {

bool NoTemporaryFiles(const std::string& directory) {
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA((directory + "\\*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return true;
    ADD_FAILURE() << "left behind: " << found.cFileName;
    FindClose(search);
    return false;
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(VellixPath().empty()) << "run with --vellix=PATH";
        directory = MakeTempDirectory();
        ASSERT_FALSE(directory.empty());
    }
    void TearDown() override {
        ClosePattern(pattern);
        KillVellix(run);
    }
    std::string File(const char* name) const {
        return directory + "\\" + name;
    }

    std::string directory;
    VellixRun run;
    PatternWindow pattern;
};

TEST_F(Settings, AFirstRunInAnEmptyDirectoryLeavesTheExactBytes) {
    ASSERT_TRUE(StartVellix(run, directory));
    ASSERT_TRUE(ShowLens(run));
    EXPECT_TRUE(LensWindowAt(run, GeometryFor(2, 24, 0)));
    bool exists = true;
    ReadFileBytes(File("Profile_A.ini"), &exists);
    EXPECT_FALSE(exists) << "written before the exit";
    EXPECT_EQ(CloseVellix(run), 0u);

    const std::string choice = ReadFileBytes(File("Vellix.ini"));
    EXPECT_EQ(choice.size(), 17u);
    EXPECT_EQ(choice, "Active profile=1;");
    const std::string profile = ReadFileBytes(File("Profile_A.ini"));
    EXPECT_EQ(profile.size(), 102u);
    EXPECT_EQ(profile, DefaultProfile);
    EXPECT_TRUE(NoTemporaryFiles(directory));
}

TEST_F(Settings, AHandEditedProProfileShowsTheProLayoutAndIsWrittenBackCanonically) {
    WriteFileBytes(File("Profile_A.ini"),
                   "Sound=0;Dynamic=0;Base=2;Pixel Format=3;Window Format=14;Magnify Factor=3;"
                   "Configuration=1;");
    ASSERT_TRUE(StartVellix(run, directory));
    ASSERT_TRUE(ShowLens(run));
    const LensGeometry pro = GeometryFor(3, 14, 1);
    EXPECT_EQ(pro.Zoom, 6);
    EXPECT_TRUE(WaitFor([&] { return LensWindowAt(run, pro); }));
    EXPECT_EQ(CloseVellix(run), 0u);
    EXPECT_EQ(ReadFileBytes(File("Profile_A.ini")), Profile(1, 3, 14, 3, 2, 0, 0));
    EXPECT_EQ(ReadFileBytes(File("Vellix.ini")), "Active profile=1;");
}

TEST_F(Settings, TheActiveProfileNumberPicksTheFile) {
    WriteFileBytes(File("Vellix.ini"), "Active profile=2;");
    WriteFileBytes(File("Profile_B.ini"), Profile(0, 4, 12, 2, 3, 0, 1));
    ASSERT_TRUE(StartVellix(run, directory));
    ASSERT_TRUE(ShowLens(run));
    EXPECT_TRUE(WaitFor([&] { return LensWindowAt(run, GeometryFor(4, 12, 0)); }));
    EXPECT_EQ(CloseVellix(run), 0u);
    EXPECT_EQ(ReadFileBytes(File("Vellix.ini")), "Active profile=2;");
    EXPECT_EQ(ReadFileBytes(File("Profile_B.ini")), Profile(0, 4, 12, 2, 3, 0, 1));
    bool exists = true;
    ReadFileBytes(File("Profile_A.ini"), &exists);
    EXPECT_FALSE(exists);
}

// Values no part of the program can use start, show and magnify like the
// defaults, and are written back as what was used.
TEST_F(Settings, HostileProfilesStartShowAndMagnify) {
    std::string binary;
    unsigned seed = 12345;
    for (int i = 0; i < 300; ++i) {
        seed = seed * 1103515245u + 12345u;
        binary.push_back(static_cast<char>(seed >> 16));
    }
    struct Case {
        std::string text;
        int factor, format, sound;
    };
    const Case cases[] = {
        {"Configuration=7;Magnify Factor=0;Window Format=99;Pixel Format=9;Base=9;Dynamic=5;"
         "Sound=5;",
         2, 24, 1},
        {"Configuration=255;Magnify Factor=255;Window Format=200;", 2, 24, 1},
        {"Configuration=99999999999999999999;Magnify Factor=-4294967293;"
         "Window Format=4294967318;",
         2, 24, 1},
        {"Configuration=abc;Magnify Factor=xyz;Window Format=%%;Base=;Sound=on;", 2, 24, 0},
        {"Magnify Factor=5\r\nWindow Format=22;\r\nSound=0", 5, 22, 1},
        {std::string("Magnify Factor=\x80\x81;Window Format=\xfe;\0Magnify Factor=3;", 45) +
             binary,
         2, 24, 1},
        {binary + "Window Format=13;", 2, 13, 1},
    };
    // Below Wine's tray window at the top left.
    ASSERT_TRUE(ShowPattern(pattern, RECT{40, 80, 640, 540}, PatternColour));
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE("case " + std::to_string(index++));
        const std::string dir = MakeTempDirectory();
        WriteFileBytes(dir + "\\Profile_A.ini", c.text);
        ASSERT_TRUE(StartVellix(run, dir));
        ASSERT_TRUE(ShowLens(run));
        const LensGeometry g = GeometryFor(c.factor, c.format, 0);
        EXPECT_TRUE(WaitFor([&] { return LensWindowAt(run, g); }));
        MovePointer(run, 300, 280);
        SendKey(run.overlay, VK_SPACE);
        EXPECT_TRUE(WaitMagnified(run, g, 300, 280));
        MovePointer(run, 330, 300);
        EXPECT_TRUE(WaitMagnified(run, g, 330, 300));
        SendKey(run.overlay, VK_ESCAPE);
        EXPECT_TRUE(IsRunning(run));
        EXPECT_EQ(CloseVellix(run), 0u);
        EXPECT_EQ(ReadFileBytes(dir + "\\Profile_A.ini"),
                  Profile(0, c.factor, c.format, 1, 1, 0, c.sound));
    }
}

// A profile file that cannot be replaced at exit keeps its old bytes.
TEST_F(Settings, AnUnreplaceableProfileFileIsLeftIntact) {
    const std::string old = "Sound=0;Configuration=1;Magnify Factor=8;";
    WriteFileBytes(File("Profile_A.ini"), old);
    ASSERT_TRUE(SetFileAttributesA(File("Profile_A.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(StartVellix(run, directory));
    ASSERT_TRUE(ShowLens(run));
    EXPECT_TRUE(WaitFor([&] { return LensWindowAt(run, GeometryFor(8, 24, 1)); }));
    EXPECT_EQ(CloseVellix(run), 0u);
    EXPECT_EQ(ReadFileBytes(File("Profile_A.ini")), old);
    EXPECT_EQ(ReadFileBytes(File("Vellix.ini")), "Active profile=1;");
    EXPECT_TRUE(NoTemporaryFiles(directory));
    SetFileAttributesA(File("Profile_A.ini").c_str(), FILE_ATTRIBUTE_NORMAL);

    // Held open by another program that allows reading and writing but not
    // deleting: the program still reads it, and cannot replace it.
    const HANDLE held = CreateFileA(File("Profile_A.ini").c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(StartVellix(run, directory));
    ASSERT_TRUE(ShowLens(run));
    EXPECT_TRUE(WaitFor([&] { return LensWindowAt(run, GeometryFor(8, 24, 1)); }));
    EXPECT_EQ(CloseVellix(run), 0u);
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(File("Profile_A.ini")), old);
    EXPECT_TRUE(NoTemporaryFiles(directory));

    // Free again: written in full.
    ASSERT_TRUE(StartVellix(run, directory));
    EXPECT_EQ(CloseVellix(run), 0u);
    EXPECT_EQ(ReadFileBytes(File("Profile_A.ini")), Profile(1, 8, 24, 1, 1, 0, 0));
}

}  // namespace
