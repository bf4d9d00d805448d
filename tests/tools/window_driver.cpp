#include "window_driver.h"

#include <commctrl.h>

#include <cstdio>

namespace wd {
namespace {

// A window that does not answer within this time is taken as hung: the
// driver goes on rather than freezing the test run.
constexpr UINT SendTimeoutMs = 5000;
constexpr int PollMs = 15;
// The message text of a message box: 0xFFFF on Windows, 100 in wine's own
// template.
constexpr int MessageTextIds[] = {0xFFFF, 100};

bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, SendTimeoutMs,
                             &answer))
        return false;
    if (result)
        *result = answer;
    return true;
}

struct TopSearch {
    DWORD processId;
    const char* className;
    const char* caption;
    bool visibleOnly;
    HWND found;
    std::vector<HWND>* all;
};

bool Matches(HWND window, const TopSearch& search) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search.processId && owner != search.processId)
        return false;
    if (search.visibleOnly && !IsWindowVisible(window))
        return false;
    if (search.className && *search.className && ClassName(window) != search.className)
        return false;
    if (search.caption && *search.caption && Text(window) != search.caption)
        return false;
    return true;
}

BOOL CALLBACK CollectTop(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<TopSearch*>(parameter);
    if (!Matches(window, *search))
        return TRUE;
    if (search->all) {
        search->all->push_back(window);
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter) {
    reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
    return TRUE;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> windows;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool IsButton(const std::string& className) {
    return _stricmp(className.c_str(), "Button") == 0;
}

HWND MessageTextControl(HWND box) {
    for (int id : MessageTextIds) {
        HWND text = GetDlgItem(box, id);
        if (text && _stricmp(ClassName(text).c_str(), "Static") == 0)
            return text;
    }
    return nullptr;
}

bool IsMessageBox(HWND window) {
    return ClassName(window) == "#32770" && MessageTextControl(window) != nullptr &&
           !FindWindowExA(window, nullptr, "#32770", nullptr);
}

void PutLittleEndian(std::vector<unsigned char>& out, unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

} // namespace

Process::Process(Process&& other) noexcept
    : handle(other.handle), thread(other.thread), id(other.id) {
    other.handle = other.thread = nullptr;
    other.id = 0;
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Close();
        handle = other.handle;
        thread = other.thread;
        id = other.id;
        other.handle = other.thread = nullptr;
        other.id = 0;
    }
    return *this;
}

void Process::Close() {
    if (thread)
        CloseHandle(thread);
    if (handle)
        CloseHandle(handle);
    handle = thread = nullptr;
    id = 0;
}

bool Start(const std::string& exe, const std::string& arguments, Process* process,
           const std::string& folder) {
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    // The child gets NUL as its standard handles: one that inherited the
    // caller's output pipe would keep a script's $(...) or CTest's log
    // waiting for as long as it runs.
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE nul =
        CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inheritable, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    PROCESS_INFORMATION info = {};
    BOOL made =
        CreateProcessA(exe.c_str(), writable.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                       nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &info);
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    if (!made)
        return false;
    process->Close();
    process->handle = info.hProcess;
    process->thread = info.hThread;
    process->id = info.dwProcessId;
    return true;
}

bool WaitForExit(const Process& process, int timeoutMs, DWORD* exitCode) {
    if (!process.handle)
        return false;
    bool ended = WaitUntil([&] { return WaitForSingleObject(process.handle, 0) == WAIT_OBJECT_0; },
                           timeoutMs);
    if (ended && exitCode)
        GetExitCodeProcess(process.handle, exitCode);
    return ended;
}

bool IsRunning(const Process& process) {
    return process.handle && WaitForSingleObject(process.handle, 0) == WAIT_TIMEOUT;
}

void Kill(const Process& process) {
    if (IsRunning(process)) {
        TerminateProcess(process.handle, 99);
        WaitForSingleObject(process.handle, 5000);
    }
}

void Pump(int timeoutMs) {
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (static_cast<int>(GetTickCount() - start) >= timeoutMs)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, PollMs, QS_ALLINPUT);
    } while (static_cast<int>(GetTickCount() - start) < timeoutMs);
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (static_cast<int>(GetTickCount() - start) >= timeoutMs)
            return condition();
        Pump(PollMs);
    }
}

HWND FindTopWindow(DWORD processId, const char* className, const char* caption, bool visibleOnly) {
    TopSearch search = {processId, className, caption, visibleOnly, nullptr, nullptr};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopWindow(DWORD processId, const char* className, const char* caption, int timeoutMs,
                      bool visibleOnly) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindTopWindow(processId, className, caption, visibleOnly);
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

std::vector<HWND> TopWindows(DWORD processId) {
    std::vector<HWND> windows;
    TopSearch search = {processId, nullptr, nullptr, false, nullptr, &windows};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
    return windows;
}

std::string Text(HWND window) {
    DWORD_PTR length = 0;
    if (!window || !SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, &length))
        return {};
    std::vector<char> buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendWithTimeout(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                         &copied))
        return {};
    return std::string(buffer.data(), copied < length ? copied : length);
}

