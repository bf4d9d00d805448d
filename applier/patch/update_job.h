// The block handed from the progress dialog to the update worker.
#pragma once
#include <windows.h>
#include <atomic>

// Sent (synchronously) by the update worker to the progress dialog at the end
// of every run. wParam: the final run state (RunState); lParam: 0.
#define WM_UPDATE_DONE (WM_USER + 10)

// 1 going or completed, 0 cancelled, -1 main file failed, -2 data error.
enum RunStateValue { RunGoing = 1, RunCancelled = 0, RunMainFileFailed = -1, RunDataError = -2 };

struct UpdateJob {
    int backupChoice;
    const char* destinationFolder;
    const char* backupFolder;
    const char* patchDataName;
    HWND dialogWindow;
    HWND progressBarWindow;
    HWND statusTextWindow;
    std::atomic<int> runState; // both threads write it: Cancel 0, the log writer -1 or -2
};

// The thread routine of the one update run.
DWORD WINAPI UpdateWorker(LPVOID job);
// The job of the running update, for the log writer.
extern UpdateJob* CurrentJob;
