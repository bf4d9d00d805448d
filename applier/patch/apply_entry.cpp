#include "patch/apply_entry.h"

#include "app/safe_library.h"
#include "app/state.h"
#include "patch/crc32.h"
#include "patch/entry_result.h"
#include "patch/file_crc.h"
#include "patch/folder_tree.h"
#include "resource.h"
#include "text/text.h"

char RunDestination[MAX_PATH];
HWND RunStatusWindow;
unsigned int ResultSummary;

typedef BOOL(WINAPI* MakePathFunction)(PCSTR);

// imagehlp.dll is not a known DLL: taken from the system folder only, never
// from the folder the applier was started from.
static MakePathFunction MakePathExists(void) {
    static MakePathFunction make;
    if (!make) {
        HMODULE imagehlp = LoadSystemLibrary("imagehlp.dll");
        if (imagehlp)
            make = reinterpret_cast<MakePathFunction>(
                reinterpret_cast<void*>(GetProcAddress(imagehlp, "MakeSureDirectoryPathExists")));
    }
    return make;
}

void MakeEntryFolders(const char* relativePath, const char* root) {
    char path[MAX_PATH];
    MakePathFunction make = MakePathExists();
    // Every component before the last backslash is made; the file name is not.
    if (make && JoinPath(path, root, relativePath))
        make(path);
}

static void SetEntryTimes(HANDLE file, const PatchEntryHeader* entry) {
    FILETIME creation, lastWrite;
    creation.dwLowDateTime = static_cast<DWORD>(entry->creationTime);
    creation.dwHighDateTime = static_cast<DWORD>(entry->creationTime >> 32);
    lastWrite.dwLowDateTime = static_cast<DWORD>(entry->lastWriteTime);
    lastWrite.dwHighDateTime = static_cast<DWORD>(entry->lastWriteTime >> 32);
    SetFileTime(file, &creation, NULL, &lastWrite);
}

// A copy op of a large file with a small change can name hundreds of MiB at
// once; one write of that size straight from a mapped view is several times
// slower than the same bytes in pieces of a mebibyte.
static const DWORD MaxWritePiece = 1 << 20;

static int WriteToFile(void* context, const uint8_t* bytes, uint32_t size) {
    HANDLE file = *static_cast<HANDLE*>(context);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    while (size > 0) {
        DWORD piece = size < MaxWritePiece ? size : MaxWritePiece;
        DWORD written = 0;
        if (!WriteFile(file, bytes, piece, &written, NULL) || written != piece)
            return 0;
        bytes += piece;
        size -= piece;
    }
    return 1;
}

// A new temporary file in the destination folder; the platform makes it empty
// to reserve the name. 0 when none can be made.
static int ReserveTempFile(char* temp) {
    temp[0] = 0;
    return GetTempFileNameA(RunDestination, "PCH", 0, temp) != 0;
}

// Closes a rebuilt temporary file: its times from the entry and its bytes on
// disk before it may replace anything, so a crash never leaves a torn file.
static void FinishTempFile(HANDLE temp, const PatchEntryHeader* entry) {
    SetEntryTimes(temp, entry);
    FlushFileBuffers(temp);
    CloseHandle(temp);
}

// The staged copy of the installed file. A hard link costs nothing, and once
// the replace has given the name to the new file it keeps the old content;
// where the volume has no links (FAT, some network shares) a real copy. A
// staged copy that is there already is replaced.
static int StageInstalledFile(const char* target, const char* staged, int* linked) {
    DeleteFileA(staged);
    *linked = CreateHardLinkA(staged, target, NULL) != 0;
    return *linked || CopyFileA(target, staged, FALSE);
}

// Stages the installed file, then puts the verified temporary file in its
// place with one replace, so the installed file is never missing. Without a
// staged copy nothing is replaced: a rollback could not bring it back.
static int StageAndReplace(const char* temp, const char* target, const char* staged,
                           const PatchEntryHeader* entry, const char* stagingFolder, int success) {
    if (staged[0]) {
        MakeEntryFolders(entry->relativePath, stagingFolder);
        int linked = 0;
        if (StageInstalledFile(target, staged, &linked)) {
            if (MoveFileExA(temp, target, MOVEFILE_REPLACE_EXISTING))
                return success;
            // The installed file is unchanged, and its staged copy stays as
            // it would after any failed replace. A link would name that very
            // file, and a rollback copying it back over itself would empty it:
            // make it a real copy.
            if (linked) {
                DeleteFileA(staged);
                CopyFileA(target, staged, FALSE);
            }
        }
    }
    DeleteFileA(temp);
    return ReplaceFailed;
}

static int AskOverwrite(HWND owner, const char* target) {
    char text[310 + 2 + MAX_PATH], caption[50];
    text[0] = caption[0] = 0;
    LoadText(IDS_ASK_OVERWRITE, text, 310);
    lstrcatA(text, "\r\n");
    lstrcatA(text, target);
    LoadText(IDS_CAPTION, caption, sizeof caption);
    return MessageBoxA(owner, text, caption, MB_YESNO | MB_ICONWARNING) == IDYES;
}

