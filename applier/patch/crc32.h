// CRC-32/BZIP2: polynomial 0x04C11DB7, most significant bit first, initial
// value 0xFFFFFFFF, final inversion. The same CRC that bzip2 uses for its
// blocks; the package maker stores it for every file in the patch data.
// Portable: the applier, the builder and the fuzzers share this code.
//
// Three ways to run the same CRC, all giving identical results:
//   byte loop      one table lookup per byte, one byte at a time
//   slicing-by-8   eight bytes per step, still one lookup per byte, in eight
//                  tables derived from CrcTable
//   folding        carry-less multiplication (PCLMULQDQ) folds 64 bytes per
//                  step; only on processors that have it, for long ranges
// CrcUpdate picks the fastest one that applies.
#pragma once
#include <stddef.h>
#include <stdint.h>

extern uint32_t CrcTable[256];

// Fills CrcTable and the derived tables and checks the processor for
// folding; called once at start-up before any checksum is computed.
void BuildCrcTable(void);
// Continues a running checksum c (start with 0xFFFFFFFF) over size bytes.
uint32_t CrcUpdate(uint32_t c, const uint8_t* bytes, size_t size);
// The checksum of a whole byte range (0 for an empty range).
inline uint32_t CrcOfBytes(const uint8_t* bytes, size_t size) {
    return ~CrcUpdate(0xFFFFFFFFu, bytes, size);
}

// The single paths, for tests and benchmarks; CrcUpdate chooses among them.
uint32_t CrcUpdateByteLoop(uint32_t c, const uint8_t* bytes, size_t size);
uint32_t CrcUpdateSliced(uint32_t c, const uint8_t* bytes, size_t size);
// 1 when the processor can fold (PCLMULQDQ and SSE4.1), else 0.
int CrcFoldingAvailable(void);
// Folds when the processor can and the range is long enough, else slices.
uint32_t CrcUpdateFolded(uint32_t c, const uint8_t* bytes, size_t size);
