#include "menu/menu.h"

#include "app/app.h"

// The tray menu tree comes later. Until then a right click on the tray icon
// opens nothing, so the menu is idle again at once.

void BuildTrayMenu() {}

void ShowTrayMenu() {
    MenuIdle = 1;
}

void DestroyTrayMenu() {}

void HandleMenuCommand(WPARAM) {}

void SyncMenuChecks() {}
