#include "package_writer.h"

#include "package/package_format.h"

#include <bzlib.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace {

void AppendU32LE(PackageBytes& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t CheckedU32(size_t size, const char* what) {
    if (size > std::numeric_limits<uint32_t>::max())
        throw std::runtime_error(std::string(what) + " is " + std::to_string(size) +
                                 " bytes, more than the 4 GiB a package field can hold");
    return static_cast<uint32_t>(size);
}

std::string FoldCase(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

const char* BzipErrorText(int status) {
    switch (status) {
    case BZ_MEM_ERROR:
        return "out of memory";
    case BZ_PARAM_ERROR:
        return "bad parameter";
    case BZ_OUTBUFF_FULL:
        return "output larger than expected";
    default:
        return "unexpected error";
    }
}

} // namespace

void AppendArchiveEntry(PackageBytes& archive, std::string_view name, const PackageBytes& content) {
    archive.insert(archive.end(), name.begin(), name.end());
    archive.push_back(0);
    AppendU32LE(archive, CheckedU32(content.size(), "an attachment"));
    archive.insert(archive.end(), content.begin(), content.end());
}

PackageBytes MakeAttachmentArchive(const std::vector<AttachmentFile>& files) {
    PackageBytes archive;
    std::set<std::string> seen;
    for (const AttachmentFile& file : files) {
        if (!IsPlainFileName(file.name.c_str()) || file.name.find('\0') != std::string::npos)
            throw std::runtime_error("'" + file.name +
                                     "' is not a plain file name that Windows can create "
                                     "(no folder, drive, device name or reserved character)");
        if (!seen.insert(FoldCase(file.name)).second)
            throw std::runtime_error("'" + file.name +
                                     "' appears twice (Windows file names ignore case)");
        AppendArchiveEntry(archive, file.name, file.content);
    }
    CheckedU32(archive.size(), "the attachment archive");
    return archive;
}

PackageBytes CompressStream(const PackageBytes& data, int blockSize100k) {
    unsigned int sourceSize = CheckedU32(data.size(), "the data to compress");
    // bzip2's documented worst case: 1% larger plus 600 bytes.
    size_t room = data.size() + data.size() / 100 + 601;
    unsigned int produced = CheckedU32(room, "the compressed stream");
    PackageBytes stream(room);
    // bzip2 takes non-const pointers but does not write through the source,
    // and refuses a null one even for no bytes (an empty folder's archive).
    static const char noBytes = 0;
    char* source =
        const_cast<char*>(data.empty() ? &noBytes : reinterpret_cast<const char*>(data.data()));
    int status = BZ2_bzBuffToBuffCompress(reinterpret_cast<char*>(stream.data()), &produced, source,
                                          sourceSize, blockSize100k, 0, 0);
    if (status != BZ_OK)
        throw std::runtime_error(std::string("bzip2 compression failed: ") + BzipErrorText(status));
    stream.resize(produced);
    return stream;
}

PackageBytes MakePackageRecord(const PackageBytes& stream, uint32_t uncompressedSize) {
    uint32_t streamSize = CheckedU32(stream.size(), "a compressed stream");
    uint32_t r = CheckedU32(static_cast<size_t>(streamSize) + 4, "a package record");
    PackageBytes record;
    record.reserve(RecordHeaderBytes + stream.size());
    AppendU32LE(record, r);
    AppendU32LE(record, uncompressedSize);
    record.insert(record.end(), stream.begin(), stream.end());
    return record;
}

PackageBytes MakeArchiveRecord(const PackageBytes& archive) {
    return MakePackageRecord(CompressStream(archive), CheckedU32(archive.size(), "an archive"));
}

void CheckApplier(const PackageBytes& applier) {
    if (applier.size() != static_cast<size_t>(PackageOffset))
        throw std::runtime_error(
            "the applier is " + std::to_string(applier.size()) + " bytes, but it must be exactly " +
            std::to_string(PackageOffset) +
            " bytes, where the applier looks for its package (use the padded bin/applier.exe of "
            "the same build, not one that already carries a package)");
    if (applier[0] != 'M' || applier[1] != 'Z')
        throw std::runtime_error("the applier is not a Windows executable (no MZ header)");
}

PackageBytes MakePackage(const PackageBytes& applier,
                         const std::vector<AttachmentFile>& stream1Files,
                         const PackageBytes& patchData) {
    CheckApplier(applier);
    PackageBytes record1 = MakeArchiveRecord(MakeAttachmentArchive(stream1Files));
    PackageBytes record2 = MakeArchiveRecord(MakeAttachmentArchive({{"Patch.dat", patchData}}));
    PackageBytes package = applier;
    package.insert(package.end(), record1.begin(), record1.end());
    package.insert(package.end(), record2.begin(), record2.end());
    return package;
}

void WritePackage(const std::string& applierExePath,
                  const std::vector<AttachmentFile>& stream1Files,
                  const PackageBytes& patchDataBytes, const std::string& outPath) {
    std::error_code ec;
    if (fs::exists(outPath, ec) && fs::equivalent(applierExePath, outPath, ec))
        throw std::runtime_error("the output " + outPath + " is the applier itself");
    PackageBytes applier = ReadFileBytes(applierExePath);
    try {
        CheckApplier(applier);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(applierExePath + ": " + e.what());
    }
    WriteFileBytes(outPath, MakePackage(applier, stream1Files, patchDataBytes));
}

std::vector<AttachmentFile> ReadPackageFolder(const std::string& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        throw std::runtime_error(folder + " is not a folder");
    std::vector<AttachmentFile> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        std::string name = entry.path().filename().string();
        if (!IsPlainFileName(name.c_str()))
            throw std::runtime_error(entry.path().string() +
                                     ": the name is not a plain file name that Windows can "
                                     "create, so the applier would not write it");
        files.push_back({name, ReadFileBytes(entry.path().string())});
    }
    std::sort(files.begin(), files.end(),
              [](const AttachmentFile& a, const AttachmentFile& b) { return a.name < b.name; });
    return files;
}

PackageBytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    std::streamoff size = in.tellg();
    if (size < 0)
        throw std::runtime_error("cannot read " + path);
    PackageBytes bytes(static_cast<size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    if (in.gcount() != size)
        throw std::runtime_error("cannot read " + path);
    return bytes;
}

void WriteFileBytes(const std::string& path, const PackageBytes& bytes) {
    std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            throw std::runtime_error("cannot create " + temporary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            throw std::runtime_error("cannot write " + temporary);
        }
    }
    std::error_code ec;
    fs::rename(temporary, path, ec);
    if (ec) {
        // Some runtimes do not rename over an existing file.
        fs::remove(path, ec);
        fs::rename(temporary, path, ec);
    }
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw std::runtime_error("cannot write " + path + ": " + ec.message());
    }
}
