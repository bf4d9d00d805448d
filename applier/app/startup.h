// The entry point's helpers: the exit routine and the splash's work routine.
#pragma once
#include <windows.h>

// Runs once on every orderly end of the process: frees the rich edit library
// and deletes the workspace, but only a workspace that start-up made.
void ExitCleanup(void);
// Unpacks stream 2 (the patch data) into the workspace; 1 for success, 0 for failure.
int ExtractPatchData(void);
// Ends the process with exit code 0; the exit routine runs.
void EndProgram(void);

// The two start-up steps that the wizard and the splash window provide
// (app/startup_windows.cpp): show the splash while the patch data is
// unpacked (returns ExtractPatchData's result), and create the wizard owned
// by the background window, centred on it (returns null when there is none).
int RunStartupSplash(HBITMAP splashBitmap);
HWND OpenStartupWizard(HWND backgroundWindow);
