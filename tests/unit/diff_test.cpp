#include <gtest/gtest.h>
#include "commands.h"
#include "diff_data.h"
#include "folder_diff.h"
#include "matcher.h"
#include "package_writer.h"
#include "patch/crc32.h"
#include "patch/patch_data.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;
using diff_data::EditedCopy;
using diff_data::MostFreshBytes;
using diff_data::RandomBytes;

Bytes Join(const Bytes& a, const Bytes& b) {
    Bytes out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

// Rebuilds the new file from the ops, checking every op against the rules a
// patch body must keep: copies inside the old file, nothing empty.
Bytes Rebuild(const std::vector<MatchOp>& ops, const Bytes& oldBytes, const Bytes& newBytes) {
    Bytes out;
    for (const MatchOp& op : ops) {
        EXPECT_GT(op.length, 0u);
        if (op.kind == MatchOp::Copy) {
            EXPECT_LE(uint64_t(op.offset) + op.length, oldBytes.size())
                << "copy leaves the old file";
            if (uint64_t(op.offset) + op.length > oldBytes.size())
                return out;
            out.insert(out.end(), oldBytes.begin() + op.offset,
                       oldBytes.begin() + op.offset + op.length);
        } else {
            EXPECT_LE(uint64_t(op.offset) + op.length, newBytes.size());
            if (uint64_t(op.offset) + op.length > newBytes.size())
                return out;
            out.insert(out.end(), newBytes.begin() + op.offset,
                       newBytes.begin() + op.offset + op.length);
        }
    }
    return out;
}

size_t InsertedBytes(const std::vector<MatchOp>& ops) {
    size_t n = 0;
    for (const MatchOp& op : ops)
        if (op.kind == MatchOp::Insert)
            n += op.length;
    return n;
}

struct MatchCase {
    const char* name;
    std::function<Bytes()> oldBytes;
    std::function<Bytes(const Bytes&)> newBytes;
    // The most literal bytes a matcher worth the name needs for this pair.
    std::function<size_t(const Bytes&, const Bytes&)> mostInserted;
};

Bytes Changed(Bytes b, size_t at, size_t count, uint32_t seed) {
    Bytes noise = RandomBytes(count, seed);
    for (size_t i = 0; i < count; i++)
        b[at + i] ^= noise[i] | 1; // every byte really differs
    return b;
}

const size_t Big = 70u << 20; // past 64 MiB

std::vector<MatchCase> MatchCases() {
    auto none = [](const Bytes&, const Bytes&) { return size_t(0); };
    auto all = [](const Bytes&, const Bytes& n) { return n.size(); };
    return {
        {"both empty", [] { return Bytes(); }, [](const Bytes&) { return Bytes(); }, none},
        {"old empty", [] { return Bytes(); }, [](const Bytes&) { return RandomBytes(100, 1); },
         all},
        {"new empty", [] { return RandomBytes(5000, 2); }, [](const Bytes&) { return Bytes(); },
         none},
        {"equal", [] { return RandomBytes(10000, 3); }, [](const Bytes& o) { return o; }, none},
        {"smaller than a block", [] { return RandomBytes(10, 4); },
         [](const Bytes& o) { return Join(o, o); }, all},
        {"appended", [] { return RandomBytes(10000, 5); },
         [](const Bytes& o) { return Join(o, RandomBytes(500, 6)); },
         [](const Bytes&, const Bytes&) { return size_t(500); }},
        {"prepended", [] { return RandomBytes(10000, 7); },
         [](const Bytes& o) { return Join(RandomBytes(500, 8), o); },
         [](const Bytes&, const Bytes&) { return size_t(500); }},
        {"changed middle", [] { return RandomBytes(100000, 9); },
         [](const Bytes& o) { return Changed(o, 50001, 100, 10); },
         [](const Bytes&, const Bytes&) { return size_t(100); }},
        {"totally different", [] { return RandomBytes(20000, 11); },
         [](const Bytes&) { return RandomBytes(30000, 12); }, all},
        {"halves swapped", [] { return RandomBytes(20000, 13); },
         [](const Bytes& o) {
             Bytes n(o.begin() + 10000, o.end());
             n.insert(n.end(), o.begin(), o.begin() + 10000);
             return n;
         },
         none},
        {"one value repeated", [] { return Bytes(1 << 20, 0); },
         [](const Bytes& o) { return Join(Join(Bytes(7, 1), o), Bytes(33, 0)); },
         [](const Bytes&, const Bytes&) { return size_t(7); }},
        {"large with scattered edits", [] { return RandomBytes(Big, 14); },
         [](const Bytes& o) { return EditedCopy(o, 2000, 300, 15); },
         // every edit costs its fresh bytes, under 300, and at most one block
         [](const Bytes&, const Bytes&) { return 2000 * (MostFreshBytes(300) + 64); }},
    };
}

TEST(Matcher, OpsRebuildTheNewBytesExactlyAndShareWhatTheOldHas) {
    for (const MatchCase& c : MatchCases()) {
        SCOPED_TRACE(c.name);
        const Bytes oldBytes = c.oldBytes();
        const Bytes newBytes = c.newBytes(oldBytes);
        const std::vector<MatchOp> ops =
            MatchFiles(oldBytes.data(), oldBytes.size(), newBytes.data(), newBytes.size());
        EXPECT_TRUE(Rebuild(ops, oldBytes, newBytes) == newBytes);
        EXPECT_LE(InsertedBytes(ops), c.mostInserted(oldBytes, newBytes));
        for (size_t i = 1; i < ops.size(); i++)
            EXPECT_FALSE(ops[i].kind == MatchOp::Insert && ops[i - 1].kind == MatchOp::Insert)
                << "two inserts in a row at op " << i;
    }
}

TEST(Matcher, BlockSizeKeepsTheIndexOfHugeFilesBounded) {
    EXPECT_EQ(MatchBlockSize(0), MatchBlockSize(1000));
    const size_t gib = size_t(1) << 30;
    for (size_t size : {size_t(1) << 20, size_t(256) << 20, gib, 4 * gib - 1}) {
        SCOPED_TRACE(size);
        EXPECT_LE(size / MatchBlockSize(size), size_t(1) << 23);
        EXPECT_GE(MatchBlockSize(size), MatchBlockSize(0));
        if (sizeof(size_t) < 8)
            break; // a 32-bit builder cannot hold 4 GiB anyway
    }
}

// --- the folder diff ---------------------------------------------------------

void WriteFile(const fs::path& path, const Bytes& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// Sets the last-write time of a file to a whole second after 1970.
void SetLastWrite(const fs::path& path, int64_t unixSeconds) {
#ifdef _WIN32
    HANDLE h = CreateFileW(path.wstring().c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const uint64_t t = UnixTimeToFileTime(unixSeconds, 0);
    FILETIME ft = {DWORD(t), DWORD(t >> 32)};
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
#else
    timespec times[2] = {{unixSeconds, 0}, {unixSeconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
#endif
}

struct ReadEntry {
    PatchEntryHeader header;
    bool attached;
    Bytes content; // attached bytes, or the rebuilt file
};

int CollectWrite(void* context, const uint8_t* bytes, uint32_t size) {
    static_cast<Bytes*>(context)->insert(static_cast<Bytes*>(context)->end(), bytes, bytes + size);
    return 1;
}

// The old folder's file that a relative path names, case aside, as on Windows.
fs::path OldFileOf(const std::string& relativePath, const fs::path& oldFolder) {
    auto lower = [](std::string t) {
        std::transform(t.begin(), t.end(), t.begin(), [](char c) { return char(std::tolower(c)); });
        return t;
    };
    for (const FolderFile& f : ListFolderFiles(oldFolder.string()))
        if (lower(f.relativePath) == lower(relativePath))
            return f.hostPath;
    ADD_FAILURE() << relativePath << " has no old file";
    return oldFolder / "missing";
}

// Walks the patch data with the applier's reader and rebuilds each patched
// file from the old folder's bytes, as the applier would.
std::vector<ReadEntry> ReadBack(const Bytes& data, const fs::path& oldFolder) {
    std::vector<ReadEntry> out;
    PatchCursor cursor = {data.data(), data.data() + data.size()};
    unsigned count = 0;
    EXPECT_EQ(ReadPatchCount(&cursor, &count), PatchOk);
    for (unsigned i = 0; i < count; i++) {
        ReadEntry e{};
        if (ReadEntryHeader(&cursor, &e.header) != PatchOk) {
            ADD_FAILURE() << "entry " << i << " has no header";
            return out;
        }
        e.attached = PeekBodyKind(&cursor) == BodyAttached;
        if (e.attached) {
            const uint8_t* bytes = nullptr;
            uint32_t size = 0;
            EXPECT_EQ(ReadAttachedBody(&cursor, &bytes, &size), PatchOk);
            e.content.assign(bytes, bytes + size);
        } else {
            const Bytes old = ReadFileBytes(OldFileOf(e.header.relativePath, oldFolder).string());
            EXPECT_EQ(CrcOfBytes(old.data(), old.size()), e.header.oldCrc);
            EXPECT_EQ(
                RunPatchOps(&cursor, old.data(), uint32_t(old.size()), CollectWrite, &e.content),
                PatchOk);
        }
        out.push_back(e);
    }
    EXPECT_EQ(cursor.pos, cursor.end) << "bytes after the last entry";
    return out;
}

struct FolderDiff : ::testing::Test {
    fs::path root;
    fs::path oldDir, newDir;

    void SetUp() override {
        BuildCrcTable();
        root = fs::temp_directory_path() /
               ("tarvelion-diff-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root);
        oldDir = root / "old";
        newDir = root / "new";
        fs::create_directories(oldDir);
        fs::create_directories(newDir);
    }
    void TearDown() override { fs::remove_all(root); }

    Bytes Diff(const std::string& mainFile, FolderDiffReport& report) {
        return DiffFoldersToPatchData({oldDir.string(), newDir.string(), mainFile}, report);
    }
};

TEST_F(FolderDiff, EntriesHaveTheRightKindsOrderContentAndTimes) {
    const Bytes program = RandomBytes(300000, 20);
    WriteFile(oldDir / "zeta.exe", program);
    WriteFile(newDir / "zeta.exe", Changed(program, 1000, 50, 21));
    WriteFile(oldDir / "same.txt", Text("unchanged"));
    WriteFile(newDir / "same.txt", Text("unchanged"));
    WriteFile(oldDir / "Data" / "table.bin", RandomBytes(5000, 22));
    WriteFile(newDir / "Data" / "table.bin", Join(RandomBytes(5000, 22), Text("more")));
    WriteFile(newDir / "Data" / "deep" / "new.dll", RandomBytes(777, 23));
    WriteFile(newDir / "empty.cfg", Bytes());
    WriteFile(oldDir / "obsolete.txt", Text("gone"));
    WriteFile(oldDir / "Data" / "old only.ini", Text("gone"));
    WriteFile(oldDir / "shrunk.txt", Text("this file becomes empty"));
    WriteFile(newDir / "shrunk.txt", Bytes());
    SetLastWrite(newDir / "zeta.exe", 1600000000);
    SetLastWrite(newDir / "Data" / "deep" / "new.dll", 1700000000);

    FolderDiffReport report;
    const Bytes data = Diff("ZETA.EXE", report);
    const std::vector<ReadEntry> entries = ReadBack(data, oldDir);

    struct Expected {
        const char* path;
        bool attached;
        fs::path newFile;
    };
    const Expected expected[] = {
        {"\\zeta.exe", false, newDir / "zeta.exe"}, // the main file first, then by path
        {"\\Data\\deep\\new.dll", true, newDir / "Data" / "deep" / "new.dll"},
        {"\\Data\\table.bin", false, newDir / "Data" / "table.bin"},
        {"\\empty.cfg", true, newDir / "empty.cfg"},
        {"\\shrunk.txt", false, newDir / "shrunk.txt"},
    };
    ASSERT_EQ(entries.size(), std::size(expected));
    for (size_t i = 0; i < entries.size(); i++) {
        SCOPED_TRACE(expected[i].path);
        const ReadEntry& e = entries[i];
        EXPECT_STREQ(e.header.relativePath, expected[i].path);
        EXPECT_EQ(e.attached, expected[i].attached);
        const Bytes newBytes = ReadFileBytes(expected[i].newFile.string());
        EXPECT_TRUE(e.content == newBytes);
        EXPECT_EQ(e.header.newCrc, CrcOfBytes(newBytes.data(), newBytes.size()));
        if (e.attached) {
            EXPECT_EQ(e.header.oldCrc, 0u);
        }
        const FileTimes times = ReadFileTimes(expected[i].newFile);
        EXPECT_EQ(e.header.lastWriteTime, times.lastWrite);
        EXPECT_EQ(e.header.creationTime, times.creation);
        EXPECT_NE(e.header.creationTime, 0u);
    }
    EXPECT_EQ(entries[0].header.lastWriteTime, UnixTimeToFileTime(1600000000, 0));
    EXPECT_EQ(entries[1].header.lastWriteTime, UnixTimeToFileTime(1700000000, 0));
    EXPECT_EQ(report.patched, 3u);
    EXPECT_EQ(report.attached, 2u);
    EXPECT_EQ(report.unchanged, 1u);
    EXPECT_EQ(report.onlyInOld,
              (std::vector<std::string>{"\\Data\\old only.ini", "\\obsolete.txt"}));
    // The patched program carries its change, not itself.
    EXPECT_LT(data.size(), program.size() / 10);
}

TEST_F(FolderDiff, AMainPathNamesOneFileAndTheOthersKeepTheirOrder) {
    for (const char* name : {"b.txt", "sub/main.txt", "sub\\main.txt", "\\sub\\main.txt"}) {
        WriteFile(newDir / "a.txt", Text("a"));
        WriteFile(newDir / "b.txt", Text("b"));
        WriteFile(newDir / "sub" / "main.txt", Text("m"));
        WriteFile(newDir / "zz" / "main.txt", Text("z"));
        FolderDiffReport report;
        const std::vector<ReadEntry> entries = ReadBack(Diff(name, report), oldDir);
        std::vector<std::string> order;
        for (const ReadEntry& e : entries)
            order.push_back(e.header.relativePath);
        SCOPED_TRACE(name);
        const std::string main = name[0] == 'b' ? "\\b.txt" : "\\sub\\main.txt";
        std::vector<std::string> expected = {"\\a.txt", "\\b.txt", "\\sub\\main.txt",
                                             "\\zz\\main.txt"};
        expected.erase(std::find(expected.begin(), expected.end(), main));
        expected.insert(expected.begin(), main);
        EXPECT_EQ(order, expected);
    }
}

TEST_F(FolderDiff, FilesMatchWithoutRegardToCase) {
    WriteFile(oldDir / "Bin" / "App.EXE", RandomBytes(4000, 30));
    WriteFile(newDir / "bin" / "app.exe", Join(RandomBytes(4000, 30), Text("v2")));
    FolderDiffReport report;
    const std::vector<ReadEntry> entries = ReadBack(Diff("", report), oldDir);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_FALSE(entries[0].attached);
    EXPECT_STREQ(entries[0].header.relativePath, "\\bin\\app.exe");
    EXPECT_TRUE(report.onlyInOld.empty());
}

TEST_F(FolderDiff, RefusesWhatThePatchDataCannotCarry) {
    FolderDiffReport report;
    WriteFile(newDir / "a.txt", Text("a"));
    EXPECT_THROW(Diff("missing.exe", report), std::runtime_error);
    EXPECT_THROW(DiffFoldersToPatchData({(root / "nowhere").string(), newDir.string(), ""}, report),
                 std::runtime_error);
    EXPECT_THROW(DiffFoldersToPatchData({oldDir.string(), (newDir / "a.txt").string(), ""}, report),
                 std::runtime_error);
}

#ifndef _WIN32
// Only a file system that tells case apart, and allows paths past 260
// characters, can hold these.
TEST_F(FolderDiff, RefusesNamesThatWindowsCannotCarry) {
    FolderDiffReport report;
    WriteFile(newDir / std::string(250, 'n') / "file.txt", Text("deep"));
    EXPECT_THROW(Diff("", report), std::runtime_error);
    fs::remove_all(newDir);
    WriteFile(newDir / "readme.txt", Text("1"));
    WriteFile(newDir / "README.txt", Text("2"));
    EXPECT_THROW(Diff("", report), std::runtime_error);
    fs::remove_all(newDir);
    WriteFile(newDir / "back\\slash.txt", Text("3"));
    EXPECT_THROW(Diff("", report), std::runtime_error);
}
#endif

TEST(FileTime, CountsHundredNanosecondsFrom1601) {
    EXPECT_EQ(UnixTimeToFileTime(0, 0), 116444736000000000ull);
    EXPECT_EQ(UnixTimeToFileTime(1, 250), 116444736010000002ull);
}

// --- the command -------------------------------------------------------------

int RunDiff(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    return DiffCommand(int(argv.size()), argv.data());
}

TEST_F(FolderDiff, CommandWritesThePatchDataAndRefusesBadArguments) {
    WriteFile(oldDir / "a.txt", Text("one"));
    WriteFile(newDir / "a.txt", Text("two"));
    const std::string o = oldDir.string(), n = newDir.string(), out = (root / "Patch.dat").string();
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    const Case cases[] = {
        {{"--help"}, 0},
        {{}, 2},
        {{"--old", o, "--new", n}, 2},
        {{"--old", o, "--out", out}, 2},
        {{"--old", o, "--new", n, "--out"}, 2},
        {{"--old", o, "--new", n, "--out", out, "--fast"}, 2},
        {{"--old", o, "--new", n, "--out", out, "--main", "nothere.exe"}, 1},
        {{"--old", (root / "nowhere").string(), "--new", n, "--out", out}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        EXPECT_EQ(RunDiff(c.args), c.exitCode);
        EXPECT_FALSE(fs::exists(out)) << "a failed or idle run wrote the patch data";
    }
    ASSERT_EQ(RunDiff({"--old", o, "--new", n, "--out", out, "--main", "a.txt"}), 0);
    FolderDiffReport report;
    EXPECT_TRUE(ReadFileBytes(out) == Diff("a.txt", report));
}

} // namespace
