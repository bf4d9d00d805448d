#include "patch/crc32.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#define CRC_CAN_FOLD 1
#else
#define CRC_CAN_FOLD 0
#endif

uint32_t CrcTable[256];

namespace {

// CrcSlices[k][i]: the CRC register after byte value i is followed by k zero
// bytes, so that eight bytes can be combined at once. CrcSlices[0] is a copy
// of CrcTable, kept beside the others so that one step touches one array.
uint32_t CrcSlices[8][256];
int FoldingUsable;

// Below this length the set-up and the final 16-byte table pass of folding
// cost more than they save.
const size_t FoldMinimum = 256;

inline uint32_t LoadBigEndian32(const uint8_t* p) {
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | (uint32_t)p[3];
}

#if CRC_CAN_FOLD

// x^n mod P for the non-reflected polynomial: the folding constants. Bit i of
// the result is the coefficient of x^i, the same order as in the register.
constexpr uint32_t XPowerModP(unsigned n) {
    uint32_t r = 1; // x^0
    for (unsigned i = 0; i < n; i++)
        r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
    return r;
}

// A 16-byte block is held as one 128-bit polynomial, the first byte's top bit
// the highest coefficient (x^127), hence the byte reversal of every load.
// Moving a block D bits further towards the end of the message multiplies it
// by x^D; with the block split into high and low halves, H*x^64 + L, that is
// H*(x^(D+64) mod P) + L*(x^D mod P): two 64x32-bit carry-less products of
// under 96 bits, congruent modulo P, which is all the CRC needs.
const uint32_t Fold512Low = XPowerModP(512);
const uint32_t Fold512High = XPowerModP(576);
const uint32_t Fold128Low = XPowerModP(128);
const uint32_t Fold128High = XPowerModP(192);

__attribute__((target("pclmul,sse4.1"))) inline __m128i Reversed(const __m128i v) {
    const __m128i order = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    return _mm_shuffle_epi8(v, order);
}

__attribute__((target("pclmul,sse4.1"))) inline __m128i LoadBlock(const uint8_t* p) {
    return Reversed(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// x * x^D mod P (congruent, not reduced), with D given by its two constants.
__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold(const __m128i x, const __m128i k) {
    return _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11));
}

// Windows promises 32-bit threads only a 4-byte aligned stack; spilled
// 128-bit registers need 16, so the routine aligns its own frame.
__attribute__((target("pclmul,sse4.1"), force_align_arg_pointer)) uint32_t
FoldRange(uint32_t c, const uint8_t* p, size_t size) {
    const __m128i k512 = _mm_set_epi32(0, (int)Fold512High, 0, (int)Fold512Low);
    const __m128i k128 = _mm_set_epi32(0, (int)Fold128High, 0, (int)Fold128Low);

    // The running register joins the message as its first four bytes: XOR it
    // into the top 32 bits of the first block.
    __m128i x0 = _mm_xor_si128(LoadBlock(p), _mm_set_epi32((int)c, 0, 0, 0));
    __m128i x1 = LoadBlock(p + 16);
    __m128i x2 = LoadBlock(p + 32);
    __m128i x3 = LoadBlock(p + 48);
    p += 64;
    size -= 64;

    // Four independent lanes keep the multiplier busy while earlier products
    // are still in flight.
    while (size >= 64) {
        x0 = _mm_xor_si128(Fold(x0, k512), LoadBlock(p));
        x1 = _mm_xor_si128(Fold(x1, k512), LoadBlock(p + 16));
        x2 = _mm_xor_si128(Fold(x2, k512), LoadBlock(p + 32));
        x3 = _mm_xor_si128(Fold(x3, k512), LoadBlock(p + 48));
        p += 64;
        size -= 64;
    }
    __m128i x = _mm_xor_si128(Fold(x0, k128), x1);
    x = _mm_xor_si128(Fold(x, k128), x2);
    x = _mm_xor_si128(Fold(x, k128), x3);
    while (size >= 16) {
        x = _mm_xor_si128(Fold(x, k128), LoadBlock(p));
        p += 16;
        size -= 16;
    }

    // What remains is a 16-byte message whose CRC from a zero register equals
    // the CRC of everything folded so far; the tables finish it, and the tail.
    uint8_t last[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(last), Reversed(x));
    c = CrcUpdateSliced(0, last, 16);
    return CrcUpdateSliced(c, p, size);
}

int ProcessorCanFold(void) {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return 0;
    return (ecx & bit_PCLMUL) && (ecx & bit_SSE4_1);
}

#else

uint32_t FoldRange(uint32_t c, const uint8_t* p, size_t size) {
    return CrcUpdateSliced(c, p, size);
}
int ProcessorCanFold(void) {
    return 0;
}

#endif

} // namespace

void BuildCrcTable(void) {
    for (uint32_t i = 0; i < 256; i++) {
        uint32_t r = i << 24;
        for (int bit = 0; bit < 8; bit++)
            r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
        CrcTable[i] = r;
    }
    for (int i = 0; i < 256; i++)
        CrcSlices[0][i] = CrcTable[i];
    for (int k = 1; k < 8; k++)
        for (int i = 0; i < 256; i++) {
            uint32_t r = CrcSlices[k - 1][i];
            CrcSlices[k][i] = (r << 8) ^ CrcTable[r >> 24];
        }
    FoldingUsable = ProcessorCanFold();
}

uint32_t CrcUpdateByteLoop(uint32_t c, const uint8_t* bytes, size_t size) {
    for (size_t i = 0; i < size; i++)
        c = (c << 8) ^ CrcTable[(c >> 24) ^ bytes[i]];
    return c;
}

uint32_t CrcUpdateSliced(uint32_t c, const uint8_t* bytes, size_t size) {
    while (size >= 8) {
        c ^= LoadBigEndian32(bytes);
        c = CrcSlices[7][c >> 24] ^ CrcSlices[6][(c >> 16) & 0xFF] ^ CrcSlices[5][(c >> 8) & 0xFF] ^
            CrcSlices[4][c & 0xFF] ^ CrcSlices[3][bytes[4]] ^ CrcSlices[2][bytes[5]] ^
            CrcSlices[1][bytes[6]] ^ CrcSlices[0][bytes[7]];
        bytes += 8;
        size -= 8;
    }
    return CrcUpdateByteLoop(c, bytes, size);
}

int CrcFoldingAvailable(void) {
    return FoldingUsable;
}

uint32_t CrcUpdateFolded(uint32_t c, const uint8_t* bytes, size_t size) {
    if (FoldingUsable && size >= FoldMinimum)
        return FoldRange(c, bytes, size);
    return CrcUpdateSliced(c, bytes, size);
}

uint32_t CrcUpdate(uint32_t c, const uint8_t* bytes, size_t size) {
    return CrcUpdateFolded(c, bytes, size);
}
