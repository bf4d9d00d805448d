// Test packages for every area: good ones made from given files and patch
// data, and damaged ones that the applier must refuse (or, for trailing
// bytes, accept). All of them are built in memory; WritePackageFile puts one
// on disk for a test that runs the extractor or the applier on it.
#pragma once
#include "package_writer.h"

#include <string>
#include <vector>

namespace package_faults {

// What a test package holds.
struct PackageContents {
    std::vector<AttachmentFile> files; // stream 1
    PackageBytes patchData;            // stream 2, as Patch.dat
};

// PackageOffset bytes that begin with "MZ": enough for the extractor, which
// reads only what lies behind the offset. Tests that start the applier pass
// the real bin/applier.exe instead.
PackageBytes StandInApplier();
// A few stream-1 files (settings, a text with a line break, a binary file
// holding zero bytes) and patch data bytes large enough for several bzip2
// symbols per block.
PackageContents SampleContents();

// The package exactly as the builder makes it.
PackageBytes GoodPackage(const PackageContents& contents,
                         const PackageBytes& applier = StandInApplier());
// A package whose two records carry the given archives byte for byte
// (names unchecked), each compressed with block size 9 and U its length.
PackageBytes PackageOfArchives(const PackageBytes& archive1, const PackageBytes& archive2,
                               const PackageBytes& applier = StandInApplier());
// The applier followed by the given records as they are.
PackageBytes PackageOfRecords(const PackageBytes& record1, const PackageBytes& record2,
                              const PackageBytes& applier = StandInApplier());

enum class Fault {
    ChangedBlockByte, // one byte in the middle of the record's compressed block changed
    LargerU,          // U larger than the archive the stream holds
    SmallerU,         // U one byte smaller than that archive
    CutRecord,        // the file ends in the middle of the record's stream
    BlockSize1,       // the record's stream made with 100 kB blocks: a valid "BZh1" stream
    RecordPastEnd,    // R one byte larger than what is left of the file
    NoPackage,        // the applier alone; the record number does not matter
    TrailingBytes     // bytes after record 2, as a signing tool appends: still good
};
const char* FaultName(Fault fault);
// How much LargerU adds to U.
enum { LargerUExtra = 1000 };

// The package of contents with fault applied to record 1 or 2.
PackageBytes DamagedPackage(const PackageContents& contents, Fault fault, int record,
                            const PackageBytes& applier = StandInApplier());

// The files of stream 1 or 2 of a package, read back with the portable
// record and archive code and bzip2; throws std::runtime_error naming the
// check that failed. Lets tests look into a package without the applier.
std::vector<AttachmentFile> UnpackStream(const PackageBytes& package, int stream);

void WritePackageFile(const std::string& path, const PackageBytes& package);

} // namespace package_faults