std::string ClassName(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::vector<Control> Controls(HWND parent) {
    std::vector<Control> controls;
    for (HWND window : Descendants(parent)) {
        Control control;
        control.window = window;
        control.id = GetDlgCtrlID(window);
        control.className = ClassName(window);
        control.text = Text(window);
        control.enabled = IsWindowEnabled(window) != 0;
        control.visible = IsWindowVisible(window) != 0;
        if (IsButton(control.className)) {
            DWORD_PTR state = 0;
            SendWithTimeout(window, BM_GETCHECK, 0, 0, &state);
            control.checked = static_cast<int>(state);
        }
        controls.push_back(control);
    }
    return controls;
}

HWND FindControl(HWND parent, int id, bool visibleOnly) {
    for (HWND window : Descendants(parent))
        if (GetDlgCtrlID(window) == id && (!visibleOnly || IsWindowVisible(window)))
            return window;
    return nullptr;
}

std::string ControlText(HWND parent, int id) {
    return Text(FindControl(parent, id));
}

bool IsControlEnabled(HWND parent, int id) {
    HWND control = FindControl(parent, id);
    return control && IsWindowEnabled(control);
}

bool IsControlChecked(HWND parent, int id) {
    DWORD_PTR state = 0;
    HWND control = FindControl(parent, id);
    return control && SendWithTimeout(control, BM_GETCHECK, 0, 0, &state) && state == BST_CHECKED;
}

// Posted, not sent: a click may open a modal message box, and a sent message
// would hold the driver until somebody closed it.
bool Click(HWND parent, int id) {
    HWND control = FindControl(parent, id);
    return control && PostMessageA(control, BM_CLICK, 0, 0);
}

bool Command(HWND parent, int id) {
    HWND control = FindControl(parent, id);
    if (!control)
        return false;
    return PostMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(control));
}

bool SetCheck(HWND parent, int id, bool ticked) {
    if (!FindControl(parent, id))
        return false;
    if (IsControlChecked(parent, id) == ticked)
        return true;
    if (!Click(parent, id))
        return false;
    return WaitUntil([&] { return IsControlChecked(parent, id) == ticked; }, SendTimeoutMs);
}

bool SetControlText(HWND parent, int id, const std::string& text) {
    HWND control = FindControl(parent, id);
    return control &&
           SendWithTimeout(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), nullptr);
}

bool PressSheetButton(HWND sheet, SheetButton button) {
    // PSM_PRESSBUTTON numbers the buttons its own way.
    int index = 0;
    switch (button) {
    case SheetBack:
        index = PSBTN_BACK;
        break;
    case SheetNext:
        index = PSBTN_NEXT;
        break;
    case SheetFinish:
        index = PSBTN_FINISH;
        break;
    case SheetCancel:
        index = PSBTN_CANCEL;
        break;
    }
    return PostMessageA(sheet, PSM_PRESSBUTTON, index, 0) != 0;
}

bool IsSheetButtonEnabled(HWND sheet, SheetButton button) {
    HWND control = GetDlgItem(sheet, button);
    return control && IsWindowVisible(control) && IsWindowEnabled(control);
}

HWND FindMessageBox(DWORD processId) {
    for (HWND window : TopWindows(processId))
        if (IsWindowVisible(window) && IsMessageBox(window))
            return window;
    return nullptr;
}

HWND WaitForMessageBox(DWORD processId, int timeoutMs) {
    HWND box = nullptr;
    WaitUntil(
        [&] {
            box = FindMessageBox(processId);
            return box != nullptr;
        },
        timeoutMs);
    return box;
}

std::string MessageBoxText(HWND box) {
    return Text(MessageTextControl(box));
}

bool AnswerMessageBox(HWND box, int buttonId) {
    HWND button = GetDlgItem(box, buttonId);
    if (!button)
        return false;
    return PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button)) != 0;
}

RECT WindowRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

bool CaptureWindow(HWND window, const std::string& bmpPath) {
    RECT rect = WindowRect(window);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return false;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BOOL copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);

    int rowBytes = (width * 3 + 3) & ~3;
    std::vector<unsigned char> pixels(static_cast<size_t>(rowBytes) * height);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up, as BMP files keep their rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    int rows =
        copied ? GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) : 0;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (rows != height)
        return false;

    std::vector<unsigned char> file;
    const unsigned headerBytes = 14 + 40;
    file.push_back('B');
    file.push_back('M');
    PutLittleEndian(file, headerBytes + static_cast<unsigned>(pixels.size()), 4);
    PutLittleEndian(file, 0, 4);
    PutLittleEndian(file, headerBytes, 4);
    PutLittleEndian(file, 40, 4);
    PutLittleEndian(file, static_cast<unsigned>(width), 4);
    PutLittleEndian(file, static_cast<unsigned>(height), 4);
    PutLittleEndian(file, 1, 2);
    PutLittleEndian(file, 24, 2);
    PutLittleEndian(file, BI_RGB, 4);
    PutLittleEndian(file, static_cast<unsigned>(pixels.size()), 4);
    PutLittleEndian(file, 2835, 4); // 72 dots per inch
    PutLittleEndian(file, 2835, 4);
    PutLittleEndian(file, 0, 4);
    PutLittleEndian(file, 0, 4);
    file.insert(file.end(), pixels.begin(), pixels.end());

    FILE* out = std::fopen(bmpPath.c_str(), "wb");
    if (!out)
        return false;
    bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}

} // namespace wd
