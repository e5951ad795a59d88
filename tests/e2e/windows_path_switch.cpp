// Compiled only into the test build, into a second program
// (Vellix_windows_path.exe) in place of app/windows_path.cpp: under Wine that
// program makes its input layer as on Windows 10 version 2004, black at
// alpha 1 with the exclusion from capture asked for, then checks its reads
// and walks on as the check finds. Wine 8 names no Windows past version 1903
// (build 18362), short of the build the exclusion is asked for from.
#include <cstdio>
#include <cstring>

#include "app/windows_path.h"

bool WindowsPathUnderWine(WindowsVersionInfo* asIf) {
    *asIf = WindowsVersionInfo{10, 0, 19041};
    return true;
}

// Wine refuses the exclusion. With VELLIX_TEST_EXCLUSION=accepted in its
// environment this program takes it as accepted while the layer stays in
// the reads, as public reports say Windows can do for layered windows.
bool ExcludeFromCaptures(HWND) {
    char value[16] = {};
    return GetEnvironmentVariableA("VELLIX_TEST_EXCLUSION", value, sizeof(value)) > 0 &&
           strcmp(value, "accepted") == 0;
}

namespace {

// Wine keeps no accessibility settings (all flags read 0, every set is
// refused): this program keeps its own, at Windows' defaults, and appends
// every set to "accessibility.log" in its working directory, one line each:
// the record's name and its flags in hex.
DWORD Sticky = 0x1FE, Filter = 0x7E, Toggle = 0x1E;

DWORD* FlagsOf(UINT action, const char** name) {
    switch (action) {
    case SPI_GETSTICKYKEYS:
    case SPI_SETSTICKYKEYS: *name = "sticky"; return &Sticky;
    case SPI_GETFILTERKEYS:
    case SPI_SETFILTERKEYS: *name = "filter"; return &Filter;
    case SPI_GETTOGGLEKEYS:
    case SPI_SETTOGGLEKEYS: *name = "toggle"; return &Toggle;
    default: return nullptr;
    }
}

}  // namespace

// Each record starts with its cbSize, then its dwFlags.
bool AccessibilityParameter(UINT action, UINT, void* record) {
    const char* name = "";
    DWORD* flags = FlagsOf(action, &name);
    if (!flags)
        return false;
    DWORD* recordFlags = static_cast<DWORD*>(record) + 1;
    const bool set = action == SPI_SETSTICKYKEYS || action == SPI_SETFILTERKEYS ||
                     action == SPI_SETTOGGLEKEYS;
    if (!set) {
        *recordFlags = *flags;
        return true;
    }
    *flags = *recordFlags;
    if (FILE* log = fopen("accessibility.log", "ab")) {
        fprintf(log, "%s %lX\n", name, static_cast<unsigned long>(*flags));
        fclose(log);
    }
    return true;
}
