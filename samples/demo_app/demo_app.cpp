// The sample program that the sample package updates: a window that says
// which version it is. While it runs it holds the mutex that the package
// names as TargetMutex, so the applier refuses to update it while it runs.
#include <windows.h>

#ifndef DEMO_VERSION
#define DEMO_VERSION "1.0"
#endif

static LRESULT CALLBACK DemoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        DrawTextA(dc, "Tarvelion Demo, version " DEMO_VERSION, -1, &client,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    CreateMutexA(NULL, FALSE, "TarvelionDemoRunning");
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DemoWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "TarvelionDemo";
    RegisterClassA(&windowClass);
    HWND window =
        CreateWindowA("TarvelionDemo", "Tarvelion Demo " DEMO_VERSION, WS_OVERLAPPEDWINDOW,
                      CW_USEDEFAULT, CW_USEDEFAULT, 360, 160, NULL, NULL, instance, NULL);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
