#include "patch/file_crc.h"

#include "patch/crc32.h"

// The file is walked in views of at most this size (a multiple of the 64 KiB
// allocation granularity): a 32-bit process seldom has one free range for a
// large file, and a file of 4 GiB or more is checksummed whole.
static const DWORD CrcViewBytes = 16u << 20;

uint32_t FileCrcOfHandle(HANDLE file) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0)
        return 0;
    // A mapping never moves the handle's file position.
    HANDLE mapping = CreateFileMappingA(file, NULL, PAGE_READONLY, 0, 0, NULL);
    if (!mapping)
        return 0;
    uint32_t c = 0xFFFFFFFFu;
    ULONGLONG done = 0, total = static_cast<ULONGLONG>(size.QuadPart);
    int complete = 1;
    while (done < total) {
        DWORD length =
            total - done < CrcViewBytes ? static_cast<DWORD>(total - done) : CrcViewBytes;
        const uint8_t* view = static_cast<const uint8_t*>(
            MapViewOfFile(mapping, FILE_MAP_READ, static_cast<DWORD>(done >> 32),
                          static_cast<DWORD>(done), length));
        if (!view) {
            // Never read through a missing view; 0 as for a file that cannot be opened.
            complete = 0;
            break;
        }
        c = CrcUpdate(c, view, length);
        UnmapViewOfFile(view);
        done += length;
    }
    CloseHandle(mapping);
    return complete ? ~c : 0;
}

uint32_t FileCrcOfPath(const char* path) {
    HANDLE file =
        CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    uint32_t crc = FileCrcOfHandle(file);
    CloseHandle(file);
    return crc;
}