static int ApplyAttached(PatchCursor* cursor, const PatchEntryHeader* entry, const char* target,
                         const char* staged, const char* stagingFolder, HWND owner) {
    const uint8_t* bytes;
    uint32_t size;
    if (ReadAttachedBody(cursor, &bytes, &size) != PatchOk)
        return DataError;
    if (CrcOfBytes(bytes, size) != entry->newCrc)
        return AttachedCrcError;

    HANDLE file =
        CreateFileA(target, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        int written = WriteToFile(&file, bytes, size);
        SetEntryTimes(file, entry);
        CloseHandle(file);
        if (written)
            return AttachedAdded;
        // A part of a new file is no file: take it away again.
        DeleteFileA(target);
        return ReplaceFailed;
    }

    // Taken to exist, whatever the reason the new file could not be made.
    if (!Silence && !AskOverwrite(owner, target))
        return AttachedSkipped;
    char temp[MAX_PATH];
    if (!ReserveTempFile(temp))
        return ReplaceFailed;
    file = CreateFileA(temp, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileA(temp);
        return ReplaceFailed;
    }
    int written = WriteToFile(&file, bytes, size);
    FinishTempFile(file, entry);
    if (!written) {
        DeleteFileA(temp);
        return ReplaceFailed;
    }
    return StageAndReplace(temp, target, staged, entry, stagingFolder, AttachedOverwritten);
}

// Brings the cursor past a body that is not applied.
static int SkipWith(PatchCursor* cursor, int result) {
    return SkipEntryBody(cursor) == PatchOk ? result : DataError;
}

static int ApplyPatched(PatchCursor* cursor, const PatchEntryHeader* entry, const char* target,
                        const char* staged, const char* stagingFolder) {
    // Cleared for good, whatever the outcome: the file must open for writing.
    SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(target, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return SkipWith(cursor,
                        GetLastError() == ERROR_FILE_NOT_FOUND ? OriginalMissing : AccessDenied);
    uint32_t crc = FileCrcOfHandle(file);
    if (crc != entry->oldCrc) {
        CloseHandle(file);
        return SkipWith(cursor, crc == entry->newCrc ? AlreadyUpdated : OriginalCrcError);
    }

    // The copy ops read the old file through one view; an empty file has none.
    DWORD sizeHigh = 0;
    DWORD size = GetFileSize(file, &sizeHigh);
    HANDLE mapping = NULL;
    const uint8_t* old = NULL;
    if (size > 0 && sizeHigh == 0) {
        mapping = CreateFileMappingA(file, NULL, PAGE_READONLY, 0, 0, NULL);
        if (mapping)
            old = static_cast<const uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, size));
    }
    if ((size > 0 || sizeHigh > 0) && !old) {
        if (mapping)
            CloseHandle(mapping);
        CloseHandle(file);
        return SkipWith(cursor, AccessDenied);
    }

    char temp[MAX_PATH];
    HANDLE out = INVALID_HANDLE_VALUE;
    if (ReserveTempFile(temp))
        out = CreateFileA(temp, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    int ops = RunPatchOps(cursor, old, size, WriteToFile, &out);
    if (old)
        UnmapViewOfFile(old);
    if (mapping)
        CloseHandle(mapping);
    CloseHandle(file);
    if (out != INVALID_HANDLE_VALUE)
        FinishTempFile(out, entry);

    int result = FileUpdated;
    if (ops == PatchDataError)
        result = DataError;
    else if (ops != PatchOk || out == INVALID_HANDLE_VALUE || FileCrcOfPath(temp) != entry->newCrc)
        result = UpdatedCrcError;
    if (result != FileUpdated) {
        if (temp[0])
            DeleteFileA(temp);
        return result;
    }
    return StageAndReplace(temp, target, staged, entry, stagingFolder, FileUpdated);
}

static int ApplyEntry(PatchCursor* cursor, const char* stagingFolder, HWND owner) {
    PatchEntryHeader entry;
    if (ReadEntryHeader(cursor, &entry) != PatchOk)
        return DataError;
    if (RunStatusWindow)
        SetWindowTextA(RunStatusWindow, entry.relativePath);
    // Refused before anything is made on disk: a path that would leave the
    // destination folder, or one too long for the buffers of the run.
    char target[MAX_PATH], staged[MAX_PATH];
    if (!IsContainedRelativePath(entry.relativePath) ||
        !JoinPath(target, RunDestination, entry.relativePath))
        return DataError;
    // No staged copy can be made when it would not fit; such a file is then
    // not replaced (ReplaceFailed) rather than replaced without a way back.
    if (!stagingFolder || !JoinPath(staged, stagingFolder, entry.relativePath))
        staged[0] = 0;
    MakeEntryFolders(entry.relativePath, RunDestination);
    if (PeekBodyKind(cursor) == BodyAttached)
        return ApplyAttached(cursor, &entry, target, staged, stagingFolder, owner);
    return ApplyPatched(cursor, &entry, target, staged, stagingFolder);
}

int ApplyPatchEntry(PatchCursor* cursor, const char* stagingFolder, HWND owner) {
    int result = ApplyEntry(cursor, stagingFolder, owner);
    ResultSummary |= static_cast<unsigned int>(result);
    return result;
}
