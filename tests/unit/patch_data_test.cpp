#include <gtest/gtest.h>
#include "patch/crc32.h"
#include "patch/patch_data.h"
#include "patch_writer.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

PatchCursor CursorOver(const Bytes& data) {
    return {data.data(), data.data() + data.size()};
}

int CollectWrite(void* context, const uint8_t* bytes, uint32_t size) {
    static_cast<Bytes*>(context)->insert(static_cast<Bytes*>(context)->end(), bytes, bytes + size);
    return 1;
}

int RefuseWrite(void*, const uint8_t*, uint32_t) {
    return 0;
}

PatchEntry Patched(const std::string& path, std::vector<PatchOp> ops) {
    PatchEntry e;
    e.relativePath = path;
    e.oldCrc = 0x11111111;
    e.newCrc = 0x22222222;
    e.ops = std::move(ops);
    return e;
}

struct PatchData : ::testing::Test {
    void SetUp() override { BuildCrcTable(); }
};

TEST_F(PatchData, WriterLaysOutTheHeaderFieldByField) {
    PatchEntry e = Patched("\\a", {PatchOp::CopyOf(0x0A0B0C0D, 0x01020304)});
    e.creationTime = 0x1122334455667788ull;
    e.lastWriteTime = 0x99AABBCCDDEEFF00ull;
    Bytes data = SerializePatchData({e});
    Bytes expected = {1,    0,    0,    0,                            // count
                      0x11, 0x11, 0x11, 0x11, 0x22, 0x22, 0x22, 0x22, // checksums
                      0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11, // creation, low half first
                      0x00, 0xFF, 0xEE, 0xDD, 0xCC, 0xBB, 0xAA, 0x99, // last write
                      '\\', 'a',  0,                                  // path
                      1,    0x0D, 0x0C, 0x0B, 0x0A, 0x04, 0x03, 0x02, 0x01, // copy: length first
                      0};
    EXPECT_EQ(data, expected);
}

TEST_F(PatchData, ReaderReadsBackWhatTheWriterWrote) {
    PatchEntry e = Patched("\\bin\\core.dll", {PatchOp::InsertOf(B("xy"))});
    e.creationTime = 0x01D0000012345678ull;
    e.lastWriteTime = 0x01D00000ABCDEF01ull;
    Bytes data = SerializePatchData({e, PatchEntry::Attached("\\new.txt", B("hello"))});
    PatchCursor c = CursorOver(data);
    unsigned count = 0;
    ASSERT_EQ(ReadPatchCount(&c, &count), PatchOk);
    EXPECT_EQ(count, 2u);

    PatchEntryHeader h{};
    ASSERT_EQ(ReadEntryHeader(&c, &h), PatchOk);
    EXPECT_EQ(h.oldCrc, 0x11111111u);
    EXPECT_EQ(h.newCrc, 0x22222222u);
    EXPECT_EQ(h.creationTime, e.creationTime);
    EXPECT_EQ(h.lastWriteTime, e.lastWriteTime);
    EXPECT_STREQ(h.relativePath, "\\bin\\core.dll");
    EXPECT_EQ(h.pathLength, 13u);
    Bytes out;
    ASSERT_EQ(RunPatchOps(&c, nullptr, 0, CollectWrite, &out), PatchOk);
    EXPECT_EQ(out, B("xy"));

    ASSERT_EQ(ReadEntryHeader(&c, &h), PatchOk);
    EXPECT_STREQ(h.relativePath, "\\new.txt");
    EXPECT_EQ(h.newCrc, CrcOfBytes(reinterpret_cast<const uint8_t*>("hello"), 5));
    EXPECT_EQ(PeekBodyKind(&c), BodyAttached);
    const uint8_t* bytes = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(ReadAttachedBody(&c, &bytes, &size), PatchOk);
    EXPECT_EQ(Bytes(bytes, bytes + size), B("hello"));
    EXPECT_EQ(c.pos, c.end); // no terminator after attached bytes
}

TEST_F(PatchData, CountUsesOnlyTheLowSixteenBits) {
    struct Case {
        Bytes stored;
        int result;
        unsigned count;
    } cases[] = {
        {{2, 0, 1, 0}, PatchOk, 2}, {{0xFF, 0xFF, 0xFF, 0xFF}, PatchOk, 0xFFFF},
        {{0, 0, 0, 0}, PatchOk, 0}, {{2, 0, 0}, PatchDataError, 0},
        {{}, PatchDataError, 0},
    };
    for (const Case& k : cases) {
        PatchCursor c = CursorOver(k.stored);
        unsigned count = 0;
        EXPECT_EQ(ReadPatchCount(&c, &count), k.result);
        if (k.result == PatchOk) {
            EXPECT_EQ(count, k.count);
            EXPECT_EQ(c.pos, k.stored.data() + 4);
        }
    }
}

