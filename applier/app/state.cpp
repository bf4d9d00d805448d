#include "app/state.h"

HINSTANCE ProgramInstance;
char TempFolder[TextRoom];
char WorkspacePath[TextRoom];
int WorkspaceMade;
char SettingsFile[TextRoom];
char LanguageFile[TextRoom];
char LanguageSection[16];
int Silence = 1;
int ShowBGW = 1;
int ShowSplash = 1;
HBITMAP SidePanelBitmap;
char AppName[TextRoom];
char WindowTitle[2 * TextRoom];
char CopyrightLine[TextRoom];
HWND BackgroundWindow;
HWND WizardWindow;
HMODULE RichEditLibrary;

char DestinationFolder[TextRoom];
char MainFileName[TextRoom];
char PatchDataName[TextRoom];
int BackupChoice;
