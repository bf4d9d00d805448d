#include "package/extract_stream.h"

#include "package/package_format.h"

#include <windows.h>
#include <bzlib.h>

void WriteAttachments(const unsigned char* archive, size_t size) {
    size_t position = 0;
    ArchiveEntry entry;
    while (NextArchiveEntry(archive, size, &position, &entry) == ArchiveEntryRead) {
        if (!IsPlainFileName(entry.name))
            continue;
        // A file that cannot be made or written is passed over: the files
        // that matter are checked by the Parts that read them.
        HANDLE file = CreateFileA(entry.name, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        if (file == INVALID_HANDLE_VALUE)
            continue;
        DWORD written = 0;
        WriteFile(file, entry.content, entry.size, &written, NULL);
        CloseHandle(file);
    }
}

// Decompresses the located record whole, and only then writes its files, so
// that a stream failing its checksums leaves nothing behind.
static int DecompressAndWrite(const PackageRecord* record) {
    if (!HasStreamSignature(record->stream, record->streamSize))
        return 0;
    // U + 1 must not wrap around: a U of 0xFFFFFFFF asks for more than a
    // 32-bit process can have anyway.
    if (record->uncompressedSize >= (size_t)-1)
        return 0;
    size_t room = (size_t)record->uncompressedSize + 1;
    unsigned char* buffer = (unsigned char*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, room);
    if (buffer == NULL)
        return 0;
    unsigned int produced = record->uncompressedSize;
    int status = BZ2_bzBuffToBuffDecompress((char*)buffer, &produced, (char*)record->stream,
                                            record->streamSize, 0, 0);
    int result = 0;
    if (status == BZ_OK) {
        // Only the bytes the stream produced are archive: an entry that runs
        // into the zero fill behind them is cut off, not a file of zeros.
        WriteAttachments(buffer, produced);
        result = 1;
    }
    HeapFree(GetProcessHeap(), 0, buffer);
    return result;
}

int ExtractStreamFromFile(const char* path, int streamIndex) {
    int result = 0;
    HANDLE mapping = NULL;
    const unsigned char* view = NULL;
    LARGE_INTEGER fileSize;
    PackageRecord record;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    // An empty file cannot be mapped, and one of 4 GiB or more not as a whole
    // in a 32-bit process; neither holds a package the extractor can read.
    if (!GetFileSizeEx(file, &fileSize) || fileSize.QuadPart == 0 ||
        (ULONGLONG)fileSize.QuadPart > (ULONGLONG)(size_t)-1)
        goto done;
    mapping = CreateFileMappingA(file, NULL, PAGE_READONLY, 0, 0, NULL);
    if (mapping == NULL)
        goto done;
    view = (const unsigned char*)MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (view == NULL)
        goto done;
    if (LocatePackageRecord(view, (size_t)fileSize.QuadPart, PackageOffset, streamIndex, &record) !=
        RecordFound)
        goto done;
    result = DecompressAndWrite(&record);
done:
    if (view != NULL)
        UnmapViewOfFile(view);
    if (mapping != NULL)
        CloseHandle(mapping);
    CloseHandle(file);
    return result;
}

int ExtractStream(int streamIndex) {
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, program, MAX_PATH);
    // A full room means the name was cut off: it would open another file.
    if (length == 0 || length >= MAX_PATH)
        return 0;
    return ExtractStreamFromFile(program, streamIndex);
}
