// The builder's package writer: archives, streams, records and whole
// packages, read back with the portable reader the applier uses.
#include <gtest/gtest.h>
#include "package/package_format.h"
#include "package_faults.h"
#include "package_writer.h"

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

using namespace package_faults;
namespace fs = std::filesystem;

namespace {

PackageBytes Text(const std::string& text) {
    return PackageBytes(text.begin(), text.end());
}

// A folder of its own under the temporary folder, removed at the end.
struct TempFolder : ::testing::Test {
    fs::path root;
    void SetUp() override {
        std::random_device random;
        root = fs::temp_directory_path() / ("tarvelion-pkg-" + std::to_string(random()));
        fs::create_directories(root);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    void Put(const fs::path& path, const PackageBytes& bytes) {
        WriteFileBytes(path.string(), bytes);
    }
};

TEST(MakeAttachmentArchive, LaysOutNameZeroSizeAndContent) {
    PackageBytes archive = MakeAttachmentArchive({{"A.txt", Text("xyz")}, {"B", {}}});
    PackageBytes expected = {'A', '.', 't', 'x', 't', 0, 3, 0, 0, 0,
                             'x', 'y', 'z', 'B', 0,   0, 0, 0, 0};
    EXPECT_EQ(archive, expected);
    EXPECT_TRUE(MakeAttachmentArchive({}).empty());
}

TEST(MakeAttachmentArchive, RefusesNamesTheApplierWouldNotWrite) {
    const char* refused[] = {"", "..", "sub\\x.txt", "sub/x.txt", "C:x", "NUL", "a?", "a."};
    for (const char* name : refused)
        EXPECT_THROW(MakeAttachmentArchive({{name, Text("x")}}), std::runtime_error) << name;
    // A zero inside the name would end it early in the archive.
    EXPECT_THROW(MakeAttachmentArchive({{std::string("a\0b", 3), Text("x")}}), std::runtime_error);
    // Two entries for one Windows file: the second would silently win.
    EXPECT_THROW(MakeAttachmentArchive({{"Readme.txt", Text("1")}, {"README.TXT", Text("2")}}),
                 std::runtime_error);
}

TEST(CompressStream, UsesTheRequestedBlockSizeAndRoundTrips) {
    PackageBytes data;
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i) // incompressible: the worst case room is needed
        data.push_back(static_cast<uint8_t>(random()));
    for (int blockSize : {1, 9}) {
        PackageBytes stream = CompressStream(data, blockSize);
        ASSERT_GE(stream.size(), 4u);
        EXPECT_EQ(stream[3], '0' + blockSize);
        PackageBytes archive = MakeAttachmentArchive({{"Patch.dat", data}});
        PackageBytes package =
            PackageOfRecords(MakeArchiveRecord(archive), MakeArchiveRecord(archive));
        std::vector<AttachmentFile> files = UnpackStream(package, 2);
        ASSERT_EQ(files.size(), 1u);
        EXPECT_EQ(files[0].content, data);
    }
    EXPECT_THROW(CompressStream(data, 10), std::runtime_error);
    // An empty folder packs to an empty archive, which must still compress.
    PackageBytes empty = CompressStream({});
    EXPECT_EQ(HasStreamSignature(empty.data(), empty.size()), 1);
    EXPECT_TRUE(UnpackStream(PackageOfArchives({}, {}), 1).empty());
}

TEST(MakePackageRecord, CountsUAndTheStreamInR) {
    PackageBytes record = MakePackageRecord({'B', 'Z', 'h', '9', 'q'}, 0x01020304);
    PackageBytes expected = {9, 0, 0, 0, 4, 3, 2, 1, 'B', 'Z', 'h', '9', 'q'};
    EXPECT_EQ(record, expected);
}

TEST(MakePackage, RefusesAnApplierOfTheWrongSizeOrKind) {
    PackageContents contents = SampleContents();
    PackageBytes shorter(PackageOffset - 1, 0), longer = StandInApplier(), notExe(PackageOffset, 0);
    shorter[0] = 'M', shorter[1] = 'Z';
    longer.push_back(0);
    for (const PackageBytes* applier : {&shorter, &longer, &notExe})
        EXPECT_THROW(MakePackage(*applier, contents.files, contents.patchData), std::runtime_error);
    try {
        MakePackage(longer, contents.files, contents.patchData);
    } catch (const std::runtime_error& e) {
        // The publisher must learn why, not only that.
        EXPECT_NE(std::string(e.what()).find(std::to_string(PackageOffset)), std::string::npos)
            << e.what();
    }
}

TEST(MakePackage, KeepsTheApplierAndCarriesBothStreams) {
    PackageContents contents = SampleContents();
    PackageBytes applier = StandInApplier();
    applier[100] = 0x42;
    PackageBytes package = MakePackage(applier, contents.files, contents.patchData);
    ASSERT_GT(package.size(), applier.size());
    EXPECT_TRUE(std::equal(applier.begin(), applier.end(), package.begin()));

    std::vector<AttachmentFile> one = UnpackStream(package, 1);
    ASSERT_EQ(one.size(), contents.files.size());
    for (size_t i = 0; i < one.size(); ++i) {
        EXPECT_EQ(one[i].name, contents.files[i].name);
        EXPECT_EQ(one[i].content, contents.files[i].content);
    }
    std::vector<AttachmentFile> two = UnpackStream(package, 2);
    ASSERT_EQ(two.size(), 1u);
    EXPECT_EQ(two[0].name, "Patch.dat");
    EXPECT_EQ(two[0].content, contents.patchData);

    // Nothing follows record 2: the package ends where its R says.
    PackageRecord record2{};
    ASSERT_EQ(LocatePackageRecord(package.data(), package.size(), PackageOffset, 2, &record2),
              RecordFound);
    EXPECT_EQ(record2.offset + 4 + record2.recordSize, package.size());
}

TEST(DamagedPackage, EveryFaultIsRefusedByTheReaderExceptTrailingBytes) {
    PackageContents contents = SampleContents();
    struct Case {
        Fault fault;
        int record;
        bool stream1Good, stream2Good;
    } cases[] = {
        {Fault::ChangedBlockByte, 1, false, true}, {Fault::ChangedBlockByte, 2, true, false},
        {Fault::SmallerU, 1, false, true},         {Fault::SmallerU, 2, true, false},
        {Fault::LargerU, 1, true, true},           {Fault::LargerU, 2, true, true},
        {Fault::CutRecord, 1, false, false},       {Fault::CutRecord, 2, true, false},
        {Fault::BlockSize1, 1, false, true},       {Fault::BlockSize1, 2, true, false},
        {Fault::RecordPastEnd, 1, false, false},   {Fault::RecordPastEnd, 2, true, false},
        {Fault::NoPackage, 1, false, false},       {Fault::TrailingBytes, 2, true, true},
    };
    for (const Case& c : cases) {
        PackageBytes bad = DamagedPackage(contents, c.fault, c.record);
        bool good[2] = {c.stream1Good, c.stream2Good};
        for (int n = 1; n <= 2; ++n) {
            if (good[n - 1])
                EXPECT_NO_THROW(UnpackStream(bad, n)) << FaultName(c.fault) << c.record << n;
            else
                EXPECT_THROW(UnpackStream(bad, n), std::runtime_error)
                    << FaultName(c.fault) << c.record << n;
        }
    }
}

TEST_F(TempFolder, ReadPackageFolderTakesTheRegularFilesDirectlyInIt) {
    Put(root / "Update.ini", Text("[App]"));
    Put(root / "Package.bmp", PackageBytes{'B', 'M', 0, 1});
    Put(root / "Empty.txt", {});
    fs::create_directories(root / "sub");
    Put(root / "sub" / "Nested.txt", Text("not packed"));
    std::vector<AttachmentFile> files = ReadPackageFolder(root.string());
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].name, "Empty.txt");
    EXPECT_TRUE(files[0].content.empty());
    EXPECT_EQ(files[1].name, "Package.bmp");
    EXPECT_EQ(files[1].content, (PackageBytes{'B', 'M', 0, 1}));
    EXPECT_EQ(files[2].name, "Update.ini");
    EXPECT_THROW(ReadPackageFolder((root / "missing").string()), std::runtime_error);
}

TEST_F(TempFolder, WritePackageWritesTheWholePackageOrNothing) {
    PackageContents contents = SampleContents();
    fs::path applier = root / "applier.exe", out = root / "out.exe";
    Put(applier, StandInApplier());
    Put(out, Text("an older package"));
    WritePackage(applier.string(), contents.files, contents.patchData, out.string());
    EXPECT_EQ(ReadFileBytes(out.string()), GoodPackage(contents));
    EXPECT_FALSE(fs::exists(out.string() + ".part"));

    // A refused applier leaves the earlier output as it was.
    PackageBytes before = ReadFileBytes(out.string());
    Put(applier, Text("MZ too short"));
    EXPECT_THROW(WritePackage(applier.string(), contents.files, contents.patchData, out.string()),
                 std::runtime_error);
    EXPECT_EQ(ReadFileBytes(out.string()), before);
    // Writing over the applier itself would destroy the input.
    Put(applier, StandInApplier());
    EXPECT_THROW(
        WritePackage(applier.string(), contents.files, contents.patchData, applier.string()),
        std::runtime_error);
    EXPECT_EQ(ReadFileBytes(applier.string()), StandInApplier());
}

} // namespace
