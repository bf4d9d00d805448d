#include "package/package_format.h"

#include <stdlib.h>
#include <string.h>

int LocatePackageRecord(const uint8_t* file, size_t fileSize, size_t packageOffset, int recordIndex,
                        PackageRecord* record) {
    if (recordIndex < 1)
        return RecordBadIndex;
    if (file == NULL || fileSize <= packageOffset)
        return RecordNoPackage;
    // 64-bit positions: R may be up to 4 GiB, so position + 4 + R must not
    // wrap around on a 32-bit size_t.
    uint64_t position = packageOffset;
    for (int n = 1;; ++n) {
        // A record that is skipped needs only its R field; the wanted one
        // needs U as well, which R >= 4 puts inside the file.
        if (position + RecordSizeFieldBytes > fileSize)
            return RecordHeaderCut;
        uint32_t r = ReadU32LE(file + position);
        if (position + RecordSizeFieldBytes + r > fileSize)
            return RecordPastEnd;
        if (n == recordIndex) {
            if (r < RecordHeaderBytes - RecordSizeFieldBytes)
                return RecordTooSmall;
            record->offset = (size_t)position;
            record->recordSize = r;
            record->uncompressedSize = ReadU32LE(file + position + RecordSizeFieldBytes);
            record->stream = file + position + RecordHeaderBytes;
            record->streamSize = r - (RecordHeaderBytes - RecordSizeFieldBytes);
            return RecordFound;
        }
        position += RecordSizeFieldBytes + (uint64_t)r;
    }
}

int HasStreamSignature(const uint8_t* stream, size_t size) {
    if (stream == NULL || size < StreamSignatureBytes)
        return 0;
    return stream[0] == 'B' && stream[1] == 'Z' && stream[2] == 'h' && stream[3] == '9';
}

int NextArchiveEntry(const uint8_t* archive, size_t size, size_t* position, ArchiveEntry* entry) {
    size_t at = *position;
    if (archive == NULL || at >= size || archive[at] == 0)
        return ArchiveEnd;
    const uint8_t* zero = (const uint8_t*)memchr(archive + at, 0, size - at);
    if (zero == NULL)
        return ArchiveNameUnterminated;
    size_t nameLength = (size_t)(zero - (archive + at));
    size_t sizeField = at + nameLength + 1;
    if (size - sizeField < ArchiveSizeFieldBytes)
        return ArchiveSizeCut;
    uint32_t contentSize = ReadU32LE(archive + sizeField);
    size_t content = sizeField + ArchiveSizeFieldBytes;
    if (contentSize > size - content)
        return ArchiveContentCut;
    entry->name = (const char*)(archive + at);
    entry->nameLength = nameLength;
    entry->content = archive + content;
    entry->size = contentSize;
    *position = content + contentSize;
    return ArchiveEntryRead;
}

namespace {

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

// Windows opens these devices under any extension ("NUL.txt" is NUL), and
// blanks before the extension do not help either ("CON .txt").
int IsDeviceName(const char* name) {
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    size_t base = 0;
    while (name[base] != 0 && name[base] != '.')
        ++base;
    while (base > 0 && name[base - 1] == ' ')
        --base;
    char upper[8];
    if (base >= sizeof upper)
        return 0;
    for (size_t i = 0; i < base; ++i)
        upper[i] = UpperAscii(name[i]);
    upper[base] = 0;
    for (const char* device : devices)
        if (strcmp(upper, device) == 0)
            return 1;
    return base == 4 && (memcmp(upper, "COM", 3) == 0 || memcmp(upper, "LPT", 3) == 0) &&
           upper[3] >= '1' && upper[3] <= '9';
}

} // namespace

int IsPlainFileName(const char* name) {
    if (name == NULL || name[0] == 0)
        return 0;
    size_t length = strlen(name);
    if (length >= 260)
        return 0;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = (unsigned char)name[i];
        if (c < 32 || strchr("\\/:<>\"|?*", c) != NULL)
            return 0;
    }
    // Covers "." and ".." as well.
    if (name[length - 1] == '.' || name[length - 1] == ' ')
        return 0;
    return !IsDeviceName(name);
}

#ifdef _WIN32
// The Windows bzip2 is built without stdio, and then calls this on a failed
// internal assertion; there is nothing sensible to go on with.
extern "C" void bz_internal_error(int) {
    abort();
}
#endif
