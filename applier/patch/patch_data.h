// The patch data, Patch.dat: a count and the patch entries back to back.
//
//   +0   u32  entry count (only the low 16 bits count)
//   +4   entries:
//        +0  u32 old checksum      +4  u32 new checksum
//        +8  u64 creation time     +16 u64 last-write time   (FILETIMEs)
//        +24 relative path, zero-terminated, "\dir\file"
//        body: 3, u32 size, bytes                       (attached file)
//           or ops: 1 u32 len u32 off (copy) | 2 u32 len bytes (insert) | 0 (end)
//
// All integers little-endian, unaligned. Portable: no Windows header, so the
// applier, the builder and the fuzzers run the same reader. The reader never
// leaves [pos, end): a field that would run past the end is a data error.
#pragma once
#include <stddef.h>
#include <stdint.h>

struct PatchCursor {
    const uint8_t* pos; // the next byte to read
    const uint8_t* end; // one past the last byte of the mapped data
};

struct PatchEntryHeader {
    uint32_t oldCrc;
    uint32_t newCrc;
    uint64_t creationTime;    // FILETIME, low half first in the data
    uint64_t lastWriteTime;   // FILETIME
    const char* relativePath; // inside the data, zero-terminated
    size_t pathLength;        // without the zero
};

enum { PatchEntryHeaderSize = 24, BodyAttached = 3, OpEnd = 0, OpCopy = 1, OpInsert = 2 };

// Results of the reading operations.
enum PatchReadResult {
    PatchDataError = 0, // invalid op byte, or a field or range past the data or the old file
    PatchOk = 1,
    PatchWriteFailed = 2 // the ops were valid and walked, but a write failed
};

// Writes size bytes to the file being rebuilt; 1 when all were written, 0 otherwise.
typedef int (*PatchWriter)(void* context, const uint8_t* bytes, uint32_t size);

// Reads the count's low 16 bits and moves pos past it. PatchDataError when
// fewer than 4 bytes are there.
int ReadPatchCount(PatchCursor* cursor, unsigned* count);
// Reads the entry header field by field and the relative path; pos then
// stands at the body's first byte. PatchDataError when the header or the
// path's zero byte lies past the end.
int ReadEntryHeader(PatchCursor* cursor, PatchEntryHeader* header);
// The body's first byte (BodyAttached or the first op byte) without moving;
// -1 when no byte is left.
int PeekBodyKind(const PatchCursor* cursor);
// An attached body: its size and bytes (inside the data); pos moves past the
// bytes. PatchDataError when the size or the bytes run past the end.
int ReadAttachedBody(PatchCursor* cursor, const uint8_t** bytes, uint32_t* size);
// Carries out a patch body's ops over old[0, oldSize), one write per op, and
// moves pos past the end byte. A copy op outside the old file, a length past
// the data or an op byte other than 0, 1 and 2 gives PatchDataError at once
// (nothing more is read or written). After a failed write nothing more is
// written, but the ops are still walked: PatchWriteFailed.
int RunPatchOps(PatchCursor* cursor, const uint8_t* old, uint32_t oldSize, PatchWriter write,
                void* context);
// Walks past the body (either kind) without applying it; insert bytes are
// passed over by their length.
int SkipEntryBody(PatchCursor* cursor);

// 1 when the relative path stays inside the folder it is joined to: at most
// one leading backslash, no ':', no empty component and no component made
// only of dots and blanks ("..", "."), with '/' taken as a separator too.
int IsContainedRelativePath(const char* path);
