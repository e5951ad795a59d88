// Alone in its file: the test build links a second program with its own
// version of this function in place of this one (tests/e2e/windows_path_switch.cpp).
#include "app/app.h"

bool WindowsPathUnderWine(WindowsVersionInfo*) {
    return false;
}
