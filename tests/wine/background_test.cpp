// The background window and the About box, on this thread, captured from the
// screen and driven from a second thread as a user would.
#include "text_fixture.h"

#include "app/startup.h"
#include "resource.h"
#include "window_driver.h"
#include "windows/presentation.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

namespace {

constexpr int Timeout = 20000;

struct Pixels {
    int width = 0, height = 0;
    std::vector<unsigned char> bgr; // top-down rows of 3 bytes a pixel
    COLORREF At(int x, int y) const {
        const unsigned char* p = &bgr[(size_t)(y * width + x) * 3];
        return RGB(p[2], p[1], p[0]);
    }
};

// The client area as the screen shows it.
Pixels CaptureClient(HWND window) {
    Pixels pixels;
    RECT client;
    GetClientRect(window, &client);
    pixels.width = client.right;
    pixels.height = client.bottom;
    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memoryDc, bitmap);
    BitBlt(memoryDc, 0, 0, pixels.width, pixels.height, windowDc, 0, 0, SRCCOPY);
    GdiFlush();
    int stride = (pixels.width * 3 + 3) & ~3;
    pixels.bgr.resize((size_t)pixels.width * pixels.height * 3);
    for (int y = 0; y < pixels.height; ++y)
        std::memcpy(&pixels.bgr[(size_t)y * pixels.width * 3],
                    static_cast<unsigned char*>(bits) + (size_t)y * stride,
                    (size_t)pixels.width * 3);
    SelectObject(memoryDc, old);
    DeleteObject(bitmap);
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    return pixels;
}

// The smallest rectangle around every pixel of exactly this colour inside area.
RECT BoundsOf(const Pixels& pixels, COLORREF colour, RECT area) {
    RECT bounds = {INT_MAX, INT_MAX, -1, -1};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (pixels.At(x, y) == colour) {
                bounds.left = std::min<LONG>(bounds.left, x);
                bounds.top = std::min<LONG>(bounds.top, y);
                bounds.right = std::max<LONG>(bounds.right, x);
                bounds.bottom = std::max<LONG>(bounds.bottom, y);
            }
    return bounds;
}

bool Found(const RECT& bounds) {
    return bounds.right >= 0;
}

class BackgroundTest : public TextFixture {
  protected:
    void SetUp() override {
        TextFixture::SetUp();
        lstrcpyA(WindowTitle, "Demo Update");
        lstrcpyA(CopyrightLine, "Copyright (C) Demo Makers");
    }
    void TearDown() override {
        if (IsWindow(window_))
            DestroyWindow(window_);
        // The destruction's WM_QUIT must not end a later test's loop.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        TextFixture::TearDown();
    }
    void Open(int show = SW_SHOWMAXIMIZED) {
        window_ = CreateBackgroundWindow();
        ASSERT_NE(window_, nullptr);
        ShowWindow(window_, show);
        UpdateWindow(window_);
        wd::Pump(300);
    }
    // Runs act on a second thread while this one pumps messages. act
    // returns false when it could not answer the modal window it waited for.
    void WhilePumping(const std::function<bool()>& act) {
        std::atomic<bool> done{false};
        DWORD thread = GetCurrentThreadId();
        std::thread helper([&] {
            if (!act())
                EndModalLoop(thread);
            done = true;
        });
        wd::WaitUntil([&] { return done.load(); }, 3 * Timeout);
        helper.join();
    }
    HWND window_ = nullptr;
};

