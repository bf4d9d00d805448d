#include "patch/update_job.h"

#include "app/state.h"
#include "patch/apply_entry.h"
#include "patch/entry_result.h"
#include "patch/folder_tree.h"
#include "patch/patch_data.h"
#include "patch/update_log.h"
#include "resource.h"

#include <commctrl.h>

UpdateJob* CurrentJob;

// The patch data, mapped read-only and walked in place.
struct MappedPatchData {
    HANDLE file;
    HANDLE mapping;
    const uint8_t* view;
    DWORD size;
};

static int MapPatchData(const char* name, MappedPatchData* data) {
    char path[MAX_PATH];
    data->file = INVALID_HANDLE_VALUE;
    data->mapping = NULL;
    data->view = NULL;
    data->size = 0;
    if (!JoinPath(path, WorkspacePath, name))
        return 0;
    data->file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (data->file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD sizeHigh = 0;
    data->size = GetFileSize(data->file, &sizeHigh);
    // An empty file cannot be mapped; one of 4 GiB or more is no patch data.
    if (data->size == 0 || data->size == INVALID_FILE_SIZE || sizeHigh != 0)
        return 0;
    data->mapping = CreateFileMappingA(data->file, NULL, PAGE_READONLY, 0, 0, NULL);
    if (data->mapping)
        data->view = static_cast<const uint8_t*>(
            MapViewOfFile(data->mapping, FILE_MAP_READ, 0, 0, data->size));
    return data->view != NULL;
}

static void UnmapPatchData(MappedPatchData* data) {
    if (data->view)
        UnmapViewOfFile(data->view);
    if (data->mapping)
        CloseHandle(data->mapping);
    if (data->file != INVALID_HANDLE_VALUE)
        CloseHandle(data->file);
}

static HANDLE CreateUpdateLog(void) {
    // Always the built-in name: the Results page looks for it there.
    char name[MAX_PATH], path[MAX_PATH];
    name[0] = 0;
    LoadStringA(ProgramInstance, IDS_FILE_LOG, name, MAX_PATH);
    if (!JoinPath(path, RunDestination, name))
        return INVALID_HANDLE_VALUE;
    return CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
}

// The relative path of the entry at the cursor, for its log line; "" when the
// header does not fit the data (the entry is then a data error).
static const char* EntryPathAt(const PatchCursor* cursor) {
    PatchCursor peek = *cursor;
    PatchEntryHeader entry;
    return ReadEntryHeader(&peek, &entry) == PatchOk ? entry.relativePath : "";
}

DWORD WINAPI UpdateWorker(LPVOID parameter) {
    UpdateJob* job = static_cast<UpdateJob*>(parameter);
    CurrentJob = job;
    lstrcpynA(RunDestination, job->destinationFolder, MAX_PATH);
    HANDLE log = CreateUpdateLog();

    // The staging folder's name is reserved as a temporary file and taken over.
    char staging[MAX_PATH];
    staging[0] = 0;
    if (GetTempFileNameA(RunDestination, "BAK", 0, staging))
        DeleteFileA(staging);
    else
        staging[0] = 0;
    RunStatusWindow = job->statusTextWindow;

    MappedPatchData data;
    PatchCursor cursor;
    unsigned count = 0;
    int mapped = MapPatchData(job->patchDataName, &data);
    if (mapped) {
        cursor.pos = data.view;
        cursor.end = data.view + data.size;
        mapped = ReadPatchCount(&cursor, &count) == PatchOk;
    }
    if (!mapped) {
        UnmapPatchData(&data);
        if (log != INVALID_HANDLE_VALUE)
            CloseHandle(log);
        SendMessageA(job->dialogWindow, WM_UPDATE_DONE, static_cast<WPARAM>(RunDataError), 0);
        return 0;
    }

    SendMessageA(job->progressBarWindow, PBM_SETRANGE, 0, MAKELPARAM(0, count));
    if (staging[0])
        CreateDirectoryA(staging, NULL);
    for (unsigned i = 1; i <= count; ++i) {
        const char* path = EntryPathAt(&cursor);
        int result = ApplyPatchEntry(&cursor, staging, job->dialogWindow);
        WriteLogLine(path, result, log);
        if (job->runState.load() <= 0)
            break;
        SendMessageA(job->progressBarWindow, PBM_SETPOS, i, 0);
    }
    UnmapPatchData(&data);
    if (log != INVALID_HANDLE_VALUE)
        CloseHandle(log);

    // The state that chose between backup and rollback is the one reported: a
    // Cancel pressed while the backup is copied must not call a completed run
    // cancelled.
    int state = job->runState.load();
    if (staging[0]) {
        if (state > 0) {
            if (job->backupChoice)
                CopyTree(staging, job->backupFolder);
        } else {
            CopyTree(staging, RunDestination);
        }
        DeleteTree(staging);
    }
    SendMessageA(job->dialogWindow, WM_UPDATE_DONE, static_cast<WPARAM>(state), 0);
    return 0;
}
