// Whole update runs on the worker thread, driven by message-only windows that
// stand in for the progress dialog, its progress bar and its status line; and
// the update log's lines and stopping rules.
#include "engine_fixture.h"

#include "patch/update_job.h"
#include "patch/update_log.h"

#include <commctrl.h>

#include <functional>

using namespace engine_test;

namespace {

using Files = std::map<std::string, std::string>;

// What one stand-in window received.
struct Received {
    std::vector<LPARAM> ranges;
    std::vector<WPARAM> positions;
    std::vector<std::string> texts;
    std::vector<int> done;
    std::function<void(const std::string&)> onText;
};

LRESULT CALLBACK SinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Received* r = reinterpret_cast<Received*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (r) {
        switch (message) {
        case PBM_SETRANGE:
            r->ranges.push_back(lParam);
            return 0;
        case PBM_SETPOS:
            r->positions.push_back(wParam);
            return 0;
        case WM_SETTEXT:
            r->texts.push_back(reinterpret_cast<const char*>(lParam));
            if (r->onText)
                r->onText(r->texts.back());
            return TRUE;
        case WM_UPDATE_DONE:
            r->done.push_back(static_cast<int>(wParam));
            // GetMessage handles sent messages without returning: wake it.
            PostQuitMessage(0);
            return 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeSink(Received* r) {
    static ATOM atom = [] {
        WNDCLASSA c = {};
        c.lpfnWndProc = SinkProc;
        c.hInstance = GetModuleHandleA(nullptr);
        c.lpszClassName = "EngineTestSink";
        return RegisterClassA(&c);
    }();
    (void)atom;
    HWND w = CreateWindowA("EngineTestSink", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(r));
    return w;
}

class UpdateRun : public EngineFolders {
  protected:
    Received dialog, progress, status;
    UpdateJob job{};
    std::string backup;

    void SetUp() override {
        EngineFolders::SetUp();
        backup = dest + "\\Tarvelion.bak\\";
        dialog = progress = status = Received{};
        lstrcpyA(MainFileName, "Prog.exe");
        lstrcpyA(PatchDataName, "Patch.dat");
    }
    void TearDown() override {
        CurrentJob = nullptr;
        EngineFolders::TearDown();
    }

    void WritePatchData(const Bytes& data) {
        ASSERT_TRUE(WriteBytes(workspace + "\\Patch.dat", data));
    }
    void Put(const Files& files) {
        for (const auto& [name, content] : files) {
            std::string path = D(name);
            CreateDirectoryA(path.substr(0, path.rfind('\\')).c_str(), nullptr);
            if (path.back() != '\\') {
                ASSERT_TRUE(WriteBytes(path, B(content)));
            }
        }
    }

    // Runs the worker on its own thread and pumps this thread's messages, as
    // the progress dialog's modal loop does, until WM_UPDATE_DONE arrives.
    int Run(int backupChoice) {
        HWND d = MakeSink(&dialog), p = MakeSink(&progress), s = MakeSink(&status);
        job.backupChoice = backupChoice;
        job.destinationFolder = dest.c_str();
        job.backupFolder = backup.c_str();
        job.patchDataName = PatchDataName;
        job.dialogWindow = d;
        job.progressBarWindow = p;
        job.statusTextWindow = s;
        job.runState = RunGoing;
        HANDLE worker = CreateThread(nullptr, 0, UpdateWorker, &job, 0, nullptr);
        MSG m;
        while (dialog.done.empty() && GetMessageA(&m, nullptr, 0, 0) > 0)
            DispatchMessageA(&m);
        EXPECT_EQ(WaitForSingleObject(worker, 10000), WAIT_OBJECT_0);
        CloseHandle(worker);
        DestroyWindow(d);
        DestroyWindow(p);
        DestroyWindow(s);
        EXPECT_EQ(dialog.done.size(), 1u);
        return dialog.done.empty() ? 99 : dialog.done[0];
    }

    std::string Log() const { return ReadText(D("Tarvelion.log")); }
    // The destination without the log, the backup folder and anything the run
    // must not leave behind checked on its own.
    Files DestFiles() const {
        Files all = Tree(dest);
        all.erase("Tarvelion.log");
        return all;
    }
};

const Files Installed = {{"a.txt", "version one of a"},
                         {"bin\\", ""},
                         {"bin\\Prog.exe", "program, version one"},
                         {"c.txt", "version one of c"}};

TEST_F(UpdateRun, ACompletedRunWithAndWithoutBackup) {
    for (int backupChoice : {1, 0}) {
        SCOPED_TRACE(backupChoice);
        TearDown();
        SetUp();
        Put(Installed);
        SetFileAttributesA(D("a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        WritePatchData(SerializePatchData({
            PatchFromTo("\\a.txt", "version one of a", "version two of a"),
            PatchEntry::Attached("\\new\\added.txt", B("added")),
            PatchEntry::Attached("\\c.txt", B("c replaced")),
            PatchFromTo("\\bin\\Prog.exe", "program, version one", "program, version two"),
        }));
        EXPECT_EQ(Run(backupChoice), RunGoing);
        Files expected = {
            {"a.txt", "version two of a"}, {"bin\\", ""}, {"bin\\Prog.exe", "program, version two"},
            {"c.txt", "c replaced"},       {"new\\", ""}, {"new\\added.txt", "added"}};
        if (backupChoice) {
            expected["Tarvelion.bak\\"] = "";
            expected["Tarvelion.bak\\a.txt"] = "version one of a";
            expected["Tarvelion.bak\\c.txt"] = "version one of c";
            expected["Tarvelion.bak\\bin\\"] = "";
            expected["Tarvelion.bak\\bin\\Prog.exe"] = "program, version one";
        }
        EXPECT_EQ(DestFiles(), expected); // no staging folder, no temporary file
        EXPECT_EQ(Log(), "a.txt -> File updated sucessfully!\r\n"
                         "new\\added.txt -> Attached file added successfully!\r\n"
                         "c.txt -> Attached file existed, and overwritten.\r\n"
                         "bin\\Prog.exe -> File updated sucessfully!\r\n");
        EXPECT_EQ(progress.ranges, (std::vector<LPARAM>{MAKELPARAM(0, 4)}));
        EXPECT_EQ(progress.positions, (std::vector<WPARAM>{1, 2, 3, 4}));
        EXPECT_EQ(status.texts, (std::vector<std::string>{"\\a.txt", "\\new\\added.txt", "\\c.txt",
                                                          "\\bin\\Prog.exe"}));
    }
}

TEST_F(UpdateRun, ACountOfZeroCompletesWithNothingDone) {
    Put(Installed);
    WritePatchData({0, 0, 0, 0});
    EXPECT_EQ(Run(1), RunGoing);
    EXPECT_EQ(DestFiles(), Installed); // no backup folder, staging made and gone
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(progress.ranges, (std::vector<LPARAM>{MAKELPARAM(0, 0)}));
}

TEST_F(UpdateRun, PatchDataThatCannotBeReadStopsBeforeAnythingChanges) {
    struct Case {
        const char* name;
        bool write;
        Bytes data;
    } cases[] = {
        {"empty", true, {}}, {"missing", false, {}}, {"shorter than its count", true, {1, 0}}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TearDown();
        SetUp();
        Put(Installed);
        if (k.write)
            WritePatchData(k.data);
        EXPECT_EQ(Run(1), RunDataError);
        EXPECT_EQ(DestFiles(), Installed);
        EXPECT_EQ(Log(), ""); // created, empty
        EXPECT_TRUE(progress.ranges.empty());
        EXPECT_EQ(job.runState.load(), RunGoing);
    }
}

// Each stop rolls back every file replaced before it and leaves later entries
// alone; added files and made folders stay.
TEST_F(UpdateRun, AStopRollsBackAndLeavesTheRestUntouched) {
    struct Case {
        const char* name;
        std::function<Bytes()> data;
        int state;
        std::string log;
        std::vector<WPARAM> positions;
        Files addedThatStay;
    } cases[] = {
        {"data error at entry 2 of 3",
         [] {
             Bytes data = SerializePatchData(
                 {PatchFromTo("\\a.txt", "version one of a", "version two of a")});
             data[0] = 3;
             AppendPatchEntry(data, PatchFromTo("\\c.txt", "version one of c", "c two"));
             data.back() = 9; // the end byte becomes an invalid op
             AppendPatchEntry(data, PatchEntry::Attached("\\third\\t.txt", B("t")));
             return data;
         },
         RunDataError,
         "a.txt -> File updated sucessfully!\r\n"
         "c.txt -> Data file error; Opration canceled!\r\n",
         {1},
         {}},
        {"main file fails in a subfolder, other letter case",
         [] {
             return SerializePatchData({
                 PatchEntry::Attached("\\added.txt", B("added")),
                 PatchFromTo("\\a.txt", "version one of a", "version two of a"),
                 PatchFromTo("\\BIN\\prog.EXE", "not the installed one", "program two"),
                 PatchFromTo("\\c.txt", "version one of c", "c two"),
             });
         },
         RunMainFileFailed,
         "added.txt -> Attached file added successfully!\r\n"
         "a.txt -> File updated sucessfully!\r\n"
         "BIN\\prog.EXE -> Original file CRC error; Skipped.\r\n",
         {1, 2},
         {{"added.txt", "added"}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TearDown();
        SetUp();
        Put(Installed);
        WritePatchData(k.data());
        EXPECT_EQ(Run(1), k.state);
        Files expected = Installed;
        expected.insert(k.addedThatStay.begin(), k.addedThatStay.end());
        EXPECT_EQ(DestFiles(), expected);
        EXPECT_EQ(Log(), k.log);
        EXPECT_EQ(progress.positions, k.positions);
    }
}

TEST_F(UpdateRun, ACancelDuringEntryKStillAppliesAndLogsItThenRollsBack) {
    Put(Installed);
    WritePatchData(SerializePatchData({
        PatchEntry::Attached("\\new\\added.txt", B("added")),
        PatchFromTo("\\a.txt", "version one of a", "version two of a"),
        PatchFromTo("\\c.txt", "version one of c", "c two"),
    }));
    // Cancel is pressed while entry 2 is in progress (its status line is shown).
    status.onText = [this](const std::string& text) {
        if (text == "\\a.txt")
            job.runState = RunCancelled;
    };
    EXPECT_EQ(Run(1), RunCancelled);
    Files expected = Installed;
    expected["new\\"] = "";
    expected["new\\added.txt"] = "added";
    EXPECT_EQ(DestFiles(), expected);
    EXPECT_EQ(Log(), "new\\added.txt -> Attached file added successfully!\r\n"
                     "a.txt -> File updated sucessfully!\r\n");
    EXPECT_EQ(progress.positions, (std::vector<WPARAM>{1}));
    EXPECT_EQ(status.texts, (std::vector<std::string>{"\\new\\added.txt", "\\a.txt"}));
}

class UpdateLog : public EngineFolders {
  protected:
    UpdateJob job{};
    HANDLE log = INVALID_HANDLE_VALUE;

    void SetUp() override {
        EngineFolders::SetUp();
        lstrcpyA(MainFileName, "bin\\Prog.exe");
        job.runState = RunGoing;
        CurrentJob = &job;
        log = CreateFileA(D("Tarvelion.log").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(log, INVALID_HANDLE_VALUE);
    }
    void TearDown() override {
        if (log != INVALID_HANDLE_VALUE)
            CloseHandle(log);
        CurrentJob = nullptr;
        EngineFolders::TearDown();
    }
    std::string Written() {
        CloseHandle(log);
        log = INVALID_HANDLE_VALUE;
        return ReadText(D("Tarvelion.log"));
    }
};

TEST_F(UpdateLog, LinesAreWrittenWholeWithTheirTexts) {
    std::string longPath = "\\" + std::string(200, 'd') + "\\" + std::string(50, 'f') + ".dll";
    WriteLogLine("\\bin\\core.dll", FileUpdated, log);
    WriteLogLine("plain.txt", AttachedAdded, log);
    WriteLogLine("\\\\two.txt", AttachedSkipped, log);
    WriteLogLine(longPath.c_str(), UpdatedCrcError, log);
    WriteLogLine("\\x", AccessDenied, log);
    WriteLogLine("\\y", ReplaceFailed, log);
    EXPECT_EQ(Written(), "bin\\core.dll -> File updated sucessfully!\r\n"
                         "plain.txt -> Attached file added successfully!\r\n"
                         "\\two.txt -> Attached file existed, and skipped by user.\r\n" +
                             longPath.substr(1) +
                             " -> Updated file CRC error; Original file restored.\r\n" +
                             "x -> Access of original file is denied; Skipped.\r\n"
                             "y -> Access of original file is denied; Skipped.\r\n");
}

TEST_F(UpdateLog, EveryResultHasItsText) {
    struct Case {
        int result;
        const char* text;
    } cases[] = {
        {AttachedAdded, "Attached file added successfully!"},
        {FileUpdated, "File updated sucessfully!"},
        {AttachedOverwritten, "Attached file existed, and overwritten."},
        {AttachedSkipped, "Attached file existed, and skipped by user."},
        {AttachedCrcError, "Attached file CRC error; Skipped."},
        {OriginalMissing, "Original file not existed; Skipped."},
        {OriginalCrcError, "Original file CRC error; Skipped."},
        {AlreadyUpdated, "Original file was updated; Skipped."},
        {UpdatedCrcError, "Updated file CRC error; Original file restored."},
        {DataError, "Data file error; Opration canceled!"},
        {AccessDenied, "Access of original file is denied; Skipped."},
        {ReplaceFailed, "Access of original file is denied; Skipped."},
    };
    std::string expected;
    for (const Case& k : cases) {
        WriteLogLine("\\f", k.result, log);
        expected += std::string("f -> ") + k.text + "\r\n";
    }
    EXPECT_EQ(Written(), expected);
}

TEST_F(UpdateLog, StoppingRules) {
    struct Case {
        const char* path;
        int result;
        int state;
    } cases[] = {
        {"\\other\\PROG.EXE", OriginalMissing, RunMainFileFailed},
        {"\\prog.exe", AccessDenied, RunMainFileFailed},
        {"\\Prog.exe", ReplaceFailed, RunMainFileFailed},
        {"\\bin\\Prog.exe", UpdatedCrcError, RunMainFileFailed},
        {"\\bin\\Prog.exe", OriginalCrcError, RunMainFileFailed},
        {"\\bin\\Prog.exe", AttachedCrcError, RunMainFileFailed},
        {"\\bin\\Prog.exe", AlreadyUpdated, RunGoing},
        {"\\bin\\Prog.exe", AttachedSkipped, RunGoing},
        {"\\bin\\Prog.exe", AttachedOverwritten, RunGoing},
        {"\\bin\\Prog.exe", FileUpdated, RunGoing},
        {"\\bin\\Prog.exe", AttachedAdded, RunGoing},
        {"\\bin\\Prog.exe.bak", OriginalMissing, RunGoing},
        {"\\Prog\\other.exe", OriginalMissing, RunGoing},
        {"\\any.txt", DataError, RunDataError},
    };
    for (const Case& k : cases) {
        job.runState = RunGoing;
        WriteLogLine(k.path, k.result, log);
        EXPECT_EQ(job.runState.load(), k.state) << k.path << " " << std::hex << k.result;
    }
}

TEST_F(UpdateLog, AFailedWriteStillSetsTheState) {
    CloseHandle(log);
    log = INVALID_HANDLE_VALUE;
    WriteLogLine("\\bin\\prog.exe", OriginalMissing, INVALID_HANDLE_VALUE);
    EXPECT_EQ(job.runState.load(), RunMainFileFailed);
}

} // namespace
