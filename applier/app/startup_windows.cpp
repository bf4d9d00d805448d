// Start-up's calls into the splash window and the wizard.
#include "app/startup.h"
#include "windows/presentation.h"
#include "wizard/wizard.h"

int RunStartupSplash(HBITMAP splashBitmap) {
    return RunSplash(splashBitmap, ExtractPatchData);
}

HWND OpenStartupWizard(HWND backgroundWindow) {
    HWND wizard = CreateWizard(backgroundWindow, 0);
    if (wizard != NULL)
        CenterWindow(wizard);
    return wizard;
}
