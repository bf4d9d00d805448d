// The applier is often started from a Downloads folder, where anyone may have
// left a DLL. Every DLL that is not a known system DLL is loaded from the
// system folder by its full path, never by the search order.
#pragma once
#include <windows.h>

// Takes the exe's folder and the current directory out of the DLL search path.
void HardenDllSearchPath(void);
// Loads name (a bare file name) from the system folder only; null on failure.
HMODULE LoadSystemLibrary(const char* name);
