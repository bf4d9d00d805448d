// One patch entry applied to a real destination folder: every outcome, what
// is left on disk (content, attributes, times, staged copies, no temporary
// files), the overwrite prompt, and the file checksums.
#include "engine_fixture.h"

#include "patch/file_crc.h"
#include "patch/patch_data.h"

#include <atomic>
#include <functional>
#include <thread>

using namespace engine_test;

namespace {

using Files = std::map<std::string, std::string>;

const std::string OldText = "hello old world, a few bytes long";
const std::string NewText = "hello new world, a few bytes longer!";

Bytes EntryBytes(const PatchEntry& e) {
    Bytes data;
    AppendPatchEntry(data, e);
    return data;
}

// An entry whose body breaks off with an invalid op byte after a good insert.
Bytes WithInvalidOp(const PatchEntry& e) {
    Bytes data = EntryBytes(e);
    data.pop_back(); // the end byte
    data.push_back(7);
    data.push_back(0);
    return data;
}

PatchEntry WrongNewCrc(PatchEntry e) {
    e.newCrc ^= 1;
    return e;
}

struct EntryCase {
    const char* name;
    Files before; // the destination folder before
    std::vector<std::string> readOnly;
    std::function<Bytes()> data; // the entry's bytes
    int result;
    Files after;       // the whole destination folder after
    Files staged;      // the whole staging folder after
    const char* timed; // a file that must carry the entry's times, or null
};

class ApplyEntry : public EngineFolders {
  protected:
    // Applies data followed by a marker entry; checks the cursor lands on it.
    int Apply(const Bytes& entry, const char* stagingFolder, HWND owner = nullptr) {
        Bytes data = entry;
        Bytes marker = EntryBytes(PatchFromTo("\\marker", "", ""));
        data.insert(data.end(), marker.begin(), marker.end());
        PatchCursor cursor = {data.data(), data.data() + data.size()};
        int result = ApplyPatchEntry(&cursor, stagingFolder, owner);
        if (result != DataError) {
            EXPECT_EQ(cursor.pos, data.data() + entry.size()) << "cursor not at the next entry";
        }
        return result;
    }

