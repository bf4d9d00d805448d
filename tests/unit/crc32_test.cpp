#include <gtest/gtest.h>
#include "patch/crc32.h"

#include "diff_data.h"

#include <cstring>
#include <random>
#include <vector>

namespace {

using diff_data::RandomBytes;

struct CrcTableReady : ::testing::Test {
    void SetUp() override { BuildCrcTable(); }
};

// The definition itself, bit by bit, with no table: what every path must match.
uint32_t BitwiseCrc(const uint8_t* bytes, size_t size) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; i++) {
        c ^= static_cast<uint32_t>(bytes[i]) << 24;
        for (int bit = 0; bit < 8; bit++)
            c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : c << 1;
    }
    return ~c;
}

TEST_F(CrcTableReady, TableEntriesAreThePublishedOnes) {
    EXPECT_EQ(CrcTable[0], 0x00000000u);
    EXPECT_EQ(CrcTable[1], 0x04C11DB7u);
    EXPECT_EQ(CrcTable[255], 0xB1F740B4u);
}

TEST_F(CrcTableReady, CheckValueOfTheStandardTextOnEveryPath) {
    const uint8_t* text = reinterpret_cast<const uint8_t*>("123456789");
    EXPECT_EQ(CrcOfBytes(text, 9), 0xFC891918u);
    EXPECT_EQ(~CrcUpdateByteLoop(0xFFFFFFFFu, text, 9), 0xFC891918u);
    EXPECT_EQ(~CrcUpdateSliced(0xFFFFFFFFu, text, 9), 0xFC891918u);
    EXPECT_EQ(BitwiseCrc(text, 9), 0xFC891918u);
}

TEST_F(CrcTableReady, EmptyRangeIsZero) {
    EXPECT_EQ(CrcOfBytes(nullptr, 0), 0u);
}

// Lengths around every boundary of the paths: the 8-byte slices, the 16-byte
// blocks and 64-byte rounds of folding, and the length where folding starts.
std::vector<size_t> InterestingLengths() {
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 300; n++)
        lengths.push_back(n);
    for (size_t n :
         {319u, 320u, 321u, 511u, 512u, 513u, 1000u, 1023u, 4095u, 4097u, 65537u, 1048576u + 13u})
        lengths.push_back(n);
    return lengths;
}

TEST_F(CrcTableReady, EveryPathGivesTheSameChecksumAtEveryLengthAndAlignment) {
    const std::vector<uint8_t> data = RandomBytes(1048576 + 13 + 16, 1);
    for (size_t length : InterestingLengths()) {
        for (size_t start : {0u, 1u, 3u, 7u, 13u}) {
            const uint8_t* p = data.data() + start;
            const uint32_t expected = BitwiseCrc(p, length);
            SCOPED_TRACE(::testing::Message() << "length " << length << " start " << start);
            EXPECT_EQ(~CrcUpdateByteLoop(0xFFFFFFFFu, p, length), expected);
            EXPECT_EQ(~CrcUpdateSliced(0xFFFFFFFFu, p, length), expected);
            EXPECT_EQ(~CrcUpdateFolded(0xFFFFFFFFu, p, length), expected);
            EXPECT_EQ(CrcOfBytes(p, length), expected);
            if (length > 4096)
                break; // the bitwise reference is slow; one start is enough
        }
    }
}

// A register that is not the initial value must be carried into the first
// block of the fold, not just the bytes.
TEST_F(CrcTableReady, ChunkedUpdatesEqualOneCall) {
    const std::vector<uint8_t> data = RandomBytes(200000, 2);
    const uint32_t whole = CrcOfBytes(data.data(), data.size());
    for (size_t chunk : {1u, 7u, 64u, 255u, 256u, 1000u, 4099u, 65536u}) {
        SCOPED_TRACE(::testing::Message() << "chunk " << chunk);
        uint32_t folded = 0xFFFFFFFFu, sliced = 0xFFFFFFFFu;
        for (size_t at = 0; at < data.size(); at += chunk) {
            size_t n = std::min(chunk, data.size() - at);
            folded = CrcUpdateFolded(folded, data.data() + at, n);
            sliced = CrcUpdateSliced(sliced, data.data() + at, n);
        }
        EXPECT_EQ(~folded, whole);
        EXPECT_EQ(~sliced, whole);
    }
}

// Long runs of one value stress the fold constants differently from noise:
// zeros leave only the register's own contribution, 0xFF sets every bit.
TEST_F(CrcTableReady, UniformBuffersMatchTheReference) {
    for (uint8_t value : {0x00, 0xFF, 0x80}) {
        std::vector<uint8_t> data(70000, value);
        SCOPED_TRACE(::testing::Message() << "value " << int(value));
        EXPECT_EQ(CrcOfBytes(data.data(), data.size()), BitwiseCrc(data.data(), data.size()));
    }
}

TEST_F(CrcTableReady, FoldingIsUsedWhereTheProcessorHasIt) {
    if (!CrcFoldingAvailable())
        GTEST_SKIP() << "this processor has no carry-less multiplication";
    // A fault in the fold constants shows up here even if it were somehow
    // masked above: one flipped bit deep in a long range must change the sum.
    std::vector<uint8_t> data = RandomBytes(100000, 3);
    const uint32_t before = CrcUpdateFolded(0xFFFFFFFFu, data.data(), data.size());
    data[5000] ^= 0x10;
    const uint32_t after = CrcUpdateFolded(0xFFFFFFFFu, data.data(), data.size());
    EXPECT_NE(before, after);
    EXPECT_EQ(~after, BitwiseCrc(data.data(), data.size()));
}

} // namespace
