#include "text/text.h"

#include <string.h>

#include "app/state.h"

// "ID" and any signed 32-bit number ("-2147483648") with the zero.
enum { KeyRoom = 16, ControlTextRoom = 1024 };

static void BuildKey(char* key, int number) {
    wsprintfA(key, "%s%d", "ID", number);
}

// A value of the language table for key; empty when the file, the section
// or the key is missing. Returns the value's length as read.
static int ReadLanguageValue(int number, char* value, int room) {
    char key[KeyRoom];
    BuildKey(key, number);
    return (int)GetPrivateProfileStringA(LanguageSection, key, "", value, (DWORD)room,
                                         LanguageFile);
}

void ChooseLanguageSection(void) {
    wsprintfA(LanguageSection, "$%04X", (unsigned)GetUserDefaultLangID());
}

int LoadText(UINT number, char* buffer, int room) {
    // LoadStringA with no room hands back a pointer, not a copy.
    if (room < 1) {
        return 0;
    }
    int length = LoadStringA(ProgramInstance, number, buffer, room);
    if (length == 0) {
        return 0;
    }
    char* value = (char*)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)room);
    if (value == NULL) {
        return length;
    }
    int valueLength = ReadLanguageValue((int)number, value, room);
    if (valueLength > 0) {
        lstrcpynA(buffer, value, room);
        ReplaceAll(buffer, room, "\\n", "\n");
        length = valueLength;
    }
    HeapFree(GetProcessHeap(), 0, value);
    return length;
}

int TextMessageBox(HWND owner, UINT textNumber, UINT captionNumber, UINT style) {
    char text[1024];
    char caption[TextRoom];
    text[0] = caption[0] = 0;
    LoadText(textNumber, text, sizeof text);
    LoadText(captionNumber, caption, sizeof caption);
    return MessageBoxA(owner, text, caption, style);
}

void SetTitleText(HWND window, UINT number) {
    char text[256];
    if (LoadText(number, text, 255) != 0) {
        SetWindowTextA(window, text);
    }
}

BOOL CALLBACK LocalizeControl(HWND child, LPARAM) {
    char value[ControlTextRoom];
    if (ReadLanguageValue((int)GetWindowLongA(child, GWL_ID), value, sizeof value) > 0) {
        ReplaceAll(value, sizeof value, "\\n", "\n");
        SetWindowTextA(child, value);
        SendMessageA(child, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), 0);
    }
    return TRUE;
}

BOOL LocalizeControls(HWND window) {
    return EnumChildWindows(window, LocalizeControl, 0);
}

int ReplaceAll(char* text, int room, const char* search, const char* replacement) {
    int searchLength = lstrlenA(search);
    int replacementLength = lstrlenA(replacement);
    // Both would find the same place again for ever.
    if (searchLength == 0 || lstrcmpA(search, replacement) == 0) {
        return 1;
    }
    for (;;) {
        char* found = strstr(text, search);
        if (found == NULL) {
            return 1;
        }
        int length = lstrlenA(text);
        if (length + replacementLength - searchLength + 1 > room) {
            return 0;
        }
        // The tail moves in place, so no scratch copy (and no failure to get one) is needed.
        char* tail = found + searchLength;
        memmove(found + replacementLength, tail, (size_t)(length - (tail - text) + 1));
        memcpy(found, replacement, (size_t)replacementLength);
    }
}
