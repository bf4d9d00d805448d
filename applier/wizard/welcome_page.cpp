// Page 301: greets the user with the application's name.
#include "wizard/wizard.h"

#include <commctrl.h>

#include "resource.h"
#include "text/text.h"

static HWND WelcomeSidePanel;

static void InitWelcome(HWND page) {
    LocalizeControls(page);
    // After the localization, so that a translated text's "%p" is filled too.
    FillAppName(GetDlgItem(page, IDT_WELCOME_TEXT));
    WelcomeSidePanel = GetDlgItem(page, IDC_SIDE_PANEL);
}

static void OnWelcomeNotify(HWND page, const NMHDR* header) {
    switch (header->code) {
    case PSN_SETACTIVE:
        PostWizardButtons(page, PSWIZB_NEXT);
        break;
    case PSN_QUERYCANCEL:
        RequestCancel(page);
        break;
    }
}

INT_PTR CALLBACK WelcomePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitWelcome(page);
        return TRUE;
    case WM_SHOWWINDOW:
        if (wParam)
            ShowPageTitle(IDD_WELCOME);
        return FALSE;
    case WM_PAINT:
        PaintSidePanel(WelcomeSidePanel);
        return FALSE;
    case WM_NOTIFY:
        OnWelcomeNotify(page, reinterpret_cast<const NMHDR*>(lParam));
        return TRUE;
    }
    return FALSE;
}
