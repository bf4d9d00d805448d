// The applier driven through its windows from the Welcome page to its end:
// the folder check, the update run with its progress dialog, the results,
// the end actions, and every way a run can stop.
#include "wizard_road_fixture.h"

#include "resource.h"

using namespace road;

namespace {

const std::string UpdatedText = "File updated sucessfully!";
const std::string AddedText = "Attached file added successfully!";
const std::string OverwrittenText = "Attached file existed, and overwritten.";
const std::string SkippedText = "Attached file existed, and skipped by user.";
const std::string OriginalCrcText = "Original file CRC error; Skipped.";
const std::string DataErrorText = "Data file error; Opration canceled!";
const std::string WrongFolderText = "You selected a wrong directory!";
const std::string OverwriteText = "Attached file existed, press Yes to overwite it, or No to skip.";
const std::string SummaryText =
    "Update applied, at least one file skipped.\nPlease check the log file for details.";
const std::string CancelledText = "Operation canceled; Update cannot be applied.";
const std::string MainFailedText = "Main file updating failed, operation canceled!\n\nIf the "
                                   "file is running, please quit now and try again later.";
const std::string DataFailedText = "Data integrity (CRC) error in data!\nIf you downloaded "
                                   "this file, try to download it again.";
const std::string CommandText = "This Update program is going to run an external command "
                                "below, press Yes to continue, or No to cancel.";
const char* const LogName = "Tarvelion.log";

std::string MarkerExe() {
    std::string bytes;
    ReadBytes(MARKER_EXE, &bytes);
    return bytes;
}

class WizardRoad : public RoadTest {
  protected:
    // Installs the given files, starts the package and goes to the Destination page.
    HWND Launch(const Files& installed) {
        WriteTree(destination, installed);
        Start();
        return GoToDestination();
    }
    // From Welcome to the Results page with the folder the settings name.
    HWND RunToResults() {
        HWND sheet = GoToDestination();
        if (!sheet)
            return NULL;
        wd::PressSheetButton(sheet, wd::SheetNext);
        return WaitForPage(ResultsTitle);
    }
    // From the Results page through Finish, both boxes unticked.
    void FinishQuietly(HWND sheet) {
        wd::PressSheetButton(sheet, wd::SheetNext);
        ASSERT_TRUE(WaitForPage(FinishTitle));
        wd::SetCheck(sheet, IDX_LAUNCH_MAIN, false);
        wd::PressSheetButton(sheet, wd::SheetFinish);
    }
    std::string Log() const {
        std::string log;
        ReadBytes(Join(destination, LogName), &log);
        return log;
    }
};

TEST_F(WizardRoad, WholeRoadUpdatesTheFolderKeepsABackupAndEndsCleanly) {
    std::string marker = MarkerExe();
    ASSERT_FALSE(marker.empty());
    PackagePlan plan;
    plan.oldVersion = {{"main.exe", marker + "version 1"},
                       {"a.txt", "alpha 1"},
                       {"sub\\b.txt", "beta 1, to be replaced"}};
    plan.newVersion = {{"main.exe", marker + "version 2, a little longer"},
                       {"a.txt", "alpha 2 alpha 2"},
                       {"sub\\b.txt", "beta 2"},
                       {"added.txt", "a file of the new version only"}};
    plan.settings.softwarePath = Join(destination, "nowhere");
    plan.settings.showSplash = "1";
    MakePackage(plan);
    WriteTree(destination, plan.oldVersion);
    Start();

    HWND sheet = WaitForPage(WelcomeTitle);
    ASSERT_TRUE(sheet);
    EXPECT_FALSE(wd::IsSheetButtonEnabled(sheet, wd::SheetBack));
    wd::PressSheetButton(sheet, wd::SheetNext);
    ASSERT_TRUE(WaitForPage(LicenceTitle));
    EXPECT_TRUE(
        wd::WaitUntil([&] { return !wd::IsSheetButtonEnabled(sheet, wd::SheetNext); }, ShortWait))
        << "Next must stay off until the licence is accepted";
    wd::SetCheck(sheet, IDX_LICENCE_ACCEPT, true);
    EXPECT_TRUE(
        wd::WaitUntil([&] { return wd::IsSheetButtonEnabled(sheet, wd::SheetNext); }, ShortWait));
    wd::PressSheetButton(sheet, wd::SheetBack);
    ASSERT_TRUE(WaitForPage(WelcomeTitle));
    wd::PressSheetButton(sheet, wd::SheetNext);
    ASSERT_TRUE(WaitForPage(LicenceTitle));
    EXPECT_TRUE(wd::IsControlChecked(sheet, IDX_LICENCE_ACCEPT)) << "the tick is kept after Back";
    EXPECT_TRUE(
        wd::WaitUntil([&] { return wd::IsSheetButtonEnabled(sheet, wd::SheetNext); }, ShortWait));
    wd::PressSheetButton(sheet, wd::SheetNext);
    ASSERT_TRUE(WaitForPage(GuideTitle));
    wd::PressSheetButton(sheet, wd::SheetNext);
    ASSERT_TRUE(WaitForPage(DestinationTitle));

    // The folder of the settings is offered; it lacks the main file.
    EXPECT_EQ(plan.settings.softwarePath, wd::ControlText(sheet, IDE_FOLDER));
    EXPECT_TRUE(wd::IsControlChecked(sheet, IDX_BACKUP)) << "backup is the default";
    wd::PressSheetButton(sheet, wd::SheetNext);
    AnswerMessage(WrongFolderText, IDOK);
    EXPECT_EQ(sheet, wd::FindTopWindow(process.id, "#32770", DestinationTitle));
    EXPECT_EQ(plan.settings.softwarePath, wd::ControlText(sheet, IDE_FOLDER));
    EXPECT_FALSE(Exists(Join(destination, LogName))) << "a refused folder starts no update";

    // A trailing backslash names the same folder.
    wd::SetControlText(sheet, IDE_FOLDER, destination + "\\");
    wd::PressSheetButton(sheet, wd::SheetNext);
    ASSERT_TRUE(WaitForPage(ResultsTitle));
    std::string expectedLog = ExpectedLog({{"main.exe", UpdatedText},
                                           {"a.txt", UpdatedText},
                                           {"sub\\b.txt", UpdatedText},
                                           {"added.txt", AddedText}});
    EXPECT_EQ(4u, EntryPaths().size());
    EXPECT_EQ(expectedLog, Log());
    EXPECT_EQ(expectedLog, wd::ControlText(sheet, IDE_RESULTS_LOG));
    EXPECT_FALSE(wd::IsSheetButtonEnabled(sheet, wd::SheetBack)) << "no way back to a second run";

    wd::PressSheetButton(sheet, wd::SheetNext);
    ASSERT_TRUE(WaitForPage(FinishTitle));
    EXPECT_TRUE(wd::IsControlChecked(sheet, IDX_LAUNCH_MAIN));
    EXPECT_FALSE(wd::IsControlChecked(sheet, IDX_VIEW_README));
    EXPECT_EQ("Yes, I want to launch Road Demo now", wd::ControlText(sheet, IDX_LAUNCH_MAIN));
    EXPECT_NE(std::string::npos,
              wd::ControlText(sheet, IDT_FINISH_TEXT).find("installing Road Demo Update"));
    // Back shows the results as they were.
    wd::PressSheetButton(sheet, wd::SheetBack);
    ASSERT_TRUE(WaitForPage(ResultsTitle));
    EXPECT_EQ(expectedLog, wd::ControlText(sheet, IDE_RESULTS_LOG));
    wd::PressSheetButton(sheet, wd::SheetNext);
    ASSERT_TRUE(WaitForPage(FinishTitle));
    wd::SetCheck(sheet, IDX_VIEW_README, true);
    wd::PressSheetButton(sheet, wd::SheetFinish);

    // The test prefix has no program for .txt files: the read-me cannot be
    // opened, which must neither show an error nor stop the end actions.
    EXPECT_FALSE(wd::WaitForMessageBox(process.id, 2000));
    ExpectCleanEnd();
    std::string launchedAt = Join(destination, "launched.txt");
    EXPECT_TRUE(wd::WaitUntil([&] { return Exists(launchedAt); }, LongWait))
        << "the main file was not launched in the destination folder";

    Files expected = plan.newVersion;
    expected[LogName] = expectedLog;
    expected["launched.txt"] = "";
    for (const char* replaced : {"main.exe", "a.txt", "sub\\b.txt"})
        expected[std::string("Tarvelion.bak\\") + replaced] = plan.oldVersion[replaced];
    EXPECT_EQ(expected, ReadTree(destination));
}

TEST_F(WizardRoad, CancelOnTheDestinationPageAsksAndNoKeepsEveryEntry) {
    PackagePlan plan;
    plan.oldVersion = {{"main.exe", "old main"}};
    plan.newVersion = {{"main.exe", "new main"}};
    plan.settings.softwarePath = destination;
    MakePackage(plan);
    HWND sheet = Launch(plan.oldVersion);
    ASSERT_TRUE(sheet);
    wd::SetControlText(sheet, IDE_FOLDER, "typed by the user");
    wd::SetCheck(sheet, IDX_BACKUP, false);

    wd::PressSheetButton(sheet, wd::SheetCancel);
    HWND question = wd::WaitForMessageBox(process.id, LongWait);
    ASSERT_TRUE(question);
    wd::AnswerMessageBox(question, IDNO);
    wd::WaitUntil([&] { return !IsWindow(question); }, ShortWait);
    EXPECT_EQ(sheet, WaitForPage(DestinationTitle));
    EXPECT_EQ("typed by the user", wd::ControlText(sheet, IDE_FOLDER));
    EXPECT_FALSE(wd::IsControlChecked(sheet, IDX_BACKUP));
    EXPECT_TRUE(wd::IsRunning(process));

    wd::PressSheetButton(sheet, wd::SheetCancel);
    question = wd::WaitForMessageBox(process.id, LongWait);
    ASSERT_TRUE(question);
    wd::AnswerMessageBox(question, IDYES);
    ExpectCleanEnd();
    EXPECT_EQ(plan.oldVersion, ReadTree(destination));
}

// From the Results page on the update cannot be undone: Esc (the sheet's
// cancel) ends the program at once, with no question, and keeps the update.
TEST_F(WizardRoad, CancellingTheSheetOnTheResultsPageEndsWithoutAQuestion) {
    PackagePlan plan;
    plan.oldVersion = {{"main.exe", "main 1"}};
    plan.newVersion = {{"main.exe", "main 2"}};
    plan.settings.softwarePath = destination;
    MakePackage(plan);
    WriteTree(destination, plan.oldVersion);
    Start();
    HWND sheet = RunToResults();
    ASSERT_TRUE(sheet);
    PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(wd::WaitForMessageBox(process.id, 2000)) << "no question after the update";
    ExpectCleanEnd();
    std::string updated;
    ReadBytes(Join(destination, "main.exe"), &updated);
    EXPECT_EQ("main 2", updated);
}

// Silence 0 holds the worker on the overwrite question of the second entry:
// Cancel then arrives while that entry is in progress.
TEST_F(WizardRoad, CancelWhileRunningFinishesTheEntryThenRollsBack) {
    PackagePlan plan;
    plan.oldVersion = {{"main.exe", "main 1"}, {"a.txt", "alpha 1"}, {"c.txt", "gamma 1"}};
    plan.newVersion = {{"main.exe", "main 1"},
                       {"a.txt", "alpha 2"},
                       {"b.txt", "beta of the package"},
                       {"c.txt", "gamma 2"}};
    plan.settings.softwarePath = destination;
    plan.settings.silence = "0";
    MakePackage(plan);
    ASSERT_EQ((std::vector<std::string>{"a.txt", "b.txt", "c.txt"}), EntryPaths());
    Files before = plan.oldVersion;
    before["b.txt"] = "the user's own beta";
    HWND sheet = Launch(before);
    ASSERT_TRUE(sheet);
    wd::PressSheetButton(sheet, wd::SheetNext);

    HWND question = ExpectMessage(OverwriteText + "\r\n" + destination + "\\b.txt");
    ASSERT_TRUE(question);
    HWND progress = ProgressWindow();
    ASSERT_TRUE(progress) << "the progress dialog is not shown during the run";
    EXPECT_FALSE(IsWindowVisible(sheet)) << "the wizard is hidden while the update runs";
    ASSERT_TRUE(wd::Command(progress, IDCANCEL));
    EXPECT_TRUE(IsWindow(progress)) << "the dialog stays until the worker has finished";
    wd::AnswerMessageBox(question, IDYES);
    wd::WaitUntil([&] { return !IsWindow(question); }, ShortWait);

    HWND cancelled = ExpectMessage(CancelledText);
    EXPECT_FALSE(wd::FindTopWindow(process.id, "#32770", ResultsTitle, false))
        << "a cancelled run never reaches the Results page";
    if (cancelled)
        wd::AnswerMessageBox(cancelled, IDOK);
    ExpectCleanEnd();
    EXPECT_EQ(ExpectedLog({{"a.txt", UpdatedText}, {"b.txt", OverwrittenText}}), Log());
    Files after = ReadTree(destination);
    after.erase(LogName);
    EXPECT_EQ(before, after);
}

struct FailureCase {
    const char* name;
    bool tamperMainFile;                    // the installed main file differs from the old version
    const char* corruptEntry;               // entry whose ops are made invalid
    std::map<std::string, std::string> log; // the lines the run writes before it stops
    const std::string* message;
};

class RunFailure : public WizardRoad, public ::testing::WithParamInterface<FailureCase> {};

// The main file's entry comes first, so a failure there stops the run before
// any other file is touched; a data error in the last entry makes the run put
// back the two files it has already replaced.
TEST_P(RunFailure, EndsWithItsMessageAndRollsTheFolderBack) {
    const FailureCase& c = GetParam();
    PackagePlan plan;
    plan.oldVersion = {{"a.txt", "alpha 1"}, {"main.exe", "main 1"}, {"z.txt", "zeta 1"}};
    plan.newVersion = {{"a.txt", "alpha 2"}, {"main.exe", "main 2"}, {"z.txt", "zeta 2"}};
    plan.settings.softwarePath = destination;
    if (c.corruptEntry)
        plan.corruptEntry = c.corruptEntry;
    MakePackage(plan);
    ASSERT_EQ((std::vector<std::string>{"main.exe", "a.txt", "z.txt"}), EntryPaths());
    Files before = plan.oldVersion;
    if (c.tamperMainFile)
        before["main.exe"] = "main 1, changed by hand";
    HWND sheet = Launch(before);
    ASSERT_TRUE(sheet);
    wd::PressSheetButton(sheet, wd::SheetNext);
    AnswerMessage(*c.message, IDOK);
    EXPECT_FALSE(wd::FindTopWindow(process.id, "#32770", ResultsTitle, false));
    ExpectCleanEnd();

    EXPECT_EQ(ExpectedLog(c.log), Log());
    Files after = ReadTree(destination);
    after.erase(LogName);
    EXPECT_EQ(before, after) << "every replaced file has its previous content back";
}

const FailureCase FailureCases[] = {
    {"MainFile", true, nullptr, {{"main.exe", OriginalCrcText}}, &MainFailedText},
    {"DataError",
     false,
     "z.txt",
     {{"main.exe", UpdatedText}, {"a.txt", UpdatedText}, {"z.txt", DataErrorText}},
     &DataFailedText},
};
INSTANTIATE_TEST_SUITE_P(Cases, RunFailure, ::testing::ValuesIn(FailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct OverwriteCase {
    const char* name;
    int answer;
    const char* resultingContent; // of b.txt
    const std::string* outcome;
};

class OverwriteQuestion : public WizardRoad, public ::testing::WithParamInterface<OverwriteCase> {};

TEST_P(OverwriteQuestion, AsksWithThePathAndSummarisesAfterTheRun) {
    const OverwriteCase& c = GetParam();
    PackagePlan plan;
    plan.oldVersion = {{"main.exe", "main 1"}};
    plan.newVersion = {{"main.exe", "main 2"}, {"b.txt", "beta of the package"}};
    plan.settings.softwarePath = destination;
    plan.settings.silence = "0";
    MakePackage(plan);
    Files before = plan.oldVersion;
    before["b.txt"] = "the user's own beta";
    HWND sheet = Launch(before);
    ASSERT_TRUE(sheet);
    wd::PressSheetButton(sheet, wd::SheetNext);
    AnswerMessage(OverwriteText + "\r\n" + destination + "\\b.txt", c.answer);
    AnswerMessage(SummaryText, IDOK);
    ASSERT_TRUE(WaitForPage(ResultsTitle));
    std::string expectedLog = ExpectedLog({{"main.exe", UpdatedText}, {"b.txt", *c.outcome}});
    EXPECT_EQ(expectedLog, wd::ControlText(sheet, IDE_RESULTS_LOG));
    FinishQuietly(sheet);
    ExpectCleanEnd();

    Files expected = {
        {"main.exe", "main 2"}, {"b.txt", c.resultingContent}, {LogName, expectedLog}};
    expected["Tarvelion.bak\\main.exe"] = "main 1";
    if (c.answer == IDYES)
        expected["Tarvelion.bak\\b.txt"] = "the user's own beta";
    EXPECT_EQ(expected, ReadTree(destination));
}

const OverwriteCase OverwriteCases[] = {
    {"Yes", IDYES, "beta of the package", &OverwrittenText},
    {"No", IDNO, "the user's own beta", &SkippedText},
};
INSTANTIATE_TEST_SUITE_P(Answers, OverwriteQuestion, ::testing::ValuesIn(OverwriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WizardRoad, DamagedPatchDataWithoutSplashFailsBeforeTheFolderIsTouched) {
    PackagePlan plan;
    plan.oldVersion = {{"main.exe", "main 1"}, {"a.txt", "alpha 1"}};
    plan.newVersion = {{"main.exe", "main 2"}, {"a.txt", "alpha 2"}};
    plan.settings.softwarePath = destination;
    plan.settings.showSplash = "0";
    plan.damageStream2 = true;
    MakePackage(plan);
    HWND sheet = Launch(plan.oldVersion);
    ASSERT_TRUE(sheet);
    wd::PressSheetButton(sheet, wd::SheetNext);
    HWND box = ExpectMessage(DataFailedText);
    EXPECT_FALSE(ProgressWindow()) << "the progress dialog is never shown";
    if (box)
        wd::AnswerMessageBox(box, IDOK);
    ExpectCleanEnd();
    EXPECT_EQ(plan.oldVersion, ReadTree(destination)) << "not even a log is written";
}

// Wine takes the user's language from LANG when a process starts: the CTest
// entry wizard_road_german runs this test with LANG=de_DE.UTF-8 (0x0407).
TEST_F(WizardRoad, LanguageTableTranslatesPagesControlsAndMessages) {
    if (GetUserDefaultLangID() != 0x0407)
        GTEST_SKIP() << "needs German as the user's language (LANG=de_DE.UTF-8)";
    PackagePlan plan;
    plan.oldVersion = {{"main.exe", "main 1"}};
    plan.newVersion = {{"main.exe", "main 2"}};
    plan.settings.softwarePath = Join(destination, "nowhere");
    plan.languageIni = "[$0407]\r\n"
                       "ID202=Falsches Verzeichnis!\r\n"
                       "ID250=Datei aktualisiert!\r\n"
                       "ID304=Zielordner waehlen\r\n"
                       "ID306=Ergebnis\r\n"
                       "ID307=Fertig\r\n"
                       "ID364=Ergebnis des Updates:\r\n"
                       "ID501=Ja, %p jetzt starten\r\n"
                       "ID503=&Sicherung anlegen\r\n";
    MakePackage(plan);
    WriteTree(destination, plan.oldVersion);
    Start();

    HWND sheet = WaitForPage(WelcomeTitle);
    ASSERT_TRUE(sheet);
    wd::PressSheetButton(sheet, wd::SheetNext);
    ASSERT_TRUE(WaitForPage(LicenceTitle));
    wd::SetCheck(sheet, IDX_LICENCE_ACCEPT, true);
    wd::WaitUntil([&] { return wd::IsSheetButtonEnabled(sheet, wd::SheetNext); }, ShortWait);
    wd::PressSheetButton(sheet, wd::SheetNext);
    ASSERT_TRUE(WaitForPage(GuideTitle));
    wd::PressSheetButton(sheet, wd::SheetNext);
    ASSERT_TRUE(WaitForPage("Zielordner waehlen"));
    EXPECT_EQ("&Sicherung anlegen", wd::ControlText(sheet, IDX_BACKUP));
    wd::PressSheetButton(sheet, wd::SheetNext);
    AnswerMessage("Falsches Verzeichnis!", IDOK);
    wd::SetControlText(sheet, IDE_FOLDER, destination);
    wd::PressSheetButton(sheet, wd::SheetNext);
    ASSERT_TRUE(WaitForPage("Ergebnis"));
    EXPECT_EQ("Ergebnis des Updates:", wd::ControlText(sheet, IDT_RESULTS_INTRO));
    EXPECT_EQ("main.exe -> Datei aktualisiert!\r\n", wd::ControlText(sheet, IDE_RESULTS_LOG));
    wd::PressSheetButton(sheet, wd::SheetNext);
    ASSERT_TRUE(WaitForPage("Fertig"));
    EXPECT_EQ("Ja, Road Demo jetzt starten", wd::ControlText(sheet, IDX_LAUNCH_MAIN));
    wd::SetCheck(sheet, IDX_LAUNCH_MAIN, false);
    wd::PressSheetButton(sheet, wd::SheetFinish);
    ExpectCleanEnd();
}

struct CommandCase {
    const char* name;
    int answer;
    bool runs;
};

class ExternalCommand : public WizardRoad, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(ExternalCommand, RunsInTheProgramFolderOnlyAfterYes) {
    const CommandCase& c = GetParam();
    PackagePlan plan;
    plan.oldVersion = {{"main.exe", "main 1"}};
    plan.newVersion = {{"main.exe", "main 2"}};
    plan.settings.softwarePath = destination;
    plan.settings.command = "tool.exe";
    plan.settings.parameter = "--after-update";
    MakePackage(plan);
    WriteTree(destination, plan.oldVersion);
    WriteBytes(Join(destination, "tool.exe"), MarkerExe());
    Start();
    HWND sheet = RunToResults();
    ASSERT_TRUE(sheet);
    FinishQuietly(sheet);
    HWND question = ExpectMessage(CommandText + "\ntool.exe --after-update");
    EXPECT_FALSE(IsWindowVisible(sheet)) << "only the question is left on screen";
    if (question)
        wd::AnswerMessageBox(question, c.answer);
    ExpectCleanEnd();
    std::string launchedAt = Join(destination, "launched.txt");
    if (c.runs) {
        ASSERT_TRUE(wd::WaitUntil([&] { return Exists(launchedAt); }, LongWait));
        std::string arguments;
        ReadBytes(launchedAt, &arguments);
        EXPECT_NE(std::string::npos, arguments.find("--after-update"));
    } else {
        wd::Pump(1000);
        EXPECT_FALSE(Exists(launchedAt)) << "No runs nothing";
    }
}

const CommandCase CommandCases[] = {{"Yes", IDYES, true}, {"No", IDNO, false}};
INSTANTIATE_TEST_SUITE_P(Answers, ExternalCommand, ::testing::ValuesIn(CommandCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
