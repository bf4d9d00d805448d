// CRC-32/BZIP2: polynomial 0x04C11DB7, most significant bit first, initial
// value 0xFFFFFFFF, final inversion. The same CRC that bzip2 uses for its
// blocks; the package maker stores it for every file in the patch data.
// Portable: the applier, the builder and the fuzzers share this code.
#pragma once
#include <stddef.h>
#include <stdint.h>

extern uint32_t CrcTable[256];

// Fills CrcTable; called once at start-up before any checksum is computed.
void BuildCrcTable(void);
// Continues a running checksum c (start with 0xFFFFFFFF) over size bytes.
uint32_t CrcUpdate(uint32_t c, const uint8_t* bytes, size_t size);
// The checksum of a whole byte range (0 for an empty range).
inline uint32_t CrcOfBytes(const uint8_t* bytes, size_t size) {
    return ~CrcUpdate(0xFFFFFFFFu, bytes, size);
}
