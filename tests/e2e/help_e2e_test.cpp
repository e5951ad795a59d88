// Help opens the user's guide, "Vellix Help.html", from the folder of the
// running program, in the browser the system has for ".html": here a stand-in
// browser registered in the test prefix, which writes down what it was asked
// to open. Without the page nothing happens, and nothing waits.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "driver.h"

namespace {

// Where the shell finds what opens ".html". Windows reads the user's classes
// (HKCU\Software\Classes) over the machine's; Wine 8 reads only the
// machine's (HKLM\Software\Classes, which is HKCR), so the test registers
// the stand-in in both: in HKCU as Windows wants it (".html" to "htmlfile"),
// and in HKLM under a class of its own, leaving Wine's "htmlfile" alone.
const wchar_t Classes[] = L"Software\\Classes\\";
const wchar_t TestClass[] = L"VellixHelpTest";
const REGSAM Views[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};

bool SetDefaultValue(HKEY root, REGSAM view, const std::wstring& path, const std::wstring& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG set = RegSetValueExW(key, nullptr, 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return set == ERROR_SUCCESS;
}

void DeleteKeyTree(HKEY root, REGSAM view, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS)
        return;
    RegDeleteTreeW(key, nullptr);
    RegCloseKey(key);
    RegDeleteKeyExW(root, path.c_str(), view, 0);
}

// The stand-in browser registered for ".html" with this command line.
bool Register(const std::wstring& command) {
    const std::wstring classes = Classes;
    bool done = SetDefaultValue(HKEY_CURRENT_USER, 0, classes + L".html", L"htmlfile") &&
                SetDefaultValue(HKEY_CURRENT_USER, 0, classes + L"htmlfile\\shell\\open\\command",
                                command);
    for (REGSAM view : Views)
        done = done && SetDefaultValue(HKEY_LOCAL_MACHINE, view, classes + L".html", TestClass) &&
               SetDefaultValue(HKEY_LOCAL_MACHINE, view,
                               classes + TestClass + L"\\shell\\open\\command", command);
    return done;
}

// Takes the registration away again, also one a stopped run left behind. The
// test prefix has no ".html" of its own (Wine 8 makes none); one that names
// another class is not this test's and stays.
void Unregister() {
    const std::wstring classes = Classes;
    DeleteKeyTree(HKEY_CURRENT_USER, 0, classes + L".html");
    DeleteKeyTree(HKEY_CURRENT_USER, 0, classes + L"htmlfile");
    for (REGSAM view : Views) {
        HKEY key = nullptr;
        wchar_t value[64] = {};
        DWORD size = sizeof(value) - sizeof(wchar_t);
        bool ours = false;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (classes + L".html").c_str(), 0,
                          KEY_QUERY_VALUE | view, &key) == ERROR_SUCCESS) {
            ours = RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                                    &size) == ERROR_SUCCESS &&
                   lstrcmpW(value, TestClass) == 0;
            RegCloseKey(key);
        }
        if (ours)
            DeleteKeyTree(HKEY_LOCAL_MACHINE, view, classes + L".html");
        DeleteKeyTree(HKEY_LOCAL_MACHINE, view, classes + TestClass);
    }
}

std::string Folder(const std::string& path) {
    return path.substr(0, path.find_last_of("/\\"));
}

