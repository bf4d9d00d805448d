// Real temporary folders for the patch engine's tests: a fresh root per test
// with a destination folder, a staging folder and a workspace, and helpers to
// write, read and list files.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/state.h"
#include "patch/apply_entry.h"
#include "patch/crc32.h"
#include "patch/entry_result.h"
#include "patch_writer.h"

namespace engine_test {

using Bytes = std::vector<uint8_t>;

inline Bytes B(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline bool WriteBytes(const std::string& path, const Bytes& bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() ||
              WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == bytes.size();
}

inline bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The file's bytes, or "<missing>" when it cannot be read.
inline std::string ReadText(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(f);
    return text;
}

inline uint32_t CrcOf(const std::string& s) {
    return CrcOfBytes(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

// Every file below folder (relative path -> content); folders as "dir\".
inline void ListTree(const std::string& folder, const std::string& prefix,
                     std::map<std::string, std::string>& out) {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[prefix + name + "\\"] = "";
            ListTree(folder + "\\" + name, prefix + name + "\\", out);
        } else {
            out[prefix + name] = ReadText(folder + "\\" + name);
        }
    } while (FindNextFileA(h, &found));
    FindClose(h);
}

inline std::map<std::string, std::string> Tree(const std::string& folder) {
    std::map<std::string, std::string> out;
    ListTree(folder, "", out);
    return out;
}

// Removes a tree without the code under test.
inline void RemoveAll(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveAll(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
}

inline uint64_t FileTimeOf(const FILETIME& t) {
    return static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

// A patched entry from old to new content: one copy op for the common prefix,
// then the rest as an insert, so both kinds of op are exercised.
inline PatchEntry PatchFromTo(const std::string& path, const std::string& oldContent,
                              const std::string& newContent) {
    size_t common = 0;
    while (common < oldContent.size() && common < newContent.size() &&
           oldContent[common] == newContent[common])
        ++common;
    PatchEntry e;
    e.relativePath = path;
    e.oldCrc = CrcOf(oldContent);
    e.newCrc = CrcOf(newContent);
    e.creationTime = 132000000000000000ull;
    e.lastWriteTime = 132100000000000000ull;
    if (common > 0)
        e.ops.push_back(PatchOp::CopyOf(static_cast<uint32_t>(common), 0));
    e.ops.push_back(PatchOp::InsertOf(B(newContent.substr(common))));
    return e;
}

class EngineFolders : public ::testing::Test {
  protected:
    std::string root, dest, staging, workspace;

    void SetUp() override {
        BuildCrcTable();
        ProgramInstance = GetModuleHandleA(nullptr);
        LanguageFile[0] = 0;
        Silence = 1;
        ResultSummary = 0;
        char temp[MAX_PATH], name[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        GetTempFileNameA(temp, "eng", 0, name);
        DeleteFileA(name);
        root = name;
        dest = root + "\\dest";
        staging = root + "\\staging";
        workspace = root + "\\ws";
        CreateDirectoryA(root.c_str(), nullptr);
        CreateDirectoryA(dest.c_str(), nullptr);
        CreateDirectoryA(workspace.c_str(), nullptr);
        lstrcpynA(RunDestination, dest.c_str(), MAX_PATH);
        lstrcpynA(WorkspacePath, workspace.c_str(), MAX_PATH);
        RunStatusWindow = nullptr;
    }
    void TearDown() override { RemoveAll(root); }

    std::string D(const std::string& relative) const { return dest + "\\" + relative; }

    // Files left in the destination folder by a run that should leave none.
    std::vector<std::string> TempFilesInDest() const {
        std::vector<std::string> names;
        for (const auto& [name, content] : Tree(dest))
            if (name.rfind("PCH", 0) == 0 || name.rfind("BAK", 0) == 0)
                names.push_back(name);
        return names;
    }
};

} // namespace engine_test
