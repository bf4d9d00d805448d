// The Destination page (304): the folder of the installed program, the
// backup choice, and on Next the folder check and the update run.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "app/settings.h"
#include "app/state.h"
#include "resource.h"
#include "text/text.h"
#include "wizard/wizard.h"

static HWND DestinationSidePanel;
// Set by PSN_WIZNEXT so that the PSN_KILLACTIVE that follows knows the page
// is being left forwards; Back leaves the page without any check.
static int ForwardFlag;
static BROWSEINFOA BrowseRequest;
static char BrowseDisplayName[TextRoom];
static char BrowseInstruction[TextRoom];

static void InitDestination(HWND page) {
    LocalizeControls(page);
    char folder[TextRoom];
    ReadSettingText("Path", "SoftWarePath", "", folder, TextRoom);
    SetDlgItemTextA(page, IDE_FOLDER, folder);
    CheckDlgButton(page, IDX_BACKUP, BST_CHECKED);

    LoadText(IDS_BROWSE_TITLE, BrowseInstruction, TextRoom);
    ZeroMemory(&BrowseRequest, sizeof BrowseRequest);
    BrowseRequest.hwndOwner = page;
    BrowseRequest.pszDisplayName = BrowseDisplayName;
    BrowseRequest.lpszTitle = BrowseInstruction;
    DestinationSidePanel = GetDlgItem(page, IDC_SIDE_PANEL);
}

static void BrowseForFolder(HWND page) {
    LPITEMIDLIST item = SHBrowseForFolderA(&BrowseRequest);
    if (!item)
        return;
    char path[TextRoom];
    if (SHGetPathFromIDListA(item, path))
        SetDlgItemTextA(page, IDE_FOLDER, path);
    ILFree(item);
}

// Runs the update modally; returns only after a completed run, because a
// failed or cancelled one ends the process from the progress dialog.
static void RunUpdate(HWND page) {
    LoadStringA(ProgramInstance, IDS_FILE_PATCH_DAT, PatchDataName, TextRoom);
    BackupChoice = IsDlgButtonChecked(page, IDX_BACKUP) == BST_CHECKED ? 1 : 0;
    ShowWindow(WizardWindow, SW_HIDE);
    DialogBoxParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_PROGRESS), BackgroundWindow,
                    ProgressDialog, 0);
    ShowWindow(WizardWindow, SW_SHOW);
}

// The folder is accepted when the main file opens in it. The folder is
// written to the settings first, so the progress dialog and the Finish page
// read the user's choice from there.
static void CheckFolderAndRun(HWND page) {
    GetDlgItemTextA(page, IDE_FOLDER, DestinationFolder, TextRoom);
    WriteSettingText("Path", "SoftWarePath", DestinationFolder);
    ReadSettingText("App", "MainFile", "", MainFileName, TextRoom);

    char testPath[TextRoom];
    lstrcpynA(testPath, DestinationFolder, TextRoom);
    PathAppendA(testPath, MainFileName);
    HANDLE mainFile = CreateFileA(testPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
    if (mainFile == INVALID_HANDLE_VALUE) {
        ForwardFlag = 0;
        TextMessageBox(page, IDS_WRONG_DIRECTORY, IDS_CAPTION, MB_ICONERROR | MB_OK);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, TRUE);
        return;
    }
    CloseHandle(mainFile);
    RunUpdate(page);
    SetWindowLongPtrA(page, DWLP_MSGRESULT, FALSE);
}

static void OnDestinationNotify(HWND page, const NMHDR* header) {
    switch (header->code) {
    case PSN_SETACTIVE:
        PostWizardButtons(page, PSWIZB_BACK | PSWIZB_NEXT);
        break;
    case PSN_WIZNEXT:
        ForwardFlag = 1;
        break;
    case PSN_KILLACTIVE:
        if (ForwardFlag)
            CheckFolderAndRun(page);
        break;
    case PSN_QUERYCANCEL:
        RequestCancel(page);
        break;
    }
}

INT_PTR CALLBACK DestinationPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitDestination(page);
        return TRUE;
    case WM_SHOWWINDOW:
        if (wParam)
            ShowPageTitle(IDD_DESTINATION);
        return FALSE;
    case WM_PAINT:
        PaintSidePanel(DestinationSidePanel);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDB_BROWSE)
            BrowseForFolder(page);
        return TRUE;
    case WM_NOTIFY:
        OnDestinationNotify(page, reinterpret_cast<const NMHDR*>(lParam));
        return TRUE;
    }
    return FALSE;
}
