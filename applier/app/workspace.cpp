// The workspace: a folder of its own in the user's temporary folder, where
// the package is unpacked and which the exit routine deletes again.
#include <windows.h>

#include <shlwapi.h>

#include "app/startup.h"
#include "app/state.h"
#include "package/extract_stream.h"
#include "patch/folder_tree.h"
#include "resource.h"
#include "text/text.h"

static void ShowSystemError(DWORD code) {
    char message[1024];
    char caption[TextRoom];
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code, 0,
                       message, sizeof message, NULL) == 0) {
        wsprintfA(message, "Error %lu", (unsigned long)code);
    }
    caption[0] = 0;
    LoadText(IDS_CAPTION, caption, sizeof caption);
    MessageBoxA(NULL, message, caption, MB_ICONERROR);
}

int MakeWorkspace(void) {
    DWORD length = GetTempPathA(sizeof TempFolder, TempFolder);
    if (length == 0 || length >= sizeof TempFolder) {
        TempFolder[0] = 0;
        ShowSystemError(length == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    // The unique file name reserves the name; the folder takes its place.
    if (GetTempFileNameA(TempFolder, "ZEL", 0, WorkspacePath) == 0) {
        WorkspacePath[0] = 0;
        ShowSystemError(GetLastError());
        return 0;
    }
    DeleteFileA(WorkspacePath);
    if (!CreateDirectoryA(WorkspacePath, NULL)) {
        DWORD error = GetLastError();
        WorkspacePath[0] = 0;
        ShowSystemError(error);
        return 0;
    }
    WorkspaceMade = 1;
    if (!SetCurrentDirectoryA(WorkspacePath)) {
        ShowSystemError(GetLastError());
        return 0;
    }
    return 1;
}

void SetPackageFilePaths(void) {
    lstrcpyA(SettingsFile, WorkspacePath);
    PathAppendA(SettingsFile, "Update.ini");
    lstrcpyA(LanguageFile, WorkspacePath);
    PathAppendA(LanguageFile, "Language.ini");
}

HBITMAP LoadWorkspaceBitmap(const char* fileName) {
    return (HBITMAP)LoadImageA(ProgramInstance, fileName, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
}

int ExtractPatchData(void) {
    return ExtractStream(2);
}

void ExitCleanup(void) {
    if (RichEditLibrary != NULL) {
        FreeLibrary(RichEditLibrary);
        RichEditLibrary = NULL;
    }
    // Only the folder that MakeWorkspace created: never an empty path, which
    // would stand for the current directory, nor anything else.
    if (!WorkspaceMade || WorkspacePath[0] == 0) {
        return;
    }
    WorkspaceMade = 0;
    SetCurrentDirectoryA(TempFolder);
    DeleteTree(WorkspacePath);
}
