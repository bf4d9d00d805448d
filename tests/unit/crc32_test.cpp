#include <gtest/gtest.h>
#include "patch/crc32.h"

#include <cstring>
#include <vector>

namespace {

struct CrcTableReady : ::testing::Test {
    void SetUp() override { BuildCrcTable(); }
};

TEST_F(CrcTableReady, TableEntriesAreThePublishedOnes) {
    EXPECT_EQ(CrcTable[0], 0x00000000u);
    EXPECT_EQ(CrcTable[1], 0x04C11DB7u);
    EXPECT_EQ(CrcTable[255], 0xB1F740B4u);
}

TEST_F(CrcTableReady, CheckValueOfTheStandardText) {
    const char* text = "123456789";
    EXPECT_EQ(CrcOfBytes(reinterpret_cast<const uint8_t*>(text), 9), 0xFC891918u);
}

TEST_F(CrcTableReady, EmptyRangeIsZero) { EXPECT_EQ(CrcOfBytes(nullptr, 0), 0u); }

}  // namespace
