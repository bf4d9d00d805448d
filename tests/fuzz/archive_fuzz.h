// The package reader on arbitrary bytes: the body of the fuzz target, shared
// with the replay test that runs it without a fuzzer.
#pragma once
#include <cstddef>
#include <cstdint>

// Treats data as a package file whose package begins at offset 0: locates
// both records, decompresses each stream that passes the checks and walks its
// archive, then walks data itself as an archive. Aborts when a result points
// outside the bytes it came from. Returns the number of archive entries read
// from the two streams.
int FuzzPackageBytes(const uint8_t* data, size_t size);
