#include "patch/crc32.h"

uint32_t CrcTable[256];

void BuildCrcTable(void) {
    for (uint32_t i = 0; i < 256; i++) {
        uint32_t r = i << 24;
        for (int bit = 0; bit < 8; bit++)
            r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
        CrcTable[i] = r;
    }
}

uint32_t CrcUpdate(uint32_t c, const uint8_t* bytes, size_t size) {
    for (size_t i = 0; i < size; i++)
        c = (c << 8) ^ CrcTable[(c >> 24) ^ bytes[i]];
    return c;
}
