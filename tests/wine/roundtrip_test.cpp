// From two folders to an updated destination: the builder diffs and packs,
// the applier unpacks stream 2 and its worker applies the patch data, and the
// destination must then hold the new folder byte for byte.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "../unit/diff_data.h"
#include "engine_fixture.h"
#include "app/state.h"
#include "folder_diff.h"
#include "package/extract_stream.h"
#include "package_writer.h"
#include "patch/crc32.h"
#include "patch/entry_result.h"
#include "patch/update_job.h"

#include <filesystem>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using diff_data::Bytes;
using diff_data::EditedCopy;
using diff_data::RandomBytes;

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

void SetLastWrite(const fs::path& path, uint64_t fileTime) {
    HANDLE h = CreateFileA(path.string().c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    FILETIME t = {DWORD(fileTime), DWORD(fileTime >> 32)};
    SetFileTime(h, nullptr, nullptr, &t);
    CloseHandle(h);
}

// Every file below a folder, by relative path, for comparing whole trees.
std::map<std::string, fs::path> FilesOf(const fs::path& folder) {
    std::map<std::string, fs::path> files;
    for (const FolderFile& f : ListFolderFiles(folder.string()))
        files[f.relativePath] = f.hostPath;
    return files;
}

// The progress dialog's stand-in: a message-only window that takes the
// worker's progress and status messages and ends the loop on WM_UPDATE_DONE.
struct RunReport {
    int finalState = 99;
    int progressMaximum = -1;
    int progressPosition = -1;
};
RunReport* CurrentReport;

LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_UPDATE_DONE:
        CurrentReport->finalState = int(wParam);
        PostQuitMessage(0);
        return 0;
    case PBM_SETRANGE:
        CurrentReport->progressMaximum = HIWORD(lParam);
        return 0;
    case PBM_SETPOS:
        CurrentReport->progressPosition = int(wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

RunReport RunUpdate(const std::string& destination, const std::string& mainFile) {
    RunReport report;
    CurrentReport = &report;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = StandInProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "RoundTripStandIn";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, windowClass.hInstance, nullptr);
    EXPECT_NE(window, nullptr);

    static char destinationBuffer[MAX_PATH], backupBuffer[MAX_PATH];
    lstrcpynA(destinationBuffer, destination.c_str(), MAX_PATH);
    lstrcpynA(backupBuffer, (destination + "\\Tarvelion.bak\\").c_str(), MAX_PATH);
    lstrcpynA(MainFileName, mainFile.c_str(), MAX_PATH);
    static UpdateJob job;
    job.backupChoice = 0;
    job.destinationFolder = destinationBuffer;
    job.backupFolder = backupBuffer;
    job.patchDataName = "Patch.dat";
    job.dialogWindow = window;
    job.progressBarWindow = window;
    job.statusTextWindow = window;
    job.runState.store(RunGoing);

    HANDLE worker = CreateThread(nullptr, 0, UpdateWorker, &job, 0, nullptr);
    EXPECT_NE(worker, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    DestroyWindow(window);
    return report;
}

// The engine's temporary folders (destination, workspace), and the current
// directory back where it was: the extractor writes into it.
struct RoundTrip : engine_test::EngineFolders {
    char previousDirectory[MAX_PATH] = {};

    void SetUp() override {
        EngineFolders::SetUp();
        GetCurrentDirectoryA(MAX_PATH, previousDirectory);
    }
    void TearDown() override {
        SetCurrentDirectoryA(previousDirectory);
        EngineFolders::TearDown();
    }
};

TEST_F(RoundTrip, DiffPackAndApplyGiveTheNewFolderByteForByte) {
    const fs::path top = root, oldDir = top / "old", newDir = top / "new", destDir = dest;
    const size_t bigSize = (64u << 20) + 4096 + 7; // past 64 MiB, not a round size

    const Bytes program = RandomBytes(400000, 1);
    WriteFile(oldDir / "App.exe", program);
    WriteFile(newDir / "App.exe", EditedCopy(program, 20, 200, 100));
    const Bytes big = RandomBytes(bigSize, 2);
    WriteFile(oldDir / "data" / "assets.pak", big);
    WriteFile(newDir / "data" / "assets.pak", EditedCopy(big, 400, 200, 200));
    WriteFile(oldDir / "data" / "same.bin", RandomBytes(3000, 3));
    WriteFile(newDir / "data" / "same.bin", RandomBytes(3000, 3));
    WriteFile(oldDir / "readme.txt", Text("version 1\r\n"));
    WriteFile(newDir / "readme.txt", Text("version 2, with more to say\r\n"));
    WriteFile(oldDir / "notes.txt", Text("will be emptied"));
    WriteFile(newDir / "notes.txt", Bytes());
    WriteFile(newDir / "plugins" / "deep" / "extra.dll", RandomBytes(12345, 4));
    WriteFile(newDir / "empty.cfg", Bytes());
    WriteFile(oldDir / "legacy.dat", Text("only in the old version"));
    const uint64_t stamps[] = {130000000000000000ull, 131000000000000000ull, 132000000000000000ull,
                               133000000000000000ull, 134000000000000000ull, 135000000000000000ull};
    const char* stamped[] = {"App.exe",   "data\\assets.pak", "readme.txt",
                             "notes.txt", "empty.cfg",        "plugins\\deep\\extra.dll"};
    for (size_t i = 0; i < std::size(stamped); i++)
        SetLastWrite(newDir / stamped[i], stamps[i]);

    // The destination is an installed copy of the old version.
    fs::remove(destDir); // the fixture's empty folder; the copy makes it anew
    fs::copy(oldDir, destDir, fs::copy_options::recursive);
    const uint64_t unchangedTime = ReadFileTimes(destDir / "data" / "same.bin").lastWrite;

    FolderDiffReport diffReport;
    const Bytes patchData =
        DiffFoldersToPatchData({oldDir.string(), newDir.string(), "App.exe"}, diffReport);
    EXPECT_EQ(diffReport.patched, 4u);
    EXPECT_EQ(diffReport.attached, 2u);
    EXPECT_EQ(diffReport.unchanged, 1u);
    EXPECT_EQ(diffReport.onlyInOld, std::vector<std::string>{"\\legacy.dat"});
    // The big file travels as its changes, not whole.
    EXPECT_LT(patchData.size(), bigSize / 20);

    const fs::path package = top / "update.exe";
    WritePackage(APPLIER_EXE_WINDOWS, {{"Update.ini", Text("[Update]\r\nMainFile=App.exe\r\n")}},
                 patchData, package.string());
    ASSERT_TRUE(SetCurrentDirectoryA(workspace.c_str()));
    ASSERT_EQ(ExtractStreamFromFile(package.string().c_str(), 2), 1);

    const RunReport run = RunUpdate(destDir.string(), "App.exe");
    EXPECT_EQ(run.finalState, RunGoing);
    EXPECT_EQ(run.progressMaximum, 6);
    EXPECT_EQ(run.progressPosition, 6);
    // Only clean successes: four files updated, two added.
    EXPECT_EQ(ResultSummary, unsigned(FileUpdated | AttachedAdded));

    std::map<std::string, fs::path> expected = FilesOf(newDir);
    expected["\\legacy.dat"] = oldDir / "legacy.dat"; // the update cannot remove it
    std::map<std::string, fs::path> got = FilesOf(destDir);
    EXPECT_EQ(got.erase("\\Tarvelion.log"), 1u) << "no update log";
    ASSERT_EQ(got.size(), expected.size());
    for (const auto& [relativePath, expectedFile] : expected) {
        SCOPED_TRACE(relativePath);
        ASSERT_EQ(got.count(relativePath), 1u);
        EXPECT_TRUE(ReadFileBytes(got[relativePath].string()) ==
                    ReadFileBytes(expectedFile.string()));
    }
    for (size_t i = 0; i < std::size(stamped); i++)
        EXPECT_EQ(ReadFileTimes(destDir / stamped[i]).lastWrite, stamps[i]) << stamped[i];
    EXPECT_EQ(ReadFileTimes(destDir / "data" / "same.bin").lastWrite, unchangedTime)
        << "an unchanged file was rewritten";
}

} // namespace
