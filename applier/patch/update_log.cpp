#include "patch/update_log.h"

#include "app/state.h"
#include "patch/entry_result.h"
#include "patch/update_job.h"
#include "resource.h"
#include "text/text.h"

#include <shlwapi.h>

static UINT ResultTextNumber(int result) {
    switch (result) {
    case AttachedAdded:
        return IDS_LOG_ATTACHED_ADDED;
    case FileUpdated:
        return IDS_LOG_FILE_UPDATED;
    case AttachedOverwritten:
        return IDS_LOG_ATTACHED_OVERWRITTEN;
    case AttachedSkipped:
        return IDS_LOG_ATTACHED_SKIPPED;
    case AttachedCrcError:
        return IDS_LOG_ATTACHED_CRC_ERROR;
    case OriginalMissing:
        return IDS_LOG_ORIGINAL_MISSING;
    case OriginalCrcError:
        return IDS_LOG_ORIGINAL_CRC_ERROR;
    case AlreadyUpdated:
        return IDS_LOG_ALREADY_UPDATED;
    case UpdatedCrcError:
        return IDS_LOG_UPDATED_CRC_ERROR;
    case AccessDenied:
    case ReplaceFailed:
        return IDS_LOG_ACCESS_DENIED;
    default:
        return IDS_LOG_DATA_ERROR;
    }
}

// The failures that stop the run when they hit the main file.
static int IsMainFileFailure(int result) {
    switch (result) {
    case AttachedCrcError:
    case OriginalMissing:
    case OriginalCrcError:
    case UpdatedCrcError:
    case AccessDenied:
    case ReplaceFailed:
        return 1;
    default:
        return 0;
    }
}

static void WritePiece(HANDLE log, const char* bytes, int length) {
    DWORD written;
    WriteFile(log, bytes, static_cast<DWORD>(length), &written, NULL);
}

void WriteLogLine(const char* relativePath, int result, HANDLE log) {
    const char* path = relativePath[0] == '\\' ? relativePath + 1 : relativePath;
    char text[TextRoom];
    text[0] = 0;
    LoadText(ResultTextNumber(result), text, TextRoom);

    // The line is written whole, whatever its length, in one write when the
    // heap allows, so a reader never sees half a line.
    static const char separator[] = " -> ";
    int pathLength = lstrlenA(path), textLength = lstrlenA(text);
    int length = pathLength + 4 + textLength + 2;
    char* line = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(length)));
    if (line) {
        CopyMemory(line, path, pathLength);
        CopyMemory(line + pathLength, separator, 4);
        CopyMemory(line + pathLength + 4, text, textLength);
        CopyMemory(line + length - 2, "\r\n", 2);
        WritePiece(log, line, length);
        HeapFree(GetProcessHeap(), 0, line);
    } else {
        WritePiece(log, path, pathLength);
        WritePiece(log, separator, 4);
        WritePiece(log, text, textLength);
        WritePiece(log, "\r\n", 2);
    }

    if (!CurrentJob)
        return;
    if (result == DataError) {
        CurrentJob->runState.store(RunDataError);
    } else if (IsMainFileFailure(result) && MainFileName[0] &&
               lstrcmpiA(PathFindFileNameA(relativePath), PathFindFileNameA(MainFileName)) == 0) {
        CurrentJob->runState.store(RunMainFileFailed);
    }
}
