// The shipped applier exe: exactly as long as the package offset (the
// builder appends the package there) and a 32-bit x86 Windows GUI program
// whose sections all end before the package begins.
#include <gtest/gtest.h>

#include "package/package_format.h"

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <iterator>
#include <vector>

namespace {

std::vector<uint8_t> ReadApplier() {
    std::ifstream in(APPLIER_EXE_WINDOWS, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return U16(b, at) | (static_cast<uint32_t>(U16(b, at + 2)) << 16);
}

TEST(ShippedApplier, IsExactlyPackageOffsetBytes) {
    EXPECT_EQ(ReadApplier().size(), static_cast<size_t>(PackageOffset)) << APPLIER_EXE_WINDOWS;
}

TEST(ShippedApplier, IsA32BitGuiExeWhoseSectionsEndBeforeThePackage) {
    std::vector<uint8_t> exe = ReadApplier();
    ASSERT_GE(exe.size(), 0x40u);
    ASSERT_EQ(exe[0], 'M');
    ASSERT_EQ(exe[1], 'Z');
    const size_t pe = U32(exe, 0x3C);
    ASSERT_EQ(U32(exe, pe), 0x00004550u); // "PE\0\0"
    const size_t fileHeader = pe + 4;
    EXPECT_EQ(U16(exe, fileHeader), 0x014Cu); // IMAGE_FILE_MACHINE_I386
    const uint16_t sectionCount = U16(exe, fileHeader + 2);
    const uint16_t optionalSize = U16(exe, fileHeader + 16);
    const uint16_t characteristics = U16(exe, fileHeader + 18);
    EXPECT_TRUE(characteristics & 0x0002) << "not marked executable";
    EXPECT_FALSE(characteristics & 0x2000) << "marked as a DLL";
    const size_t optional = fileHeader + 20;
    EXPECT_EQ(U16(exe, optional), 0x010Bu); // PE32, not PE32+
    EXPECT_EQ(U16(exe, optional + 68), 2u); // IMAGE_SUBSYSTEM_WINDOWS_GUI
    // The loader maps only the sections; the padding and the package behind
    // them must not be part of any.
    const size_t sections = optional + optionalSize;
    ASSERT_GT(sectionCount, 0u);
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const size_t header = sections + 40u * i;
        const uint32_t rawSize = U32(exe, header + 16), rawOffset = U32(exe, header + 20);
        EXPECT_LE(static_cast<uint64_t>(rawOffset) + rawSize, static_cast<uint64_t>(PackageOffset))
            << "section " << i;
    }
}

// The manifest that the loader reads: resource type 24, number 1, asking for
// the version-6 common controls and for the highest available execution
// level, without which writes under Program Files would land in a per-user
// store while the update reports success.
TEST(ShippedApplier, CarriesItsManifest) {
    HMODULE exe = LoadLibraryExA(APPLIER_EXE_WINDOWS, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    HRSRC found = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, nullptr) << "no manifest resource";
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(exe, found)));
    const std::string manifest(bytes, SizeofResource(exe, found));
    FreeLibrary(exe);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("processorArchitecture=\"x86\""), std::string::npos);
    EXPECT_NE(manifest.find("level=\"highestAvailable\""), std::string::npos);
}

} // namespace
