// The tray menu from the outside: real clicks on the tray icon, command
// sequences and what they leave in the files, the about program, the end of
// a session, a profile held by another program, and the lens stepping aside.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "avoidance/avoidance.h"
#include "driver.h"
#include "geometry/geometry.h"
#include "version.h"

namespace {


bool AtPlace(const VellixRun& run, int x, int y, const LensGeometry& g) {
    const RECT r = WindowRectOf(run.lens);
    return r.left == x && r.top == y && r.right - r.left == g.WindowWidth &&
           r.bottom - r.top == g.WindowHeight;
}

// A text of a program's version information, in US English and Unicode.
std::string VersionText(const std::string& program, const char* name) {
    std::string data(GetFileVersionInfoSizeA(program.c_str(), nullptr), '\0');
    if (data.empty() || !GetFileVersionInfoA(program.c_str(), 0, static_cast<DWORD>(data.size()),
                                             data.data()))
        return "";
    const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
    char* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), key.c_str(), reinterpret_cast<void**>(&text), &length))
        return "";
    return text;
}

class Menu : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(VellixPath().empty()) << "run with --vellix=PATH";
        directory = MakeTempDirectory();
        ASSERT_FALSE(directory.empty());
    }
    void TearDown() override {
        for (HWND about : WindowsTitled("About Vellix"))
            PostMessageA(about, WM_CLOSE, 0, 0);
        KillVellix(run);
    }
    std::string File(const char* name) const { return directory + "\\" + name; }
    std::string Bytes(const char* name, bool* exists = nullptr) const {
        return ReadFileBytes(File(name), exists);
    }
    bool Exists(const char* name) const {
        bool exists = false;
        ReadFileBytes(File(name), &exists);
        return exists;
    }

    std::string directory;
    VellixRun run;
};

TEST_F(Menu, ARightClickOnTheTrayIconOpensTheMenuOnlyWhileTheLensIsHidden) {
    ASSERT_TRUE(StartVellix(run, directory));
    POINT icon{};
    ASSERT_TRUE(WaitFor([&] { return FirstTrayIconPoint(&icon); })) << "no tray window";
    // Icons of programs that ended without removing theirs go at the first click.
    ASSERT_TRUE(WaitFor([&] {
        RealClick(icon.x, icon.y, true);
        return WaitFor([&] { return OpenMenuOf(run) != nullptr; }, 1000);
    }, 20000)) << "no menu after a right click on the icon";
    const HWND menu = OpenMenuOf(run);
    RECT r{};
    GetWindowRect(menu, &r);
    // It opens above and left of the pointer, unless the screen's edge is nearer.
    EXPECT_LE(r.left, icon.x);

    // A click elsewhere closes it, and the lens can be shown again.
    RealClick(700, 600, false);
    EXPECT_TRUE(WaitFor([&] { return OpenMenuOf(run) == nullptr; }, 10000));
    // The menu window goes a moment before the menu's loop ends, and a tray
    // click inside that loop is ignored: click again until the lens shows.
    ASSERT_TRUE(WaitFor([&] {
        TrayClick(run, WM_LBUTTONUP);
        return WaitFor([&] { return LensVisible(run); }, 3000);
    }, 20000));

    TrayClick(run, WM_RBUTTONUP);
    EXPECT_FALSE(WaitFor([&] { return OpenMenuOf(run) != nullptr; }, 1500));
    EXPECT_TRUE(LensVisible(run));
}

// As on Windows, the menu goes when another program takes the foreground:
// a click elsewhere would reach that program and never close it.
TEST_F(Menu, AnotherProgramTakingTheForegroundClosesTheTrayMenu) {
    ASSERT_TRUE(StartVellix(run, directory));
    // A real click, as a user's: under xfwm4 the focus then rests on the tray,
    // where a posted click leaves it elsewhere for the window manager to hand
    // back while the menu opens.
    POINT icon{};
    ASSERT_TRUE(WaitFor([&] { return FirstTrayIconPoint(&icon); })) << "no tray window";
    ASSERT_TRUE(WaitFor([&] {
        RealClick(icon.x, icon.y, true);
        return WaitFor([&] { return OpenMenuOf(run) != nullptr; }, 1000);
    }, 20000));
    const HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 600, 500, 100,
                                       100, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    EXPECT_TRUE(WaitFor([&] { return OpenMenuOf(run) == nullptr; }, 10000));
    DestroyWindow(other);
    EXPECT_TRUE(WaitFor([&] {
        TrayClick(run, WM_LBUTTONUP);
        return WaitFor([&] { return LensVisible(run); }, 3000);
    }, 20000));
}

