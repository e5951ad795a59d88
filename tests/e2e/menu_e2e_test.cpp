// The tray menu from the outside: real clicks on the tray icon, command
// sequences and what they leave in the files, the about program, the end of
// a session, a profile held by another program, and the lens stepping aside.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "driver.h"
#include "geometry/geometry.h"
#include "version.h"

namespace {


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
    bool Exists(const char* name) const { return FileExists(File(name)); }

    // A real right click on the tray icon, at *icon, until the menu opens:
    // icons of programs that ended without removing theirs go at the first.
    bool OpenMenuByRealClick(POINT* icon) {
        if (!WaitFor([&] { return FirstTrayIconPoint(icon); })) {
            ADD_FAILURE() << "no tray window";
            return false;
        }
        const bool open = WaitFor([&] {
            RealClick(icon->x, icon->y, true);
            return WaitFor([&] { return OpenMenuOf(run) != nullptr; }, 1000);
        }, 20000);
        if (!open)
            ADD_FAILURE() << "no menu after a right click on the icon";
        return open;
    }

    std::string directory;
    VellixRun run;
};

TEST_F(Menu, ARightClickOnTheTrayIconOpensTheMenuOnlyWhileTheLensIsHidden) {
    ASSERT_TRUE(StartVellix(run, directory));
    POINT icon{};
    ASSERT_TRUE(OpenMenuByRealClick(&icon));
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

    // Handled (a menu would still be open when the barrier is answered): no menu.
    TrayClick(run, WM_RBUTTONUP);
    Barrier(run);
    EXPECT_EQ(OpenMenuOf(run), nullptr);
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
    ASSERT_TRUE(OpenMenuByRealClick(&icon));
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

// Under Wine a foreground taken just as the menu opens could be lost on the
// program, whose menu then stayed open for good: here another program takes
// the foreground over and over while the menu opens, some ten times.
TEST_F(Menu, AProgramTakingTheForegroundAsTheMenuOpensClosesIt) {
    ASSERT_TRUE(StartVellix(run, directory));
    const HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 600, 500, 100,
                                       100, nullptr, nullptr, nullptr, nullptr);
    int stuck = 0;
    for (int round = 0; round < 10; ++round) {
        PostTrayClick(run, WM_RBUTTONUP);
        for (const DWORD start = GetTickCount(); GetTickCount() - start < 300;)
            SetForegroundWindow(other);
        if (!WaitFor([&] { return OpenMenuOf(run) == nullptr; }, 5000)) {
            ++stuck;
            // The menu's loop ends at this message, whoever has the foreground.
            PostMessageA(OpenMenuOf(run), WM_CANCELMODE, 0, 0);
            WaitFor([&] { return OpenMenuOf(run) == nullptr; });
        }
        Barrier(run);
    }
    DestroyWindow(other);
    EXPECT_EQ(stuck, 0) << "menus left open, of 10";
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
    EXPECT_TRUE(LensWindowAt(run, pro.HomeX, pro.HomeY, pro));
    SendKey(run.overlay, VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !LensVisible(run); }));
    EXPECT_FALSE(Exists("Profile_A.ini")) << "menu changes stay in memory";

    SendCommand(run, 92);  // profile B: A is written first
    const std::string proProfile = Profile(1, 4, 13, 2, 2, 1, 0);
    EXPECT_EQ(Bytes("Profile_A.ini"), proProfile);
    EXPECT_FALSE(Exists("Vellix.ini"));

    // B has no file: defaults, then Reading with its own remembered format.
    SendCommand(run, 23);
    ASSERT_TRUE(ShowLens(run));
    const LensGeometry reading = GeometryFor(2, 32, 0);
    EXPECT_TRUE(LensWindowAt(run, reading.HomeX, reading.HomeY, reading));
    SendKey(run.overlay, VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !LensVisible(run); }));

    // Exit ends the program and writes the choice and the active profile.
    SendCommand(run, 11);
    ASSERT_TRUE(WaitFor([&] { return !IsRunning(run); }));
    DWORD code = 1;
    GetExitCodeProcess(run.process.hProcess, &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(Bytes("Vellix.ini"), "Active profile=2;");
    EXPECT_EQ(Bytes("Profile_B.ini"), Profile(2, 2, 32, 1, 1, 0, 1));
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

// The about program beside the running Vellix.exe starts, never one of that
// name in the working directory, which can be any folder.
TEST_F(Menu, AboutStartsTheProgramBesideVellixEachTimeAndNothingWithoutIt) {
    const std::string built = VellixPath().substr(0, VellixPath().find_last_of("/\\") + 1);
    const std::string programFolder = MakeTempDirectory();
    const std::string program = programFolder + "\\Vellix.exe";
    ASSERT_TRUE(CopyFileA(VellixPath().c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((built + "About Box.exe").c_str(), File("About Box.exe").c_str(), FALSE));
    ASSERT_TRUE(StartVellixFrom(run, program, directory));
    // Help without its file returns at once instead of waiting on a dialog.
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutA(run.lens, WM_COMMAND, 14, 0, SMTO_NORMAL, 5000, &result), 0);

    // The command has returned: whatever it started exists by now.
    SendCommand(run, 15);
    EXPECT_EQ(ChildProcessCount(run), 0);
    EXPECT_TRUE(IsRunning(run));

    const std::string about = programFolder + "\\About Box.exe";
    ASSERT_TRUE(MoveFileA(File("About Box.exe").c_str(), about.c_str()));
    EXPECT_EQ(VersionText(about, "ProductName"), "Vellix");
    EXPECT_EQ(VersionText(about, "FileVersion"), VELLIX_VERSION_STRING);
    SendCommand(run, 15);
    SendCommand(run, 15);
    SendCommand(run, 15);
    ASSERT_TRUE(WaitFor([] { return WindowsTitled("About Vellix").size() == 3; }));

    // The logo keeps the picture's 351 x 264, within a pixel of rounding.
    const std::vector<HWND> boxes = WindowsTitled("About Vellix");
    RECT logo{};
    ASSERT_TRUE(GetClientRect(GetDlgItem(boxes[0], 101), &logo));
    EXPECT_GT(logo.right, 100);
    EXPECT_NEAR(logo.bottom, logo.right * 264 / 351, 1) << logo.right << " x " << logo.bottom;

    // Enter, Esc and the close box each end one.
    PostMessageA(boxes[0], WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(boxes[1], WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(boxes[2], WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitFor([] { return WindowsTitled("About Vellix").empty(); }));
    EXPECT_TRUE(IsRunning(run));
}

// A folder named in two scripts, which no one code page spells: the settings
// land in it, the Startup shortcut starts the program there, and About starts
// the program beside it.
TEST_F(Menu, AFolderNamedInAnotherScriptKeepsSettingsStartupAndAbout) {
    const std::string built = VellixPath().substr(0, VellixPath().find_last_of("/\\") + 1);
    const std::string folder = directory + "\\\u0420\u0430\u0431\u043E\u0447\u0438\u0439-\u6E2C\u8A66";
    ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr));
    const std::string program = folder + "\\Vellix.exe";
    ASSERT_TRUE(CopyFileW(Wide(VellixPath()).c_str(), Wide(program).c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(Wide(built + "About Box.exe").c_str(),
                          Wide(folder + "\\About Box.exe").c_str(), FALSE));
    ASSERT_TRUE(StartVellixFrom(run, program, folder));

    // The Startup shortcut the program writes, read back through the shell.
    wchar_t startup[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, startup, CSIDL_STARTUP, TRUE));
    const std::wstring link = std::wstring(startup) + L"\\Vellix.lnk";
    DeleteFileW(link.c_str());
    SendCommand(run, 25);
    std::wstring target, workingDirectory;
    EXPECT_TRUE(ReadShellLink(link.c_str(), &target, &workingDirectory));
    EXPECT_EQ(lstrcmpiW(target.c_str(), Wide(program).c_str()), 0) << Utf8(target);
    EXPECT_EQ(lstrcmpiW(workingDirectory.c_str(), Wide(folder).c_str()), 0)
        << Utf8(workingDirectory);
    SendCommand(run, 25);
    EXPECT_FALSE(FileExists(Utf8(link)));

    SendCommand(run, 15);
    EXPECT_TRUE(WaitFor([] { return WindowsTitled("About Vellix").size() == 1; }));

    SendCommand(run, 22);  // Pro
    SendCommand(run, 11);  // Exit writes the profile and the choice
    ASSERT_TRUE(WaitFor([&] { return !IsRunning(run); }));
    EXPECT_EQ(ReadFileBytes(folder + "\\Profile_A.ini"), Profile(1, 2, 24, 1, 1, 0, 1));
    EXPECT_EQ(ReadFileBytes(folder + "\\Vellix.ini"), "Active profile=1;");
}

// From the keyboard: Enter on the selected icon shows the lens (and only
// shows: it can come twice), Shift+F10 opens the menu.
TEST_F(Menu, TheKeyboardShowsTheLensAndOpensTheMenu) {
    ASSERT_TRUE(StartVellix(run, directory));
    TrayClick(run, NIN_KEYSELECT);
    TrayClick(run, NIN_KEYSELECT);
    ASSERT_TRUE(Barrier(run));
    EXPECT_TRUE(LensVisible(run));
    TrayClick(run, WM_CONTEXTMENU);
    ASSERT_TRUE(Barrier(run));
    EXPECT_EQ(OpenMenuOf(run), nullptr) << "a menu over the shown lens";
    SendKey(run.overlay, VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !LensVisible(run); }));

    // Under xfwm4 a menu opened by a posted message, with no click to give
    // the tray the focus, can be closed at once as the window manager hands
    // the focus back: the key is pressed again until the menu stays.
    ASSERT_TRUE(WaitFor([&] {
        PostTrayClick(run, WM_CONTEXTMENU);
        return WaitFor([&] { return OpenMenuOf(run) != nullptr; }, 1000);
    }, 20000));
    RealClick(700, 600, false);
    EXPECT_TRUE(WaitFor([&] { return OpenMenuOf(run) == nullptr; }, 10000));
}

