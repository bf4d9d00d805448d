// The extractor on real package files: each test unpacks into a fresh
// workspace folder made the current directory, and then compares what the
// folder holds with what must be there, byte for byte.
#include <gtest/gtest.h>
#include <windows.h>

#include "package/extract_stream.h"
#include "package/package_format.h"
#include "package_faults.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

using namespace package_faults;
namespace fs = std::filesystem;

namespace {

using FileMap = std::map<std::string, PackageBytes>;

PackageBytes Text(const std::string& text) {
    return PackageBytes(text.begin(), text.end());
}

FileMap AsMap(const std::vector<AttachmentFile>& files) {
    FileMap map;
    for (const AttachmentFile& file : files)
        map[file.name] = file.content;
    return map;
}

struct Extract : ::testing::Test {
    fs::path root, workspace, packages;
    char previous[MAX_PATH] = {};
    int packageNumber = 0;

    void SetUp() override {
        char temp[MAX_PATH], unique[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        ASSERT_NE(GetTempFileNameA(temp, "pkt", 0, unique), 0u);
        DeleteFileA(unique);
        root = unique;
        workspace = root / "workspace";
        packages = root / "packages";
        fs::create_directories(workspace);
        fs::create_directories(packages);
        GetCurrentDirectoryA(MAX_PATH, previous);
        ASSERT_TRUE(SetCurrentDirectoryA(workspace.string().c_str()));
    }
    void TearDown() override {
        SetCurrentDirectoryA(previous);
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    FileMap WorkspaceFiles() const {
        FileMap files;
        for (const fs::directory_entry& entry : fs::directory_iterator(workspace)) {
            if (!entry.is_regular_file())
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            files[entry.path().filename().string()] =
                PackageBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        return files;
    }
    void EmptyWorkspace() {
        for (const fs::directory_entry& entry : fs::directory_iterator(workspace))
            fs::remove_all(entry.path());
    }
    // Puts package into a file of its own beside the workspace and unpacks
    // stream from it.
    int ExtractFrom(const PackageBytes& package, int stream) {
        fs::path path = packages / ("package" + std::to_string(++packageNumber) + ".exe");
        WritePackageFile(path.string(), package);
        return ExtractStreamFromFile(path.string().c_str(), stream);
    }
};

TEST_F(Extract, GoodPackageGivesExactlyTheFilesOfEachStream) {
    PackageContents contents = SampleContents();
    PackageBytes package = GoodPackage(contents);
    EXPECT_EQ(ExtractFrom(package, 1), 1);
    EXPECT_EQ(WorkspaceFiles(), AsMap(contents.files));
    EmptyWorkspace();
    EXPECT_EQ(ExtractFrom(package, 2), 1);
    EXPECT_EQ(WorkspaceFiles(), (FileMap{{"Patch.dat", contents.patchData}}));
}

TEST_F(Extract, DamagedPackagesWriteNothingOrExactlyTheirGoodStream) {
    const PackageContents contents = SampleContents();
    const FileMap streamFiles[2] = {AsMap(contents.files), {{"Patch.dat", contents.patchData}}};
    struct Case {
        Fault fault;
        int record;
        int stream;
        int expected; // 1: exactly that stream's files; 0: no file at all
    } cases[] = {
        {Fault::ChangedBlockByte, 1, 1, 0}, {Fault::ChangedBlockByte, 1, 2, 1},
        {Fault::ChangedBlockByte, 2, 2, 0}, {Fault::LargerU, 1, 1, 1},
        {Fault::LargerU, 2, 2, 1},          {Fault::SmallerU, 1, 1, 0},
        {Fault::SmallerU, 2, 2, 0},         {Fault::SmallerU, 2, 1, 1},
        {Fault::CutRecord, 1, 1, 0},        {Fault::CutRecord, 1, 2, 0},
        {Fault::CutRecord, 2, 1, 1},        {Fault::CutRecord, 2, 2, 0},
        {Fault::BlockSize1, 1, 1, 0},       {Fault::BlockSize1, 2, 2, 0},
        {Fault::RecordPastEnd, 1, 1, 0},    {Fault::RecordPastEnd, 1, 2, 0},
        {Fault::RecordPastEnd, 2, 2, 0},    {Fault::NoPackage, 1, 1, 0},
        {Fault::NoPackage, 1, 2, 0},        {Fault::TrailingBytes, 2, 1, 1},
        {Fault::TrailingBytes, 2, 2, 1},
    };
    for (const Case& c : cases) {
        EmptyWorkspace();
        int result = ExtractFrom(DamagedPackage(contents, c.fault, c.record), c.stream);
        const char* fault = FaultName(c.fault);
        EXPECT_EQ(result, c.expected)
            << fault << " in record " << c.record << ", stream " << c.stream;
        EXPECT_EQ(WorkspaceFiles(), c.expected ? streamFiles[c.stream - 1] : FileMap{})
            << fault << " in record " << c.record << ", stream " << c.stream;
    }
}

TEST_F(Extract, ArchivesWithoutEntriesSucceedAndWriteNothing) {
    const PackageBytes zeroFirst = {0, 'U', 'p', 'd', 'a', 't', 'e', 0, 1, 0, 0, 0, 'x'};
    for (const PackageBytes& archive : {zeroFirst, PackageBytes{}}) {
        EmptyWorkspace();
        EXPECT_EQ(ExtractFrom(PackageOfArchives(archive, archive), 1), 1) << archive.size();
        EXPECT_EQ(WorkspaceFiles(), FileMap{}) << archive.size();
    }
}

TEST_F(Extract, NamesOutsideTheWorkspaceAreNotWrittenTheOthersAre) {
    PackageBytes archive;
    AppendArchiveEntry(archive, "Good.txt", Text("good"));
    for (const char* bad : {"..\\Escape.txt", "../Escape2.txt", "sub\\In.txt", "Good.txt:hidden",
                            "..", "NUL", "a?.txt", "Trailing."})
        AppendArchiveEntry(archive, bad, Text("bad"));
    AppendArchiveEntry(archive, "Last.txt", Text("last"));
    EXPECT_EQ(ExtractFrom(PackageOfArchives(archive, archive), 1), 1);
    EXPECT_EQ(WorkspaceFiles(), (FileMap{{"Good.txt", Text("good")}, {"Last.txt", Text("last")}}));
    EXPECT_FALSE(fs::exists(root / "Escape.txt"));
    EXPECT_FALSE(fs::exists(root / "Escape2.txt"));
    EXPECT_FALSE(fs::exists(workspace / "sub"));
}

// The bytes behind what the stream produced are zero fill, not archive: an
// entry that reaches into them ends the walk instead of becoming a file of
// zeros, and the entries before it stay.
TEST_F(Extract, EntryCutOffByTheEndOfTheStreamEndsTheWalk) {
    PackageBytes archive;
    AppendArchiveEntry(archive, "A.txt", Text("aa"));
    PackageBytes cut = archive;
    AppendArchiveEntry(cut, "B.txt", PackageBytes(100, 'b'));
    cut.resize(archive.size() + 6 + 4 + 2); // B.txt keeps only 2 of its 100 bytes
    PackageBytes record1 =
        MakePackageRecord(CompressStream(cut), static_cast<uint32_t>(cut.size() + 200));
    EXPECT_EQ(ExtractFrom(PackageOfRecords(record1, MakeArchiveRecord(cut)), 1), 1);
    EXPECT_EQ(WorkspaceFiles(), (FileMap{{"A.txt", Text("aa")}}));
}

TEST_F(Extract, ExistingFilesAreReplacedAndUnwritableOnesPassedOver) {
    PackageContents contents = SampleContents();
    std::ofstream(workspace / "Update.ini", std::ios::binary) << std::string(5000, 'o');
    std::ofstream(workspace / "Other.txt", std::ios::binary) << "kept";
    fs::create_directories(workspace / "License.txt"); // a folder: no file can be made there
    EXPECT_EQ(ExtractFrom(GoodPackage(contents), 1), 1);
    FileMap expected = AsMap(contents.files);
    expected.erase("License.txt");
    expected["Other.txt"] = Text("kept");
    EXPECT_EQ(WorkspaceFiles(), expected);
}

TEST_F(Extract, Stream2SkipsRecord1ByItsSizeAlone) {
    PackageContents contents = SampleContents();
    // Record 1: a valid R around bytes that are no bzip2 stream at all.
    PackageBytes junk = {0xFF, 0xFF, 0xFF, 0xFF, 'n', 'o', 't', ' ', 'b', 'z', 'i', 'p'};
    PackageBytes record1 = MakePackageRecord(junk, 0xFFFFFFFFu);
    PackageBytes record2 =
        MakeArchiveRecord(MakeAttachmentArchive({{"Patch.dat", contents.patchData}}));
    PackageBytes package = PackageOfRecords(record1, record2);
    EXPECT_EQ(ExtractFrom(package, 2), 1);
    EXPECT_EQ(WorkspaceFiles(), (FileMap{{"Patch.dat", contents.patchData}}));
    EmptyWorkspace();
    EXPECT_EQ(ExtractFrom(package, 1), 0);
    EXPECT_EQ(WorkspaceFiles(), FileMap{});
}

// U + 1 of 0xFFFFFFFF wraps to 0 in a 32-bit process: the extractor must not
// allocate that and let bzip2 write 4 GiB into it.
TEST_F(Extract, SizesNoBufferCanHoldAreRefused) {
    PackageContents contents = SampleContents();
    PackageBytes archive = MakeAttachmentArchive(contents.files);
    PackageBytes huge = MakePackageRecord(CompressStream(archive), 0xFFFFFFFFu);
    EXPECT_EQ(ExtractFrom(PackageOfRecords(huge, huge), 1), 0);
    EXPECT_EQ(WorkspaceFiles(), FileMap{});
}

TEST_F(Extract, FilesThatHoldNoPackageGiveZero) {
    std::string missing = (packages / "missing.exe").string();
    EXPECT_EQ(ExtractStreamFromFile(missing.c_str(), 1), 0);
    std::ofstream(packages / "empty.exe", std::ios::binary).flush();
    EXPECT_EQ(ExtractStreamFromFile((packages / "empty.exe").string().c_str(), 1), 0);
    EXPECT_EQ(ExtractStreamFromFile(packages.string().c_str(), 1), 0);
    // The applier as built carries no package: the file ends at the offset.
    EXPECT_EQ(ExtractStreamFromFile(APPLIER_EXE_WINDOWS, 1), 0);
    EXPECT_EQ(ExtractStreamFromFile(APPLIER_EXE_WINDOWS, 2), 0);
    PackageBytes package = GoodPackage(SampleContents());
    EXPECT_EQ(ExtractFrom(package, 0), 0);
    EXPECT_EQ(ExtractFrom(package, 3), 0);
    EXPECT_EQ(WorkspaceFiles(), FileMap{});
}

// The real applier exe with a package the builder library appended, as a
// publisher ships it.
TEST_F(Extract, PackageOnTheShippedApplierRoundTrips) {
    PackageContents contents = SampleContents();
    std::string out = (packages / "Update.exe").string();
    WritePackage(APPLIER_EXE_WINDOWS, contents.files, contents.patchData, out);
    EXPECT_EQ(ExtractStreamFromFile(out.c_str(), 1), 1);
    EXPECT_EQ(ExtractStreamFromFile(out.c_str(), 2), 1);
    FileMap expected = AsMap(contents.files);
    expected["Patch.dat"] = contents.patchData;
    EXPECT_EQ(WorkspaceFiles(), expected);
}

} // namespace
