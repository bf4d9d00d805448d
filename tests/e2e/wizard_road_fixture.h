// What the end-to-end tests of the wizard's road share: folders of files,
// packages made by the builder from an old and a new version, the applier
// run with a private temporary folder, and the steps through the wizard.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "window_driver.h"

namespace road {

// Relative path ("a.txt", "sub\\b.txt") to the file's bytes.
using Files = std::map<std::string, std::string>;

bool ReadBytes(const std::string& path, std::string* bytes);
void WriteBytes(const std::string& path, const std::string& bytes); // makes the folders
bool Exists(const std::string& path);
Files ReadTree(const std::string& folder);
void WriteTree(const std::string& folder, const Files& files);
std::string Join(const std::string& folder, const std::string& name);

// The package's Update.ini. An empty text leaves the key out.
struct Settings {
    std::string appName = "Road Demo";
    std::string mainFile = "main.exe";
    std::string softwarePath;
    std::string silence = "1";
    std::string showSplash = "0";
    std::string backupDirectory;
    std::string command;
    std::string parameter;
    std::string showWindow;
};

struct PackagePlan {
    Files oldVersion;
    Files newVersion;
    Settings settings;
    std::string languageIni;    // empty: no language table
    std::string corruptEntry;   // relative path whose first op byte becomes invalid
    bool damageStream2 = false; // flip a byte inside the patch data's compressed stream
};

// The titles the wizard window shows for each page.
extern const char* const WelcomeTitle;
extern const char* const LicenceTitle;
extern const char* const GuideTitle;
extern const char* const DestinationTitle;
extern const char* const ResultsTitle;
extern const char* const FinishTitle;

// Timeouts in milliseconds: generous, the machine is shared.
enum { ShortWait = 3000, LongWait = 30000, EndWait = 30000 };

class RoadTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the package exe; fails the test when the builder refuses.
    void MakePackage(const PackagePlan& plan);
    // The relative paths of the patch data's entries, in order, without the
    // leading backslash.
    std::vector<std::string> EntryPaths() const;
    // The log lines the run must write: one per entry, in the patch data's
    // order, each with the outcome text that the table gives for its path.
    std::string ExpectedLog(const std::map<std::string, std::string>& outcomes) const;
    // Starts the package with the test's own temporary folder.
    void Start();

    // The wizard window once its caption is title.
    HWND WaitForPage(const char* title, int timeoutMs = LongWait);
    // Welcome, Licence (accepted), Guide, to the Destination page.
    HWND GoToDestination();
    // The message box that the applier shows next; fails when none comes.
    HWND ExpectMessage(const std::string& text, int timeoutMs = LongWait);
    void AnswerMessage(const std::string& text, int button, int timeoutMs = LongWait);
    // The program ends with exit code 0 and leaves no workspace behind.
    void ExpectCleanEnd(int timeoutMs = EndWait);
    // The progress dialog (the window with the progress bar), or null.
    HWND ProgressWindow() const;

    std::string root;        // everything of this test
    std::string destination; // the installed program
    std::string temp;        // the applier's temporary folder
    std::string packageExe;
    std::string patchData;
    wd::Process process;
};

} // namespace road