TEST_F(Menu, CommandsShapeTheNextShowAndTheBytesWrittenAtASwitchAndAtExit) {
    ASSERT_TRUE(StartVellix(run, directory));
    SendCommand(run, 22);  // Pro
    SendCommand(run, 84);  // factor 4 (Pro still zooms 6)
    SendCommand(run, 33);  // "180x240"
    SendCommand(run, 62);  // RGB
    SendCommand(run, 72);  // Dec
    SendCommand(run, 26);  // Sound off
    SendCommand(run, 27);  // Dynamic on
    ASSERT_TRUE(ShowLens(run));
    const LensGeometry pro = GeometryFor(4, 13, 1);
    EXPECT_TRUE(AtPlace(run, pro.HomeX, pro.HomeY, pro));
    SendKey(run.overlay, VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !LensVisible(run); }));
    EXPECT_FALSE(Exists("Profile_A.ini")) << "menu changes stay in memory";

    SendCommand(run, 92);  // profile B: A is written first
    const char proProfile[] =
        "Configuration=1;\r\nMagnify Factor=4;\r\nWindow Format=13;\r\nPixel Format=2;\r\n"
        "Base=2;\r\nDynamic=1;\r\nSound=0;";
    EXPECT_EQ(Bytes("Profile_A.ini"), proProfile);
    EXPECT_FALSE(Exists("Vellix.ini"));

    // B has no file: defaults, then Reading with its own remembered format.
    SendCommand(run, 23);
    ASSERT_TRUE(ShowLens(run));
    const LensGeometry reading = GeometryFor(2, 32, 0);
    EXPECT_TRUE(AtPlace(run, reading.HomeX, reading.HomeY, reading));
    SendKey(run.overlay, VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !LensVisible(run); }));

    // Exit ends the program and writes the choice and the active profile.
    SendCommand(run, 11);
    ASSERT_TRUE(WaitFor([&] { return !IsRunning(run); }));
    DWORD code = 1;
    GetExitCodeProcess(run.process.hProcess, &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(Bytes("Vellix.ini"), "Active profile=2;");
    EXPECT_EQ(Bytes("Profile_B.ini"),
              "Configuration=2;\r\nMagnify Factor=2;\r\nWindow Format=32;\r\nPixel Format=1;\r\n"
              "Base=1;\r\nDynamic=0;\r\nSound=1;");
    EXPECT_EQ(Bytes("Profile_A.ini"), proProfile);
    EXPECT_FALSE(TrayIconPresent(run.lens, 555));
}

TEST_F(Menu, TheEndOfASessionSavesWhatTheMenuChangedOnce) {
    ASSERT_TRUE(StartVellix(run, directory));
    SendCommand(run, 23);  // Reading
    DWORD_PTR result = 0;
    SendMessageTimeoutA(run.lens, WM_ENDSESSION, FALSE, 0, SMTO_NORMAL, 10000, &result);
    EXPECT_FALSE(Exists("Profile_A.ini")) << "a cancelled log-off saves nothing";
    SendMessageTimeoutA(run.lens, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000,
                        &result);
    EXPECT_EQ(Bytes("Vellix.ini"), "Active profile=1;");
    EXPECT_NE(Bytes("Profile_A.ini").find("Configuration=2;"), std::string::npos);

    // Whatever comes after it writes nothing more.
    DeleteFileA(File("Vellix.ini").c_str());
    DeleteFileA(File("Profile_A.ini").c_str());
    EXPECT_EQ(CloseVellix(run), 0u);
    EXPECT_FALSE(Exists("Vellix.ini"));
    EXPECT_FALSE(Exists("Profile_A.ini"));
}

