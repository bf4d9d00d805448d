// Start-up steps that build the background window and run the message loop.
#include <windows.h>

#include <commctrl.h>

#include "app/startup.h"
#include "app/state.h"
#include "resource.h"
#include "text/text.h"
#include "windows/presentation.h"

void FormatWindowTitle(const char* format, const char* name, char* title, int room) {
    int used = 0;
    int nameUsed = 0;
    if (room < 1) {
        return;
    }
    // Only the one "%s" is defined for this text; a translation's other
    // directives would read arguments that do not exist, so they stay text.
    for (const char* c = format; *c && used < room - 1; ++c) {
        if (c[0] == '%' && c[1] == 's' && !nameUsed) {
            for (const char* n = name; *n && used < room - 1; ++n) {
                title[used++] = *n;
            }
            nameUsed = 1;
            ++c;
        } else if (c[0] == '%' && c[1] == '%') {
            title[used++] = '%';
            ++c;
        } else {
            title[used++] = *c;
        }
    }
    title[used] = 0;
}

HWND CreateBackgroundWindow(void) {
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = BackgroundWindowProc;
    windowClass.hInstance = ProgramInstance;
    windowClass.hIcon = LoadIconA(ProgramInstance, MAKEINTRESOURCEA(IDI_APPLIER));
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.lpszClassName = "quv";
    RegisterClassA(&windowClass);

    HWND window = CreateWindowExA(0, "quv", WindowTitle, WS_OVERLAPPEDWINDOW | WS_MAXIMIZE,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, NULL,
                                  NULL, ProgramInstance, NULL);

    char about[100];
    about[0] = 0;
    LoadText(IDS_ABOUT_MENU, about, sizeof about);
    HMENU systemMenu = GetSystemMenu(window, FALSE);
    AppendMenuA(systemMenu, MF_SEPARATOR, 0, NULL);
    AppendMenuA(systemMenu, MF_STRING, IDM_ABOUT, about);
    return window;
}

int RunMessageLoop(void) {
    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, NULL, 0, 0)) != 0) {
        if (got == -1) {
            return 0;
        }
        if (WizardWindow != NULL &&
            SendMessageA(WizardWindow, PSM_ISDIALOGMESSAGE, 0, (LPARAM)&message) != 0) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return (int)message.wParam;
}
