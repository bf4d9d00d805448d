// The diff step: an old and a new folder of the program give the entries of
// a Patch.dat. A changed file becomes a patch entry (old and new checksum and
// the ops that rebuild it), a file that only the new folder has becomes an
// attached entry, an unchanged file no entry. Paths are matched without
// regard to case, as Windows does.
#pragma once
#include "patch_writer.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct FolderDiffOptions {
    std::string oldFolder;
    std::string newFolder;
    // The program's main file: a file name ("App.exe"), which matches that
    // name in any subfolder, or a relative path ("bin\App.exe"). Its entry is
    // written first. Empty: no main file.
    std::string mainFile;
};

struct FolderDiffReport {
    size_t patched = 0;
    size_t attached = 0;
    size_t unchanged = 0;
    // Files that only the old folder has: the patch data cannot remove them.
    std::vector<std::string> onlyInOld;
    // Things the publisher should know about, one line each.
    std::vector<std::string> warnings;
};

// A regular file of a folder tree, with its path as the patch data names it.
struct FolderFile {
    std::string relativePath; // "\dir\file"
    std::filesystem::path hostPath;
};

// Every regular file below folder, subfolders included, sorted by relative
// path without regard to case. Throws std::runtime_error for a folder that
// cannot be read or a name the patch data cannot carry.
std::vector<FolderFile> ListFolderFiles(const std::string& folder);

struct FileTimes {
    uint64_t creation = 0;  // FILETIME: 100 ns since 1601-01-01 UTC
    uint64_t lastWrite = 0; // FILETIME
};
// The creation and last-write times of a file; where the file system keeps
// no creation time, the last-write time stands in for it.
FileTimes ReadFileTimes(const std::filesystem::path& file);
// Seconds and nanoseconds since 1970 as a FILETIME.
uint64_t UnixTimeToFileTime(int64_t seconds, uint32_t nanoseconds);

// Diffs the folders and hands every entry, in the order of the patch data,
// to sink (the main file's first, then by relative path). Returns the count
// of entries; fills report. Throws std::runtime_error with a message for the
// publisher on any failure.
size_t DiffFolders(const FolderDiffOptions& options, FolderDiffReport& report,
                   const std::function<void(const PatchEntry&)>& sink);

// The whole Patch.dat of DiffFolders.
std::vector<uint8_t> DiffFoldersToPatchData(const FolderDiffOptions& options,
                                            FolderDiffReport& report);
