#include "folder_diff.h"

#include "matcher.h"
#include "package_writer.h"
#include "patch/crc32.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

// The applier joins the destination folder and the relative path in a buffer
// of 260 characters; a path this long leaves no room for any folder.
const size_t LongestRelativePath = 258;

std::string Lowercase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string LastComponent(const std::string& relativePath) {
    return relativePath.substr(relativePath.rfind('\\') + 1);
}

// "bin/App.exe", "\bin\App.exe" and "bin\App.exe" all name "\bin\App.exe".
std::string AsRelativePath(std::string name) {
    std::replace(name.begin(), name.end(), '/', '\\');
    if (name.empty() || name[0] != '\\')
        name.insert(name.begin(), '\\');
    return name;
}

struct MainFileRule {
    std::string wanted; // lowercase; a whole relative path or a file name
    bool wholePath = false;

    explicit MainFileRule(const std::string& mainFile) {
        wholePath = mainFile.find_first_of("\\/") != std::string::npos;
        wanted = Lowercase(wholePath ? AsRelativePath(mainFile) : mainFile);
    }
    bool Matches(const std::string& relativePath) const {
        if (wanted.empty())
            return false;
        return Lowercase(wholePath ? relativePath : LastComponent(relativePath)) == wanted;
    }
};

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

std::string RelativePathOf(const fs::path& file, const fs::path& root) {
    std::string out;
    for (const fs::path& part : file.lexically_relative(root)) {
        const std::string name = part.string();
        if (name.find('\\') != std::string::npos)
            throw std::runtime_error(Quoted(file) +
                                     ": a backslash in a name cannot be carried to Windows");
        out += '\\';
        out += name;
    }
    if (out.size() > LongestRelativePath)
        throw std::runtime_error(Quoted(file) + ": the relative path is longer than " +
                                 std::to_string(LongestRelativePath) + " characters");
    return out;
}

bool HasNonAscii(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::vector<PatchOp> ToPatchOps(const std::vector<MatchOp>& matches, const PackageBytes& newBytes) {
    std::vector<PatchOp> ops;
    ops.reserve(matches.size());
    for (const MatchOp& m : matches) {
        if (m.kind == MatchOp::Copy) {
            ops.push_back(PatchOp::CopyOf(m.length, m.offset));
        } else {
            const auto from = newBytes.begin() + m.offset;
            ops.push_back(PatchOp::InsertOf(std::vector<uint8_t>(from, from + m.length)));
        }
    }
    return ops;
}

PackageBytes ReadCheckedFile(const FolderFile& file) {
    PackageBytes bytes = ReadFileBytes(file.hostPath.string());
    if (uint64_t(bytes.size()) >> 32 != 0)
        throw std::runtime_error(Quoted(file.hostPath) +
                                 " is 4 GiB or larger; the patch data holds smaller files only");
    return bytes;
}

} // namespace

uint64_t UnixTimeToFileTime(int64_t seconds, uint32_t nanoseconds) {
    const int64_t secondsFrom1601To1970 = 11644473600;
    return uint64_t(seconds + secondsFrom1601To1970) * 10000000u + nanoseconds / 100;
}

FileTimes ReadFileTimes(const fs::path& file) {
    FileTimes times;
#ifdef _WIN32
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(file.wstring().c_str(), GetFileExInfoStandard, &data))
        throw std::runtime_error(Quoted(file) + ": cannot read the file times");
    times.creation =
        uint64_t(data.ftCreationTime.dwHighDateTime) << 32 | data.ftCreationTime.dwLowDateTime;
    times.lastWrite =
        uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
