// Process-wide state. Start-up writes every item once, on the user-interface
// thread, before the wizard or the update worker exists; afterwards it is
// only read. The update inputs at the end belong to the Destination page.
#pragma once
#include <windows.h>

enum { TextRoom = MAX_PATH }; // paths and settings values: 259 characters and the zero

extern HINSTANCE ProgramInstance;
extern char TempFolder[TextRoom];
extern char WorkspacePath[TextRoom];
extern int WorkspaceMade; // 1 once start-up has created the workspace folder
extern char SettingsFile[TextRoom];
extern char LanguageFile[TextRoom];
extern char LanguageSection[16];
extern int Silence;
extern int ShowBGW;
extern int ShowSplash;
extern HBITMAP SidePanelBitmap;
extern char AppName[TextRoom];
extern char WindowTitle[2 * TextRoom]; // text 203 and the name may each fill 259 characters
extern char CopyrightLine[TextRoom];
extern HWND BackgroundWindow;
extern HWND WizardWindow;
extern HMODULE RichEditLibrary;

// Update inputs, kept by the Destination page for the progress dialog.
extern char DestinationFolder[TextRoom];
extern char MainFileName[TextRoom];
extern char PatchDataName[TextRoom];
extern int BackupChoice;
