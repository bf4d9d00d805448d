// Links clicked in the licence and guide texts. The texts come with the
// package, so a click opens only web and mail addresses: a link that names
// a local file or a program must never start it.
#include "wizard/wizard.h"

#include <richedit.h>
#include <shellapi.h>

#include "app/state.h"

static int StartsWithIgnoringCase(const char* text, const char* prefix) {
    for (; *prefix != 0; ++text, ++prefix) {
        char c = *text;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != *prefix)
            return 0;
    }
    return 1;
}

int IsOpenableLink(const char* link) {
    static const char* const Schemes[] = {"http:", "https:", "ftp:", "mailto:"};
    if (link == NULL)
        return 0;
    for (const char* c = link; *c != 0; ++c)
        if (static_cast<unsigned char>(*c) < 0x20)
            return 0;
    for (const char* scheme : Schemes) {
        // Something must follow the scheme: a bare "http:" names nothing.
        if (StartsWithIgnoringCase(link, scheme) && link[lstrlenA(scheme)] != 0)
            return 1;
    }
    return 0;
}

void OpenClickedLink(const void* linkNotification, HWND richEdit) {
    const ENLINK* link = static_cast<const ENLINK*>(linkNotification);
    // Only the release of the left button opens; the press alone does nothing.
    if (link->msg != WM_LBUTTONUP)
        return;
    LONG first = link->chrg.cpMin;
    LONG last = link->chrg.cpMax;
    if (first < 0 || last <= first)
        return;
    // Two bytes a character: in a double-byte code page the range's text is
    // longer in bytes than in characters.
    SIZE_T room = 2 * static_cast<SIZE_T>(last - first) + 1;
    char* text = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, room));
    if (text == NULL)
        return;
    TEXTRANGEA range;
    range.chrg = link->chrg;
    range.lpstrText = text;
    SendMessageA(richEdit, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    if (IsOpenableLink(text))
        ShellExecuteA(BackgroundWindow, "open", text, NULL, WorkspacePath, SW_SHOWDEFAULT);
    HeapFree(GetProcessHeap(), 0, text);
}
