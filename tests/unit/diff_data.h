// Test data for the checksum, the diff step, the round trip and the apply
// benchmark: reproducible random bytes, and new versions of them made by
// spread-out edits, as a new build of a program changes its files.
#pragma once
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace diff_data {

using Bytes = std::vector<uint8_t>;

inline Bytes RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        const uint32_t r = random();
        std::memcpy(&bytes[i], &r, 4);
    }
    for (; i < size; i++)
        bytes[i] = static_cast<uint8_t>(random());
    return bytes;
}

// The most fresh bytes one edit of EditedCopy writes.
inline size_t MostFreshBytes(size_t replaced) {
    return replaced + replaced / 2;
}

// old with `edits` edits spread evenly, each in the middle of its stretch:
// `replaced` bytes give way to between half and one and a half times as many
// fresh ones, so the new version both grows and shrinks in places.
inline Bytes EditedCopy(const Bytes& old, size_t edits, size_t replaced, uint32_t seed) {
    const size_t stride = old.size() / edits;
    Bytes out;
    out.reserve(old.size() + old.size() / 16);
    std::mt19937 random(seed);
    for (size_t e = 0; e < edits; e++) {
        const size_t from = e * stride, editAt = from + stride / 2 - replaced / 2;
        out.insert(out.end(), old.begin() + from, old.begin() + editAt);
        const size_t freshSize = replaced / 2 + random() % (replaced + 1);
        const Bytes fresh = RandomBytes(freshSize, seed + 1 + uint32_t(e));
        out.insert(out.end(), fresh.begin(), fresh.end());
        out.insert(out.end(), old.begin() + editAt + replaced, old.begin() + from + stride);
    }
    out.insert(out.end(), old.begin() + edits * stride, old.end());
    return out;
}

} // namespace diff_data
