#include "patch_writer.h"

#include "patch/crc32.h"

#include <stdexcept>

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutU64(std::vector<uint8_t>& out, uint64_t v) {
    PutU32(out, static_cast<uint32_t>(v));
    PutU32(out, static_cast<uint32_t>(v >> 32));
}

uint32_t Size32(size_t size, const char* what) {
    if (size > 0xFFFFFFFFu)
        throw std::length_error(std::string(what) + " does not fit 32 bits");
    return static_cast<uint32_t>(size);
}

// The table is process-wide and filled once; the builder may not have filled
// it yet when it first makes an attached entry.
uint32_t ChecksumOf(const std::vector<uint8_t>& bytes) {
    if (CrcTable[1] == 0)
        BuildCrcTable();
    return CrcOfBytes(bytes.data(), bytes.size());
}

} // namespace

PatchOp PatchOp::CopyOf(uint32_t length, uint32_t offset) {
    PatchOp op;
    op.kind = Copy;
    op.length = length;
    op.offset = offset;
    return op;
}

PatchOp PatchOp::InsertOf(std::vector<uint8_t> bytes) {
    PatchOp op;
    op.kind = Insert;
    op.bytes = std::move(bytes);
    return op;
}

PatchEntry PatchEntry::Attached(std::string relativePath, std::vector<uint8_t> bytes,
                                uint64_t creationTime, uint64_t lastWriteTime) {
    PatchEntry e;
    e.relativePath = std::move(relativePath);
    e.attached = true;
    e.newCrc = ChecksumOf(bytes);
    e.attachedBytes = std::move(bytes);
    e.creationTime = creationTime;
    e.lastWriteTime = lastWriteTime;
    return e;
}

void AppendPatchEntry(std::vector<uint8_t>& out, const PatchEntry& entry) {
    if (entry.relativePath.find('\0') != std::string::npos)
        throw std::invalid_argument("a relative path cannot hold a zero byte");
    PutU32(out, entry.attached ? 0 : entry.oldCrc);
    PutU32(out, entry.newCrc);
    PutU64(out, entry.creationTime);
    PutU64(out, entry.lastWriteTime);
    out.insert(out.end(), entry.relativePath.begin(), entry.relativePath.end());
    out.push_back(0);
    if (entry.attached) {
        out.push_back(3);
        PutU32(out, Size32(entry.attachedBytes.size(), "an attached file"));
        out.insert(out.end(), entry.attachedBytes.begin(), entry.attachedBytes.end());
        return;
    }
    for (const PatchOp& op : entry.ops) {
        out.push_back(op.kind);
        if (op.kind == PatchOp::Copy) {
            PutU32(out, op.length);
            PutU32(out, op.offset);
        } else {
            PutU32(out, Size32(op.bytes.size(), "an insert op"));
            out.insert(out.end(), op.bytes.begin(), op.bytes.end());
        }
    }
    out.push_back(0);
}

std::vector<uint8_t> SerializePatchData(const std::vector<PatchEntry>& entries) {
    if (entries.size() > MaxPatchEntries)
        throw std::length_error("patch data holds at most 65535 entries");
    std::vector<uint8_t> out;
    PutU32(out, static_cast<uint32_t>(entries.size()));
    for (const PatchEntry& e : entries)
        AppendPatchEntry(out, e);
    Size32(out.size(), "the patch data");
    return out;
}
