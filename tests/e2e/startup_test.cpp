// The real applier on real packages: the mutex rules, a damaged package and
// the close question, each ending with exit code 0 and no workspace left in
// the temporary folder. Every run gets a temporary folder of its own (TMP),
// so that its workspace can be looked for.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "package_faults.h"
#include "window_driver.h"

namespace {

constexpr int Timeout = 30000;

PackageBytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return PackageBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

PackageBytes Bytes(const std::string& text) {
    return PackageBytes(text.begin(), text.end());
}

// ZEL*.tmp entries of a folder: the workspaces that runs left there.
std::vector<std::string> Workspaces(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\ZEL*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void DeleteFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteFolder(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH], name[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        GetTempFileNameA(temp, "sut", 0, name);
        DeleteFileA(name);
        root_ = name;
        CreateDirectoryA(root_.c_str(), nullptr);
        applier_ = ReadFileBytes(APPLIER_EXE);
        ASSERT_FALSE(applier_.empty());
    }
    void TearDown() override {
        // A failed test may leave its applier running.
        for (HANDLE process : running_) {
            if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
                TerminateProcess(process, 1);
                WaitForSingleObject(process, Timeout);
            }
            CloseHandle(process);
        }
        DeleteFolder(root_);
    }

    // Stream-1 files of a package: the settings given, a licence and guide.
    static package_faults::PackageContents Contents(const std::string& settings,
                                                    const std::string& language = "") {
        package_faults::PackageContents contents;
        contents.files.push_back({"Update.ini", Bytes(settings)});
        if (!language.empty())
            contents.files.push_back({"Language.ini", Bytes(language)});
        contents.files.push_back({"License.txt", Bytes("Licence text")});
        contents.files.push_back({"Guide.txt", Bytes("Guide text")});
        contents.files.push_back({"Readme.txt", Bytes("Read me")});
        // Large enough that a changed byte in its stream is always caught.
        contents.patchData = package_faults::SampleContents().patchData;
        return contents;
    }
    std::string WritePackage(const PackageBytes& package, const std::string& name) {
        std::string path = root_ + "\\" + name;
        package_faults::WritePackageFile(path, package);
        return path;
    }
    std::string GoodPackage(const std::string& settings, const std::string& name = "good.exe",
                            const std::string& language = "") {
        return WritePackage(package_faults::GoodPackage(Contents(settings, language), applier_),
                            name);
    }
    // Starts exe with TMP and TEMP set to a new folder root_\tag, kept in *temp.
    void Launch(const std::string& exe, const std::string& tag, wd::Process* process,
                std::string* temp) {
        *temp = root_ + "\\" + tag;
        CreateDirectoryA(temp->c_str(), nullptr);
        SetEnvironmentVariableA("TMP", temp->c_str());
        SetEnvironmentVariableA("TEMP", temp->c_str());
        bool started = wd::Start(exe, "", process, root_);
        SetEnvironmentVariableA("TMP", nullptr);
        SetEnvironmentVariableA("TEMP", nullptr);
        ASSERT_TRUE(started) << exe;
        HANDLE copy = nullptr;
        DuplicateHandle(GetCurrentProcess(), process->handle, GetCurrentProcess(), &copy, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
        running_.push_back(copy);
    }
    // The exit code once the process has ended (-1 when it did not).
    static long ExitCode(const wd::Process& process) {
        DWORD code = 0;
        if (!wd::WaitForExit(process, Timeout, &code))
            return -1;
        return (long)code;
    }
    HWND WaitForBackground(const wd::Process& process) {
        return wd::WaitForTopWindow(process.id, "quv", nullptr, Timeout, false);
    }
    // Answers the close question of a running applier with Yes.
    void ConfirmClose(const wd::Process& process, HWND background) {
        PostMessageA(background, WM_CLOSE, 0, 0);
        HWND box = wd::WaitForMessageBox(process.id, Timeout);
        ASSERT_NE(box, nullptr);
        wd::AnswerMessageBox(box, IDYES);
    }

    // A run of exe that got as far as its background window.
    struct Run {
        wd::Process process;
        std::string temp;
        HWND background = nullptr;
    };
    void StartRun(const std::string& exe, Run* run, const std::string& tag = "t") {
        Launch(exe, tag, &run->process, &run->temp);
        run->background = WaitForBackground(run->process);
        ASSERT_NE(run->background, nullptr) << exe;
    }
    // Yes to the close question: exit code 0 and no workspace left.
    void CloseRun(Run& run) {
        ConfirmClose(run.process, run.background);
        EXPECT_EQ(ExitCode(run.process), 0);
        EXPECT_TRUE(Workspaces(run.temp).empty());
    }

    std::string root_;
    PackageBytes applier_;
    std::vector<HANDLE> running_;
};

constexpr char quietSettings[] = "[App]\nAppName=Demo\nShowSplash=0\n";

TEST_F(StartupTest, WorkspaceHoldsStream1WhileRunningAndGoesAfterAConfirmedClose) {
    std::string exe = GoodPackage(quietSettings);
    Run run;
    ASSERT_NO_FATAL_FAILURE(StartRun(exe, &run));
    std::vector<std::string> workspaces = Workspaces(run.temp);
    ASSERT_EQ(workspaces.size(), 1u);
    std::string workspace = run.temp + "\\" + workspaces[0];
    EXPECT_NE(GetFileAttributesA((workspace + "\\Update.ini").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesA((workspace + "\\License.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    // Without a splash the patch data stays packed until the update.
    EXPECT_EQ(GetFileAttributesA((workspace + "\\Patch.dat").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(wd::Text(run.background), "Demo Update");

    CloseRun(run);
}

TEST_F(StartupTest, NoOnTheCloseQuestionKeepsTheProgramRunning) {
    std::string exe = GoodPackage(quietSettings);
    Run run;
    ASSERT_NO_FATAL_FAILURE(StartRun(exe, &run));
    PostMessageA(run.background, WM_CLOSE, 0, 0);
    HWND box = wd::WaitForMessageBox(run.process.id, Timeout);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(wd::Text(box), "Tarvelion");
    EXPECT_NE(wd::MessageBoxText(box).find("Are you sure to quit?"), std::string::npos);
    wd::AnswerMessageBox(box, IDNO);
    wd::Pump(500);
    EXPECT_TRUE(wd::IsRunning(run.process));
    EXPECT_TRUE(IsWindow(run.background));
    CloseRun(run);
}

struct TitleCase {
    const char* name;
    const char* settings;
    const char* language; // "" none; "@" stands for the user's section
    const char* caption;
};

class WindowTitleTest : public StartupTest, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(WindowTitleTest, CaptionIsText203WithTheApplicationName) {
    const TitleCase& c = GetParam();
    std::string language = c.language;
    char section[16];
    wsprintfA(section, "$%04X", (unsigned)GetUserDefaultLangID());
    for (size_t at; (at = language.find('@')) != std::string::npos;)
        language.replace(at, 1, section);
    std::string exe = GoodPackage(c.settings, "title.exe", language);
    Run run;
    ASSERT_NO_FATAL_FAILURE(StartRun(exe, &run));
    EXPECT_EQ(wd::Text(run.background), c.caption);
    CloseRun(run);
}

const TitleCase titleCases[] = {
    {"WithName", "[App]\nAppName=Demo Writer\nShowSplash=0\n", "", "Demo Writer Update"},
    {"NoName", "[App]\nShowSplash=0\n", "", " Update"},
    {"Translated", "[app]\nappname=Demo\nshowsplash=0\n", "[@]\nID203=%s wird aktualisiert\n",
     "Demo wird aktualisiert"},
    // Only the one "%s" takes the name; other directives stay as text.
    {"OtherDirectivesStayText", "[App]\nAppName=Demo\nShowSplash=0\n",
     "[@]\nID203=%d %s %s 100%%\n", "%d Demo %s 100%"},
};
INSTANTIATE_TEST_SUITE_P(Cases, WindowTitleTest, ::testing::ValuesIn(titleCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartupTest, ShowBGWZeroShowsTheBackgroundMinimized) {
    std::string exe = GoodPackage("[App]\nShowBGW=0\nShowSplash=0\n");
    Run run;
    ASSERT_NO_FATAL_FAILURE(StartRun(exe, &run));
    EXPECT_TRUE(wd::WaitUntil([&] { return IsIconic(run.background) != FALSE; }, Timeout));
    CloseRun(run);
}

struct DamageCase {
    const char* name;
    package_faults::Fault fault;
    int record;
    const char* settings;
};

class DamagedPackageTest : public StartupTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedPackageTest, ShowsText206AndLeavesNothingBehind) {
    const DamageCase& c = GetParam();
    std::string exe = WritePackage(
        package_faults::DamagedPackage(Contents(c.settings), c.fault, c.record, applier_),
        "damaged.exe");
    wd::Process process;
    std::string temp;
    Launch(exe, "t", &process, &temp);
    HWND box = wd::WaitForMessageBox(process.id, Timeout);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(wd::Text(box), "Tarvelion");
    EXPECT_EQ(wd::MessageBoxText(box), "Data integrity (CRC) error in data!\nIf you downloaded "
                                       "this file, try to download it again.");
    EXPECT_EQ(wd::FindTopWindow(process.id, "quv", nullptr, false), nullptr);
    wd::AnswerMessageBox(box, IDOK);
    EXPECT_EQ(ExitCode(process), 0);
    EXPECT_TRUE(Workspaces(temp).empty());
}

const DamageCase damageCases[] = {
    {"ChangedByteInStream1", package_faults::Fault::ChangedBlockByte, 1, quietSettings},
    {"CutStream1", package_faults::Fault::CutRecord, 1, quietSettings},
    {"NoPackage", package_faults::Fault::NoPackage, 1, quietSettings},
    // With the splash on, stream 2 is unpacked at start-up and must be whole.
    {"ChangedByteInStream2WithSplash", package_faults::Fault::ChangedBlockByte, 2,
     "[App]\nShowSplash=1\n"},
};
INSTANTIATE_TEST_SUITE_P(Cases, DamagedPackageTest, ::testing::ValuesIn(damageCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartupTest, SecondApplierOfThePackageEndsSilently) {
    std::string name = "TarvelionStartupTest" + std::to_string(GetCurrentProcessId());
    HANDLE target = CreateMutexA(nullptr, FALSE, (name + "Target").c_str());
    std::string settings = "[App]\nShowSplash=0\nApplierMutex=" + name + "\n";
    Run first;
    ASSERT_NO_FATAL_FAILURE(StartRun(GoodPackage(settings, "first.exe"), &first, "first"));

    // The applier rule comes first: no message even though the target runs.
    wd::Process second;
    std::string secondTemp;
    Launch(GoodPackage(settings + "TargetMutex=" + name + "Target\n", "second.exe"), "second",
           &second, &secondTemp);
    EXPECT_EQ(ExitCode(second), 0);
    EXPECT_TRUE(Workspaces(secondTemp).empty());

    EXPECT_TRUE(wd::IsRunning(first.process));
    EXPECT_EQ(Workspaces(first.temp).size(), 1u);
    CloseRun(first);
    CloseHandle(target);
}

TEST_F(StartupTest, ApplierMutexIsFreeAgainAfterTheRun) {
    std::string name = "TarvelionStartupAgain" + std::to_string(GetCurrentProcessId());
    std::string exe = GoodPackage("[App]\nShowSplash=0\nApplierMutex=" + name + "\n");
    for (int again = 0; again < 2; ++again) {
        Run run;
        ASSERT_NO_FATAL_FAILURE(StartRun(exe, &run, "run" + std::to_string(again)));
        CloseRun(run);
    }
}

TEST_F(StartupTest, RunningTargetStopsTheUpdateWithText219) {
    std::string name = "TarvelionStartupTarget" + std::to_string(GetCurrentProcessId());
    HANDLE target = CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_NE(target, nullptr);
    std::string exe = GoodPackage("[App]\nShowSplash=0\nTargetMutex=" + name + "\n");
    wd::Process process;
    std::string temp;
    Launch(exe, "t", &process, &temp);
    HWND box = wd::WaitForMessageBox(process.id, Timeout);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(wd::MessageBoxText(box), "Update program has detected Tarvelion is currently "
                                       "running.\n\nPlease close all instances of it before "
                                       "Update.");
    // No caption of its own: the platform's default, never the product's.
    EXPECT_NE(wd::Text(box), "Tarvelion");
    EXPECT_FALSE(wd::Text(box).empty());
    EXPECT_EQ(wd::FindTopWindow(process.id, "quv", nullptr, false), nullptr);
    wd::AnswerMessageBox(box, IDOK);
    EXPECT_EQ(ExitCode(process), 0);
    EXPECT_TRUE(Workspaces(temp).empty());
    CloseHandle(target);
}

TEST_F(StartupTest, TargetMutexThatDoesNotExistLetsStartUpGoOn) {
    std::string exe = GoodPackage("[App]\nShowSplash=0\nTargetMutex=TarvelionNoSuchMutex\n"
                                  "ApplierMutex=\n");
    Run run;
    ASSERT_NO_FATAL_FAILURE(StartRun(exe, &run));
    EXPECT_EQ(wd::FindMessageBox(run.process.id), nullptr);
    CloseRun(run);
}

} // namespace
