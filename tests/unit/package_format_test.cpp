// The portable package checks: locating records, the stream signature, the
// archive walk and the plain-name rule, on good, damaged and cut-off bytes.
#include <gtest/gtest.h>
#include "package/package_format.h"
#include "package_faults.h"

#include <cstring>
#include <string>
#include <vector>

using namespace package_faults;

namespace {

// Little packages built by hand, at a small offset, for the length checks.
const size_t SmallOffset = 16;

PackageBytes Prefix() {
    return PackageBytes(SmallOffset, 'p');
}

void PutU32(PackageBytes& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// The prefix, then for each R the field and R bytes behind it (the last one
// may be given fewer bytes than it claims by cutTail).
PackageBytes Records(const std::vector<uint32_t>& sizes, size_t cutTail = 0) {
    PackageBytes bytes = Prefix();
    for (uint32_t r : sizes) {
        PutU32(bytes, r);
        bytes.insert(bytes.end(), r, 'x');
    }
    bytes.resize(bytes.size() - cutTail);
    return bytes;
}

// The prefix, the given u32 fields and extra filler bytes: for R fields that
// claim far more than is there.
PackageBytes Fields(const std::vector<uint32_t>& fields, size_t extra) {
    PackageBytes bytes = Prefix();
    for (uint32_t field : fields)
        PutU32(bytes, field);
    bytes.insert(bytes.end(), extra, 'x');
    return bytes;
}

int Locate(const PackageBytes& bytes, int index, PackageRecord* record = nullptr) {
    PackageRecord scratch{};
    return LocatePackageRecord(bytes.data(), bytes.size(), SmallOffset, index,
                               record ? record : &scratch);
}

TEST(LocatePackageRecord, HandMadeLayoutsAreCheckedAgainstTheBytesThere) {
    struct Case {
        const char* what;
        PackageBytes bytes;
        int index;
        int expected;
    } cases[] = {
        {"file shorter than the offset", PackageBytes(SmallOffset - 1, 'p'), 1, RecordNoPackage},
        {"file ends at the offset", Prefix(), 1, RecordNoPackage},
        {"three bytes of R", Records({8}, 8 + 1), 1, RecordHeaderCut},
        {"R of 0 covers no U", Records({0}), 1, RecordTooSmall},
        {"R of 3 covers part of U", Records({3}), 1, RecordTooSmall},
        {"R of 4: U and an empty stream", Records({4}), 1, RecordFound},
        {"R one past the end", Records({20}, 1), 1, RecordPastEnd},
        {"R of 0xFFFFFFFF", Fields({0xFFFFFFFFu, 0}, 10), 1, RecordPastEnd},
        {"record 2 missing after record 1", Records({12}), 2, RecordHeaderCut},
        {"record 2 cut inside its R", Records({12, 8}, 8 + 2), 2, RecordHeaderCut},
        {"record 2 past the end", Records({12, 30}, 5), 2, RecordPastEnd},
        {"record 1 past the end hides record 2", Fields({0xFFFFFFF0u, 0}, 20), 2, RecordPastEnd},
        {"record 2 found behind record 1", Records({12, 9}), 2, RecordFound},
        {"record 1 of R 0 is skipped by R alone", Records({0, 9}), 2, RecordFound},
        {"index 0", Records({12, 9}), 0, RecordBadIndex},
        {"negative index", Records({12, 9}), -1, RecordBadIndex},
        {"index past the last record", Records({12, 9}), 3, RecordHeaderCut},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Locate(c.bytes, c.index), c.expected) << c.what;
}

TEST(LocatePackageRecord, FillsTheRecordFromItsFields) {
    PackageBytes bytes = Prefix();
    PutU32(bytes, 12);         // record 1: R
    PutU32(bytes, 0x11223344); // U
    bytes.insert(bytes.end(), {'B', 'Z', 'h', '9', 1, 2, 3, 4});
    PutU32(bytes, 5); // record 2: R
    PutU32(bytes, 77);
    bytes.push_back('s');
    bytes.insert(bytes.end(), {'t', 'a', 'i', 'l'}); // trailing bytes change nothing

    PackageRecord one{}, two{};
    ASSERT_EQ(Locate(bytes, 1, &one), RecordFound);
    EXPECT_EQ(one.offset, SmallOffset);
    EXPECT_EQ(one.recordSize, 12u);
    EXPECT_EQ(one.uncompressedSize, 0x11223344u);
    EXPECT_EQ(one.stream, bytes.data() + SmallOffset + 8);
    EXPECT_EQ(one.streamSize, 8u);
    ASSERT_EQ(Locate(bytes, 2, &two), RecordFound);
    EXPECT_EQ(two.offset, SmallOffset + 4 + 12);
    EXPECT_EQ(two.uncompressedSize, 77u);
    EXPECT_EQ(two.streamSize, 1u);
    EXPECT_EQ(two.stream[0], 's');
}

// The faults of the shared test library, seen by the locate step alone:
// only a fault in the R fields or the file length stops it.
TEST(LocatePackageRecord, BuilderPackagesAndTheirFaults) {
    const PackageContents contents = SampleContents();
    const PackageBytes good = GoodPackage(contents);
    PackageRecord goodRecords[2]{};
    for (int n = 1; n <= 2; ++n)
        ASSERT_EQ(
            LocatePackageRecord(good.data(), good.size(), PackageOffset, n, &goodRecords[n - 1]),
            RecordFound);
    EXPECT_EQ(goodRecords[1].offset, PackageOffset + 4 + goodRecords[0].recordSize);
    EXPECT_EQ(goodRecords[1].offset + 4 + goodRecords[1].recordSize, good.size());

    struct Case {
        Fault fault;
        int record;
        int expected1, expected2;
    } cases[] = {
        {Fault::NoPackage, 1, RecordNoPackage, RecordNoPackage},
        {Fault::CutRecord, 1, RecordPastEnd, RecordPastEnd},
        {Fault::CutRecord, 2, RecordFound, RecordPastEnd},
        {Fault::RecordPastEnd, 1, RecordPastEnd, RecordPastEnd},
        {Fault::RecordPastEnd, 2, RecordFound, RecordPastEnd},
        {Fault::TrailingBytes, 2, RecordFound, RecordFound},
        {Fault::ChangedBlockByte, 1, RecordFound, RecordFound},
        {Fault::SmallerU, 2, RecordFound, RecordFound},
    };
    for (const Case& c : cases) {
        PackageBytes bad = DamagedPackage(contents, c.fault, c.record);
        int expected[2] = {c.expected1, c.expected2};
        for (int n = 1; n <= 2; ++n) {
            PackageRecord record{};
            EXPECT_EQ(LocatePackageRecord(bad.data(), bad.size(), PackageOffset, n, &record),
                      expected[n - 1])
                << FaultName(c.fault) << " in record " << c.record << ", locating " << n;
        }
    }

    // Trailing bytes leave both records exactly where and what they were.
    PackageBytes signed_ = DamagedPackage(contents, Fault::TrailingBytes, 2);
    for (int n = 1; n <= 2; ++n) {
        PackageRecord record{};
        ASSERT_EQ(LocatePackageRecord(signed_.data(), signed_.size(), PackageOffset, n, &record),
                  RecordFound);
        EXPECT_EQ(record.offset, goodRecords[n - 1].offset);
        EXPECT_EQ(record.streamSize, goodRecords[n - 1].streamSize);
        EXPECT_EQ(0, std::memcmp(record.stream, goodRecords[n - 1].stream, record.streamSize));
    }
}

TEST(HasStreamSignature, OnlyBZh9AtTheStartCounts) {
    struct Case {
        const char* bytes;
        size_t size;
        int expected;
    } cases[] = {
        {"BZh9", 4, 1}, {"BZh91AY&SY", 10, 1}, {"BZh1", 4, 0}, {"BZh8", 4, 0}, {"AZh9", 4, 0},
        {"BYh9", 4, 0}, {"BZi9", 4, 0},        {"bzh9", 4, 0}, {"BZh9", 3, 0}, {"", 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HasStreamSignature(reinterpret_cast<const uint8_t*>(c.bytes), c.size), c.expected)
            << c.bytes << " of " << c.size;
    EXPECT_EQ(HasStreamSignature(nullptr, 4), 0);
    // A stream the builder makes with its default block size passes.
    PackageBytes stream = CompressStream(PackageBytes(100, 'a'));
    EXPECT_EQ(HasStreamSignature(stream.data(), stream.size()), 1);
    stream = CompressStream(PackageBytes(100, 'a'), 1);
    EXPECT_EQ(HasStreamSignature(stream.data(), stream.size()), 0);
}

struct WalkResult {
    std::vector<std::string> names;
    std::vector<std::string> contents;
    int lastStep;
    size_t position;
};

WalkResult Walk(const std::string& archive) {
    WalkResult result{};
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(archive.data());
    ArchiveEntry entry{};
    while ((result.lastStep = NextArchiveEntry(bytes, archive.size(), &result.position, &entry)) ==
           ArchiveEntryRead) {
        result.names.emplace_back(entry.name, entry.nameLength);
        EXPECT_EQ(std::strlen(entry.name), entry.nameLength);
        result.contents.emplace_back(reinterpret_cast<const char*>(entry.content), entry.size);
    }
    return result;
}

std::string Entry(const std::string& name, uint32_t size, const std::string& content) {
    std::string bytes = name;
    bytes.push_back('\0');
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>(size >> (8 * i)));
    return bytes + content;
}

std::string Entry(const std::string& name, const std::string& content) {
    return Entry(name, static_cast<uint32_t>(content.size()), content);
}

TEST(NextArchiveEntry, WalksGoodArchivesAndStopsAtBrokenEntries) {
    const std::string two =
        Entry("Update.ini", "[App]") + Entry("Patch.dat", std::string("\0\1", 2));
    struct Case {
        const char* what;
        std::string archive;
        std::vector<std::string> names;
        int lastStep;
        size_t stopPosition; // where the walk stands after its last entry
    } cases[] = {
        {"no bytes", "", {}, ArchiveEnd, 0},
        {"first byte zero", std::string("\0Update.ini", 11), {}, ArchiveEnd, 0},
        {"two entries up to the end", two, {"Update.ini", "Patch.dat"}, ArchiveEnd, two.size()},
        {"zero fill ends the walk",
         two + std::string(50, '\0'),
         {"Update.ini", "Patch.dat"},
         ArchiveEnd,
         two.size()},
        {"empty content", Entry("Empty.txt", ""), {"Empty.txt"}, ArchiveEnd, 14},
        {"name without its zero", "Update.ini", {}, ArchiveNameUnterminated, 0},
        {"no size field", std::string("a\0", 2), {}, ArchiveSizeCut, 0},
        {"three bytes of size", std::string("a\0\1\0\0", 5), {}, ArchiveSizeCut, 0},
        {"content one byte short", Entry("a", 5, "1234"), {}, ArchiveContentCut, 0},
        {"size of 0xFFFFFFFF", Entry("a", 0xFFFFFFFFu, "1234"), {}, ArchiveContentCut, 0},
        {"good entry, then a cut one",
         Entry("A.txt", "aa") + Entry("B.txt", 100, "bb"),
         {"A.txt"},
         ArchiveContentCut,
         12},
        {"good entry, then a name to the end",
         Entry("A.txt", "aa") + "B.txt",
         {"A.txt"},
         ArchiveNameUnterminated,
         12},
    };
    for (const Case& c : cases) {
        WalkResult walked = Walk(c.archive);
        EXPECT_EQ(walked.names, c.names) << c.what;
        EXPECT_EQ(walked.lastStep, c.lastStep) << c.what;
        EXPECT_EQ(walked.position, c.stopPosition) << c.what;
    }
    WalkResult walked = Walk(two);
    ASSERT_EQ(walked.contents.size(), 2u);
    EXPECT_EQ(walked.contents[0], "[App]");
    EXPECT_EQ(walked.contents[1], std::string("\0\1", 2));
}

TEST(NextArchiveEntry, ReadsTheArchivesTheBuilderMakes) {
    PackageContents contents = SampleContents();
    PackageBytes archive = MakeAttachmentArchive(contents.files);
    std::string bytes(archive.begin(), archive.end());
    WalkResult walked = Walk(bytes);
    EXPECT_EQ(walked.lastStep, ArchiveEnd);
    ASSERT_EQ(walked.names.size(), contents.files.size());
    for (size_t i = 0; i < contents.files.size(); ++i) {
        EXPECT_EQ(walked.names[i], contents.files[i].name);
        EXPECT_EQ(walked.contents[i],
                  std::string(contents.files[i].content.begin(), contents.files[i].content.end()));
    }
}

TEST(IsPlainFileName, AcceptsOnlyNamesThatStayInTheWorkspace) {
    const std::string longest(259, 'n'), tooLong(260, 'n');
    struct Case {
        std::string name;
        int expected;
    } cases[] = {
        {"Update.ini", 1},  {"a", 1},
        {"Read me.txt", 1}, {"x.y.z", 1},
        {".hidden", 1},     {"\xE9t\xE9.txt", 1},
        {"CONFIG.SYS", 1},  {"COM0", 1},
        {"COM10", 1},       {"LPT", 1},
        {"NULL.txt", 1},    {"Console.ini", 1},
        {longest, 1},       {"", 0},
        {".", 0},           {"..", 0},
        {"...", 0},         {"..\\x", 0},
        {"a\\b", 0},        {"a/b", 0},
        {"/etc", 0},        {"C:x", 0},
        {"x:stream", 0},    {"a<b", 0},
        {"a>b", 0},         {"a\"b", 0},
        {"a|b", 0},         {"a?", 0},
        {"a*", 0},          {"a\tb", 0},
        {"\x1f", 0},        {"a.", 0},
        {"a ", 0},          {"CON", 0},
        {"con", 0},         {"Con.txt", 0},
        {"NUL", 0},         {"aux.ini", 0},
        {"PRN", 0},         {"COM1", 0},
        {"lpt9.txt", 0},    {"CON .txt", 0},
        {"CONIN$", 0},      {"conout$.log", 0},
        {tooLong, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsPlainFileName(c.name.c_str()), c.expected) << "'" << c.name << "'";
    EXPECT_EQ(IsPlainFileName(nullptr), 0);
}

} // namespace
