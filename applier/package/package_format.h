// The package appended to the applier exe, and the attachment archive that
// each of its streams decompresses to.
//
//   file offset PackageOffset:
//     record 1: u32 R, u32 U, R-4 bytes of bzip2 stream ("BZh9...")
//     record 2: u32 R, u32 U, R-4 bytes of bzip2 stream
//     (anything after record 2, such as a signature, is ignored)
//   archive:  { name, 0, u32 S, S bytes }*  ended by a name that begins with 0
//             or by the end of the data
//
// R counts the bytes after the R field: 4 for U plus the stream's length.
// All integers little-endian. Portable: no Windows header, so the applier,
// the builder and the fuzzers run the same checks. Nothing here reads outside
// the byte range it is given, whatever the length fields say.
#pragma once
#include <stddef.h>
#include <stdint.h>

#ifndef TARVELION_PACKAGE_OFFSET
#define TARVELION_PACKAGE_OFFSET 35840
#endif
enum { PackageOffset = TARVELION_PACKAGE_OFFSET };
enum {
    RecordSizeFieldBytes = 4, // R
    RecordHeaderBytes = 8,    // R and U
    StreamSignatureBytes = 4, // "BZh9"
    ArchiveSizeFieldBytes = 4 // S
};

inline uint32_t ReadU32LE(const uint8_t* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

// One record as found in the file; stream and the sizes are valid only when
// LocatePackageRecord returned RecordFound.
struct PackageRecord {
    size_t offset;             // file offset of the record's R field
    uint32_t recordSize;       // R
    uint32_t uncompressedSize; // U
    const uint8_t* stream;     // the compressed stream, R - 4 bytes
    uint32_t streamSize;
};

// Why a record could not be located: every length is checked against the
// bytes that are really there before it is used.
enum RecordStatus {
    RecordFound = 1,
    RecordBadIndex = 0,   // the index is not 1 or more
    RecordNoPackage = -1, // the file ends at or before the package offset
    RecordHeaderCut = -2, // the file ends inside (or before) the R field of a record
    RecordTooSmall = -3,  // R is smaller than the U field it must cover
    RecordPastEnd = -4    // R (of this record or of one skipped) reaches past the end
};

// Finds record recordIndex (1 for stream 1, 2 for stream 2) of the package
// at packageOffset in file[0, fileSize). Records before it are skipped by
// their R field alone. Returns a RecordStatus; fills *record on RecordFound.
int LocatePackageRecord(const uint8_t* file, size_t fileSize, size_t packageOffset, int recordIndex,
                        PackageRecord* record);

// 1 when the stream begins with "BZh9" (bzip2 with 900 kB blocks), else 0;
// a stream shorter than the signature does not.
int HasStreamSignature(const uint8_t* stream, size_t size);

// One entry of an attachment archive; the pointers point into the archive.
struct ArchiveEntry {
    const char* name; // zero-terminated inside the archive
    size_t nameLength;
    const uint8_t* content;
    uint32_t size; // S
};

// The result of one step of the archive walk. A broken entry ends the walk:
// what follows it cannot be trusted to begin where the entry says, and the
// entry itself is never handed out, so no partial file is written.
enum ArchiveStep {
    ArchiveEntryRead = 1,
    ArchiveEnd = 0,               // a name that begins with zero, or no bytes left
    ArchiveNameUnterminated = -1, // no zero byte ends the name inside the data
    ArchiveSizeCut = -2,          // the S field runs past the end of the data
    ArchiveContentCut = -3        // the S content bytes run past the end of the data
};

// Reads the entry at *position of archive[0, size). On ArchiveEntryRead fills
// *entry and moves *position behind the entry; otherwise leaves both alone.
// Start with *position = 0 and stop at the first result that is not
// ArchiveEntryRead.
int NextArchiveEntry(const uint8_t* archive, size_t size, size_t* position, ArchiveEntry* entry);

// 1 when name may be created in the workspace as it stands, else 0. Never
// plain: empty, "." or "..", any '\\', '/' or ':' (a folder, a drive or an
// alternate stream: it would land outside the workspace or beside it), a
// control character or one of <>"|?* (no Windows file name holds one), a
// trailing dot or blank (Windows strips them, so the file would get another
// name than the one checked), a device name such as CON, NUL, COM1 or LPT1 with or without
// an extension (it opens the device, not a file), and a name of MAX_PATH
// (260) characters or more.
int IsPlainFileName(const char* name);
