// DLL planting: copies of riched32.dll and imagehlp.dll that leave a marker
// when loaded sit in a folder together with a loader exe, which is also the
// current directory. The applier's loading must not touch them; a naive
// LoadLibraryA in the same place does, which shows that the plant works.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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

} // namespace
