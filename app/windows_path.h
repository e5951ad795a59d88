// The calls the test build's second program replaces with its own versions
// (app/windows_path.cpp, alone in its file for that reason).
#pragma once

#include <windows.h>

#include "app/run_facts.h"

// Under Wine the shipped program keeps Wine's own way (false). The test
// build's second program replaces this function: it answers true with the
// system to act as in *asIf, so that Wine runs the Windows path.
bool WindowsPathUnderWine(WindowsVersionInfo* asIf);
// SetWindowDisplayAffinity's exclusion, read back; false where refused. The
// second program can answer true while the layer stays in the reads.
bool ExcludeFromCaptures(HWND layer);
// SystemParametersInfoW for the accessibility records, this session only;
// the second program keeps its own records and a log of every set.
bool AccessibilityParameter(UINT action, UINT size, void* record);