    void ExpectTimes(const std::string& path, const PatchEntry& e) {
        HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
        FILETIME created, accessed, written;
        GetFileTime(f, &created, &accessed, &written);
        CloseHandle(f);
        // Creation times are set too, but wine's Linux file systems keep none.
        (void)created;
        EXPECT_EQ(FileTimeOf(written), e.lastWriteTime) << path;
    }
};

TEST_F(ApplyEntry, EveryOutcomeLeavesTheFoldersAsItMust) {
    const PatchEntry update = PatchFromTo("\\sub\\a.txt", OldText, NewText);
    const PatchEntry added = PatchEntry::Attached("\\new\\n.bin", B(std::string("\0\1\2\3", 4)),
                                                  131000000000000000ull, 131100000000000000ull);
    const PatchEntry overwrite =
        PatchEntry::Attached("\\c.txt", B("short"), 130000000000000000ull, 130100000000000000ull);
    const EntryCase cases[] = {
        {"patched file rebuilt, old version staged",
         {{"sub\\a.txt", OldText}},
         {"sub\\a.txt"},
         [&] { return EntryBytes(update); },
         FileUpdated,
         {{"sub\\", ""}, {"sub\\a.txt", NewText}},
         {{"sub\\", ""}, {"sub\\a.txt", OldText}},
         "sub\\a.txt"},
        {"missing file: skipped, its folders made",
         {},
         {},
         [&] { return EntryBytes(PatchFromTo("\\deep\\er\\m.txt", OldText, NewText)); },
         OriginalMissing,
         {{"deep\\", ""}, {"deep\\er\\", ""}},
         {},
         nullptr},
        {"third checksum: untouched",
         {{"sub\\a.txt", "some other version"}},
         {"sub\\a.txt"},
         [&] { return EntryBytes(update); },
         OriginalCrcError,
         {{"sub\\", ""}, {"sub\\a.txt", "some other version"}},
         {},
         nullptr},
        {"already the new version",
         {{"sub\\a.txt", NewText}},
         {},
         [&] { return EntryBytes(update); },
         AlreadyUpdated,
         {{"sub\\", ""}, {"sub\\a.txt", NewText}},
         {},
         nullptr},
        {"rebuilt file fails its checksum: installed file untouched",
         {{"sub\\a.txt", OldText}},
         {},
         [&] { return EntryBytes(WrongNewCrc(update)); },
         UpdatedCrcError,
         {{"sub\\", ""}, {"sub\\a.txt", OldText}},
         {},
         nullptr},
        {"invalid op byte in the middle of the body",
         {{"sub\\a.txt", OldText}},
         {},
         [&] { return WithInvalidOp(update); },
         DataError,
         {{"sub\\", ""}, {"sub\\a.txt", OldText}},
         {},
         nullptr},
        {"copy op beyond the old file",
         {{"sub\\a.txt", OldText}},
         {},
         [&] {
             PatchEntry e = update;
             e.ops = {PatchOp::CopyOf(4, static_cast<uint32_t>(OldText.size()) - 3)};
             return EntryBytes(e);
         },
         DataError,
         {{"sub\\", ""}, {"sub\\a.txt", OldText}},
         {},
         nullptr},
        {"attached file added",
         {},
         {},
         [&] { return EntryBytes(added); },
         AttachedAdded,
         {{"new\\", ""}, {"new\\n.bin", std::string("\0\1\2\3", 4)}},
         {},
         "new\\n.bin"},
        {"attached file overwrites a longer one silently",
         {{"c.txt", "a much longer old content"}},
         {},
         [&] { return EntryBytes(overwrite); },
         AttachedOverwritten,
         {{"c.txt", "short"}},
         {{"c.txt", "a much longer old content"}},
         "c.txt"},
        {"attached bytes with a wrong checksum: nothing written",
         {},
         {},
         [&] { return EntryBytes(WrongNewCrc(overwrite)); },
         AttachedCrcError,
         {},
         {},
         nullptr},
        {"attached bytes with a wrong checksum: existing file kept",
         {{"c.txt", "old"}},
         {},
         [&] { return EntryBytes(WrongNewCrc(overwrite)); },
         AttachedCrcError,
         {{"c.txt", "old"}},
         {},
         nullptr},
    };
    for (const EntryCase& k : cases) {
        SCOPED_TRACE(k.name);
        TearDown();
        SetUp();
        for (const auto& [name, content] : k.before) {
            std::string path = D(name);
            CreateDirectoryA(path.substr(0, path.rfind('\\')).c_str(), nullptr);
            ASSERT_TRUE(WriteBytes(path, B(content)));
        }
        for (const std::string& name : k.readOnly)
            SetFileAttributesA(D(name).c_str(), FILE_ATTRIBUTE_READONLY);
        Bytes data = k.data();
        EXPECT_EQ(Apply(data, staging.c_str()), k.result);
        EXPECT_EQ(Tree(dest), k.after);
        EXPECT_EQ(Tree(staging), k.staged);
        for (const std::string& name : k.readOnly)
            EXPECT_EQ(GetFileAttributesA(D(name).c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << name;
        if (k.timed) {
            PatchCursor c = {data.data(), data.data() + data.size()};
            PatchEntryHeader h;
            ASSERT_EQ(ReadEntryHeader(&c, &h), PatchOk);
            PatchEntry times;
            times.creationTime = h.creationTime;
            times.lastWriteTime = h.lastWriteTime;
            ExpectTimes(D(k.timed), times);
        }
    }
}

TEST_F(ApplyEntry, PathsThatLeaveTheDestinationAreRefusedBeforeAnythingIsMade) {
    const char* paths[] = {"\\..\\escape\\x.txt", "\\sub\\..\\..\\escape\\x.txt",
                           "\\C:\\escape\\x.txt", "\\\\server\\share\\x.txt",
                           "\\sub\\\\x.txt",      "\\sub\\x.txt:stream"};
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        for (bool attached : {true, false}) {
            PatchEntry e = attached ? PatchEntry::Attached(path, B("evil"))
                                    : PatchFromTo(path, OldText, NewText);
            EXPECT_EQ(Apply(EntryBytes(e), staging.c_str()), DataError);
            EXPECT_EQ(Tree(dest), Files{});
            Files rootNow = Tree(root);
            EXPECT_EQ(rootNow.count("escape\\"), 0u);
            EXPECT_EQ(rootNow.count("x.txt"), 0u);
        }
    }
}

TEST_F(ApplyEntry, AFileHeldOpenWithoutSharingIsAccessDenied) {
    ASSERT_TRUE(WriteBytes(D("held.txt"), B(OldText)));
    HANDLE held = CreateFileA(D("held.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Apply(EntryBytes(PatchFromTo("\\held.txt", OldText, NewText)), staging.c_str()),
              AccessDenied);
    CloseHandle(held);
    EXPECT_EQ(ReadText(D("held.txt")), OldText);
    EXPECT_TRUE(TempFilesInDest().empty());
}

// The staged copy cannot be made (the staging folder's place is taken by a
// file): nothing is replaced, because a rollback could not bring it back.
TEST_F(ApplyEntry, NoReplaceWithoutAStagedCopy) {
    ASSERT_TRUE(WriteBytes(staging, B("not a folder")));
    ASSERT_TRUE(WriteBytes(D("a.txt"), B(OldText)));
    ASSERT_TRUE(WriteBytes(D("c.txt"), B("old")));
    EXPECT_EQ(Apply(EntryBytes(PatchFromTo("\\a.txt", OldText, NewText)), staging.c_str()),
              ReplaceFailed);
    EXPECT_EQ(Apply(EntryBytes(PatchEntry::Attached("\\c.txt", B("new"))), staging.c_str()),
              ReplaceFailed);
    EXPECT_EQ(Tree(dest), (Files{{"a.txt", OldText}, {"c.txt", "old"}}));
}

// Answers the message box that the applier shows on this process's desktop:
// checks its text, then presses the button.
BOOL CALLBACK CollectText(HWND child, LPARAM text) {
    char t[1024];
    GetWindowTextA(child, t, sizeof t);
    *reinterpret_cast<std::string*>(text) += std::string(t) + "|";
    return TRUE;
}

struct PromptAnswerer {
    std::atomic<bool> seen{false};
    std::string text;
    std::thread thread;

    PromptAnswerer(int button) {
        thread = std::thread([this, button] {
            for (int i = 0; i < 500; ++i) {
                HWND box = FindWindowA("#32770", "Tarvelion");
                if (box) {
                    EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&text));
                    seen = true;
                    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
                    return;
                }
                Sleep(20);
            }
        });
    }
};

TEST_F(ApplyEntry, OverwritePromptDecidesWhenNotSilent) {
    struct Case {
        int button;
        int result;
        std::string content;
        Files staged;
    } cases[] = {
        {IDYES, AttachedOverwritten, "new bytes", {{"c.txt", "old bytes, longer"}}},
        {IDNO, AttachedSkipped, "old bytes, longer", {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.button);
        TearDown();
        SetUp();
        Silence = 0;
        ASSERT_TRUE(WriteBytes(D("c.txt"), B("old bytes, longer")));
        int result;
        std::string prompt;
        bool seen;
        {
            PromptAnswerer answerer(k.button);
            result =
                Apply(EntryBytes(PatchEntry::Attached("\\c.txt", B("new bytes"))), staging.c_str());
            answerer.thread.join();
            seen = answerer.seen;
            prompt = answerer.text;
        }
        EXPECT_TRUE(seen);
        EXPECT_NE(
            prompt.find("Attached file existed, press Yes to overwite it, or No to skip.\r\n" +
                        D("c.txt")),
            std::string::npos)
            << prompt;
        EXPECT_EQ(result, k.result);
        EXPECT_EQ(ReadText(D("c.txt")), k.content);
        EXPECT_EQ(Tree(staging), k.staged);
        EXPECT_TRUE(TempFilesInDest().empty());
    }
}

TEST_F(ApplyEntry, ResultSummaryIsTheOrOfTheResults) {
    struct Case {
        const char* name;
        std::vector<std::function<PatchEntry()>> entries;
        unsigned summary;
    } cases[] = {
        {"added and updated",
         {[] { return PatchEntry::Attached("\\n.txt", B("n")); },
          [] { return PatchFromTo("\\a.txt", OldText, NewText); }},
         0x0003},
        {"updated and already updated",
         {[] { return PatchFromTo("\\a.txt", OldText, NewText); },
          [] { return PatchFromTo("\\a.txt", OldText, NewText); }},
         0x8022},
        {"missing and data error",
         {[] { return PatchFromTo("\\gone.txt", OldText, NewText); },
          [] { return PatchEntry::Attached("\\..\\x", B("x")); }},
         0x8088},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TearDown();
        SetUp();
        ASSERT_TRUE(WriteBytes(D("a.txt"), B(OldText)));
        for (const auto& make : k.entries)
            Apply(EntryBytes(make()), staging.c_str());
        EXPECT_EQ(ResultSummary, k.summary);
    }
}

class FileChecksum : public EngineFolders {};

TEST_F(FileChecksum, ByPathAndByHandle) {
    struct Case {
        std::string content;
        uint32_t crc;
    } cases[] = {{"123456789", 0xFC891918u}, {"", 0}, {"a", CrcOf("a")}};
    for (const Case& k : cases) {
        ASSERT_TRUE(WriteBytes(D("f"), B(k.content)));
        EXPECT_EQ(FileCrcOfPath(D("f").c_str()), k.crc) << k.content;
    }
    EXPECT_EQ(FileCrcOfPath(D("missing").c_str()), 0u);

    ASSERT_TRUE(WriteBytes(D("f"), B("123456789")));
    HANDLE f = CreateFileA(D("f").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FileCrcOfPath(D("f").c_str()), 0u) << "held open without sharing";
    SetFilePointer(f, 3, nullptr, FILE_BEGIN);
    EXPECT_EQ(FileCrcOfHandle(f), 0xFC891918u);
    EXPECT_EQ(SetFilePointer(f, 0, nullptr, FILE_CURRENT), 3u);
    char c = 0;
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(f, &c, 1, &got, nullptr));
    EXPECT_EQ(c, '4');
    CloseHandle(f);
}

TEST_F(FileChecksum, AHandleThatCannotBeMappedGivesZeroWithoutReading) {
    ASSERT_TRUE(WriteBytes(D("f"), B("123456789")));
    HANDLE f = CreateFileA(D("f").c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FileCrcOfHandle(f), 0u);
    CloseHandle(f);
}

TEST_F(FileChecksum, AFileLargerThanOneViewIsCheckedWhole) {
    std::string big(40u << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 2654435761u >> 24);
    ASSERT_TRUE(WriteBytes(D("big"), B(big)));
    EXPECT_EQ(FileCrcOfPath(D("big").c_str()), CrcOf(big));
}

} // namespace