TEST_F(BackgroundTest, CreatedWithClassCaptionAndStyle) {
    Open();
    char text[300];
    GetClassNameA(window_, text, sizeof text);
    EXPECT_STREQ(text, "quv");
    GetWindowTextA(window_, text, sizeof text);
    EXPECT_STREQ(text, "Demo Update");
    LONG style = GetWindowLongA(window_, GWL_STYLE);
    EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
    EXPECT_TRUE(IsZoomed(window_));
    EXPECT_EQ(GetClassLongA(window_, GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW),
              (DWORD)(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(GetClassLongPtrA(window_, GCLP_HBRBACKGROUND), 0);
}

TEST_F(BackgroundTest, SystemMenuEndsWithTheAboutCommand) {
    WriteLanguageTable("[@]\nID210=Info...\n");
    Open();
    HMENU menu = GetSystemMenu(window_, FALSE);
    int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(GetMenuItemID(menu, count - 1), (UINT)IDM_ABOUT);
    char text[100];
    GetMenuStringA(menu, count - 1, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Info...");
    EXPECT_TRUE(GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR);
}

// Blue of the column left of the heading: (0, 0, 255) at the top (pens
// wider than a row let the second line reach the top row: 254), darker on
// every row further down, near black at the bottom, never any red or green.
void ExpectGradient(const Pixels& pixels) {
    ASSERT_GT(pixels.height, 0);
    EXPECT_GE(GetBValue(pixels.At(5, 0)), 254);
    int previous = 255;
    for (int y = 0; y < pixels.height; ++y) {
        COLORREF c = pixels.At(5, y);
        ASSERT_EQ(GetRValue(c), 0) << "row " << y;
        ASSERT_EQ(GetGValue(c), 0) << "row " << y;
        ASSERT_LE(GetBValue(c), previous) << "row " << y;
        previous = GetBValue(c);
    }
    EXPECT_LE(previous, 8) << "bottom row not near black";
}

TEST_F(BackgroundTest, GradientSpansTheClientHeight) {
    Open();
    Pixels pixels = CaptureClient(window_);
    EXPECT_EQ(pixels.At(5, 0), RGB(0, 0, 255));
    ExpectGradient(pixels);
}

TEST_F(BackgroundTest, GradientFollowsARestoredSmallerWindow) {
    Open();
    ShowWindow(window_, SW_RESTORE);
    SetWindowPos(window_, nullptr, 20, 20, 900, 380, SWP_NOZORDER);
    UpdateWindow(window_);
    wd::Pump(300);
    Pixels pixels = CaptureClient(window_);
    EXPECT_LT(pixels.height, 380);
    ExpectGradient(pixels);
}

// Below 255 rows each line is one row high and several fall on one row: the
// row shows the last, darkest, line drawn on it.
TEST_F(BackgroundTest, LowWindowShowsTheLastLineOfEachRow) {
    Open();
    ShowWindow(window_, SW_RESTORE);
    RECT frame = {0, 0, 700, 100};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER);
    UpdateWindow(window_);
    wd::Pump(300);
    Pixels pixels = CaptureClient(window_);
    ASSERT_GT(pixels.height, 10);
    ASSERT_LT(pixels.height, 255);
    for (int y = 0; y < pixels.height; ++y) {
        // The darkest line i (255 down to 1) whose row (255 - i) * H / 255 is y.
        int darkest = 0;
        for (int i = 255; i >= 1; --i)
            if ((255 - i) * pixels.height / 255 == y)
                darkest = i;
        EXPECT_EQ(pixels.At(5, y), RGB(0, 0, darkest)) << "row " << y;
    }
    EXPECT_EQ(pixels.At(5, pixels.height - 1), RGB(0, 0, 1));
}

TEST_F(BackgroundTest, HeadingIsWhiteWithABlackShadowFourPixelsLowerRight) {
    Open();
    Pixels pixels = CaptureClient(window_);
    RECT top = {0, 0, pixels.width / 2, 90};
    RECT white = BoundsOf(pixels, RGB(255, 255, 255), top);
    RECT black = BoundsOf(pixels, RGB(0, 0, 0), top);
    ASSERT_TRUE(Found(white));
    ASSERT_TRUE(Found(black));
    EXPECT_GE(white.left, 13);
    EXPECT_LE(white.left, 25);
    EXPECT_GE(white.top, 13);
    EXPECT_LE(white.top, 30);
    // A 34-pixel heading, and the shadow's far edges are never under the heading.
    EXPECT_GE(white.bottom - white.top, 15);
    EXPECT_EQ(black.right, white.right + 4);
    EXPECT_EQ(black.bottom, white.bottom + 4);
}

// Text pixels at the bottom: the background there has no red, the white
// copyright line and the yellow credit line have plenty.
RECT InkIn(const Pixels& pixels, RECT area) {
    RECT bounds = {INT_MAX, INT_MAX, -1, -1};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (GetRValue(pixels.At(x, y)) > 64) {
                bounds.left = std::min<LONG>(bounds.left, x);
                bounds.top = std::min<LONG>(bounds.top, y);
                bounds.right = std::max<LONG>(bounds.right, x);
                bounds.bottom = std::max<LONG>(bounds.bottom, y);
            }
    return bounds;
}

TEST_F(BackgroundTest, FooterLinesAreRightAlignedAboveTheBottom) {
    Open();
    Pixels pixels = CaptureClient(window_);
    int w = pixels.width, h = pixels.height;
    // 14-pixel cells: the credit line's bottom 10 and the copyright line's 26
    // pixels above the bottom edge.
    RECT creditRows = {0, h - 24, w, h};
    RECT copyrightRows = {0, h - 40, w, h - 26};
    RECT credit = InkIn(pixels, creditRows);
    RECT copyright = InkIn(pixels, copyrightRows);
    ASSERT_TRUE(Found(credit));
    ASSERT_TRUE(Found(copyright));
    EXPECT_TRUE(Found(BoundsOf(pixels, RGB(255, 255, 0), creditRows)));
    EXPECT_TRUE(Found(BoundsOf(pixels, RGB(255, 255, 255), copyrightRows)));
    EXPECT_FALSE(Found(BoundsOf(pixels, RGB(255, 255, 255), creditRows)));
    // Nothing in the margins; ink ends a little inside the measured box.
    EXPECT_FALSE(Found(InkIn(pixels, {w - 10, h - 60, w, h})));
    EXPECT_FALSE(Found(InkIn(pixels, {0, h - 10, w, h})));
    EXPECT_GT(credit.right, w - 16);
    EXPECT_GT(copyright.right, w - 16);
    EXPECT_GT(credit.bottom, h - 16);
    EXPECT_GT(copyright.bottom, h - 32);
    // The credit line is the longer one here.
    EXPECT_LT(credit.left, copyright.left);
}

TEST_F(BackgroundTest, EmptyCopyrightLeavesOnlyTheCreditLine) {
    CopyrightLine[0] = 0;
    lstrcpyA(WindowTitle, " Update");
    Open();
    Pixels pixels = CaptureClient(window_);
    RECT bottom = {0, pixels.height - 70, pixels.width, pixels.height};
    EXPECT_FALSE(Found(BoundsOf(pixels, RGB(255, 255, 255), bottom)));
    EXPECT_TRUE(Found(BoundsOf(pixels, RGB(255, 255, 0), bottom)));
    char caption[64];
    GetWindowTextA(window_, caption, sizeof caption);
    EXPECT_STREQ(caption, " Update");
}

TEST_F(BackgroundTest, NoOnTheCloseQuestionKeepsTheWindow) {
    Open();
    std::string text, caption;
    PostMessageA(window_, WM_CLOSE, 0, 0);
    WhilePumping([&] {
        HWND box = wd::WaitForMessageBox(GetCurrentProcessId(), Timeout);
        if (box == nullptr)
            return false;
        text = wd::MessageBoxText(box);
        caption = wd::Text(box);
        return wd::AnswerMessageBox(box, IDNO);
    });
    char expected[1024];
    LoadText(IDS_CONFIRM_QUIT, expected, sizeof expected);
    EXPECT_EQ(text, expected);
    EXPECT_EQ(caption, "Tarvelion");
    wd::Pump(200);
    EXPECT_TRUE(IsWindow(window_));
    EXPECT_TRUE(IsWindowVisible(window_));
}

TEST_F(BackgroundTest, YesOnTheCloseQuestionEndsTheLoopWithZero) {
    WriteLanguageTable("[@]\nID201=Wirklich beenden?\nID200=Frage\n");
    Open();
    std::string text, caption;
    DWORD thread = GetCurrentThreadId();
    std::thread helper([&] {
        HWND box = wd::WaitForMessageBox(GetCurrentProcessId(), Timeout);
        if (box == nullptr) {
            EndModalLoop(thread);
            return;
        }
        text = wd::MessageBoxText(box);
        caption = wd::Text(box);
        wd::AnswerMessageBox(box, IDYES);
    });
    PostMessageA(window_, WM_CLOSE, 0, 0);
    // A quit code other than 0 shows that the loop did not end by the window.
    HANDLE finished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread guard([finished, thread] {
        if (WaitForSingleObject(finished, 3 * Timeout) == WAIT_TIMEOUT)
            PostThreadMessageA(thread, WM_QUIT, 99, 0);
    });
    int code = RunMessageLoop();
    SetEvent(finished);
    guard.join();
    helper.join();
    CloseHandle(finished);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(text, "Wirklich beenden?");
    EXPECT_EQ(caption, "Frage");
}

class AboutBoxTest : public BackgroundTest, public ::testing::WithParamInterface<int> {};

TEST_P(AboutBoxTest, OpensFromTheSystemMenuAndEnds) {
    WriteLanguageTable("[@]\nID350=Produkt\n");
    Open();
    std::string caption, product, version;
    bool disabledWhileOpen = false, closed = false;
    PostMessageA(window_, WM_SYSCOMMAND, IDM_ABOUT, 0);
    int how = GetParam();
    WhilePumping([&] {
        HWND about = wd::WaitForTopWindow(GetCurrentProcessId(), "#32770", nullptr, Timeout);
        if (about == nullptr)
            return false;
        caption = wd::Text(about);
        product = wd::ControlText(about, IDT_ABOUT_PRODUCT);
        version = wd::ControlText(about, IDT_ABOUT_VERSION);
        disabledWhileOpen = !IsWindowEnabled(window_);
        if (how == 0)
            wd::Click(about, IDOK);
        else if (how == 1)
            PostMessageA(about, WM_COMMAND, IDCANCEL, 0); // Esc
        else
            PostMessageA(about, WM_CLOSE, 0, 0); // the close box
        closed = wd::WaitUntil([&] { return !IsWindow(about); }, Timeout);
        return closed;
    });
    EXPECT_EQ(caption, "About Tarvelion Updater");
    EXPECT_EQ(product, "Produkt");
    EXPECT_EQ(version, "Version 3.22");
    EXPECT_TRUE(disabledWhileOpen);
    EXPECT_TRUE(closed);
    wd::Pump(200);
    EXPECT_TRUE(IsWindowEnabled(window_));
    EXPECT_TRUE(IsWindow(window_));
}

std::string WayName(const ::testing::TestParamInfo<int>& info) {
    static const char* const names[] = {"OkButton", "Escape", "CloseBox"};
    return names[info.param];
}
INSTANTIATE_TEST_SUITE_P(Ways, AboutBoxTest, ::testing::Values(0, 1, 2), WayName);

TEST_F(BackgroundTest, AboutCaptionFollowsTheLanguageTable) {
    WriteLanguageTable("[@]\nID300=Ueber das Programm\n");
    Open();
    std::string caption;
    PostMessageA(window_, WM_SYSCOMMAND, IDM_ABOUT, 0);
    WhilePumping([&] {
        HWND about = wd::WaitForTopWindow(GetCurrentProcessId(), "#32770", nullptr, Timeout);
        if (about == nullptr)
            return false;
        caption = wd::Text(about);
        wd::Click(about, IDOK);
        return wd::WaitUntil([&] { return !IsWindow(about); }, Timeout);
    });
    EXPECT_EQ(caption, "Ueber das Programm");
}

} // namespace
