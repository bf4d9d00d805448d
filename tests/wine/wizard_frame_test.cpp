// The wizard frame and its first three pages, in this process: a UI thread
// makes a background window and the wizard exactly as start-up does, and the
// test drives them through the window driver as a user would.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "app/state.h"
#include "resource.h"
#include "text/text.h"
#include "window_driver.h"
#include "windows/presentation.h"
#include "wizard/wizard.h"

namespace {

constexpr int Timeout = 10000;
constexpr char TestAppName[] = "Orbit Tools";
constexpr char LicenceContent[] = "Licence terms, line one.\r\nSee https://example.org/terms.\r\n";
constexpr char GuideContent[] = "Guide: back up your data first.\r\n";
constexpr UINT QuitRun = WM_APP + 7;

void WriteFile(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::string DialogText(UINT number) {
    char text[512] = "";
    LoadStringA(GetModuleHandleA(nullptr), number, text, sizeof text);
    return text;
}

// A workspace with the two text files, as the current directory.
class Workspace {
  public:
    Workspace() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        GetTempFileNameA(temp, "wfr", 0, WorkspacePath);
        DeleteFileA(WorkspacePath);
        CreateDirectoryA(WorkspacePath, nullptr);
        SetCurrentDirectoryA(WorkspacePath);
        path_ = WorkspacePath;
        wsprintfA(LanguageFile, "%s\\Language.ini", WorkspacePath);
        ChooseLanguageSection();
    }
    ~Workspace() {
        SetCurrentDirectoryA("C:\\");
        for (const char* name : {"License.txt", "Guide.txt", "Language.ini"})
            DeleteFileA((path_ + "\\" + name).c_str());
        RemoveDirectoryA(path_.c_str());
    }
    std::string File(const char* name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

// The background window and the wizard on a thread of their own, with
// start-up's message loop.
class WizardRun {
  public:
    void Start() {
        ready_ = false;
        ended_ = false;
        thread_ = std::thread([this] { Run(); });
        wd::WaitUntil([this] { return ready_.load(); }, Timeout);
    }
    // Ends a run that is still going, and waits for the thread.
    void Stop() {
        if (!thread_.joinable())
            return;
        if (!ended_)
            PostThreadMessageA(threadId_, QuitRun, 0, 0);
        thread_.join();
    }
    bool Ended() const { return ended_; }
    HWND sheet = nullptr;
    HWND background = nullptr;
    bool hiddenWhenCreated = false;
    RECT sheetBeforeCentring = {};

  private:
    void Run() {
        threadId_ = GetCurrentThreadId();
        WNDCLASSA backgroundClass = {};
        backgroundClass.lpfnWndProc = BackgroundWindowProc;
        backgroundClass.hInstance = ProgramInstance;
        backgroundClass.lpszClassName = "FrameTestBackground";
        RegisterClassA(&backgroundClass);
        background = CreateWindowExA(0, "FrameTestBackground", "Background", WS_POPUP | WS_VISIBLE,
                                     0, 0, 1024, 768, nullptr, nullptr, ProgramInstance, nullptr);
        BackgroundWindow = background;
        sheet = CreateWizard(background, 0);
        hiddenWhenCreated = sheet && !IsWindowVisible(sheet);
        GetWindowRect(sheet, &sheetBeforeCentring);
        CenterWindow(sheet);
        ShowWindow(sheet, SW_SHOWNORMAL);
        ready_ = true;
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (message.message == QuitRun) {
                DestroyWindow(background);
                continue;
            }
            if (sheet && IsWindow(sheet) &&
                SendMessageA(sheet, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(&message)))
                continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        ended_ = true;
    }
    std::thread thread_;
    DWORD threadId_ = 0;
    std::atomic<bool> ready_{false};
    std::atomic<bool> ended_{false};
};

class Wizard : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ProgramInstance = GetModuleHandleA(nullptr);
        LoadLibraryA("RICHED32.DLL");
    }
    void SetUp() override {
        lstrcpyA(AppName, TestAppName);
        WriteFile(workspace_.File("License.txt"), LicenceContent);
        WriteFile(workspace_.File("Guide.txt"), GuideContent);
    }
    void StartWizard() {
        run_.Start();
        ASSERT_NE(run_.sheet, nullptr);
        sheet_ = run_.sheet;
    }
    void TearDown() override { run_.Stop(); }

    // Waits until the sheet's caption is text number page.
    bool OnPage(UINT page) {
        std::string title = DialogText(page);
        return wd::WaitUntil([&] { return wd::Text(sheet_) == title; }, Timeout);
    }
    bool ButtonsAre(bool back, bool next) {
        return wd::WaitUntil(
            [&] {
                return wd::IsSheetButtonEnabled(sheet_, wd::SheetBack) == back &&
                       wd::IsSheetButtonEnabled(sheet_, wd::SheetNext) == next &&
                       !wd::IsSheetButtonEnabled(sheet_, wd::SheetFinish);
            },
            Timeout);
    }
    void GoTo(wd::SheetButton button, UINT page) {
        ASSERT_TRUE(wd::PressSheetButton(sheet_, button));
        ASSERT_TRUE(OnPage(page)) << "caption: " << wd::Text(sheet_) << VisibleControls();
    }
    // What the sheet shows, for a failure message.
    std::string VisibleControls() {
        std::string list = "; visible controls:";
        for (const wd::Control& control : wd::Controls(sheet_))
            if (control.visible)
                list += " " + std::to_string(control.id) + (control.enabled ? "" : "(off)");
        return list;
    }
    // Cancel, then the question of the background window.
    HWND CancelQuestion() {
        EXPECT_TRUE(wd::PressSheetButton(sheet_, wd::SheetCancel));
        HWND box = wd::WaitForMessageBox(GetCurrentProcessId(), Timeout);
        if (box) {
            EXPECT_EQ(wd::MessageBoxText(box), DialogText(IDS_CONFIRM_QUIT));
            EXPECT_EQ(wd::Text(box), DialogText(IDS_CAPTION));
        }
        return box;
    }
    void AnswerNo(HWND box) {
        ASSERT_TRUE(wd::AnswerMessageBox(box, IDNO));
        ASSERT_TRUE(
            wd::WaitUntil([] { return !wd::FindMessageBox(GetCurrentProcessId()); }, Timeout));
        wd::Pump(100);
    }

    Workspace workspace_;
    WizardRun run_;
    HWND sheet_ = nullptr;
};

TEST_F(Wizard, IsCreatedHiddenOwnedByTheBackgroundAndCentredOnIt) {
    StartWizard();
    EXPECT_TRUE(run_.hiddenWhenCreated);
    EXPECT_EQ(SheetWindow, sheet_);
    EXPECT_EQ(GetWindow(sheet_, GW_OWNER), run_.background);
    RECT desktop, background = wd::WindowRect(run_.background);
    GetWindowRect(GetDesktopWindow(), &desktop);
    RECT expected = CenteredRect(run_.sheetBeforeCentring, background, desktop);
    RECT now = wd::WindowRect(sheet_);
    EXPECT_EQ(now.left, expected.left);
    EXPECT_EQ(now.top, expected.top);
    EXPECT_EQ(now.right - now.left, run_.sheetBeforeCentring.right - run_.sheetBeforeCentring.left);
    // The wizard is smaller than the 1024 x 768 background: it sits in its middle.
    EXPECT_NEAR((now.left + now.right) / 2, 512, 1);
    EXPECT_NEAR((now.top + now.bottom) / 2, 384, 1);
}

TEST_F(Wizard, WelcomeOffersNextOnlyAndNamesTheApplicationTwice) {
    StartWizard();
    ASSERT_TRUE(OnPage(IDD_WELCOME));
    EXPECT_TRUE(ButtonsAre(false, true));
    EXPECT_EQ(wd::ControlText(sheet_, IDT_WELCOME_TEXT),
              "Welcome to the Orbit Tools Update program.  This program will install Orbit "
              "Tools Update on your computer.");
    // The other texts of the page are shown as they stand.
    EXPECT_EQ(wd::ControlText(sheet_, IDT_WELCOME_ADVICE).substr(0, 31),
              "It is strongly recommended that");
}

TEST_F(Wizard, LicenceNeedsTheTickAndKeepsItAfterBack) {
    StartWizard();
    GoTo(wd::SheetNext, IDD_LICENCE);
    EXPECT_TRUE(ButtonsAre(true, false));
    EXPECT_EQ(wd::ControlText(sheet_, IDE_LICENCE_TEXT), LicenceContent);

    ASSERT_TRUE(wd::SetCheck(sheet_, IDX_LICENCE_ACCEPT, true));
    EXPECT_TRUE(ButtonsAre(true, true));
    ASSERT_TRUE(wd::SetCheck(sheet_, IDX_LICENCE_ACCEPT, false));
    EXPECT_TRUE(ButtonsAre(true, false));
    ASSERT_TRUE(wd::SetCheck(sheet_, IDX_LICENCE_ACCEPT, true));
    EXPECT_TRUE(ButtonsAre(true, true));

    GoTo(wd::SheetNext, IDD_GUIDE);
    EXPECT_TRUE(ButtonsAre(true, true));
    EXPECT_EQ(wd::ControlText(sheet_, IDE_GUIDE_TEXT), GuideContent);

    GoTo(wd::SheetBack, IDD_LICENCE);
    EXPECT_TRUE(wd::IsControlChecked(sheet_, IDX_LICENCE_ACCEPT));
    EXPECT_TRUE(ButtonsAre(true, true));
    GoTo(wd::SheetBack, IDD_WELCOME);
    EXPECT_TRUE(ButtonsAre(false, true));
    GoTo(wd::SheetNext, IDD_LICENCE);
    GoTo(wd::SheetNext, IDD_GUIDE);
    GoTo(wd::SheetNext, IDD_DESTINATION);
}

TEST_F(Wizard, EmptyAndMissingTextFilesGiveEmptyBoxesAndThePagesStill) {
    WriteFile(workspace_.File("License.txt"), "");
    DeleteFileA(workspace_.File("Guide.txt").c_str());
    StartWizard();
    GoTo(wd::SheetNext, IDD_LICENCE);
    EXPECT_EQ(wd::ControlText(sheet_, IDE_LICENCE_TEXT), "");
    EXPECT_TRUE(ButtonsAre(true, false));
    ASSERT_TRUE(wd::SetCheck(sheet_, IDX_LICENCE_ACCEPT, true));
    GoTo(wd::SheetNext, IDD_GUIDE);
    EXPECT_EQ(wd::ControlText(sheet_, IDE_GUIDE_TEXT), "");
}

// The bytes go to the control as they are: a Rich Text Format file is shown
// formatted, without its markup.
TEST_F(Wizard, RichTextLicenceIsShownFormatted) {
    WriteFile(workspace_.File("License.txt"), "{\\rtf1\\ansi {\\b Bold} terms.\\par}");
    StartWizard();
    GoTo(wd::SheetNext, IDD_LICENCE);
    std::string shown = wd::ControlText(sheet_, IDE_LICENCE_TEXT);
    EXPECT_EQ(shown.find("rtf"), std::string::npos) << shown;
    EXPECT_EQ(shown.substr(0, 11), "Bold terms.") << shown;
}

TEST_F(Wizard, CaptionsAndFilledTextsComeFromTheLanguageTable) {
    std::string table = std::string("[") + LanguageSection +
                        "]\r\nID303=Benutzerhandbuch\r\nID355=Willkommen bei %p (%p)\r\n";
    WriteFile(workspace_.File("Language.ini"), table);
    StartWizard();
    ASSERT_TRUE(OnPage(IDD_WELCOME));
    EXPECT_EQ(wd::ControlText(sheet_, IDT_WELCOME_TEXT),
              "Willkommen bei Orbit Tools (Orbit Tools)");
    GoTo(wd::SheetNext, IDD_LICENCE);
    ASSERT_TRUE(wd::SetCheck(sheet_, IDX_LICENCE_ACCEPT, true));
    ASSERT_TRUE(wd::PressSheetButton(sheet_, wd::SheetNext));
    EXPECT_TRUE(wd::WaitUntil([&] { return wd::Text(sheet_) == "Benutzerhandbuch"; }, Timeout));
    GoTo(wd::SheetBack, IDD_LICENCE);
    ASSERT_TRUE(wd::PressSheetButton(sheet_, wd::SheetNext));
    EXPECT_TRUE(wd::WaitUntil([&] { return wd::Text(sheet_) == "Benutzerhandbuch"; }, Timeout));
}

TEST_F(Wizard, CancelAnsweredNoKeepsEachPageAsItWas) {
    StartWizard();
    for (UINT page : {IDD_WELCOME, IDD_LICENCE, IDD_GUIDE}) {
        SCOPED_TRACE(page);
        if (page != IDD_WELCOME)
            GoTo(wd::SheetNext, page);
        if (page == IDD_LICENCE) {
            ASSERT_TRUE(wd::SetCheck(sheet_, IDX_LICENCE_ACCEPT, true));
        }
        HWND box = CancelQuestion();
        ASSERT_NE(box, nullptr);
        AnswerNo(box);
        EXPECT_TRUE(IsWindow(sheet_) && IsWindowVisible(sheet_));
        EXPECT_TRUE(OnPage(page));
        EXPECT_FALSE(run_.Ended());
        if (page == IDD_LICENCE) {
            EXPECT_TRUE(wd::IsControlChecked(sheet_, IDX_LICENCE_ACCEPT));
            EXPECT_TRUE(ButtonsAre(true, true));
        }
    }
}

TEST_F(Wizard, CancelAnsweredYesEndsTheBackgroundAndTheWizard) {
    StartWizard();
    GoTo(wd::SheetNext, IDD_LICENCE);
    HWND box = CancelQuestion();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(wd::AnswerMessageBox(box, IDYES));
    EXPECT_TRUE(wd::WaitUntil([&] { return run_.Ended(); }, Timeout));
    EXPECT_FALSE(IsWindow(sheet_));
    EXPECT_FALSE(IsWindow(run_.background));
}

// The panel shows a bitmap smaller than itself in its top-left corner only.
TEST_F(Wizard, SidePanelShowsTheBitmapAtItsOwnSize) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 40, 50);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    RECT all = {0, 0, 40, 50};
    HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
    FillRect(memory, &all, green);
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(green);
    ReleaseDC(nullptr, screen);
    SidePanelBitmap = bitmap;

    StartWizard();
    ASSERT_TRUE(OnPage(IDD_WELCOME));
    HWND panel = wd::FindControl(sheet_, IDC_SIDE_PANEL);
    ASSERT_NE(panel, nullptr);
    RedrawWindow(GetParent(panel), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    wd::Pump(300);
    RECT rect = wd::WindowRect(panel);
    HDC dc = GetDC(nullptr);
    COLORREF inside = GetPixel(dc, rect.left + 20, rect.top + 25);
    COLORREF outside = GetPixel(dc, rect.left + 20, rect.top + 100);
    ReleaseDC(nullptr, dc);
    SidePanelBitmap = nullptr;
    DeleteObject(bitmap);
    EXPECT_EQ(inside, RGB(0, 200, 0));
    EXPECT_NE(outside, RGB(0, 200, 0));
    EXPECT_GT(rect.right - rect.left, 40);
}

