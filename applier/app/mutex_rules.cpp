// The two mutex rules of start-up. Both names come from the package settings;
// an empty name switches its rule off.
#include "app/settings.h"
#include "app/startup.h"
#include "app/state.h"
#include "resource.h"
#include "text/text.h"

void ApplyApplierMutexRule(void) {
    char name[TextRoom];
    ReadSettingText("App", "ApplierMutex", "", name, sizeof name);
    if (name[0] == 0) {
        return;
    }
    HANDLE mutex = CreateMutexA(NULL, TRUE, name);
    DWORD error = GetLastError();
    // Access is denied only when the mutex exists already, made by a run of
    // another security context: that is a running applier all the same.
    int running = error == ERROR_ALREADY_EXISTS || (mutex == NULL && error == ERROR_ACCESS_DENIED);
    if (mutex != NULL) {
        // Held open, never closed: the name marks this run until the process ends.
        ReleaseMutex(mutex);
    }
    if (running) {
        EndProgram();
    }
}

void ApplyTargetMutexRule(void) {
    char name[TextRoom];
    ReadSettingText("App", "TargetMutex", "", name, sizeof name);
    if (name[0] == 0) {
        return;
    }
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, name);
    // A program running elevated or as a service may guard its mutex from us;
    // being refused still proves that it exists.
    if (mutex == NULL && GetLastError() != ERROR_ACCESS_DENIED) {
        return;
    }
    if (mutex != NULL) {
        CloseHandle(mutex);
    }
    char text[TextRoom];
    text[0] = 0;
    LoadText(IDS_TARGET_RUNNING, text, sizeof text);
    ReplaceAll(text, sizeof text, "%1", "Tarvelion");
    MessageBoxA(NULL, text, NULL, MB_ICONEXCLAMATION);
    EndProgram();
}
