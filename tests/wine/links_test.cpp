// Which clicked links the licence and guide pages hand to the shell: web and
// mail addresses only, never a file or a program named by the package's text.
#include <windows.h>

#include <richedit.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "wizard/wizard.h"

namespace {

TEST(IsOpenableLink, OpensWebAndMailAddressesOnly) {
    struct Case {
        const char* link;
        int openable;
    } cases[] = {
        {"http://example.org/", 1},
        {"https://example.org/licence?lang=en#top", 1},
        {"HTTPS://EXAMPLE.ORG", 1},
        {"Http://example.org", 1},
        {"ftp://ftp.example.org/pub", 1},
        {"mailto:support@example.org", 1},
        {"MailTo:support@example.org", 1},
        {"", 0},
        {"http:", 0}, // a scheme alone names nothing
        {" http://example.org", 0},
        {"\thttp://example.org", 0},
        {"http://example.org/\r\ncalc.exe", 0},
        {"file:///C:/Windows/System32/calc.exe", 0},
        {"C:\\Windows\\System32\\calc.exe", 0},
        {"calc.exe", 0},
        {"\\\\server\\share\\setup.exe", 0},
        {"news:comp.lang", 0},
        {"telnet://example.org", 0},
        {"javascript:alert(1)", 0},
        {"httpx://example.org", 0},
        {"http//example.org", 0},
        {"www.example.org", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        EXPECT_EQ(IsOpenableLink(c.link), c.openable);
    }
    EXPECT_EQ(IsOpenableLink(nullptr), 0);
}

std::string MarkerPath() {
    return std::string(LINKS_MARKER_EXE) + ".ran";
}

bool MarkerAppears() {
    for (int i = 0; i < 40; ++i) {
        if (GetFileAttributesA(MarkerPath().c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
        Sleep(100);
    }
    return false;
}

// A link that names a program: the marker program leaves a file beside
// itself when it runs. Started by the shell it does; clicked it must not.
TEST(OpenClickedLink, NeverStartsAProgramNamedByTheText) {
    LoadLibraryA("RICHED32.DLL");
    HWND box = CreateWindowExA(0, "RICHEDIT", "", WS_POPUP | ES_MULTILINE, 0, 0, 400, 100, nullptr,
                               nullptr, nullptr, nullptr);
    ASSERT_NE(box, nullptr);
    std::string text = std::string("Run ") + LINKS_MARKER_EXE + " now";
    SetWindowTextA(box, text.c_str());
    LONG first = 4, last = static_cast<LONG>(4 + std::strlen(LINKS_MARKER_EXE));

    DeleteFileA(MarkerPath().c_str());
    ShellExecuteA(nullptr, "open", LINKS_MARKER_EXE, nullptr, nullptr, SW_SHOWDEFAULT);
    ASSERT_TRUE(MarkerAppears()) << "the marker program does not run";
    DeleteFileA(MarkerPath().c_str());

    struct Case {
        UINT mouse;
        LONG first, last;
    } cases[] = {{WM_LBUTTONUP, first, last},
                 {WM_LBUTTONDOWN, first, last},
                 {WM_LBUTTONUP, first, first},
                 {WM_LBUTTONUP, last, first}};
    for (const Case& c : cases) {
        ENLINK link = {};
        link.nmhdr.hwndFrom = box;
        link.nmhdr.code = EN_LINK;
        link.msg = c.mouse;
        link.chrg.cpMin = c.first;
        link.chrg.cpMax = c.last;
        OpenClickedLink(&link, box);
    }
    EXPECT_FALSE(MarkerAppears());
    DeleteFileA(MarkerPath().c_str());
    DestroyWindow(box);
}

} // namespace
