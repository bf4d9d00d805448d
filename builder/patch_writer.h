// A typed model of the patch data (Patch.dat) and its serializer, for the
// diff step and for tests. The byte layout is drawn in applier/patch/patch_data.h;
// the applier reads exactly what SerializePatchData writes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One operation of a patch body. A copy op takes `length` bytes of the old file
// from `offset`; an insert op carries its literal bytes.
struct PatchOp {
    enum Kind : uint8_t { Copy = 1, Insert = 2 };
    Kind kind = Copy;
    uint32_t length = 0;        // copy ops only; an insert op's length is bytes.size()
    uint32_t offset = 0;        // copy ops only
    std::vector<uint8_t> bytes; // insert ops only

    static PatchOp CopyOf(uint32_t length, uint32_t offset);
    static PatchOp InsertOf(std::vector<uint8_t> bytes);
};

struct PatchEntry {
    uint32_t oldCrc = 0;        // attached entries store 0
    uint32_t newCrc = 0;        // attached entries: the checksum of the attached bytes
    uint64_t creationTime = 0;  // FILETIME as one number
    uint64_t lastWriteTime = 0; // FILETIME as one number
    std::string relativePath;   // "\dir\file", relative to the destination folder
    bool attached = false;
    std::vector<uint8_t> attachedBytes; // attached entries
    std::vector<PatchOp> ops;           // patched entries; the end byte is implied

    // An attached entry whose new checksum is computed from the bytes.
    static PatchEntry Attached(std::string relativePath, std::vector<uint8_t> bytes,
                               uint64_t creationTime = 0, uint64_t lastWriteTime = 0);
};

// The most entries a Patch.dat can hold: the reader uses the count's low 16 bits.
constexpr size_t MaxPatchEntries = 0xFFFF;

// Appends one entry's bytes (header, path, body) to out.
void AppendPatchEntry(std::vector<uint8_t>& out, const PatchEntry& entry);
// The whole Patch.dat: the count (upper 16 bits 0), then the entries.
// Throws std::length_error for more than MaxPatchEntries entries or a size
// that does not fit 32 bits.
std::vector<uint8_t> SerializePatchData(const std::vector<PatchEntry>& entries);
