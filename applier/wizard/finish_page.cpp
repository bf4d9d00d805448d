// The Finish page (307): the read-me and launch options, and on Finish the
// end actions: the external command, the read-me, the main file, the end.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shellapi.h>

#include "app/settings.h"
#include "app/state.h"
#include "resource.h"
#include "text/text.h"
#include "wizard/wizard.h"

static HWND FinishSidePanel;

// A launched program gets a moment to come up before the next one starts.
enum { LaunchPause = 800, EndPause = 5000, QuestionRoom = 360 };

static void InitFinish(HWND page) {
    LocalizeControls(page);
    FillAppName(GetDlgItem(page, IDT_FINISH_TEXT));
    FillAppName(GetDlgItem(page, IDX_LAUNCH_MAIN));
    CheckDlgButton(page, IDX_LAUNCH_MAIN, BST_CHECKED);
    FinishSidePanel = GetDlgItem(page, IDC_SIDE_PANEL);
}

static void RunExternalCommand(HWND page, const char* command, const char* parameter) {
    char caption[TextRoom];
    char question[QuestionRoom + 1 + TextRoom + 1 + TextRoom];
    LoadText(IDS_CAPTION, caption, TextRoom);
    LoadText(IDS_ASK_EXTERNAL_COMMAND, question, QuestionRoom);
    lstrcatA(question, "\n");
    lstrcatA(question, command);
    lstrcatA(question, " ");
    lstrcatA(question, parameter);
    if (MessageBoxA(page, question, caption, MB_ICONQUESTION | MB_YESNO) != IDYES)
        return;
    char folder[TextRoom];
    ReadSettingText("Path", "SoftWarePath", "", folder, TextRoom);
    int show = ReadSettingInt("ShellExec", "ShowWindow", 0);
    ShellExecuteA(BackgroundWindow, "open", command, parameter, folder, show);
    Sleep(LaunchPause);
}

static void EndActions(HWND page) {
    char command[TextRoom];
    char parameter[TextRoom];
    ReadSettingText("ShellExec", "Command", "", command, TextRoom);
    ReadSettingText("ShellExec", "Parameter", "", parameter, TextRoom);
    ShowWindow(BackgroundWindow, SW_HIDE);
    ShowWindow(WizardWindow, SW_HIDE);

    if (command[0])
        RunExternalCommand(page, command, parameter);
    if (IsDlgButtonChecked(page, IDX_VIEW_README)) {
        char readMe[TextRoom];
        LoadStringA(ProgramInstance, IDS_FILE_README, readMe, TextRoom);
        ShellExecuteA(BackgroundWindow, "open", readMe, NULL, WorkspacePath, SW_SHOWDEFAULT);
        Sleep(LaunchPause);
    }
    if (IsDlgButtonChecked(page, IDX_LAUNCH_MAIN)) {
        char folder[TextRoom];
        char mainFile[TextRoom];
        ReadSettingText("Path", "SoftWarePath", "", folder, TextRoom);
        ReadSettingText("App", "MainFile", "", mainFile, TextRoom);
        ShellExecuteA(BackgroundWindow, "open", mainFile, NULL, folder, SW_SHOWDEFAULT);
        Sleep(LaunchPause);
    }
    Sleep(EndPause);
    // The sheet is still inside its own Finish handling: destroy the windows
    // once it has returned, not under its feet.
    PostMessageA(page, WM_END_WIZARD, 0, 0);
}

INT_PTR CALLBACK FinishPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitFinish(page);
        return TRUE;
    case WM_SHOWWINDOW:
        if (wParam)
            ShowPageTitle(IDD_FINISH);
        return FALSE;
    case WM_PAINT:
        PaintSidePanel(FinishSidePanel);
        return FALSE;
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == PSN_WIZFINISH)
            EndActions(page);
        else if (reinterpret_cast<const NMHDR*>(lParam)->code == PSN_SETACTIVE)
            PostWizardButtons(page, PSWIZB_BACK | PSWIZB_FINISH);
        return TRUE;
    case WM_END_WIZARD:
        DestroyWindow(BackgroundWindow);
        return TRUE;
    }
    return FALSE;
}
