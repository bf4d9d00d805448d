// The splash window: shows the package's bitmap, topmost and borderless,
// while the work routine (unpacking the patch data) runs, for at least 1.5 s.
#include "windows/presentation.h"

#include "wizard/wizard.h"

enum { StartTimer = 1, CloseTimer = 2, ShownAtLeastMs = 1500 };

static int (*SplashWork)(void);
static HBITMAP SplashBitmap;
static int SplashResult;
static int SplashWorkRan;

// Runs the work routine at most once, whatever becomes of the window.
static void RunSplashWork(void) {
    if (SplashWorkRan)
        return;
    SplashWorkRan = 1;
    if (SplashWork != NULL)
        SplashResult = SplashWork();
}

LRESULT CALLBACK SplashWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        SetTimer(window, StartTimer, 1, NULL);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        DrawBitmap(dc, 0, 0, SplashBitmap);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_TIMER:
        if (wParam == StartTimer) {
            // The timer comes after every other message, so the bitmap is on
            // screen before the work holds this thread.
            KillTimer(window, StartTimer);
            SetTimer(window, CloseTimer, ShownAtLeastMs, NULL);
            RunSplashWork();
        } else if (wParam == CloseTimer) {
            DestroyWindow(window);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(SplashResult);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunSplash(HBITMAP bitmap, int (*work)(void)) {
    SplashWork = work;
    SplashBitmap = bitmap;
    SplashResult = 0;
    SplashWorkRan = 0;

    // Without a bitmap there is nothing to show and no size to give a window:
    // the work runs at once.
    BITMAP description;
    if (bitmap == NULL || GetObjectA(bitmap, sizeof description, &description) == 0) {
        RunSplashWork();
        return SplashResult;
    }

    WNDCLASSA splashClass;
    ZeroMemory(&splashClass, sizeof splashClass);
    splashClass.style = CS_HREDRAW | CS_VREDRAW;
    splashClass.lpfnWndProc = SplashWindowProc;
    splashClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    splashClass.lpszClassName = "Splash";
    RegisterClassA(&splashClass);

    int w = description.bmWidth;
    int h = description.bmHeight;
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    // The shift halves towards minus infinity: a bitmap larger than the
    // screen overhangs both sides alike, the odd pixel on the left or top.
    int x = desktop.left + ((desktop.right - desktop.left - w) >> 1);
    int y = desktop.top + ((desktop.bottom - desktop.top - h) >> 1);
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "Splash", NULL,
                                  WS_POPUP | WS_VISIBLE, x, y, w, h, NULL, NULL, NULL, NULL);
    if (window == NULL) {
        // No window, no timers: the work must not wait for them.
        RunSplashWork();
        return SplashResult;
    }
    UpdateWindow(window);

    MSG message;
    int result = SplashResult;
    BOOL got;
    while ((got = GetMessageA(&message, NULL, 0, 0)) != 0 && got != -1) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (got == 0)
        result = static_cast<int>(message.wParam);
    // A window that went away before its first timer still leaves the work to do.
    if (!SplashWorkRan) {
        RunSplashWork();
        result = SplashResult;
    }
    return result;
}
