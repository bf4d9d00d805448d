// Writing the package: attachment archives, their bzip2 streams, the two
// package records, and the applier with the package appended. The layout is
// the one in applier/package/package_format.h, which the applier reads.
// Every failure throws std::runtime_error with a message for the publisher.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using PackageBytes = std::vector<uint8_t>;

// A file of an attachment archive: its name in the workspace and its bytes.
struct AttachmentFile {
    std::string name;
    PackageBytes content;
};

// Appends one entry (name, zero, u32 size, content) to archive. The name is
// not checked: tests use this to make archives the applier must refuse.
void AppendArchiveEntry(PackageBytes& archive, std::string_view name, const PackageBytes& content);
// The archive of files, in their order. Refuses a name that is not a plain
// file name, and two names that are the same file on Windows (case aside).
PackageBytes MakeAttachmentArchive(const std::vector<AttachmentFile>& files);
// One bzip2 stream of data; blockSize100k 9 ("BZh9") is what the applier
// accepts, tests pass others to make streams it must refuse.
PackageBytes CompressStream(const PackageBytes& data, int blockSize100k = 9);
// A package record: R (4 + the stream's length), U, the stream.
PackageBytes MakePackageRecord(const PackageBytes& stream, uint32_t uncompressedSize);
// The record of an archive: compressed with block size 9, U its length.
PackageBytes MakeArchiveRecord(const PackageBytes& archive);
// Throws unless applier is a Windows exe of exactly PackageOffset bytes.
void CheckApplier(const PackageBytes& applier);
// The applier with record 1 (the stream-1 files) and record 2 (patchData as
// Patch.dat alone) appended.
PackageBytes MakePackage(const PackageBytes& applier,
                         const std::vector<AttachmentFile>& stream1Files,
                         const PackageBytes& patchData);
// MakePackage from and to files; OUT is written whole or not at all.
void WritePackage(const std::string& applierExePath,
                  const std::vector<AttachmentFile>& stream1Files,
                  const PackageBytes& patchDataBytes, const std::string& outPath);

// The stream-1 files of a package folder: the regular files directly in it,
// sorted by name. Throws for a name that is not a plain file name.
std::vector<AttachmentFile> ReadPackageFolder(const std::string& folder);

PackageBytes ReadFileBytes(const std::string& path);
// Writes through a temporary file beside path and renames it into place, so
// a failure leaves no half-written file.
void WriteFileBytes(const std::string& path, const PackageBytes& bytes);
