// The entry point's helpers: the workspace, the mutex rules, the exit
// routine, the background window's creation and the splash's work routine.
// WinMain (app/main.cpp) calls them in the order of its steps.
#pragma once
#include <windows.h>

// Runs once on every orderly end of the process: frees the rich edit library
// and deletes the workspace, but only a workspace that start-up made.
void ExitCleanup(void);
// Unpacks stream 2 (the patch data) into the workspace; 1 for success, 0 for failure.
int ExtractPatchData(void);
// Ends the process with exit code 0; the exit routine runs.
void EndProgram(void);

// Fills TempFolder, makes a new folder ZEL*.tmp there (WorkspacePath,
// WorkspaceMade) and makes it the current directory. Without a workspace the
// package would be unpacked into whatever folder the exe was started from,
// so a failure here is fatal: the system's reason is shown with caption 200
// and 0 is returned (the caller ends the program; a folder already made is
// removed by the exit routine).
int MakeWorkspace(void);
// SettingsFile and LanguageFile: the workspace with Update.ini and Language.ini.
void SetPackageFilePaths(void);

// [App] ApplierMutex: another applier of this package holds it, so this one
// ends at once and silently. The mutex stays open until the process ends.
void ApplyApplierMutexRule(void);
// [App] TargetMutex: the program to be updated runs, so text 219 is shown
// and the program ends.
void ApplyTargetMutexRule(void);

// Formats the window title: the first "%s" of format becomes name and "%%"
// becomes "%"; any other "%" stands as it is. The result is cut to room.
void FormatWindowTitle(const char* format, const char* name, char* title, int room);
// A bitmap file of the workspace at its own size; null when missing or unreadable.
HBITMAP LoadWorkspaceBitmap(const char* fileName);

// Registers the class "quv", creates the hidden, maximized background window
// with WindowTitle as caption, and appends the About command (330, text 210)
// to its system menu. Returns the window.
HWND CreateBackgroundWindow(void);
// Runs the message loop, offering every message to the wizard first, and
// returns the exit code of WM_QUIT.
int RunMessageLoop(void);

// The two start-up steps that the wizard and the splash window provide
// (app/startup_windows.cpp): show the splash while the patch data is
// unpacked (returns ExtractPatchData's result), and create the wizard owned
// by the background window, centred on it (returns null when there is none).
int RunStartupSplash(HBITMAP splashBitmap);
HWND OpenStartupWizard(HWND backgroundWindow);