// Visible top-level windows of every process.
std::set<HWND> VisibleTopWindows() {
    std::set<HWND> windows;
    EnumWindows([](HWND window, LPARAM found) -> BOOL {
        if (IsWindowVisible(window))
            reinterpret_cast<std::set<HWND>*>(found)->insert(window);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::string Lower(std::string text) {
    CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Paths compare without regard to case, as Windows names them.
bool Contains(const std::string& text, const std::string& part) {
    return Lower(text).find(Lower(part)) != std::string::npos;
}

class Help : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(VellixPath().empty()) << "run with --vellix=PATH";
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        browser = Folder(self) + "\\stand_in_browser.exe";
        ASSERT_TRUE(FileExists(browser)) << browser;
        // The program in a folder of its own, started in another one.
        programFolder = MakeTempDirectory();
        directory = MakeTempDirectory();
        ASSERT_FALSE(programFolder.empty() || directory.empty());
        program = programFolder + "\\Vellix.exe";
        ASSERT_TRUE(CopyFileA(VellixPath().c_str(), program.c_str(), FALSE));
        record = directory + "\\browser-asked.txt";
        Unregister();
        ASSERT_TRUE(Register(L"\"" + Wide(browser) + L"\" \"" + Wide(record) + L"\" \"%1\""));
    }
    void TearDown() override {
        KillVellix(run);
        Unregister();
    }

    // The page the build made from the README, or a small one where the
    // build made none: what matters here is where it lies.
    void PutPage(const std::string& folder) {
        const std::string built = Folder(VellixPath()) + "\\Vellix Help.html";
        const std::string page = folder + "\\Vellix Help.html";
        if (!CopyFileA(built.c_str(), page.c_str(), FALSE)) {
            ASSERT_TRUE(WriteFileBytes(page, "<!DOCTYPE html><title>Vellix</title>"));
        }
    }

    // Help from the tray menu as a user chooses it: a real right click on the
    // icon, then a real click on "Help", the fourth of the menu's six items.
    void ChooseHelpInTheMenu() {
        POINT icon{};
        ASSERT_TRUE(WaitFor([&] { return FirstTrayIconPoint(&icon); })) << "no tray window";
        HWND menu = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            RealClick(icon.x, icon.y, true);
            return WaitFor([&] { return (menu = OpenMenuOf(run)) != nullptr; }, 1000);
        }, 20000)) << "no menu after a right click on the icon";
        RECT r{};
        ASSERT_TRUE(GetWindowRect(menu, &r));
        RealClick((r.left + r.right) / 2, r.top + (r.bottom - r.top) * 7 / 12, false);
        ASSERT_TRUE(WaitFor([&] { return OpenMenuOf(run) == nullptr; }, 10000));
        ASSERT_TRUE(Barrier(run));
    }

    std::string browser, programFolder, program, directory, record;
    VellixRun run;
};

TEST_F(Help, HelpInTheMenuAsksTheBrowserForThePageBesideTheProgram) {
    PutPage(programFolder);
    ASSERT_TRUE(StartVellixFrom(run, program, directory));
    ChooseHelpInTheMenu();
    std::string asked;
    EXPECT_TRUE(WaitFor([&] { return !(asked = ReadFileBytes(record)).empty(); }, 20000))
        << "the browser was not asked for anything";
    EXPECT_TRUE(Contains(asked, programFolder + "\\Vellix Help.html")) << asked;
    EXPECT_TRUE(IsRunning(run));
    EXPECT_TRUE(Barrier(run));

    // Asked again, it asks again.
    ASSERT_TRUE(DeleteFileA(record.c_str()));
    SendCommand(run, 14);
    EXPECT_TRUE(WaitFor([&] { return FileExists(record); }, 20000));
}

// No page beside the program (one in the working directory is not ours):
// nothing opens, nothing is started, and the program answers at once.
TEST_F(Help, WithoutThePageHelpDoesNothingAndNothingWaits) {
    PutPage(directory);
    ASSERT_TRUE(StartVellixFrom(run, program, directory));
    const std::set<HWND> before = VisibleTopWindows();
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutA(run.lens, WM_COMMAND, 14, 0, SMTO_NORMAL, 5000, &result), 0);
    ChooseHelpInTheMenu();
    Sleep(1500);
    EXPECT_TRUE(Barrier(run));
    EXPECT_TRUE(IsRunning(run));
    EXPECT_FALSE(FileExists(record)) << ReadFileBytes(record);
    EXPECT_EQ(ChildProcessCount(run), 0);
    for (HWND window : VisibleTopWindows()) {
        char title[128] = {}, name[64] = {};
        GetWindowTextA(window, title, sizeof(title));
        GetClassNameA(window, name, sizeof(name));
        // The tray's tip over the icon the test clicked is the shell's.
        if (strcmp(name, "tooltips_class32") != 0) {
            EXPECT_TRUE(before.count(window)) << "a new window: \"" << title << "\" (" << name
                                              << ")";
        }
    }
    // And the lens still shows.
    EXPECT_TRUE(ShowLens(run));
}

}  // namespace
