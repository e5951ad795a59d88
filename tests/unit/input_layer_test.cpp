// The about program's path and the choice of the input layer's way out of
// the screen reads: worked examples.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/run_facts.h"
#include "menu/menu.h"

namespace {

TEST(InputLayer, LeftOutOfCapturesFromWindows10Version2004) {
    EXPECT_FALSE(ExcludeFromCaptureSupported({6, 1, 7601}));    // Windows 7
    EXPECT_FALSE(ExcludeFromCaptureSupported({6, 3, 9600}));    // Windows 8.1
    EXPECT_FALSE(ExcludeFromCaptureSupported({10, 0, 18363}));  // Windows 10 1909
    EXPECT_TRUE(ExcludeFromCaptureSupported({10, 0, 19041}));   // Windows 10 2004
    EXPECT_TRUE(ExcludeFromCaptureSupported({10, 0, 22631}));   // Windows 11 23H2
    EXPECT_FALSE(ExcludeFromCaptureSupported({0, 0, 0}));       // version unknown
}

TEST(AboutProgram, LiesInTheRunningProgramsFolder) {
    wchar_t out[40];
    ASSERT_TRUE(FileBesideProgram(L"C:\\Apps\\Vellix\\Vellix.exe", L"About Box.exe", out, 40));
    EXPECT_STREQ(out, L"C:\\Apps\\Vellix\\About Box.exe");
    ASSERT_TRUE(FileBesideProgram(L"/tmp/x/Vellix.exe", L"a", out, 40));
    EXPECT_STREQ(out, L"/tmp/x/a");
    // A folder in another script than the system's code page.
    ASSERT_TRUE(
        FileBesideProgram(L"Z:\\\u0420\u0430\u0431-\u6E2C\\Vellix.exe", L"About Box.exe", out, 40));
    EXPECT_STREQ(out, L"Z:\\\u0420\u0430\u0431-\u6E2C\\About Box.exe");
    // No folder, or no room for the whole path with its zero.
    EXPECT_FALSE(FileBesideProgram(L"Vellix.exe", L"About Box.exe", out, 40));
    EXPECT_FALSE(FileBesideProgram(L"C:\\Apps\\Vellix.exe", L"About Box.exe", out, 21));
    EXPECT_TRUE(FileBesideProgram(L"C:\\Apps\\Vellix.exe", L"About Box.exe", out, 22));
}

}  // namespace
