// The real applier on a real package, from start-up to its first three
// pages: the splash, Welcome, Licence and Guide, and Cancel on each of them.
#include "wizard_road_fixture.h"

#include "resource.h"

using namespace road;

namespace {

const std::string ConfirmQuitText =
    "Update is not complete.  If you quit now, the package will not be installed.\n\nYou may "
    "run this program again at a later time to complete the Update.\n\nAre you sure to quit?";

class FirstPages : public RoadTest {
  protected:
    void Launch(const char* showSplash = "0") {
        PackagePlan plan;
        plan.oldVersion = {{"main.exe", "old main"}};
        plan.newVersion = {{"main.exe", "new main"}};
        plan.settings.softwarePath = destination;
        plan.settings.showSplash = showSplash;
        MakePackage(plan);
        WriteTree(destination, plan.oldVersion);
        Start();
    }
    bool ButtonsAre(HWND sheet, bool back, bool next) {
        return wd::WaitUntil(
            [&] {
                return wd::IsSheetButtonEnabled(sheet, wd::SheetBack) == back &&
                       wd::IsSheetButtonEnabled(sheet, wd::SheetNext) == next;
            },
            ShortWait);
    }
    // Cancel and the close question; true when it came and was answered.
    bool Cancel(HWND sheet, int answer) {
        wd::PressSheetButton(sheet, wd::SheetCancel);
        HWND box = ExpectMessage(ConfirmQuitText);
        if (!box)
            return false;
        EXPECT_EQ("Tarvelion", wd::Text(box));
        wd::AnswerMessageBox(box, answer);
        return wd::WaitUntil([&] { return !IsWindow(box); }, ShortWait);
    }
};

TEST_F(FirstPages, WelcomeLicenceAndGuideShowThePackageAndGuardNext) {
    Launch();
    HWND sheet = WaitForPage(WelcomeTitle);
    ASSERT_TRUE(sheet);
    EXPECT_EQ("Welcome to the Road Demo Update program.  This program will install Road Demo "
              "Update on your computer.",
              wd::ControlText(sheet, IDT_WELCOME_TEXT));
    EXPECT_TRUE(ButtonsAre(sheet, false, true));

    wd::PressSheetButton(sheet, wd::SheetNext);
    ASSERT_TRUE(WaitForPage(LicenceTitle));
    EXPECT_EQ("Road licence: use it well.\r\n", wd::ControlText(sheet, IDE_LICENCE_TEXT));
    EXPECT_TRUE(ButtonsAre(sheet, true, false));
    wd::SetCheck(sheet, IDX_LICENCE_ACCEPT, true);
    EXPECT_TRUE(ButtonsAre(sheet, true, true));
    wd::SetCheck(sheet, IDX_LICENCE_ACCEPT, false);
    EXPECT_TRUE(ButtonsAre(sheet, true, false));
    wd::SetCheck(sheet, IDX_LICENCE_ACCEPT, true);

    wd::PressSheetButton(sheet, wd::SheetNext);
    ASSERT_TRUE(WaitForPage(GuideTitle));
    EXPECT_EQ("Road guide: press Next.\r\n", wd::ControlText(sheet, IDE_GUIDE_TEXT));
    EXPECT_TRUE(ButtonsAre(sheet, true, true));

    wd::PressSheetButton(sheet, wd::SheetBack);
    ASSERT_TRUE(WaitForPage(LicenceTitle));
    EXPECT_TRUE(wd::IsControlChecked(sheet, IDX_LICENCE_ACCEPT));
    EXPECT_TRUE(ButtonsAre(sheet, true, true));
    wd::PressSheetButton(sheet, wd::SheetBack);
    ASSERT_TRUE(WaitForPage(WelcomeTitle));

    ASSERT_TRUE(Cancel(sheet, IDYES));
    ExpectCleanEnd();
}

// No keeps the page and its entries, on every page up to the one where the
// user then says Yes; Yes ends the program cleanly.
class CancelOnPage : public FirstPages, public ::testing::WithParamInterface<int> {};

TEST_P(CancelOnPage, NoKeepsThePageAndYesEndsCleanly) {
    const char* const titles[] = {WelcomeTitle, LicenceTitle, GuideTitle};
    const int yesOn = GetParam();
    Launch();
    HWND sheet = WaitForPage(WelcomeTitle);
    ASSERT_TRUE(sheet);
    for (int page = 0; page <= yesOn; ++page) {
        if (page > 0) {
            wd::PressSheetButton(sheet, wd::SheetNext);
            ASSERT_TRUE(WaitForPage(titles[page]));
        }
        if (page == 1) {
            wd::SetCheck(sheet, IDX_LICENCE_ACCEPT, true);
            ASSERT_TRUE(ButtonsAre(sheet, true, true));
        }
        ASSERT_TRUE(Cancel(sheet, IDNO));
        EXPECT_EQ(sheet, WaitForPage(titles[page]));
        EXPECT_TRUE(wd::IsRunning(process));
        if (page == 1) {
            EXPECT_TRUE(wd::IsControlChecked(sheet, IDX_LICENCE_ACCEPT));
        }
    }
    ASSERT_TRUE(Cancel(sheet, IDYES));
    ExpectCleanEnd();
}

INSTANTIATE_TEST_SUITE_P(FirstPages, CancelOnPage, ::testing::Values(0, 1, 2));

// With the splash on, its window shows the 200 x 120 Splash.bmp in the
// middle of the screen, topmost and without a taskbar button, before the
// wizard comes.
TEST_F(FirstPages, SplashComesFirstInTheMiddleOfTheScreen) {
    Launch("1");
    HWND splash = wd::WaitForTopWindow(process.id, "Splash", nullptr, LongWait);
    ASSERT_TRUE(splash);
    RECT rect = wd::WindowRect(splash);
    EXPECT_EQ(412, rect.left);
    EXPECT_EQ(324, rect.top);
    EXPECT_EQ(200, rect.right - rect.left);
    EXPECT_EQ(120, rect.bottom - rect.top);
    LONG extended = GetWindowLongA(splash, GWL_EXSTYLE);
    EXPECT_TRUE(extended & WS_EX_TOPMOST);
    EXPECT_TRUE(extended & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(wd::FindTopWindow(process.id, "#32770", WelcomeTitle));

    HWND sheet = WaitForPage(WelcomeTitle);
    ASSERT_TRUE(sheet);
    EXPECT_FALSE(IsWindow(splash));
    ASSERT_TRUE(Cancel(sheet, IDYES));
    ExpectCleanEnd();
}

} // namespace
