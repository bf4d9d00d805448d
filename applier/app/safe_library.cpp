#include "app/safe_library.h"

#include "app/state.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

// Set once the process's default search is the system folder alone; without
// it (systems before the update that brought SetDefaultDllDirectories) a
// library loaded by full path must be told to look for its own imports
// beside itself rather than beside the exe.
static int SystemOnlySearch;

void HardenDllSearchPath(void) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == NULL) {
        return;
    }
    typedef BOOL(WINAPI * SetDllDirectoryProc)(LPCSTR);
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesProc)(DWORD);
    SetDllDirectoryProc setDllDirectory =
        (SetDllDirectoryProc)(void*)GetProcAddress(kernel, "SetDllDirectoryA");
    SetDefaultDllDirectoriesProc setDefaultDllDirectories =
        (SetDefaultDllDirectoriesProc)(void*)GetProcAddress(kernel, "SetDefaultDllDirectories");
    // An empty string removes the current directory from the search order.
    if (setDllDirectory != NULL) {
        setDllDirectory("");
    }
    if (setDefaultDllDirectories != NULL &&
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        SystemOnlySearch = 1;
    }
}

HMODULE LoadSystemLibrary(const char* name) {
    char path[TextRoom];
    if (name == NULL || name[0] == 0) {
        return NULL;
    }
    // A bare file name only: anything with a folder in it could point elsewhere.
    for (const char* c = name; *c; ++c) {
        if (*c == '\\' || *c == '/' || *c == ':') {
            return NULL;
        }
    }
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length + 1 + lstrlenA(name) + 1 > sizeof path) {
        return NULL;
    }
    if (path[length - 1] != '\\') {
        path[length++] = '\\';
    }
    lstrcpyA(path + length, name);
    return LoadLibraryExA(path, NULL, SystemOnlySearch ? 0 : LOAD_WITH_ALTERED_SEARCH_PATH);
}