TEST_F(PatchData, OpsRebuildTheNewFileFromTheOldOne) {
    Bytes old = B("0123456789");
    struct Case {
        const char* name;
        std::vector<PatchOp> ops;
        std::string expected;
    } cases[] = {
        {"end byte alone gives an empty file", {}, ""},
        {"copies in any order, overlapping",
         {PatchOp::CopyOf(3, 7), PatchOp::CopyOf(4, 0), PatchOp::CopyOf(4, 2)},
         "78901232345"},
        {"whole old file", {PatchOp::CopyOf(10, 0)}, "0123456789"},
        {"inserts between copies",
         {PatchOp::InsertOf(B("<")), PatchOp::CopyOf(2, 4), PatchOp::InsertOf(B(">"))},
         "<45>"},
        {"zero-length ops write nothing", {PatchOp::CopyOf(0, 10), PatchOp::InsertOf({})}, ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Bytes data = SerializePatchData({Patched("\\f", k.ops)});
        PatchCursor c = CursorOver(data);
        unsigned count;
        PatchEntryHeader h;
        ASSERT_EQ(ReadPatchCount(&c, &count), PatchOk);
        ASSERT_EQ(ReadEntryHeader(&c, &h), PatchOk);
        Bytes out;
        EXPECT_EQ(RunPatchOps(&c, old.data(), 10, CollectWrite, &out), PatchOk);
        EXPECT_EQ(out, B(k.expected));
        EXPECT_EQ(c.pos, c.end);
    }
}

// Bodies that must be refused: each is the bytes after the relative path.
struct BadBody {
    const char* name;
    Bytes body;
};

const BadBody badBodies[] = {
    {"invalid op byte", {2, 1, 0, 0, 0, 'x', 7, 0}},
    {"attached kind byte inside ops", {2, 1, 0, 0, 0, 'x', 3, 1, 0, 0, 0, 'y', 0}},
    {"no end byte", {2, 1, 0, 0, 0, 'x'}},
    {"copy op cut short", {1, 4, 0, 0, 0, 0, 0}},
    {"insert length past the data", {2, 9, 0, 0, 0, 'a', 'b', 0}},
    {"insert length near 4 GiB", {2, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 0}},
    {"empty body", {}},
};

TEST_F(PatchData, BadBodiesAreDataErrorsWhenAppliedAndWhenSkipped) {
    Bytes old = B("0123456789");
    for (const BadBody& k : badBodies) {
        SCOPED_TRACE(k.name);
        PatchCursor c = CursorOver(k.body);
        Bytes out;
        EXPECT_EQ(RunPatchOps(&c, old.data(), 10, CollectWrite, &out), PatchDataError);
        EXPECT_LE(c.pos, c.end);
        PatchCursor s = CursorOver(k.body);
        EXPECT_EQ(SkipEntryBody(&s), PatchDataError);
        EXPECT_LE(s.pos, s.end);
    }
}

TEST_F(PatchData, CopyOpOutsideTheOldFileIsADataErrorAndWritesNothingMore) {
    struct Case {
        uint32_t length, offset;
    } cases[] = {{1, 10}, {11, 0}, {5, 6}, {0xFFFFFFFFu, 2}, {2, 0xFFFFFFFFu}};
    Bytes old = B("0123456789");
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.length << "@" << k.offset);
        PatchEntry e =
            Patched("\\f", {PatchOp::InsertOf(B("a")), PatchOp::CopyOf(k.length, k.offset),
                            PatchOp::InsertOf(B("b"))});
        Bytes data;
        AppendPatchEntry(data, e);
        PatchCursor c = CursorOver(data);
        PatchEntryHeader h;
        ASSERT_EQ(ReadEntryHeader(&c, &h), PatchOk);
        Bytes out;
        EXPECT_EQ(RunPatchOps(&c, old.data(), 10, CollectWrite, &out), PatchDataError);
        EXPECT_EQ(out, B("a"));
    }
}

TEST_F(PatchData, HeaderOrPathPastTheEndIsADataError) {
    Bytes data;
    AppendPatchEntry(data, Patched("\\file.txt", {}));
    // Every cut inside the header or the path (the zero byte is at 24 + 9).
    for (size_t cut = 0; cut <= 24 + 9; ++cut) {
        Bytes part(data.begin(), data.begin() + cut);
        PatchCursor c = CursorOver(part);
        PatchEntryHeader h;
        EXPECT_EQ(ReadEntryHeader(&c, &h), PatchDataError) << cut;
    }
}

