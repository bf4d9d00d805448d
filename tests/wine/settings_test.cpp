// Reading and writing the package settings file.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/settings.h"
#include "app/state.h"

namespace {

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char folder[MAX_PATH];
        GetTempPathA(sizeof folder, folder);
        GetTempFileNameA(folder, "set", 0, SettingsFile);
        DeleteFileA(SettingsFile);
    }
    void TearDown() override { DeleteFileA(SettingsFile); }
    void WriteSettings(const std::string& text) {
        FILE* file = std::fopen(SettingsFile, "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    std::string Text(const char* section, const char* key, const char* fallback = "") {
        char buffer[TextRoom + 8];
        std::memset(buffer, '#', sizeof buffer);
        int length = ReadSettingText(section, key, fallback, buffer, TextRoom);
        EXPECT_EQ(buffer[TextRoom], '#') << "written past the room";
        EXPECT_EQ(length, (int)std::strlen(buffer));
        return buffer;
    }
};

// A settings file that names every key in another letter case, with
// values that show how each is read.
constexpr char mixedCase[] = "[app]\n"
                             "appname = \"  Quoted Name  \"\n"
                             "MAINFILE=bin\\main.exe\n"
                             "applierMUTEX=\n"
                             "Silence=0\n"
                             "ShowBgw=12abc\n"
                             "SHOWSPLASH=x1\n"
                             "[AUTHOR]\n"
                             "copyright=(c) Someone\n"
                             "[path]\n"
                             "softwarepath=C:\\Program Files\\Demo\n"
                             "[SHELLEXEC]\n"
                             "showwindow=3\n";

TEST_F(SettingsTest, NamesMatchInAnyLetterCase) {
    WriteSettings(mixedCase);
    EXPECT_EQ(Text("App", "AppName"), "  Quoted Name  ");
    EXPECT_EQ(Text("App", "MainFile"), "bin\\main.exe");
    EXPECT_EQ(Text("Author", "CopyRight"), "(c) Someone");
    EXPECT_EQ(Text("Path", "SoftWarePath"), "C:\\Program Files\\Demo");
    EXPECT_EQ(ReadSettingInt("ShellExec", "ShowWindow", DefaultShowWindow), 3);
}

TEST_F(SettingsTest, EmptyValueIsEmptyNotTheDefault) {
    WriteSettings(mixedCase);
    EXPECT_EQ(Text("App", "ApplierMutex", "fallback"), "");
}

TEST_F(SettingsTest, IntegersAreTheNumberTheValueBeginsWith) {
    WriteSettings(mixedCase);
    EXPECT_EQ(ReadSettingInt("App", "Silence", DefaultSilence), 0);
    EXPECT_EQ(ReadSettingInt("App", "ShowBGW", DefaultShowBGW), 12);
    EXPECT_EQ(ReadSettingInt("App", "ShowSplash", DefaultShowSplash), 0);
}

struct DefaultCase {
    const char* section;
    const char* key;
    const char* fallback; // null: an integer key
    int intFallback;
    const char* file; // "" no file at all
};

class SettingsDefaults : public SettingsTest, public ::testing::WithParamInterface<DefaultCase> {};

TEST_P(SettingsDefaults, MissingFileSectionOrKeyGivesTheDefault) {
    const DefaultCase& c = GetParam();
    if (c.file[0] != 0)
        WriteSettings(c.file);
    if (c.fallback != nullptr)
        EXPECT_EQ(Text(c.section, c.key, c.fallback), c.fallback);
    else
        EXPECT_EQ(ReadSettingInt(c.section, c.key, c.intFallback), c.intFallback);
}

constexpr char otherKeys[] = "[App]\nOther=1\n[Path]\nOther=x\n";
const DefaultCase defaultCases[] = {
    {"App", "Silence", nullptr, DefaultSilence, ""},
    {"App", "Silence", nullptr, DefaultSilence, otherKeys},
    {"App", "ShowBGW", nullptr, DefaultShowBGW, otherKeys},
    {"App", "ShowSplash", nullptr, DefaultShowSplash, "[Author]\nCopyRight=x\n"},
    {"ShellExec", "ShowWindow", nullptr, DefaultShowWindow, otherKeys},
    {"Path", "BackupDirectory", DefaultBackupDirectory, 0, ""},
    {"Path", "BackupDirectory", DefaultBackupDirectory, 0, otherKeys},
    {"App", "AppName", "", 0, otherKeys},
};
INSTANTIATE_TEST_SUITE_P(Keys, SettingsDefaults, ::testing::ValuesIn(defaultCases));

TEST_F(SettingsTest, LongValueIsCutTo259Characters) {
    std::string path = "C:\\" + std::string(400, 'p');
    WriteSettings("[Path]\nSoftWarePath=" + path + "\n");
    EXPECT_EQ(Text("Path", "SoftWarePath"), path.substr(0, 259));
}

TEST_F(SettingsTest, WriteBackReplacesTheValueAndKeepsTheRest) {
    WriteSettings("[Path]\nSoftWarePath=C:\\Old\nBackupDirectory=Saved\n[App]\nAppName=Demo\n");
    EXPECT_NE(WriteSettingText("Path", "SoftWarePath", "D:\\New Folder"), 0);
    EXPECT_EQ(Text("Path", "SoftWarePath"), "D:\\New Folder");
    EXPECT_EQ(Text("Path", "BackupDirectory"), "Saved");
    EXPECT_EQ(Text("App", "AppName"), "Demo");
}

TEST_F(SettingsTest, WriteBackMakesAMissingFile) {
    EXPECT_NE(WriteSettingText("Path", "SoftWarePath", "E:\\Games"), 0);
    EXPECT_EQ(Text("Path", "SoftWarePath"), "E:\\Games");
}

} // namespace
