// Start-up's calls into the splash window and the wizard. Until those
// windows exist the patch data is unpacked without a splash and the main
// loop runs without a wizard.
#include "app/startup.h"

int RunStartupSplash(HBITMAP) {
    return ExtractPatchData();
}

HWND OpenStartupWizard(HWND) {
    return NULL;
}
