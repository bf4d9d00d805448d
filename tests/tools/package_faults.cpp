#include "package_faults.h"

#include "package/package_format.h"

#include <bzlib.h>

#include <stdexcept>

namespace package_faults {

namespace {

void PutU32LE(PackageBytes& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
}

PackageBytes TextBytes(const std::string& text) {
    return PackageBytes(text.begin(), text.end());
}

PackageBytes Stream2Archive(const PackageContents& contents) {
    return MakeAttachmentArchive({{"Patch.dat", contents.patchData}});
}

PackageRecord Locate(const PackageBytes& package, int record) {
    PackageRecord found{};
    int status = LocatePackageRecord(package.data(), package.size(), PackageOffset, record, &found);
    if (status != RecordFound)
        throw std::runtime_error("record " + std::to_string(record) + " not found, status " +
                                 std::to_string(status));
    return found;
}

} // namespace

PackageBytes StandInApplier() {
    PackageBytes applier(PackageOffset, 0);
    applier[0] = 'M';
    applier[1] = 'Z';
    return applier;
}

PackageContents SampleContents() {
    PackageContents contents;
    contents.files = {
        {"Update.ini", TextBytes("[App]\r\nAppName=Sample\r\nShowSplash=0\r\n")},
        {"License.txt", TextBytes("Line one\r\nLine two\r\n")},
        {"Package.bmp", PackageBytes{'B', 'M', 0, 0, 0, 0, 0xFF, 0x80, 0, 1}},
    };
    for (int i = 0; i < 3000; ++i)
        contents.patchData.push_back(static_cast<uint8_t>((i * 7919) >> 3));
    return contents;
}

PackageBytes PackageOfRecords(const PackageBytes& record1, const PackageBytes& record2,
                              const PackageBytes& applier) {
    PackageBytes package = applier;
    package.insert(package.end(), record1.begin(), record1.end());
    package.insert(package.end(), record2.begin(), record2.end());
    return package;
}

PackageBytes PackageOfArchives(const PackageBytes& archive1, const PackageBytes& archive2,
                               const PackageBytes& applier) {
    return PackageOfRecords(MakeArchiveRecord(archive1), MakeArchiveRecord(archive2), applier);
}

PackageBytes GoodPackage(const PackageContents& contents, const PackageBytes& applier) {
    return MakePackage(applier, contents.files, contents.patchData);
}

const char* FaultName(Fault fault) {
    switch (fault) {
    case Fault::ChangedBlockByte:
        return "ChangedBlockByte";
    case Fault::LargerU:
        return "LargerU";
    case Fault::SmallerU:
        return "SmallerU";
    case Fault::CutRecord:
        return "CutRecord";
    case Fault::BlockSize1:
        return "BlockSize1";
    case Fault::RecordPastEnd:
        return "RecordPastEnd";
    case Fault::NoPackage:
        return "NoPackage";
    case Fault::TrailingBytes:
        return "TrailingBytes";
    }
    return "?";
}

PackageBytes DamagedPackage(const PackageContents& contents, Fault fault, int record,
                            const PackageBytes& applier) {
    if (record != 1 && record != 2)
        throw std::invalid_argument("a package has records 1 and 2");
    PackageBytes archives[2] = {MakeAttachmentArchive(contents.files), Stream2Archive(contents)};
    PackageBytes records[2];
    for (int i = 0; i < 2; ++i) {
        int blockSize = (fault == Fault::BlockSize1 && i == record - 1) ? 1 : 9;
        records[i] = MakePackageRecord(CompressStream(archives[i], blockSize),
                                       static_cast<uint32_t>(archives[i].size()));
    }
    PackageBytes package = PackageOfRecords(records[0], records[1], applier);
    PackageRecord target = Locate(package, record);
    size_t uField = target.offset + RecordSizeFieldBytes;
    size_t streamStart = target.offset + RecordHeaderBytes;

    switch (fault) {
    case Fault::ChangedBlockByte: {
        // Behind "BZh9", the 48-bit block magic and the block CRC lies the
        // block's coded data; the stream ends with a 10-byte trailer.
        const size_t blockData = StreamSignatureBytes + 6 + 4, trailer = 10;
        if (target.streamSize < blockData + trailer + 8)
            throw std::invalid_argument("the record's stream has no block to damage");
        package[streamStart + blockData + (target.streamSize - blockData - trailer) / 2] ^= 0x55;
        break;
    }
    case Fault::LargerU:
        PutU32LE(package, uField, target.uncompressedSize + LargerUExtra);
        break;
    case Fault::SmallerU:
        PutU32LE(package, uField, target.uncompressedSize - 1);
        break;
    case Fault::CutRecord:
        package.resize(streamStart + target.streamSize / 2);
        break;
    case Fault::BlockSize1:
        break;
    case Fault::RecordPastEnd:
        PutU32LE(package, target.offset,
                 static_cast<uint32_t>(package.size() - target.offset - RecordSizeFieldBytes + 1));
        break;
    case Fault::NoPackage:
        package = applier;
        break;
    case Fault::TrailingBytes: {
        PackageBytes signature = TextBytes("SIGNATURE BLOCK");
        signature.resize(512, 0xA5);
        package.insert(package.end(), signature.begin(), signature.end());
        break;
    }
    }
    return package;
}

std::vector<AttachmentFile> UnpackStream(const PackageBytes& package, int stream) {
    PackageRecord record = Locate(package, stream);
    if (!HasStreamSignature(record.stream, record.streamSize))
        throw std::runtime_error("stream " + std::to_string(stream) + " does not begin with BZh9");
    PackageBytes archive(static_cast<size_t>(record.uncompressedSize) + 1, 0);
    unsigned int produced = record.uncompressedSize;
    int status = BZ2_bzBuffToBuffDecompress(
        reinterpret_cast<char*>(archive.data()), &produced,
        const_cast<char*>(reinterpret_cast<const char*>(record.stream)), record.streamSize, 0, 0);
    if (status != BZ_OK)
        throw std::runtime_error("stream " + std::to_string(stream) +
                                 " does not decompress, bzip2 status " + std::to_string(status));
    std::vector<AttachmentFile> files;
    size_t position = 0;
    ArchiveEntry entry{};
    int step;
    while ((step = NextArchiveEntry(archive.data(), produced, &position, &entry)) ==
           ArchiveEntryRead)
        files.push_back({entry.name, PackageBytes(entry.content, entry.content + entry.size)});
    if (step != ArchiveEnd)
        throw std::runtime_error("stream " + std::to_string(stream) +
                                 " holds a broken archive entry, step " + std::to_string(step));
    return files;
}

void WritePackageFile(const std::string& path, const PackageBytes& package) {
    WriteFileBytes(path, package);
}

} // namespace package_faults
