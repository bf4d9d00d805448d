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
    const uint8_t* pos;  // the next byte to read
    const uint8_t* end;  // one past the last byte of the mapped data
};