// A real click brings two messages at this icon version (WM_LBUTTONUP then
// NIN_SELECT, WM_RBUTTONUP then WM_CONTEXTMENU): one action each.
TEST_F(Menu, ARealClickOnTheIconActsOnce) {
    ASSERT_TRUE(StartVellix(run, directory));
    POINT icon{};
    ASSERT_TRUE(OpenMenuByRealClick(&icon));
    RealClick(700, 600, false);
    ASSERT_TRUE(WaitFor([&] { return OpenMenuOf(run) == nullptr; }, 10000));
    ASSERT_TRUE(Barrier(run));
    EXPECT_FALSE(WaitFor([&] { return OpenMenuOf(run) != nullptr; }, 1500)) << "a second menu";

    // The menu's loop ends a moment after its window: click until it shows.
    ASSERT_TRUE(WaitFor([&] {
        RealClick(icon.x, icon.y, false);
        return WaitFor([&] { return LensVisible(run); }, 3000);
    }, 20000));
    ASSERT_TRUE(Barrier(run));
    EXPECT_FALSE(WaitFor([&] { return !LensVisible(run); }, 1500)) << "toggled twice";
}

TEST_F(Menu, TheLensStepsAsideFromThePointerAndComesBackPastTheReturnLines) {
    ASSERT_TRUE(StartVellix(run, directory));
    const LensGeometry g = GeometryFor(2, 24, 0);
    const int gx = 118;  // 215 columns x 0.55
    ASSERT_TRUE(ShowLens(run));
    ASSERT_TRUE(LensWindowAt(run, 836, 770, g));

    const int asideX = 274;  // 836 - 444 - 118
    EXPECT_TRUE(WaitWithPointerAt(run, g.HomeX + 20, g.HomeY + 20,
                                  [&] { return LensWindowAt(run, asideX, g.HomeY, g); }));
    EXPECT_TRUE(WaitWithPointerAt(run, g.HomeX - gx - 2, g.HomeY + 20,
                                  [&] { return LensWindowAt(run, g.HomeX, g.HomeY, g); }));

    // Hidden in the middle of a pause, the next show still starts at home:
    // the move aside is seen, so the pause after it runs when Esc comes.
    EXPECT_TRUE(WaitWithPointerAt(run, g.HomeX + 20, g.HomeY + 20,
                                  [&] { return LensWindowAt(run, asideX, g.HomeY, g); }));
    SendKey(run.overlay, VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !LensVisible(run); }));
    MovePointer(run, 100, 100);
    Sleep(300);  // longer than the pause the hide interrupted
    Barrier(run);
    ASSERT_TRUE(ShowLens(run));
    EXPECT_TRUE(LensWindowAt(run, g.HomeX, g.HomeY, g));
}

}  // namespace
