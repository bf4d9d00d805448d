// The modeless property-sheet wizard, its shared page operations and the
// dialog routines of its pages and of the progress dialog.
#pragma once
#include <windows.h>

// Frame (wizard_frame.cpp)
HWND CreateWizard(HWND owner, int startPage);
int CALLBACK WizardCallback(HWND window, UINT message, LPARAM parameter);
void CenterWindow(HWND window);
// Where CenterWindow puts a window: centred on parent, then kept inside the
// desktop's right and bottom edges and off negative coordinates.
RECT CenteredRect(RECT window, RECT parent, RECT desktop);
void DrawBitmap(HDC dc, int x, int y, HBITMAP bitmap);
void FillAppName(HWND control);
int LoadFileIntoControl(HWND control, const char* fileName, const char* folder);

// The wizard window as the sheet callback reported it (null until then).
extern HWND SheetWindow;

// Shared page behaviour (wizard_frame.cpp)
void ShowPageTitle(UINT pageNumber);
void PaintSidePanel(HWND sidePanel);
void PostWizardButtons(HWND page, DWORD buttons);
void RequestCancel(HWND page); // PSN_QUERYCANCEL on pages 301 to 304
// Readies a page's rich edit control (links, font) and loads the file named
// by built-in text fileNameText from the workspace into it; returns the control.
HWND SetUpTextBox(HWND page, int controlId, UINT fileNameText);

// Pages
INT_PTR CALLBACK WelcomePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK LicencePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK GuidePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DestinationPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ResultsPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FinishPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Posted by the Results and Finish pages to themselves (wParam, lParam 0):
// destroy the background window once the sheet has left its own handling.
#define WM_END_WIZARD (WM_APP + 1)

// Progress dialog (progress_dialog.cpp)
INT_PTR CALLBACK ProgressDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Links in the licence and guide texts (links.cpp)
void OpenClickedLink(const void* linkNotification, HWND richEdit);
// 1 when a clicked link may be opened with the shell: a web or mail address.
int IsOpenableLink(const char* link);