// CenterWindow's arithmetic: floor of half the difference, then the
// desktop's right and bottom edges, then 0 at the left and top.
TEST(CenteredRect, PlacesLikeTheFrameMustCase) {
    struct Case {
        const char* what;
        RECT window, parent, desktop, expected;
    } cases[] = {
        {"centred", {0, 0, 100, 50}, {0, 0, 1024, 768}, {0, 0, 1024, 768}, {462, 359, 562, 409}},
        {"odd difference floors",
         {0, 0, 101, 51},
         {10, 20, 210, 120},
         {0, 0, 1024, 768},
         {59, 44, 160, 95}},
        {"larger than the parent: negative half floors",
         {0, 0, 301, 201},
         {100, 100, 200, 200},
         {0, 0, 1024, 768},
         {0, 49, 301, 250}},
        {"negative half inside the desktop",
         {0, 0, 301, 201},
         {500, 400, 600, 500},
         {0, 0, 1024, 768},
         {399, 349, 700, 550}},
        {"pushed in from the right and bottom",
         {0, 0, 400, 300},
         {800, 600, 1200, 900},
         {0, 0, 1024, 768},
         {624, 468, 1024, 768}},
        {"larger than the desktop: left and top at 0",
         {0, 0, 1200, 900},
         {0, 0, 1024, 768},
         {0, 0, 1024, 768},
         {0, 0, 1200, 900}},
        {"parent off the left: clamped to 0 only",
         {0, 0, 100, 100},
         {-500, -400, -300, -200},
         {0, 0, 1024, 768},
         {0, 0, 100, 100}},
        {"desktop not at 0: clamp is against 0",
         {0, 0, 100, 100},
         {-300, 10, -100, 210},
         {-1024, 0, 1024, 768},
         {0, 60, 100, 160}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RECT placed = CenteredRect(c.window, c.parent, c.desktop);
        EXPECT_EQ(placed.left, c.expected.left);
        EXPECT_EQ(placed.top, c.expected.top);
        EXPECT_EQ(placed.right, c.expected.right);
        EXPECT_EQ(placed.bottom, c.expected.bottom);
    }
}

TEST(CenterWindow, MovesAnOwnedWindowOntoItsOwnerKeepingItsSize) {
    HWND owner = CreateWindowExA(0, "Static", "", WS_POPUP, 100, 50, 400, 300, nullptr, nullptr,
                                 nullptr, nullptr);
    HWND owned =
        CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 101, 60, owner, nullptr, nullptr, nullptr);
    CenterWindow(owned);
    RECT rect = wd::WindowRect(owned);
    DestroyWindow(owned);
    DestroyWindow(owner);
    EXPECT_EQ(rect.left, 100 + (400 - 101) / 2);
    EXPECT_EQ(rect.top, 50 + (300 - 60) / 2);
    EXPECT_EQ(rect.right - rect.left, 101);
    EXPECT_EQ(rect.bottom - rect.top, 60);
}