TEST_F(PatchData, AttachedSizePastTheEndIsADataError) {
    Bytes data;
    AppendPatchEntry(data, PatchEntry::Attached("\\a", B("abcdef")));
    const size_t body = 24 + 3;
    for (size_t cut = body; cut < data.size(); ++cut) {
        Bytes part(data.begin(), data.begin() + cut);
        PatchCursor c = CursorOver(part);
        c.pos += body;
        const uint8_t* bytes;
        uint32_t size;
        EXPECT_EQ(ReadAttachedBody(&c, &bytes, &size), PatchDataError) << cut;
        c = CursorOver(part);
        c.pos += body;
        EXPECT_EQ(SkipEntryBody(&c), PatchDataError) << cut;
    }
}

TEST_F(PatchData, SkipWalkStopsAtTheNextEntry) {
    std::vector<PatchEntry> entries = {
        Patched("\\p",
                {PatchOp::CopyOf(5, 5), PatchOp::InsertOf(Bytes{3, 0, 7}), PatchOp::CopyOf(1, 1)}),
        PatchEntry::Attached("\\att", Bytes{1, 2, 0}),
        Patched("\\last", {}),
    };
    Bytes data = SerializePatchData(entries);
    PatchCursor c = CursorOver(data);
    unsigned count;
    ASSERT_EQ(ReadPatchCount(&c, &count), PatchOk);
    const char* names[] = {"\\p", "\\att", "\\last"};
    for (const char* name : names) {
        PatchEntryHeader h;
        ASSERT_EQ(ReadEntryHeader(&c, &h), PatchOk);
        EXPECT_STREQ(h.relativePath, name);
        ASSERT_EQ(SkipEntryBody(&c), PatchOk);
    }
    EXPECT_EQ(c.pos, c.end);
}

TEST_F(PatchData, FirstBodyByteThreeIsAttachedEvenIfItReadsAsOps) {
    // Size 1 followed by byte 0: as ops, 3 would be invalid; as attached it is one byte.
    Bytes data;
    AppendPatchEntry(data, PatchEntry::Attached("\\x", Bytes{0}));
    PatchCursor c = CursorOver(data);
    PatchEntryHeader h;
    ASSERT_EQ(ReadEntryHeader(&c, &h), PatchOk);
    EXPECT_EQ(PeekBodyKind(&c), BodyAttached);
    ASSERT_EQ(SkipEntryBody(&c), PatchOk);
    EXPECT_EQ(c.pos, c.end);
}

TEST_F(PatchData, FailedWriteStillWalksToTheNextEntry) {
    Bytes old = B("abc");
    Bytes data;
    AppendPatchEntry(data, Patched("\\f", {PatchOp::CopyOf(3, 0), PatchOp::InsertOf(B("zz"))}));
    AppendPatchEntry(data, Patched("\\g", {}));
    PatchCursor c = CursorOver(data);
    PatchEntryHeader h;
    ASSERT_EQ(ReadEntryHeader(&c, &h), PatchOk);
    EXPECT_EQ(RunPatchOps(&c, old.data(), 3, RefuseWrite, nullptr), PatchWriteFailed);
    ASSERT_EQ(ReadEntryHeader(&c, &h), PatchOk);
    EXPECT_STREQ(h.relativePath, "\\g");
}

TEST_F(PatchData, RelativePathsThatLeaveTheFolderAreRefused) {
    struct Case {
        const char* path;
        int contained;
    } cases[] = {
        {"\\file.txt", 1},
        {"\\bin\\core.dll", 1},
        {"file.txt", 1},
        {"\\a.b\\c..d", 1},
        {"\\..", 0},
        {"\\..\\evil.dll", 0},
        {"\\bin\\..\\..\\x", 0},
        {"\\a\\.\\b", 0},
        {"\\a\\...\\b", 0},
        {"\\a\\. .\\b", 0},
        {"\\C:\\x", 0},
        {"C:x", 0},
        {"\\file.txt:stream", 0},
        {"\\\\server\\share\\x", 0},
        {"\\a\\\\b", 0},
        {"\\a\\", 0},
        {"\\", 0},
        {"", 0},
        {"\\a/../../b", 0},
        {"/\\server\\x", 0},
    };
    for (const Case& k : cases)
        EXPECT_EQ(IsContainedRelativePath(k.path), k.contained) << k.path;
}

TEST_F(PatchData, WriterRefusesWhatTheReaderCannotHold) {
    std::vector<PatchEntry> many(MaxPatchEntries + 1, Patched("\\f", {}));
    EXPECT_THROW(SerializePatchData(many), std::length_error);
    many.pop_back();
    Bytes data = SerializePatchData(many);
    PatchCursor c = CursorOver(data);
    unsigned count;
    ASSERT_EQ(ReadPatchCount(&c, &count), PatchOk);
    EXPECT_EQ(count, MaxPatchEntries);
    PatchEntry zero = Patched(std::string("\\a\0b", 4), {});
    EXPECT_THROW(SerializePatchData({zero}), std::invalid_argument);
}

} // namespace
