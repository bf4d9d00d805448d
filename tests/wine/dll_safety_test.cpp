// DLL planting: copies of riched32.dll and imagehlp.dll that leave a marker
// when loaded sit in a folder together with a loader exe, which is also the
// current directory. The applier's loading must not touch them; a naive
// LoadLibraryA in the same place does, which shows that the plant works.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "package_faults.h"
#include "window_driver.h"

namespace {

constexpr int Timeout = 30000;
const char* const planted[] = {"riched32.dll", "imagehlp.dll"};

class DllSafetyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH], name[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        GetTempFileNameA(temp, "dll", 0, name);
        DeleteFileA(name);
        folder_ = name;
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
        for (const char* dll : planted)
            ASSERT_TRUE(CopyFileA(PLANTED_DLL, (folder_ + "\\" + dll).c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(LOADER_EXE, (folder_ + "\\loader.exe").c_str(), FALSE));
    }
    void TearDown() override {
        for (const char* dll : planted) {
            DeleteFileA((folder_ + "\\" + dll).c_str());
            DeleteFileA((folder_ + "\\" + dll + ".loaded").c_str());
        }
        DeleteFileA((folder_ + "\\loader.exe").c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    // Runs the loader in the folder with wine told to prefer native DLLs of
    // these names; returns its exit code.
    long RunLoader(const char* mode) {
        SetEnvironmentVariableA("WINEDLLOVERRIDES", "riched32,imagehlp=n,b;mscoree,mshtml=");
        wd::Process process;
        bool started = wd::Start(folder_ + "\\loader.exe", mode, &process, folder_);
        SetEnvironmentVariableA("WINEDLLOVERRIDES", nullptr);
        if (!started)
            return -2;
        DWORD code = 0;
        if (!wd::WaitForExit(process, Timeout, &code)) {
            wd::Kill(process);
            return -1;
        }
        return (long)code;
    }
    bool Loaded(const char* dll) {
        return GetFileAttributesA((folder_ + "\\" + dll + ".loaded").c_str()) !=
               INVALID_FILE_ATTRIBUTES;
    }
    std::string folder_;
};

TEST_F(DllSafetyTest, NaiveLoadPicksUpThePlantedCopies) {
    RunLoader("naive");
    for (const char* dll : planted)
        EXPECT_TRUE(Loaded(dll)) << dll;
}

TEST_F(DllSafetyTest, SystemLoadNeverTouchesThePlantedCopies) {
    EXPECT_EQ(RunLoader("safe"), 0) << "the system's own DLLs did not load";
    for (const char* dll : planted)
        EXPECT_FALSE(Loaded(dll)) << dll;
}

// The real applier, started from the folder with the plants beside it, as a
// package downloaded next to a planted DLL would be: it shows its wizard
// (which needs the rich edit control) without loading the planted copy.
TEST_F(DllSafetyTest, TheApplierShowsItsWizardWithoutThePlantedCopy) {
    package_faults::PackageContents contents;
    const std::string settings = "[App]\r\nAppName=Planted\r\nShowSplash=0\r\n";
    contents.files.push_back({"Update.ini", PackageBytes(settings.begin(), settings.end())});
    contents.files.push_back({"License.txt", PackageBytes{'L'}});
    contents.patchData = PackageBytes(4, 0); // no entries
    const std::string exe = folder_ + "\\update.exe";
    package_faults::WritePackageFile(
        exe, package_faults::GoodPackage(contents, ReadFileBytes(APPLIER_EXE)));

    SetEnvironmentVariableA("WINEDLLOVERRIDES", "riched32,imagehlp=n,b;mscoree,mshtml=");
    wd::Process process;
    ASSERT_TRUE(wd::Start(exe, "", &process, folder_));
    SetEnvironmentVariableA("WINEDLLOVERRIDES", nullptr);
    HWND sheet = wd::WaitForTopWindow(process.id, "#32770", "Welcome", Timeout);
    EXPECT_NE(sheet, nullptr) << "the wizard did not open";
    EXPECT_FALSE(Loaded("riched32.dll"));
    EXPECT_FALSE(Loaded("imagehlp.dll"));
    // Close it as a user would, so that it removes its workspace.
    HWND background = wd::FindTopWindow(process.id, "quv", nullptr);
    if (background)
        PostMessageA(background, WM_CLOSE, 0, 0);
    HWND question = nullptr;
    wd::WaitUntil([&] { return (question = wd::FindMessageBox(process.id)) != nullptr; }, Timeout);
    if (question)
        wd::AnswerMessageBox(question, IDYES);
    DWORD code = 1;
    if (!wd::WaitForExit(process, Timeout, &code))
        wd::Kill(process);
    EXPECT_EQ(code, 0u);
    DeleteFileA(exe.c_str());
}

} // namespace