class FrameTexts : public ::testing::Test {
  protected:
    void SetUp() override {
        control_ = CreateWindowExA(0, "Edit", "", WS_POPUP | ES_MULTILINE, 0, 0, 10, 10, nullptr,
                                   nullptr, nullptr, nullptr);
        ASSERT_NE(control_, nullptr);
        SendMessageA(control_, EM_SETLIMITTEXT, 0, 0);
    }
    void TearDown() override { DestroyWindow(control_); }
    std::string Text() const { return wd::Text(control_); }
    HWND control_ = nullptr;
};

TEST_F(FrameTexts, FillAppNameReplacesEveryPlaceholderOnce) {
    std::string longName(259, 'N');
    std::string longText = std::string(240, 'a') + "%p" + std::string(240, 'b') + "%p";
    struct Case {
        const char* name;
        std::string text, expected;
    } cases[] = {
        {"Orbit", "No placeholder here.", "No placeholder here."},
        {"Orbit", "%p and %p", "Orbit and Orbit"},
        {"100%p", "[%p]", "[100%p]"}, // the inserted name is not searched again
        {"Orbit", "50% pure, %%p, p%", "50% pure, %Orbit, p%"},
        {"", "Hello %p!", "Hello !"},
        {longName.c_str(), longText,
         std::string(240, 'a') + longName + std::string(240, 'b') + longName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        lstrcpyA(AppName, c.name);
        SetWindowTextA(control_, c.text.c_str());
        FillAppName(control_);
        EXPECT_EQ(Text(), c.expected);
    }
}

TEST_F(FrameTexts, LoadFileIntoControlShowsTheBytesOrNothing) {
    Workspace workspace;
    std::string content = "first line\r\nsecond line\nno conversion: \xE4\r\n";
    WriteFile(workspace.File("License.txt"), content);
    WriteFile(workspace.File("Guide.txt"), "");
    std::string folder = WorkspacePath;
    struct Case {
        const char* file;
        std::string folder, expected;
    } cases[] = {
        {"License.txt", "", content},            // relative to the workspace
        {"License.txt", folder, content},        // folder without a backslash
        {"License.txt", folder + "\\", content}, // and with one
        {"Guide.txt", "", ""},
        {"Missing.txt", "", ""},
        {"Missing.txt", folder, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " in '" + c.folder + "'");
        SetWindowTextA(control_, "text before");
        EXPECT_EQ(LoadFileIntoControl(control_, c.file, c.folder.c_str()), 1);
        EXPECT_EQ(Text(), c.expected);
    }
    SetWindowTextA(control_, "text before");
    EXPECT_EQ(LoadFileIntoControl(control_, "License.txt", nullptr), 1);
    EXPECT_EQ(Text(), content);
}

TEST(DrawBitmap, CopiesTheWholeBitmapUnscaledAtThePoint) {
    HDC screen = GetDC(nullptr);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 50, 50);
    HGDIOBJ oldCanvas = SelectObject(target, canvas);
    RECT all = {0, 0, 50, 50};
    FillRect(target, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    HBITMAP picture = CreateCompatibleBitmap(screen, 10, 5);
    HDC source = CreateCompatibleDC(screen);
    HGDIOBJ oldPicture = SelectObject(source, picture);
    RECT pictureRect = {0, 0, 10, 5};
    FillRect(source, &pictureRect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectObject(source, oldPicture);
    DeleteDC(source);

    DrawBitmap(target, 7, 3, picture);
    DrawBitmap(target, 0, 0, nullptr); // no bitmap: nothing drawn, no crash
    EXPECT_EQ(GetPixel(target, 7, 3), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(target, 16, 7), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(target, 17, 7), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(target, 16, 8), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(target, 6, 3), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(target, 0, 0), RGB(255, 255, 255));

    // The bitmap stays usable by its owner.
    HDC again = CreateCompatibleDC(screen);
    EXPECT_NE(SelectObject(again, picture), nullptr);
    DeleteDC(again);
    SelectObject(target, oldCanvas);
    DeleteObject(canvas);
    DeleteObject(picture);
    DeleteDC(target);
    ReleaseDC(nullptr, screen);
}

} // namespace
