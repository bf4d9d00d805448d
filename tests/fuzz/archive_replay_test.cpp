// Runs the fuzz target's body without a fuzzer: on the saved corpus (inputs
// that once found a fault stay there) and on good and damaged packages made
// by the test library, at package offset 0. Built with the address and
// undefined-behaviour sanitizers where the compiler has them, so a read past
// the end fails here too.
#include <gtest/gtest.h>
#include "archive_fuzz.h"
#include "package/package_format.h"
#include "package_faults.h"

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace package_faults;
namespace fs = std::filesystem;

namespace {

// A test package with the applier prefix cut away: the package at offset 0.
PackageBytes WithoutApplier(const PackageBytes& package) {
    size_t prefix = std::min(package.size(), static_cast<size_t>(PackageOffset));
    return PackageBytes(package.begin() + static_cast<std::ptrdiff_t>(prefix), package.end());
}

int Fuzz(const PackageBytes& bytes) {
    return FuzzPackageBytes(bytes.data(), bytes.size());
}

TEST(ArchiveReplay, GoodPackagesYieldAllTheirEntries) {
    PackageContents contents = SampleContents();
    EXPECT_EQ(Fuzz(WithoutApplier(GoodPackage(contents))),
              static_cast<int>(contents.files.size()) + 1);
}

TEST(ArchiveReplay, DamagedPackagesYieldOnlyTheirGoodStream) {
    PackageContents contents = SampleContents();
    const int stream1 = static_cast<int>(contents.files.size()), stream2 = 1;
    struct Case {
        Fault fault;
        int record;
        int entries;
    } cases[] = {
        {Fault::ChangedBlockByte, 1, stream2},
        {Fault::ChangedBlockByte, 2, stream1},
        {Fault::SmallerU, 1, stream2},
        {Fault::LargerU, 2, stream1 + stream2},
        {Fault::CutRecord, 1, 0},
        {Fault::CutRecord, 2, stream1},
        {Fault::BlockSize1, 2, stream1},
        {Fault::RecordPastEnd, 1, 0},
        {Fault::RecordPastEnd, 2, stream1},
        {Fault::NoPackage, 1, 0},
        {Fault::TrailingBytes, 2, stream1 + stream2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Fuzz(WithoutApplier(DamagedPackage(contents, c.fault, c.record))), c.entries)
            << FaultName(c.fault) << " in record " << c.record;
}

// Every cut of a good package, byte by byte from the end: each must be
// handled without reading past it.
TEST(ArchiveReplay, EveryCutOfAPackageIsSafe) {
    PackageContents contents;
    contents.files = {{"Update.ini", {'[', 'A', ']'}}};
    contents.patchData = {1, 2, 3, 4, 5};
    PackageBytes package = WithoutApplier(GoodPackage(contents));
    const size_t record1End = 4 + ReadU32LE(package.data());
    for (size_t size = 0; size < package.size(); ++size) {
        PackageBytes cut(package.begin(), package.begin() + static_cast<std::ptrdiff_t>(size));
        cut.shrink_to_fit(); // the sanitizer then sees the end exactly
        // Once record 1 is whole its one file is read; record 2 never is.
        EXPECT_EQ(Fuzz(cut), size >= record1End ? 1 : 0) << size;
    }
    // The same for a plain archive, which the target also walks as it is.
    PackageBytes archive = MakeAttachmentArchive({{"A.txt", {'a', 'b'}}, {"B.txt", {'c'}}});
    for (size_t size = 0; size < archive.size(); ++size) {
        PackageBytes cut(archive.begin(), archive.begin() + static_cast<std::ptrdiff_t>(size));
        cut.shrink_to_fit();
        Fuzz(cut);
    }
}

TEST(ArchiveReplay, SavedCorpusRunsClean) {
    const fs::path corpus = ARCHIVE_CORPUS_DIR;
    ASSERT_TRUE(fs::is_directory(corpus)) << corpus;
    int replayed = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        PackageBytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        Fuzz(bytes);
        ++replayed;
    }
    EXPECT_GT(replayed, 0) << "the corpus folder is empty";
}

} // namespace
