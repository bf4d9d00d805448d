// The window driver against windows of its own: a small form on a thread of
// this process (driven exactly as another process's window would be), message
// boxes, and a child process whose exit code comes back.
#include "window_driver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr char FormClass[] = "WindowDriverTestForm";
constexpr char FormCaption[] = "Driver test form";
constexpr int PressId = 10, TickId = 11, EditId = 12, LabelId = 13, HiddenId = 14;
constexpr int Timeout = 5000;

std::atomic<int> pressCount{0};
std::atomic<int> tickCommands{0};

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == PressId)
            ++pressCount;
        if (LOWORD(wParam) == TickId)
            ++tickCommands;
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A form with a button, a check box, an edit, a label and a hidden button,
// on a red background, running on its own thread. One form serves every test
// (wine takes two seconds to close a window on a bare X server); each test
// starts from the form's first state.
class Form : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        thread_ = std::thread(Run);
        form_ = wd::WaitForTopWindow(GetCurrentProcessId(), FormClass, FormCaption, Timeout);
    }
    static void TearDownTestSuite() {
        if (form_)
            PostMessageA(form_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    void SetUp() override {
        ASSERT_NE(form_, nullptr);
        for (int id : {PressId, TickId, EditId, LabelId}) {
            HWND control = wd::FindControl(form_, id, false);
            ShowWindow(control, SW_SHOWNA);
            EnableWindow(control, TRUE);
        }
        SendMessageA(wd::FindControl(form_, TickId), BM_SETCHECK, BST_UNCHECKED, 0);
        SetWindowTextA(wd::FindControl(form_, EditId), "first");
        wd::Pump(50);
        pressCount = 0;
        tickCommands = 0;
    }
    static void Run() {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = FormProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = CreateSolidBrush(RGB(255, 0, 0));
        windowClass.lpszClassName = FormClass;
        RegisterClassA(&windowClass);
        HWND form = CreateWindowExA(0, FormClass, FormCaption, WS_POPUP | WS_VISIBLE, 100, 100, 300,
                                    200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        auto child = [form](const char* cls, const char* text, DWORD style, int id, int y) {
            CreateWindowExA(0, cls, text, WS_CHILD | style, 10, y, 120, 20, form,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        };
        child("Button", "Press", WS_VISIBLE | BS_PUSHBUTTON, PressId, 10);
        child("Button", "Tick", WS_VISIBLE | BS_AUTOCHECKBOX, TickId, 40);
        child("Edit", "first", WS_VISIBLE | WS_BORDER, EditId, 70);
        child("Static", "Label text", WS_VISIBLE, LabelId, 100);
        child("Button", "Hidden", BS_PUSHBUTTON, HiddenId, 130);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    static std::thread thread_;
    static HWND form_;
};
std::thread Form::thread_;
HWND Form::form_;

TEST_F(Form, ListsEveryControlWithItsState) {
    std::vector<wd::Control> controls = wd::Controls(form_);
    ASSERT_EQ(controls.size(), 5u);
    struct Expected {
        int id;
        const char* className;
        const char* text;
        bool visible;
    } expected[] = {{PressId, "Button", "Press", true},
                    {TickId, "Button", "Tick", true},
                    {EditId, "Edit", "first", true},
                    {LabelId, "Static", "Label text", true},
                    {HiddenId, "Button", "Hidden", false}};
    for (size_t i = 0; i < controls.size(); ++i) {
        SCOPED_TRACE(expected[i].id);
        EXPECT_EQ(controls[i].id, expected[i].id);
        EXPECT_STREQ(controls[i].className.c_str(), expected[i].className);
        EXPECT_EQ(controls[i].text, expected[i].text);
        EXPECT_EQ(controls[i].visible, expected[i].visible);
        EXPECT_TRUE(controls[i].enabled);
        EXPECT_EQ(controls[i].checked, BST_UNCHECKED);
    }
    EXPECT_EQ(wd::Text(form_), FormCaption);
}

TEST_F(Form, FindsOnlyVisibleControlsUnlessAskedOtherwise) {
    EXPECT_EQ(wd::FindControl(form_, HiddenId), nullptr);
    EXPECT_NE(wd::FindControl(form_, HiddenId, false), nullptr);
    EXPECT_EQ(wd::FindControl(form_, 999), nullptr);
    EXPECT_EQ(wd::ControlText(form_, LabelId), "Label text");
    EXPECT_FALSE(wd::Click(form_, 999));
}

TEST_F(Form, ClickReachesTheParentOncePerPress) {
    ASSERT_TRUE(wd::Click(form_, PressId));
    ASSERT_TRUE(wd::WaitUntil([] { return pressCount == 1; }, Timeout));
    ASSERT_TRUE(wd::Command(form_, PressId));
    ASSERT_TRUE(wd::WaitUntil([] { return pressCount == 2; }, Timeout));
    wd::Pump(100);
    EXPECT_EQ(pressCount, 2);
}

TEST_F(Form, TicksAndUnticksACheckBoxLikeAUser) {
    ASSERT_TRUE(wd::SetCheck(form_, TickId, true));
    EXPECT_TRUE(wd::IsControlChecked(form_, TickId));
    ASSERT_TRUE(wd::SetCheck(form_, TickId, true)); // already ticked: no further click
    ASSERT_TRUE(wd::SetCheck(form_, TickId, false));
    EXPECT_FALSE(wd::IsControlChecked(form_, TickId));
    wd::Pump(100);
    EXPECT_EQ(tickCommands, 2);
}

TEST_F(Form, SetsEditTextAndSeesDisabledControls) {
    ASSERT_TRUE(wd::SetControlText(form_, EditId, "typed by the driver"));
    EXPECT_EQ(wd::ControlText(form_, EditId), "typed by the driver");
    EXPECT_TRUE(wd::IsControlEnabled(form_, PressId));
    EnableWindow(wd::FindControl(form_, PressId), FALSE);
    EXPECT_FALSE(wd::IsControlEnabled(form_, PressId));
}

TEST_F(Form, FindsTopWindowsByClassAndCaptionAndProcess) {
    EXPECT_EQ(wd::FindTopWindow(GetCurrentProcessId(), FormClass, nullptr), form_);
    EXPECT_EQ(wd::FindTopWindow(0, nullptr, FormCaption), form_);
    EXPECT_EQ(wd::FindTopWindow(GetCurrentProcessId(), FormClass, "Another caption"), nullptr);
    EXPECT_EQ(wd::FindTopWindow(GetCurrentProcessId() + 4, FormClass, nullptr), nullptr);
    EXPECT_EQ(wd::WaitForTopWindow(GetCurrentProcessId(), "NoSuchClass", nullptr, 100), nullptr);
}

// Reads a 24-bit BMP file's size and the colour in its middle.
bool ReadBmpMiddle(const char* path, int* width, int* height, COLORREF* middle) {
    FILE* in = std::fopen(path, "rb");
    if (!in)
        return false;
    std::vector<unsigned char> bytes;
    int c;
    while ((c = std::fgetc(in)) != EOF)
        bytes.push_back(static_cast<unsigned char>(c));
    std::fclose(in);
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    auto at = [&](size_t i) {
        return bytes[i] | bytes[i + 1] << 8 | bytes[i + 2] << 16 | bytes[i + 3] << 24;
    };
    *width = at(18);
    *height = at(22);
    size_t row = (*width * 3 + 3) & ~3;
    size_t pixel = at(10) + row * (*height / 2) + 3 * (*width / 2);
    if (pixel + 3 > bytes.size() || bytes[28] != 24)
        return false;
    *middle = RGB(bytes[pixel + 2], bytes[pixel + 1], bytes[pixel]);
    return true;
}

TEST_F(Form, CapturesWhatTheScreenShows) {
    // Move the controls away from the middle, so the capture there shows the form's own red.
    for (int id : {PressId, TickId, EditId, LabelId})
        ShowWindow(wd::FindControl(form_, id), SW_HIDE);
    RedrawWindow(form_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    wd::Pump(200);
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    std::strcat(path, "window_driver_capture.bmp");
    ASSERT_TRUE(wd::CaptureWindow(form_, path));
    int width = 0, height = 0;
    COLORREF middle = 0;
    ASSERT_TRUE(ReadBmpMiddle(path, &width, &height, &middle));
    DeleteFileA(path);
    EXPECT_EQ(width, 300);
    EXPECT_EQ(height, 200);
    EXPECT_EQ(middle, RGB(255, 0, 0));
}

// Message boxes of this process, each on a thread of its own.
TEST(MessageBoxes, ReadsTheTextAndPressesTheChosenButton) {
    struct Case {
        UINT style;
        int answer;
    } cases[] = {{MB_YESNO, IDYES}, {MB_YESNO, IDNO}, {MB_OK, IDOK}, {MB_OKCANCEL, IDCANCEL}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.answer);
        std::atomic<int> result{0};
        std::thread box(
            [&] { result = MessageBoxA(nullptr, "Line one\nLine two", "Driver box", test.style); });
        HWND found = wd::WaitForMessageBox(GetCurrentProcessId(), Timeout);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(wd::MessageBoxText(found), "Line one\nLine two");
        EXPECT_EQ(wd::Text(found), "Driver box");
        ASSERT_TRUE(wd::AnswerMessageBox(found, test.answer));
        box.join();
        EXPECT_EQ(result, test.answer);
    }
    EXPECT_EQ(wd::FindMessageBox(GetCurrentProcessId()), nullptr);
}

std::string SelfPath() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// The child process asks a question and exits with the button pressed.
TEST(Processes, DrivesAnotherProcessAndReportsItsExitCode) {
    for (int answer : {IDYES, IDNO}) {
        wd::Process child;
        ASSERT_TRUE(wd::Start(SelfPath(), "--ask-and-exit", &child));
        HWND box = wd::WaitForMessageBox(child.id, 20000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(wd::MessageBoxText(box), "Exit with the answer?");
        EXPECT_EQ(wd::FindMessageBox(GetCurrentProcessId()), nullptr);
        EXPECT_TRUE(wd::IsRunning(child));
        ASSERT_TRUE(wd::AnswerMessageBox(box, answer));
        DWORD code = 0;
        ASSERT_TRUE(wd::WaitForExit(child, 20000, &code));
        EXPECT_EQ(code, static_cast<DWORD>(answer));
        EXPECT_FALSE(wd::IsRunning(child));
    }
}

TEST(Processes, ReportsAProcessThatIsStillRunningOrCannotStart) {
    wd::Process child;
    ASSERT_TRUE(wd::Start(SelfPath(), "--ask-and-exit", &child));
    ASSERT_NE(wd::WaitForMessageBox(child.id, 20000), nullptr);
    EXPECT_FALSE(wd::WaitForExit(child, 200));
    wd::Kill(child);
    DWORD code = 0;
    EXPECT_TRUE(wd::WaitForExit(child, 5000, &code));
    EXPECT_EQ(code, 99u);

    wd::Process missing;
    EXPECT_FALSE(wd::Start("Z:\\no\\such\\program.exe", "", &missing));
    EXPECT_EQ(missing.handle, nullptr);
}

// The command for scripts, judged by its exit codes: 0 done, 1 not found or
// timed out, 2 usage. The child's question box is what it looks for.
TEST(Command, AnswersWithItsExitCode) {
    wd::Process child;
    ASSERT_TRUE(wd::Start(SelfPath(), "--ask-and-exit", &child));
    ASSERT_NE(wd::WaitForMessageBox(child.id, 20000), nullptr);
    std::string pid = std::to_string(child.id);
    struct Case {
        std::string arguments;
        DWORD code;
    } cases[] = {
        {"", 2},
        {"no-such-command", 2},
        {"wait-window 0 NoSuchWindowClass - 100", 1},
        {"wait-window " + pid + " #32770 - 5000", 0},
        {"message-box " + pid + " 5000", 0},
        {"message-box " + std::to_string(GetCurrentProcessId()) + " 100", 1},
        {"click 0x0 1", 1},
        {"answer 0x0 maybe", 2},
        {"wait-exit " + pid + " 100", 1},
        {"run 20000 C:\\windows\\system32\\cmd.exe /c exit 5", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        wd::Process command;
        ASSERT_TRUE(wd::Start(WINDRIVER_EXE, c.arguments, &command));
        DWORD code = 99;
        ASSERT_TRUE(wd::WaitForExit(command, 30000, &code));
        EXPECT_EQ(code, c.code);
    }
    wd::Kill(child);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--ask-and-exit") == 0)
        return MessageBoxA(nullptr, "Exit with the answer?", "Child", MB_YESNO);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
