// The program as unpacked from the release ZIP, started with its own folder as
// the working directory, the way a user starts it.
#include <gtest/gtest.h>

#include "driver.h"

namespace {

TEST(Package, RunsFromItsUnpackedFolderAndKeepsItsSettingsThere) {
    const std::string& exe = VellixPath();
    ASSERT_FALSE(exe.empty()) << "run with --vellix=PATH";
    const std::string folder = exe.substr(0, exe.find_last_of("/\\"));
    // Reading mode, whose cursor is read from rdc.cur in that folder.
    ASSERT_TRUE(WriteFileBytes(folder + "\\Profile_A.ini", "Configuration=2;\r\n"));
    VellixRun run;
    ASSERT_TRUE(StartVellix(run, folder)) << "Vellix did not start from " << folder;
    ASSERT_TRUE(ShowLens(run));
    // With the pointer over the shown lens, the script that started this test
    // compares the X server's pointer with rdc.cur, then says so in a file.
    MovePointer(run, 400, 300);
    Barrier(run);
    ASSERT_TRUE(WriteFileBytes(folder + "\\pointer-ready", ""));
    EXPECT_TRUE(WaitFor([&] { return FileExists(folder + "\\pointer-judged"); }, 60000));
    DeleteFileA((folder + "\\pointer-ready").c_str());
    DeleteFileA((folder + "\\pointer-judged").c_str());
    SendKey(run.overlay, VK_ESCAPE);
    EXPECT_TRUE(WaitFor([&] { return !LensVisible(run); }));
    EXPECT_EQ(CloseVellix(run), 0u);
    EXPECT_TRUE(FileExists(folder + "\\Vellix.ini"));
    EXPECT_NE(ReadFileBytes(folder + "\\Profile_A.ini").find("Configuration=2;"),
              std::string::npos);
}

}  // namespace