#else
    struct statx sx;
    if (statx(AT_FDCWD, file.c_str(), 0, STATX_MTIME | STATX_BTIME, &sx) != 0)
        throw std::runtime_error(Quoted(file) + ": cannot read the file times");
    times.lastWrite = UnixTimeToFileTime(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    times.creation = (sx.stx_mask & STATX_BTIME)
                         ? UnixTimeToFileTime(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
                         : times.lastWrite;
#endif
    return times;
}

std::vector<FolderFile> ListFolderFiles(const std::string& folder) {
    const fs::path root(folder);
    std::error_code error;
    if (!fs::is_directory(root, error))
        throw std::runtime_error(Quoted(root) + " is not a folder");
    std::vector<FolderFile> files;
    fs::recursive_directory_iterator it(root, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        // Regular files, and links to them; folders are made on the way by
        // the applier, and other kinds of file do not exist on Windows.
        if (it->is_regular_file(error))
            files.push_back({RelativePathOf(it->path(), root), it->path()});
    }
    if (error)
        throw std::runtime_error(Quoted(root) + ": cannot read the folder: " + error.message());
    std::sort(files.begin(), files.end(), [](const FolderFile& a, const FolderFile& b) {
        return Lowercase(a.relativePath) < Lowercase(b.relativePath);
    });
    return files;
}

size_t DiffFolders(const FolderDiffOptions& options, FolderDiffReport& report,
                   const std::function<void(const PatchEntry&)>& sink) {
    BuildCrcTable();
    std::vector<FolderFile> oldFiles = ListFolderFiles(options.oldFolder);
    std::vector<FolderFile> newFiles = ListFolderFiles(options.newFolder);

    // Windows sees one file where Linux may see two names that differ in case.
    std::map<std::string, const FolderFile*> oldByKey;
    for (const FolderFile& f : oldFiles)
        if (!oldByKey.emplace(Lowercase(f.relativePath), &f).second)
            report.warnings.push_back("the old folder has two files that differ only in case; " +
                                      f.relativePath + " is not compared");
    std::map<std::string, const FolderFile*> newByKey;
    for (const FolderFile& f : newFiles) {
        auto [it, added] = newByKey.emplace(Lowercase(f.relativePath), &f);
        if (!added)
            throw std::runtime_error("the new folder has two files that differ only in case: " +
                                     it->second->relativePath + " and " + f.relativePath);
    }
    for (const auto& [key, file] : oldByKey)
        if (newByKey.find(key) == newByKey.end())
            report.onlyInOld.push_back(file->relativePath);

    const MainFileRule mainRule(options.mainFile);
    const auto firstOther =
        std::stable_partition(newFiles.begin(), newFiles.end(), [&](const FolderFile& f) {
            return mainRule.Matches(f.relativePath);
        });
    if (!options.mainFile.empty() && firstOther == newFiles.begin())
        throw std::runtime_error("the main file '" + options.mainFile +
                                 "' is not in the new folder");

    size_t count = 0;
    for (const FolderFile& file : newFiles) {
        if (HasNonAscii(file.relativePath))
            report.warnings.push_back(file.relativePath +
                                      ": the name is stored as its bytes; Windows reads them in "
                                      "the users' code page");
        PackageBytes newBytes = ReadCheckedFile(file);
        const FileTimes times = ReadFileTimes(file.hostPath);
        const auto old = oldByKey.find(Lowercase(file.relativePath));
        if (old == oldByKey.end()) {
            sink(PatchEntry::Attached(file.relativePath, std::move(newBytes), times.creation,
                                      times.lastWrite));
            report.attached++;
            count++;
            continue;
        }
        const PackageBytes oldBytes = ReadCheckedFile(*old->second);
        if (oldBytes == newBytes) {
            report.unchanged++;
            continue;
        }
        PatchEntry entry;
        entry.relativePath = file.relativePath;
        entry.creationTime = times.creation;
        entry.lastWriteTime = times.lastWrite;
        entry.oldCrc = CrcOfBytes(oldBytes.data(), oldBytes.size());
        entry.newCrc = CrcOfBytes(newBytes.data(), newBytes.size());
        if (entry.oldCrc == entry.newCrc)
            report.warnings.push_back(file.relativePath +
                                      ": the old and new versions differ but have the same "
                                      "checksum; the update will take the file as up to date");
        entry.ops = ToPatchOps(
            MatchFiles(oldBytes.data(), oldBytes.size(), newBytes.data(), newBytes.size()),
            newBytes);
        sink(entry);
        report.patched++;
        count++;
    }
    return count;
}

std::vector<uint8_t> DiffFoldersToPatchData(const FolderDiffOptions& options,
                                            FolderDiffReport& report) {
    std::vector<uint8_t> out(4, 0);
    const size_t count = DiffFolders(options, report, [&](const PatchEntry& entry) {
        if (report.patched + report.attached >= MaxPatchEntries)
            throw std::runtime_error("more than " + std::to_string(MaxPatchEntries) +
                                     " changed and new files; the patch data holds no more");
        AppendPatchEntry(out, entry);
        if (uint64_t(out.size()) >> 32 != 0)
            throw std::runtime_error("the patch data would be 4 GiB or larger");
    });
    for (int i = 0; i < 4; i++)
        out[i] = static_cast<uint8_t>(count >> (8 * i));
    return out;
}
