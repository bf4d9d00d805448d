// The Results page (306): the update log the run has just written.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "app/state.h"
#include "resource.h"
#include "text/text.h"
#include "wizard/wizard.h"

static HWND ResultsSidePanel;

static void InitResults(HWND page) {
    LocalizeControls(page);
    // The log's name is the built-in one: the worker wrote it under that name.
    char logName[TextRoom];
    LoadStringA(ProgramInstance, IDS_FILE_LOG, logName, TextRoom);
    HWND logBox = GetDlgItem(page, IDE_RESULTS_LOG);
    LoadFileIntoControl(logBox, logName, DestinationFolder);
    SendMessageA(logBox, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    ResultsSidePanel = GetDlgItem(page, IDC_SIDE_PANEL);
}

static void OnResultsNotify(HWND page, const NMHDR* header) {
    switch (header->code) {
    case PSN_SETACTIVE:
        // The update cannot be undone from here: no Back, and Cancel becomes Close.
        PostWizardButtons(page, PSWIZB_NEXT);
        PostMessageA(GetParent(page), PSM_CANCELTOCLOSE, 0, 0);
        break;
    case PSN_RESET:
        // The sheet is still inside its own cancel handling: destroy the
        // windows once it has returned, not under its feet.
        PostMessageA(page, WM_END_WIZARD, 0, 0);
        break;
    }
}

INT_PTR CALLBACK ResultsPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitResults(page);
        return TRUE;
    case WM_SHOWWINDOW:
        if (wParam)
            ShowPageTitle(IDD_RESULTS);
        return FALSE;
    case WM_PAINT:
        PaintSidePanel(ResultsSidePanel);
        return FALSE;
    case WM_NOTIFY:
        OnResultsNotify(page, reinterpret_cast<const NMHDR*>(lParam));
        return TRUE;
    case WM_END_WIZARD:
        DestroyWindow(BackgroundWindow);
        return TRUE;
    }
    return FALSE;
}
