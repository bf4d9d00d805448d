// The About box (template 300), opened modally from the background window's
// system menu.
#include "resource.h"
#include "text/text.h"
#include "windows/presentation.h"

INT_PTR CALLBACK AboutBox(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        LocalizeControls(dialog);
        SetTitleText(dialog, IDS_ABOUT_CAPTION);
        return TRUE;
    case WM_COMMAND:
        // OK, Enter, Esc and the close box.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
