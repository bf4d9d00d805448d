#include "patch/folder_tree.h"

#include <windows.h>

int JoinPath(char* out, const char* base, const char* more) {
    out[0] = 0;
    int baseLength = lstrlenA(base);
    while (baseLength > 0 && base[baseLength - 1] == '\\')
        --baseLength;
    while (*more == '\\')
        ++more;
    int moreLength = lstrlenA(more);
    if (base[0] == 0 || baseLength + 1 + moreLength >= MAX_PATH)
        return 0;
    CopyMemory(out, base, baseLength);
    out[baseLength] = '\\';
    CopyMemory(out + baseLength + 1, more, moreLength + 1);
    return 1;
}

static int IsDotName(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

void CopyTree(const char* source, const char* target) {
    char pattern[MAX_PATH];
    if (!JoinPath(pattern, source, "*.*") || target[0] == 0)
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (IsDotName(found.cFileName))
            continue;
        // Made for every name found, so an empty source makes no target folder.
        CreateDirectoryA(target, NULL);
        char from[MAX_PATH], to[MAX_PATH];
        if (!JoinPath(from, source, found.cFileName) || !JoinPath(to, target, found.cFileName))
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyTree(from, to);
        else
            CopyFileA(from, to, FALSE);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

int DeleteTree(const char* folder) {
    char pattern[MAX_PATH];
    if (!JoinPath(pattern, folder, "*.*"))
        return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            char path[MAX_PATH];
            if (IsDotName(found.cFileName) || !JoinPath(path, folder, found.cFileName))
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(path);
            } else {
                SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryA(folder) ? 1 : 0;
}
