#include "archive_fuzz.h"

#include "package/package_format.h"

#include <bzlib.h>

#include <cstdlib>
#include <vector>

namespace {

// The fuzzer's memory stays small; larger sizes take the same code path.
const uint32_t LargestArchive = 1u << 20;

void Require(bool condition) {
    if (!condition)
        std::abort();
}

int WalkAndCheck(const uint8_t* archive, size_t size) {
    size_t position = 0;
    ArchiveEntry entry{};
    int entries = 0;
    int step;
    while ((step = NextArchiveEntry(archive, size, &position, &entry)) == ArchiveEntryRead) {
        const uint8_t* name = reinterpret_cast<const uint8_t*>(entry.name);
        Require(name >= archive && name + entry.nameLength < archive + size);
        Require(name[entry.nameLength] == 0 && entry.nameLength > 0);
        Require(entry.content >= name + entry.nameLength + 1);
        Require(entry.size <= static_cast<size_t>(archive + size - entry.content));
        Require(position == static_cast<size_t>(entry.content + entry.size - archive));
        IsPlainFileName(entry.name);
        ++entries;
    }
    Require(step <= ArchiveEnd && step >= ArchiveContentCut);
    return entries;
}

} // namespace

int FuzzPackageBytes(const uint8_t* data, size_t size) {
    int entries = 0;
    for (int n = 1; n <= 2; ++n) {
        PackageRecord record{};
        if (LocatePackageRecord(data, size, 0, n, &record) != RecordFound)
            continue;
        Require(record.stream >= data && record.streamSize <= size &&
                record.stream + record.streamSize <= data + size);
        Require(record.streamSize + 4u == record.recordSize);
        if (!HasStreamSignature(record.stream, record.streamSize) ||
            record.uncompressedSize > LargestArchive)
            continue;
        std::vector<uint8_t> archive(record.uncompressedSize + 1u, 0);
        unsigned int produced = record.uncompressedSize;
        int status = BZ2_bzBuffToBuffDecompress(
            reinterpret_cast<char*>(archive.data()), &produced,
            const_cast<char*>(reinterpret_cast<const char*>(record.stream)), record.streamSize, 0,
            0);
        if (status != BZ_OK)
            continue;
        Require(produced <= record.uncompressedSize);
        entries += WalkAndCheck(archive.data(), produced);
    }
    WalkAndCheck(data, size);
    return entries;
}

#ifdef TARVELION_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzPackageBytes(data, size);
    return 0;
}
#endif
