// The presentation windows: the full-screen background window with its About
// box, and the splash window.
#pragma once
#include <windows.h>

LRESULT CALLBACK BackgroundWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the bitmap while work runs once; returns work's result (0 without work).
int RunSplash(HBITMAP bitmap, int (*work)(void));
LRESULT CALLBACK SplashWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
