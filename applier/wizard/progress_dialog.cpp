// The progress dialog (305): fills the update job, starts the worker and
// waits for its report; a failed or cancelled run ends the program here.
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include "app/settings.h"
#include "app/startup.h"
#include "app/state.h"
#include "package/extract_stream.h"
#include "patch/entry_result.h"
#include "patch/update_job.h"
#include "resource.h"
#include "text/text.h"
#include "wizard/wizard.h"

// One run per process, so one job; the worker holds its address until it ends.
static UpdateJob ProgressJob;
static char BackupFolder[TextRoom];

// Text 208 + state: 208 cancelled, 207 main file failed, 206 data error.
static void EndWithFailure(int state) {
    TextMessageBox(BackgroundWindow, IDS_CANCELLED + state, IDS_CAPTION, MB_ICONERROR);
    EndProgram();
}

static void FillJob(HWND dialog) {
    ReadSettingText("Path", "SoftWarePath", "", DestinationFolder, TextRoom);
    char backupDirectory[TextRoom];
    ReadSettingText("Path", "BackupDirectory", "Tarvelion.bak", backupDirectory, TextRoom);
    lstrcpynA(BackupFolder, DestinationFolder, TextRoom);
    PathAppendA(BackupFolder, backupDirectory);
    PathAddBackslashA(BackupFolder);

    ProgressJob.backupChoice = BackupChoice;
    ProgressJob.destinationFolder = DestinationFolder;
    ProgressJob.backupFolder = BackupFolder;
    ProgressJob.patchDataName = PatchDataName;
    ProgressJob.dialogWindow = dialog;
    ProgressJob.progressBarWindow = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    ProgressJob.statusTextWindow = GetDlgItem(dialog, IDT_PROGRESS_STATUS);
    ProgressJob.runState.store(RunGoing);
}

static void InitProgress(HWND dialog) {
    LocalizeControls(dialog);
    FillJob(dialog);
    // Without the splash the patch data is still packed; a failure here comes
    // before the worker exists, so nothing in the destination is touched.
    if (ShowSplash == 0 && !ExtractStream(2))
        EndWithFailure(RunDataError);
    HANDLE worker = CreateThread(NULL, 0, UpdateWorker, &ProgressJob, 0, NULL);
    if (!worker) {
        EndDialog(dialog, 0);
        EndWithFailure(RunDataError);
    }
    CloseHandle(worker);
}

// Cancel stops only a run that is still going: once the log writer has
// recorded a main-file failure or a data error, that cause is the one the
// user must be told, so a late Cancel does not turn it into "cancelled".
static void CancelRun(void) {
    int going = RunGoing;
    ProgressJob.runState.compare_exchange_strong(going, RunCancelled);
}

static void OnUpdateDone(HWND dialog, int state) {
    EndDialog(dialog, 0);
    if (state <= 0)
        EndWithFailure(state);
    if (Silence == 0 && ResultSummary > 0x8000u)
        TextMessageBox(BackgroundWindow, IDS_SUMMARY_SKIPPED, IDS_CAPTION, MB_ICONINFORMATION);
}

INT_PTR CALLBACK ProgressDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        InitProgress(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL)
            CancelRun();
        return TRUE;
    case WM_UPDATE_DONE:
        OnUpdateDone(dialog, static_cast<int>(wParam));
        return TRUE;
    }
    return FALSE;
}
