// The splash window: the work routine runs once while the bitmap is shown,
// and its result comes back, also when there is no bitmap or no window.
#include <windows.h>

#include <gtest/gtest.h>

#include "windows/presentation.h"

namespace {

int workCalls;
int workAnswer;
HWND seenWindow;
RECT seenRect;
LONG seenStyle, seenExtendedStyle;

int RecordingWork() {
    ++workCalls;
    seenWindow = FindWindowA("Splash", nullptr);
    if (seenWindow) {
        GetWindowRect(seenWindow, &seenRect);
        seenStyle = GetWindowLongA(seenWindow, GWL_STYLE);
        seenExtendedStyle = GetWindowLongA(seenWindow, GWL_EXSTYLE);
    }
    return workAnswer;
}

HBITMAP MakeBitmap(int width, int height) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

class Splash : public ::testing::Test {
  protected:
    void SetUp() override {
        workCalls = 0;
        seenWindow = nullptr;
        seenRect = {};
        seenStyle = seenExtendedStyle = 0;
    }
};

TEST_F(Splash, RunsTheWorkOnceAndHandsBackItsResult) {
    HBITMAP bitmap = MakeBitmap(400, 300);
    for (int answer : {1, 0, 7}) {
        SCOPED_TRACE(answer);
        SetUp();
        workAnswer = answer;
        DWORD start = GetTickCount();
        EXPECT_EQ(RunSplash(bitmap, RecordingWork), answer);
        DWORD shown = GetTickCount() - start;
        EXPECT_EQ(workCalls, 1);
        EXPECT_NE(seenWindow, nullptr);
        EXPECT_FALSE(IsWindow(seenWindow));
        // Shown for at least the 1.5 seconds, even for work that takes no time.
        EXPECT_GE(shown, 1450u);
    }
    DeleteObject(bitmap);
}

TEST_F(Splash, IsATopmostToolWindowCentredOnTheDesktop) {
    struct Case {
        int width, height;
        RECT expected;
    } cases[] = {
        {400, 300, {312, 234, 712, 534}},
        {401, 301, {311, 233, 712, 534}},
        // Larger than the 1024 x 768 screen: overhangs both sides, the odd pixel left and top.
        {1101, 901, {-39, -67, 1062, 834}},
    };
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    ASSERT_EQ(desktop.right, 1024);
    ASSERT_EQ(desktop.bottom, 768);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        SetUp();
        workAnswer = 1;
        HBITMAP bitmap = MakeBitmap(c.width, c.height);
        EXPECT_EQ(RunSplash(bitmap, RecordingWork), 1);
        DeleteObject(bitmap);
        ASSERT_NE(seenWindow, nullptr);
        EXPECT_EQ(seenRect.left, c.expected.left);
        EXPECT_EQ(seenRect.top, c.expected.top);
        EXPECT_EQ(seenRect.right, c.expected.right);
        EXPECT_EQ(seenRect.bottom, c.expected.bottom);
        EXPECT_TRUE(seenExtendedStyle & WS_EX_TOPMOST);
        EXPECT_TRUE(seenExtendedStyle & WS_EX_TOOLWINDOW);
        EXPECT_TRUE(seenStyle & WS_POPUP);
        EXPECT_TRUE(seenStyle & WS_VISIBLE);
        EXPECT_FALSE(seenStyle & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));
    }
}

TEST_F(Splash, WithoutABitmapTheWorkStillRunsOnce) {
    for (int answer : {1, 0}) {
        SCOPED_TRACE(answer);
        SetUp();
        workAnswer = answer;
        EXPECT_EQ(RunSplash(nullptr, RecordingWork), answer);
        EXPECT_EQ(workCalls, 1);
        EXPECT_EQ(seenWindow, nullptr); // nothing to show, so no window
    }
}

TEST_F(Splash, WithoutWorkTheResultIsZero) {
    HBITMAP bitmap = MakeBitmap(100, 80);
    EXPECT_EQ(RunSplash(bitmap, nullptr), 0);
    EXPECT_EQ(FindWindowA("Splash", nullptr), nullptr);
    DeleteObject(bitmap);
}

int refusedCreations;
LRESULT CALLBACK RefusingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        ++refusedCreations;
        return FALSE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A class "Splash" that refuses every window is already there: the splash
// cannot make its window, and the work must run all the same.
TEST_F(Splash, WhenTheWindowCannotBeMadeTheWorkStillRunsOnce) {
    WNDCLASSA refusing = {};
    refusing.lpfnWndProc = RefusingProc;
    refusing.hInstance = GetModuleHandleA(nullptr);
    refusing.lpszClassName = "Splash";
    UnregisterClassA("Splash", GetModuleHandleA(nullptr));
    ASSERT_NE(RegisterClassA(&refusing), 0);
    HBITMAP bitmap = MakeBitmap(400, 300);
    for (int answer : {1, 0}) {
        SCOPED_TRACE(answer);
        SetUp();
        refusedCreations = 0;
        workAnswer = answer;
        EXPECT_EQ(RunSplash(bitmap, RecordingWork), answer);
        EXPECT_EQ(workCalls, 1);
        EXPECT_EQ(refusedCreations, 1);
    }
    DeleteObject(bitmap);
    UnregisterClassA("Splash", GetModuleHandleA(nullptr));
}

} // namespace
