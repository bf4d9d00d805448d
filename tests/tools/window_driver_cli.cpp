// windriver: the window driver for shell scripts. Each command prints its
// findings on standard output and exits 0 on success, 1 when what it waited
// for did not happen, 2 on a usage error.
#include "window_driver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char Usage[] =
    "usage: windriver COMMAND ...\n"
    "  start EXE [ARGS...]                     start a program, print its process id\n"
    "  run TIMEOUT_MS EXE [ARGS...]            start a program, wait, print its exit code\n"
    "  wait-exit PID TIMEOUT_MS                wait for a process, print its exit code\n"
    "  wait-window PID CLASS CAPTION TIMEOUT_MS  print the window (\"-\": any class/caption)\n"
    "  dump HWND                               the window's text and every control\n"
    "  text HWND ID                            a control's text\n"
    "  click HWND ID | check HWND ID 0|1 | set-text HWND ID TEXT\n"
    "  sheet HWND back|next|finish|cancel      press a wizard button\n"
    "  message-box PID TIMEOUT_MS              print the open message box and its text\n"
    "  answer HWND ok|yes|no|cancel            press a message box button\n"
    "  capture HWND FILE.bmp                   save what the window shows\n";

HWND ParseWindow(const char* text) {
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::strtoul(text, nullptr, 0)));
}

int ParseInt(const char* text) {
    return static_cast<int>(std::strtol(text, nullptr, 0));
}

const char* AnyWhenDash(const char* text) {
    return std::strcmp(text, "-") == 0 ? nullptr : text;
}

std::string JoinArguments(int argc, char** argv, int first) {
    std::string joined;
    for (int i = first; i < argc; ++i) {
        if (!joined.empty())
            joined += ' ';
        joined += argv[i];
    }
    return joined;
}

void PrintHandle(HWND window) {
    std::printf("%#lx\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
}

int ExitCodeOf(HANDLE process, int timeoutMs) {
    wd::Process tracked;
    tracked.handle = process;
    DWORD code = 0;
    int result = 1;
    if (wd::WaitForExit(tracked, timeoutMs, &code)) {
        std::printf("%lu\n", static_cast<unsigned long>(code));
        result = 0;
    }
    return result;
}

int Dump(HWND window) {
    if (!IsWindow(window))
        return 1;
    std::printf("window %s \"%s\"\n", wd::ClassName(window).c_str(), wd::Text(window).c_str());
    for (const wd::Control& control : wd::Controls(window))
        std::printf("%d %s %s%s checked=%d \"%s\"\n", control.id, control.className.c_str(),
                    control.enabled ? "enabled" : "disabled",
                    control.visible ? " visible" : " hidden", control.checked,
                    control.text.c_str());
    return 0;
}

int SheetPress(HWND sheet, const char* name) {
    static const struct {
        const char* name;
        wd::SheetButton button;
    } buttons[] = {{"back", wd::SheetBack},
                   {"next", wd::SheetNext},
                   {"finish", wd::SheetFinish},
                   {"cancel", wd::SheetCancel}};
    for (const auto& entry : buttons)
        if (std::strcmp(name, entry.name) == 0)
            return wd::PressSheetButton(sheet, entry.button) ? 0 : 1;
    return 2;
}

int Answer(HWND box, const char* name) {
    static const struct {
        const char* name;
        int id;
    } buttons[] = {{"ok", IDOK}, {"yes", IDYES}, {"no", IDNO}, {"cancel", IDCANCEL}};
    for (const auto& entry : buttons)
        if (std::strcmp(name, entry.name) == 0)
            return wd::AnswerMessageBox(box, entry.id) ? 0 : 1;
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(Usage, stderr);
        return 2;
    }
    std::string command = argv[1];
    if (command == "start" && argc >= 3) {
        wd::Process process;
        if (!wd::Start(argv[2], JoinArguments(argc, argv, 3), &process))
            return 1;
        std::printf("%lu\n", static_cast<unsigned long>(process.id));
        return 0;
    }
    if (command == "run" && argc >= 4) {
        wd::Process process;
        if (!wd::Start(argv[3], JoinArguments(argc, argv, 4), &process))
            return 1;
        DWORD code = 0;
        if (!wd::WaitForExit(process, ParseInt(argv[2]), &code))
            return 1;
        std::printf("%lu\n", static_cast<unsigned long>(code));
        return 0;
    }
    if (command == "wait-exit" && argc == 4) {
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE,
                                     static_cast<DWORD>(ParseInt(argv[2])));
        if (!process)
            return 1;
        return ExitCodeOf(process, ParseInt(argv[3]));
    }
    if (command == "wait-window" && argc == 6) {
        HWND window =
            wd::WaitForTopWindow(static_cast<DWORD>(ParseInt(argv[2])), AnyWhenDash(argv[3]),
                                 AnyWhenDash(argv[4]), ParseInt(argv[5]));
        if (!window)
            return 1;
        PrintHandle(window);
        return 0;
    }
    if (command == "dump" && argc == 3)
        return Dump(ParseWindow(argv[2]));
    if (command == "text" && argc == 4) {
        HWND control = wd::FindControl(ParseWindow(argv[2]), ParseInt(argv[3]));
        if (!control)
            return 1;
        std::printf("%s\n", wd::Text(control).c_str());
        return 0;
    }
    if (command == "click" && argc == 4)
        return wd::Click(ParseWindow(argv[2]), ParseInt(argv[3])) ? 0 : 1;
    if (command == "check" && argc == 5)
        return wd::SetCheck(ParseWindow(argv[2]), ParseInt(argv[3]), ParseInt(argv[4]) != 0) ? 0
                                                                                             : 1;
    if (command == "set-text" && argc == 5)
        return wd::SetControlText(ParseWindow(argv[2]), ParseInt(argv[3]), argv[4]) ? 0 : 1;
    if (command == "sheet" && argc == 4)
        return SheetPress(ParseWindow(argv[2]), argv[3]);
    if (command == "message-box" && argc == 4) {
        HWND box = wd::WaitForMessageBox(static_cast<DWORD>(ParseInt(argv[2])), ParseInt(argv[3]));
        if (!box)
            return 1;
        PrintHandle(box);
        std::printf("%s\n", wd::MessageBoxText(box).c_str());
        return 0;
    }
    if (command == "answer" && argc == 4)
        return Answer(ParseWindow(argv[2]), argv[3]);
    if (command == "capture" && argc == 4)
        return wd::CaptureWindow(ParseWindow(argv[2]), argv[3]) ? 0 : 1;
    std::fputs(Usage, stderr);
    return 2;
}