TEST_F(Menu, TheTrayIconComesBackWhenTheShellStartsAgain) {
    ASSERT_TRUE(StartVellix(run, directory));
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    // Said while the icon is still there, it changes nothing.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(run.lens, taskbarCreated, 0, 0, SMTO_NORMAL, 10000, &result);
    EXPECT_TRUE(TrayIconPresent(run.lens, 555));
    // A new shell knows no icons: the program adds its own again.
    NOTIFYICONDATAA icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = run.lens;
    icon.uID = 555;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon));
    ASSERT_FALSE(TrayIconPresent(run.lens, 555));
    PostMessageA(run.lens, taskbarCreated, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return TrayIconPresent(run.lens, 555); }));
}

TEST_F(Menu, AProfileHeldByAnotherProgramAtStartIsLeftIntactAtExit) {
    const char handMade[] = "Magnify Factor=5;Window Format=22;";
    ASSERT_TRUE(WriteFileBytes(File("Profile_A.ini"), handMade));
    const HANDLE held = CreateFileA(File("Profile_A.ini").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const bool started = StartVellix(run, directory);
    CloseHandle(held);
    ASSERT_TRUE(started);
    EXPECT_EQ(CloseVellix(run), 0u);
    EXPECT_EQ(Bytes("Profile_A.ini"), handMade);
    EXPECT_EQ(Bytes("Vellix.ini"), "Active profile=1;");
}

TEST_F(Menu, AboutStartsAnotherAboutProgramEachTimeAndNothingWithoutIt) {
    ASSERT_TRUE(StartVellix(run, directory));
    // Help without its file returns at once instead of waiting on a dialog.
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutA(run.lens, WM_COMMAND, 14, 0, SMTO_NORMAL, 5000, &result), 0);

    SendCommand(run, 15);
    EXPECT_FALSE(WaitFor([] { return !WindowsTitled("About Vellix").empty(); }, 1500));
    EXPECT_TRUE(IsRunning(run));

    std::string about = VellixPath();
    about = about.substr(0, about.find_last_of("/\\") + 1) + "About Box.exe";
    ASSERT_TRUE(CopyFileA(about.c_str(), File("About Box.exe").c_str(), FALSE)) << about;
    EXPECT_EQ(VersionText(File("About Box.exe"), "ProductName"), "Vellix");
    EXPECT_EQ(VersionText(File("About Box.exe"), "FileVersion"), VELLIX_VERSION_STRING);
    SendCommand(run, 15);
    SendCommand(run, 15);
    SendCommand(run, 15);
    ASSERT_TRUE(WaitFor([] { return WindowsTitled("About Vellix").size() == 3; }));

    // Enter, Esc and the close box each end one.
    const std::vector<HWND> boxes = WindowsTitled("About Vellix");
    PostMessageA(boxes[0], WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(boxes[1], WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(boxes[2], WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitFor([] { return WindowsTitled("About Vellix").empty(); }));
    EXPECT_TRUE(IsRunning(run));
}

TEST_F(Menu, TheLensStepsAsideFromThePointerAndComesBackPastTheReturnLines) {
    ASSERT_TRUE(StartVellix(run, directory));
    const LensGeometry g = GeometryFor(2, 24, 0);
    const int gx = ReturnMarginX(g);
    ASSERT_TRUE(ShowLens(run));
    ASSERT_TRUE(AtPlace(run, g.HomeX, g.HomeY, g));

    const int asideX = g.HomeX - g.WindowWidth - gx;
    EXPECT_TRUE(WaitWithPointerAt(run, g.HomeX + 20, g.HomeY + 20,
                                  [&] { return AtPlace(run, asideX, g.HomeY, g); }));
    EXPECT_TRUE(WaitWithPointerAt(run, g.HomeX - gx - 2, g.HomeY + 20,
                                  [&] { return AtPlace(run, g.HomeX, g.HomeY, g); }));

    // Hidden in the middle of a pause, the next show still starts at home.
    MovePointer(run, 100, 100);
    Sleep(300);
    MovePointer(run, g.HomeX + 20, g.HomeY + 20);
    SendKey(run.overlay, VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !LensVisible(run); }));
    MovePointer(run, 100, 100);
    Sleep(300);  // longer than the pause the hide interrupted
    ASSERT_TRUE(ShowLens(run));
    EXPECT_TRUE(AtPlace(run, g.HomeX, g.HomeY, g));
}

}  // namespace