namespace {

// Run by engine_permissions.sh as an ordinary user (wine as root writes past
// Unix permissions): ENGINE_LOCKED_DEST names a destination folder whose
// subfolder "locked" holds a.txt and c.txt and may not be written to, so the
// final replace fails after the rebuilt file was verified and staged.
TEST(LockedFolder, AReplaceThatFailsLeavesTheInstalledFileAsItWas) {
    char folder[MAX_PATH];
    if (!GetEnvironmentVariableA("ENGINE_LOCKED_DEST", folder, MAX_PATH))
        GTEST_SKIP() << "needs an ordinary user: run by engine_permissions.sh";
    BuildCrcTable();
    ProgramInstance = GetModuleHandleA(nullptr);
    Silence = 1;
    lstrcpynA(RunDestination, folder, MAX_PATH);
    const std::string dest = folder, staging = dest + "\\staging";
    struct Case {
        const char* name;
        std::function<PatchEntry(const std::string&)> entry;
    } cases[] = {
        {"a.txt",
         [](const std::string& old) { return PatchFromTo("\\locked\\a.txt", old, old + "+"); }},
        {"c.txt",
         [](const std::string&) { return PatchEntry::Attached("\\locked\\c.txt", B("new")); }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const std::string target = dest + "\\locked\\" + k.name;
        const std::string before = ReadText(target);
        ASSERT_NE(before, "<missing>");
        Bytes data;
        AppendPatchEntry(data, k.entry(before));
        PatchCursor cursor = {data.data(), data.data() + data.size()};
        EXPECT_EQ(ApplyPatchEntry(&cursor, staging.c_str(), nullptr), ReplaceFailed);
        EXPECT_EQ(ReadText(target), before);
        EXPECT_EQ(ReadText(staging + "\\locked\\" + k.name), before) << "the staged copy stays";
        for (const auto& [name, content] : Tree(dest))
            EXPECT_NE(name.rfind("PCH", 0), 0u) << "temporary file left: " << name;
    }
}

} // namespace
