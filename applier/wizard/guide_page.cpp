// Page 303: the package's guidance text.
#include "wizard/wizard.h"

#include <commctrl.h>
#include <richedit.h>

#include "resource.h"
#include "text/text.h"

static HWND GuideText;
static HWND GuideSidePanel;

static void OnGuideNotify(HWND page, const NMHDR* header, LPARAM lParam) {
    switch (header->code) {
    case PSN_SETACTIVE:
        PostWizardButtons(page, PSWIZB_BACK | PSWIZB_NEXT);
        break;
    case PSN_QUERYCANCEL:
        RequestCancel(page);
        break;
    case EN_LINK:
        if (header->hwndFrom == GuideText)
            OpenClickedLink(reinterpret_cast<const void*>(lParam), GuideText);
        break;
    }
}

INT_PTR CALLBACK GuidePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        LocalizeControls(page);
        GuideText = SetUpTextBox(page, IDE_GUIDE_TEXT, IDS_FILE_GUIDE);
        GuideSidePanel = GetDlgItem(page, IDC_SIDE_PANEL);
        return TRUE;
    case WM_SHOWWINDOW:
        if (wParam)
            ShowPageTitle(IDD_GUIDE);
        return FALSE;
    case WM_PAINT:
        PaintSidePanel(GuideSidePanel);
        return FALSE;
    case WM_NOTIFY:
        OnGuideNotify(page, reinterpret_cast<const NMHDR*>(lParam), lParam);
        return TRUE;
    }
    return FALSE;
}
