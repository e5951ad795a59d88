// Tray menu: the popup menu tree, its commands and its check marks.
#pragma once

#include <windows.h>

void BuildTrayMenu();
void ShowTrayMenu();
void DestroyTrayMenu();
void HandleMenuCommand(WPARAM command);
void SyncMenuChecks();
