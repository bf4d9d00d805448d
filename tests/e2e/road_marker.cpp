// Stands in for a launched program in the end-to-end tests: writes its
// command line into launched.txt in its working folder, so a test can see
// that it ran, where, and with what.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    HANDLE file = CreateFileA("launched.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(file, commandLine, lstrlenA(commandLine), &written, NULL);
    CloseHandle(file);
    return 0;
}
