#include "matcher.h"

#include <cstring>
#include <stdexcept>

namespace {

const uint32_t NoBlock = 0xFFFFFFFFu; // block offsets are multiples of 32, never this
const size_t SmallestBlock = 32;
const size_t MostBlocks = size_t(1) << 23; // an index of at most 64 MiB
const uint64_t HashBase = 0x100000001B3ull;

// The polynomial hash of a window, sum of b[i] * HashBase^(n-1-i) mod 2^64.
uint64_t WindowHash(const uint8_t* p, size_t n) {
    uint64_t h = 0;
    for (size_t i = 0; i < n; i++)
        h = h * HashBase + p[i];
    return h;
}

// The low bits of the polynomial hash depend only on the low bits of the
// bytes; a multiplicative mix and the top bits spread every input bit.
inline size_t Bucket(uint64_t h, int bits) {
    return static_cast<size_t>((h * 0x9E3779B97F4A7C15ull) >> (64 - bits));
}

// How many bytes from a and b on are equal, at most limit.
size_t CommonForward(const uint8_t* a, const uint8_t* b, size_t limit) {
    size_t n = 0;
    while (n + 8 <= limit) {
        uint64_t x, y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y)
            break;
        n += 8;
    }
    while (n < limit && a[n] == b[n])
        n++;
    return n;
}

struct OpList {
    std::vector<MatchOp> ops;

    void Insert(size_t from, size_t to) {
        if (to > from)
            ops.push_back(
                {MatchOp::Insert, static_cast<uint32_t>(to - from), static_cast<uint32_t>(from)});
    }
    void Copy(size_t oldOffset, size_t length) {
        if (!ops.empty() && ops.back().kind == MatchOp::Copy &&
            size_t(ops.back().offset) + ops.back().length == oldOffset) {
            ops.back().length += static_cast<uint32_t>(length);
            return;
        }
        ops.push_back(
            {MatchOp::Copy, static_cast<uint32_t>(length), static_cast<uint32_t>(oldOffset)});
    }
};

} // namespace

size_t MatchBlockSize(size_t oldSize) {
    size_t block = SmallestBlock;
    while (oldSize / block > MostBlocks)
        block *= 2;
    return block;
}

std::vector<MatchOp> MatchFiles(const uint8_t* oldBytes, size_t oldSize, const uint8_t* newBytes,
                                size_t newSize) {
    if (uint64_t(oldSize) >> 32 != 0 || uint64_t(newSize) >> 32 != 0)
        throw std::length_error("a file of 4 GiB or more cannot be patched");
    OpList out;
    const size_t block = MatchBlockSize(oldSize);
    const size_t blocks = oldSize / block;
    if (blocks == 0 || newSize < block) {
        out.Insert(0, newSize);
        return out.ops;
    }

    int bits = 1;
    while ((size_t(1) << bits) < 2 * blocks)
        bits++;
    // One offset per bucket; the first block with a hash wins, which keeps
    // the first of many equal blocks and costs only a missed match on the
    // rare true collision.
    std::vector<uint32_t> index(size_t(1) << bits, NoBlock);
    for (size_t b = 0; b < blocks; b++) {
        uint32_t& slot = index[Bucket(WindowHash(oldBytes + b * block, block), bits)];
        if (slot == NoBlock)
            slot = static_cast<uint32_t>(b * block);
    }

    uint64_t outgoingWeight = 1; // HashBase^(block-1): the weight of the byte leaving the window
    for (size_t i = 1; i < block; i++)
        outgoingWeight *= HashBase;

    size_t pending = 0; // first new byte not yet covered by an op
    size_t at = 0;
    uint64_t h = WindowHash(newBytes, block);
    while (at + block <= newSize) {
        const uint32_t candidate = index[Bucket(h, bits)];
        if (candidate != NoBlock && std::memcmp(oldBytes + candidate, newBytes + at, block) == 0) {
            size_t oldStart = candidate, newStart = at;
            while (newStart > pending && oldStart > 0 &&
                   newBytes[newStart - 1] == oldBytes[oldStart - 1]) {
                newStart--;
                oldStart--;
            }
            const size_t grown =
                block + CommonForward(oldBytes + candidate + block, newBytes + at + block,
                                      std::min(oldSize - candidate - block, newSize - at - block));
            const size_t newEnd = at + grown;
            out.Insert(pending, newStart);
            out.Copy(oldStart, newEnd - newStart);
            pending = at = newEnd;
            if (at + block <= newSize)
                h = WindowHash(newBytes + at, block);
            continue;
        }
        if (at + block < newSize)
            h = (h - newBytes[at] * outgoingWeight) * HashBase + newBytes[at + block];
        at++;
    }
    out.Insert(pending, newSize);
    return out.ops;
}
