// Finding the parts of a new file that the old file already has, as the ops
// of a patch body: copy ops for ranges of the old file, insert ops for the rest.
//
// The old file is cut into fixed-size blocks, each indexed by a rolling hash;
// a window of the same size slides over the new file one byte at a time, and
// a window whose hash names a block with the same bytes starts a match, which
// is then grown in both directions byte by byte. Every copy op lies inside the
// old file, and the ops rebuild the new file exactly.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// One op of a match, without the literal bytes: an insert names its range of
// the new file, so that large files are not copied while matching.
struct MatchOp {
    enum Kind : uint8_t { Copy, Insert };
    Kind kind;
    uint32_t length;
    uint32_t offset; // Copy: in the old file; Insert: in the new file
};

// The ops that turn oldBytes into newBytes. Both sizes must be below 4 GiB.
// Consecutive ops never both insert, and no op is empty.
std::vector<MatchOp> MatchFiles(const uint8_t* oldBytes, size_t oldSize, const uint8_t* newBytes,
                                size_t newSize);

// The block size used for an old file of this size: small enough to find
// short common runs, large enough to keep the index of a big file in bounds.
size_t MatchBlockSize(size_t oldSize);
