// A small driver for the GUI tests that run under wine: start the program
// under test, find its windows, read what they show, press their buttons and
// answer their message boxes, and learn how the process ended.
//
// Every call works across processes (the messages used carry no pointers
// except WM_GETTEXT/WM_SETTEXT, which the system marshals) and just as well
// on windows of another thread of the calling process. While it waits, the
// driver pumps the calling thread's messages, so a test may also drive
// windows that its own thread owns.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace wd {

// The process under test. Close() releases the handles; the destructor does too.
struct Process {
    HANDLE handle = nullptr;
    HANDLE thread = nullptr;
    DWORD id = 0;
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    ~Process() { Close(); }
    void Close();
};

// Starts exe (a Windows path) with the given argument text, in folder (empty:
// the caller's current folder). Returns false when the process was not made.
bool Start(const std::string& exe, const std::string& arguments, Process* process,
           const std::string& folder = "");

// Waits up to timeoutMs for the process to end. True when it has ended; then
// *exitCode (when given) holds its exit code.
bool WaitForExit(const Process& process, int timeoutMs, DWORD* exitCode = nullptr);
// True while the process is still running.
bool IsRunning(const Process& process);
// Ends a process that a failed test left running.
void Kill(const Process& process);

// Polls condition every few milliseconds (pumping this thread's messages)
// until it is true or timeoutMs has passed. Returns its last answer.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);

// Lets timeoutMs pass while pumping this thread's messages.
void Pump(int timeoutMs);

// A top-level window of the process with the given id (0: any process) whose
// class and caption match exactly (null or empty: any). Only visible windows
// count unless visibleOnly is false. Null when there is none.
HWND FindTopWindow(DWORD processId, const char* className, const char* caption,
                   bool visibleOnly = true);
HWND WaitForTopWindow(DWORD processId, const char* className, const char* caption, int timeoutMs,
                      bool visibleOnly = true);
// Every top-level window of the process, visible or not.
std::vector<HWND> TopWindows(DWORD processId);

// A window's text through WM_GETTEXT: captions, and the text of edit and rich
// edit controls of other processes too (GetWindowText gives only captions).
std::string Text(HWND window);
std::string ClassName(HWND window);

// One child window as the driver sees it.
struct Control {
    HWND window = nullptr;
    int id = 0;
    std::string className;
    std::string text;
    bool enabled = false;
    bool visible = false;
    int checked = 0; // BM_GETCHECK for buttons: BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE
};
// Every descendant of the window (children of children too), in Z order.
std::vector<Control> Controls(HWND parent);
// The first descendant with this control id (null when there is none). Only
// visible descendants count unless visibleOnly is false: a property sheet
// keeps hidden pages that reuse control ids.
HWND FindControl(HWND parent, int id, bool visibleOnly = true);
// Text of that descendant; empty when there is none.
std::string ControlText(HWND parent, int id);
bool IsControlEnabled(HWND parent, int id);
bool IsControlChecked(HWND parent, int id);

// Presses a button the way a click does (BM_CLICK): the button changes its
// state and tells its parent with WM_COMMAND. False when there is no such control.
bool Click(HWND parent, int id);
// Sends WM_COMMAND with BN_CLICKED straight to the control's parent, for
// controls that are no buttons or are disabled.
bool Command(HWND parent, int id);
// Brings a check box to the wanted tick through clicks, so that the owner is
// told exactly as when a user ticks it.
bool SetCheck(HWND parent, int id, bool ticked);
// Sets an edit control's text (WM_SETTEXT; the edit sends EN_CHANGE).
bool SetControlText(HWND parent, int id, const std::string& text);

// The buttons of a wizard-style property sheet, by their control ids.
enum SheetButton { SheetBack = 12323, SheetNext = 12324, SheetFinish = 12325, SheetCancel = 2 };
// Presses one (PSM_PRESSBUTTON is posted by the sheet itself, so the press
// takes effect once the sheet's thread gets to it: wait for its effect).
bool PressSheetButton(HWND sheet, SheetButton button);
// The sheet button is visible and enabled.
bool IsSheetButtonEnabled(HWND sheet, SheetButton button);

// Message boxes: a dialog of class "#32770" holding the message text
// (control id 0xFFFF). Null when none is open.
HWND FindMessageBox(DWORD processId);
HWND WaitForMessageBox(DWORD processId, int timeoutMs);
std::string MessageBoxText(HWND box);
// Presses IDOK, IDYES, IDNO or IDCANCEL of the box.
bool AnswerMessageBox(HWND box, int buttonId);

// The window's rectangle on screen.
RECT WindowRect(HWND window);

// Copies what the screen shows in the window's rectangle into a 24-bit BMP
// file. False when nothing could be captured or written.
bool CaptureWindow(HWND window, const std::string& bmpPath);

} // namespace wd
