// Compiled only into the test build, into a second program
// (Vellix_windows_path.exe) in place of app/windows_path.cpp: under Wine that
// program makes its input layer as on Windows 10 version 2004, black at
// alpha 1 with the exclusion from capture asked for, then checks its reads
// and walks on as the check finds. Wine 8 names no Windows past version 1903
// (build 18362), short of the build the exclusion is asked for from.
#include "app/app.h"

bool WindowsPathUnderWine(WindowsVersionInfo* asIf) {
    *asIf = WindowsVersionInfo{10, 0, 19041};
    return true;
}
