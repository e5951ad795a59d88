#include "settings/settings.h"

// The start-with-Windows shortcut is not handled yet: it never exists.
void TestStartupShortcut() {}
