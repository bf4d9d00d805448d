// The applier's entry point: start-up in the order that the later steps rely
// on (the exit routine first, the checksum table before any checksum, the
// workspace before anything is unpacked, the rich edit library before the
// wizard's pages), then the one message loop.
#include <stdlib.h>

#include "app/safe_library.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/state.h"
#include "package/extract_stream.h"
#include "patch/crc32.h"
#include "resource.h"
#include "text/text.h"

static void FailOnDamagedPackage(void) {
    TextMessageBox(NULL, IDS_DATA_ERROR, IDS_CAPTION, MB_ICONERROR);
    EndProgram();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    atexit(ExitCleanup);
    // Before any library is loaded: the exe may sit in a Downloads folder.
    HardenDllSearchPath();
    BuildCrcTable();
    ChooseLanguageSection();
    ProgramInstance = instance;

    if (!MakeWorkspace()) {
        EndProgram();
    }
    if (!ExtractStream(1)) {
        FailOnDamagedPackage();
    }
    SetPackageFilePaths();

    ApplyApplierMutexRule();
    Silence = ReadSettingInt("App", "Silence", DefaultSilence);
    ApplyTargetMutexRule();

    SidePanelBitmap = LoadWorkspaceBitmap("Package.bmp");
    ReadSettingText("App", "AppName", "", AppName, TextRoom);
    char titleFormat[TextRoom];
    titleFormat[0] = 0;
    LoadText(IDS_TITLE_FORMAT, titleFormat, sizeof titleFormat);
    FormatWindowTitle(titleFormat, AppName, WindowTitle, sizeof WindowTitle);
    ReadSettingText("Author", "CopyRight", "", CopyrightLine, TextRoom);
    ShowBGW = ReadSettingInt("App", "ShowBGW", DefaultShowBGW);
    ShowSplash = ReadSettingInt("App", "ShowSplash", DefaultShowSplash);

    // The splash bitmap lives until the process ends, like the side panel's.
    if (ShowSplash != 0 && RunStartupSplash(LoadWorkspaceBitmap("Splash.bmp")) == 0) {
        FailOnDamagedPackage();
    }

    BackgroundWindow = CreateBackgroundWindow();
    // The "RICHEDIT" class of the licence and guide pages.
    RichEditLibrary = LoadSystemLibrary("RICHED32.DLL");
    WizardWindow = OpenStartupWizard(BackgroundWindow);

    ShowWindow(BackgroundWindow, ShowBGW != 0 ? SW_SHOWMAXIMIZED : SW_SHOWMINIMIZED);
    if (WizardWindow != NULL) {
        ShowWindow(WizardWindow, SW_SHOWNORMAL);
    }
    UpdateWindow(BackgroundWindow);
    return RunMessageLoop();
}
