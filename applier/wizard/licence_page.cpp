// Page 302: the licence agreement, which the user must accept (box 502)
// before Next is offered. The acceptance lives only in the box's tick.
#include "wizard/wizard.h"

#include <commctrl.h>
#include <richedit.h>

#include "resource.h"
#include "text/text.h"

static HWND LicenceText;

static void SetLicenceButtons(HWND page) {
    BOOL accepted = IsDlgButtonChecked(page, IDX_LICENCE_ACCEPT) == BST_CHECKED;
    PostWizardButtons(page, accepted ? PSWIZB_BACK | PSWIZB_NEXT : PSWIZB_BACK);
}

static void OnLicenceNotify(HWND page, const NMHDR* header, LPARAM lParam) {
    switch (header->code) {
    case PSN_SETACTIVE:
        SetLicenceButtons(page);
        break;
    case PSN_QUERYCANCEL:
        RequestCancel(page);
        break;
    case EN_LINK:
        if (header->hwndFrom == LicenceText)
            OpenClickedLink(reinterpret_cast<const void*>(lParam), LicenceText);
        break;
    }
}

INT_PTR CALLBACK LicencePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        LocalizeControls(page);
        LicenceText = SetUpTextBox(page, IDE_LICENCE_TEXT, IDS_FILE_LICENSE);
        return TRUE;
    case WM_SHOWWINDOW:
        if (wParam)
            ShowPageTitle(IDD_LICENCE);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDX_LICENCE_ACCEPT)
            SetLicenceButtons(page);
        return TRUE;
    case WM_NOTIFY:
        OnLicenceNotify(page, reinterpret_cast<const NMHDR*>(lParam), lParam);
        return TRUE;
    }
    return FALSE;
}
