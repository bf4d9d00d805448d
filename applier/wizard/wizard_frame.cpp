// The wizard frame: the modeless property sheet with its six page records,
// the sheet callback, the centring, and what every page does alike (title,
// side panel, buttons, cancel request, text files in controls).
#include "wizard/wizard.h"

#include <commctrl.h>
#include <richedit.h>
#include <shlwapi.h>

#include "app/state.h"
#include "resource.h"
#include "text/text.h"

#include <stddef.h>

// The sheet is created with the older record sizes: no page needs more, and
// the frame keeps the classic wizard look (no Wizard97 header or watermark).
// (The headers' own *_V2_SIZE macros do not compile with these compilers.)
enum { WizardHeaderSize = 52, PageRecordSize = 48 };
static_assert(offsetof(PROPSHEETHEADERA, hbmHeader) + sizeof(HBITMAP) == WizardHeaderSize,
              "wizard header: up to the header bitmap");
static_assert(offsetof(PROPSHEETPAGEA, pszHeaderSubTitle) + sizeof(LPCSTR) == PageRecordSize,
              "page record: up to the header subtitle");

enum : DWORD {
    WizardFlags =
        PSH_PROPSHEETPAGE | PSH_WIZARD | PSH_USECALLBACK | PSH_MODELESS | PSH_WATERMARK | PSH_HEADER
};
static_assert(WizardFlags == 0x88528, "wizard flags");

enum { PageCount = 6 };

HWND SheetWindow;

struct PageEntry {
    WORD dialog;
    DLGPROC routine;
};

static const PageEntry Pages[PageCount] = {
    {IDD_WELCOME, WelcomePage},         {IDD_LICENCE, LicencePage}, {IDD_GUIDE, GuidePage},
    {IDD_DESTINATION, DestinationPage}, {IDD_RESULTS, ResultsPage}, {IDD_FINISH, FinishPage},
};

// The sheet walks the records by their own size, so the array holds them
// packed at 48 bytes each, not at the size of the platform's newest record.
// It keeps pointers into both blocks for as long as it lives.
static DWORD PageRecords[PageCount][PageRecordSize / sizeof(DWORD)];
static PROPSHEETHEADERA WizardHeader;

HWND CreateWizard(HWND owner, int startPage) {
    for (int i = 0; i < PageCount; ++i) {
        PROPSHEETPAGEA record;
        ZeroMemory(&record, sizeof record);
        record.dwSize = PageRecordSize;
        record.dwFlags = PSP_USEICONID;
        record.hInstance = ProgramInstance;
        record.pszTemplate = MAKEINTRESOURCEA(Pages[i].dialog);
        record.pszIcon = MAKEINTRESOURCEA(IDI_APPLIER);
        record.pfnDlgProc = Pages[i].routine;
        CopyMemory(PageRecords[i], &record, PageRecordSize);
    }
    ZeroMemory(&WizardHeader, sizeof WizardHeader);
    WizardHeader.dwSize = WizardHeaderSize;
    WizardHeader.dwFlags = WizardFlags;
    WizardHeader.hwndParent = owner;
    WizardHeader.hInstance = ProgramInstance;
    WizardHeader.nPages = PageCount;
    WizardHeader.nStartPage = startPage;
    WizardHeader.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(PageRecords);
    WizardHeader.pfnCallback = WizardCallback;

    INT_PTR sheet = PropertySheetA(&WizardHeader);
    // A modeless sheet answers with its window; -1 or 0 when it could not be made.
    if (sheet == -1)
        return NULL;
    return reinterpret_cast<HWND>(sheet);
}

// The extended template form starts with version 1 and signature 0xFFFF and
// keeps its style after the help id and the extended style.
struct ExtendedTemplateStart {
    WORD version;
    WORD signature;
    DWORD helpId;
    DWORD extendedStyle;
    DWORD style;
};

int CALLBACK WizardCallback(HWND window, UINT message, LPARAM parameter) {
    if (message == PSCB_PRECREATE && parameter != 0) {
        // Created hidden: start-up centres the wizard before anyone sees it.
        ExtendedTemplateStart* extended = reinterpret_cast<ExtendedTemplateStart*>(parameter);
        if (extended->version == 1 && extended->signature == 0xFFFF)
            extended->style &= ~WS_VISIBLE;
        else
            reinterpret_cast<DLGTEMPLATE*>(parameter)->style &= ~WS_VISIBLE;
    } else if (message == PSCB_INITIALIZED) {
        SheetWindow = window;
    }
    return 0;
}

RECT CenteredRect(RECT window, RECT parent, RECT desktop) {
    LONG w = window.right - window.left;
    LONG h = window.bottom - window.top;
    // The shift halves towards minus infinity, also for a window larger than its parent.
    RECT placed;
    placed.top = parent.top + ((parent.bottom - parent.top - h) >> 1);
    placed.bottom = placed.top + h;
    placed.left = parent.left + ((parent.right - parent.left - w) >> 1);
    placed.right = placed.left + w;
    if (placed.bottom > desktop.bottom) {
        placed.bottom = desktop.bottom;
        placed.top = desktop.bottom - h;
    }
    if (placed.right > desktop.right) {
        placed.right = desktop.right;
        placed.left = desktop.right - w;
    }
    // After the right and bottom edges, so that the title bar stays reachable.
    if (placed.left < 0)
        placed.left = 0;
    if (placed.top < 0)
        placed.top = 0;
    placed.right = placed.left + w;
    placed.bottom = placed.top + h;
    return placed;
}

void CenterWindow(HWND window) {
    RECT own, parentRect, desktop;
    GetWindowRect(window, &own);
    BOOL child = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0;
    HWND parent = child ? GetParent(window) : GetWindow(window, GW_OWNER);
    if (parent == NULL)
        parent = GetDesktopWindow();
    GetWindowRect(parent, &parentRect);
    GetWindowRect(GetDesktopWindow(), &desktop);
    RECT placed = CenteredRect(own, parentRect, desktop);
    POINT at = {placed.left, placed.top};
    // A child moves in its parent's client coordinates.
    if (child)
        ScreenToClient(parent, &at);
    MoveWindow(window, at.x, at.y, own.right - own.left, own.bottom - own.top, TRUE);
}

void DrawBitmap(HDC dc, int x, int y, HBITMAP bitmap) {
    BITMAP description;
    if (bitmap == NULL || GetObjectA(bitmap, sizeof description, &description) == 0)
        return;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(dc, x, y, description.bmWidth, description.bmHeight, memory, 0, 0, SRCCOPY);
    // Deselected, so that the owner can keep using and finally delete it.
    SelectObject(memory, previous);
    DeleteDC(memory);
}

enum { AppNameTextRoom = 512 };

void FillAppName(HWND control) {
    char text[AppNameTextRoom];
    int length = GetWindowTextA(control, text, AppNameTextRoom);
    if (length <= 0)
        return;
    int nameLength = lstrlenA(AppName);
    int count = 0;
    for (int i = 0; i + 1 < length; ++i)
        if (text[i] == '%' && text[i + 1] == 'p') {
            ++count;
            ++i;
        }
    if (count == 0)
        return;
    // Sized for every name in full: a long name in a long text is shown
    // whole rather than cut at some fixed room.
    int room = length + count * nameLength + 1;
    char* filled = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, room));
    if (filled == NULL)
        return;
    int out = 0;
    for (int i = 0; i < length; ++i) {
        if (text[i] == '%' && i + 1 < length && text[i + 1] == 'p') {
            CopyMemory(filled + out, AppName, nameLength);
            out += nameLength;
            ++i;
        } else {
            filled[out++] = text[i];
        }
    }
    filled[out] = 0;
    SetWindowTextA(control, filled);
    HeapFree(GetProcessHeap(), 0, filled);
}

// Reads the whole file into a zero-terminated heap block; null when it
// cannot be opened or read.
static char* ReadWholeFile(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return NULL;
    char* bytes = NULL;
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    // Text files of a package are small; a size past 2 GB is no text to show.
    if (size != INVALID_FILE_SIZE && high == 0 && size < 0x7FFFFFFF) {
        bytes = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size + 1));
        DWORD read = 0;
        if (bytes != NULL && !ReadFile(file, bytes, size, &read, NULL)) {
            HeapFree(GetProcessHeap(), 0, bytes);
            bytes = NULL;
        }
    }
    CloseHandle(file);
    return bytes;
}

int LoadFileIntoControl(HWND control, const char* fileName, const char* folder) {
    char path[MAX_PATH];
    path[0] = 0;
    int pathMade = 1;
    if (folder != NULL && folder[0] != 0) {
        lstrcpynA(path, folder, MAX_PATH);
        pathMade = PathAppendA(path, fileName);
    } else if (lstrlenA(fileName) < MAX_PATH) {
        lstrcpyA(path, fileName);
    } else {
        pathMade = 0;
    }
    char* bytes = pathMade ? ReadWholeFile(path) : NULL;
    SetWindowTextA(control, bytes != NULL ? bytes : "");
    if (bytes != NULL)
        HeapFree(GetProcessHeap(), 0, bytes);
    return 1;
}

HWND SetUpTextBox(HWND page, int controlId, UINT fileNameText) {
    char fileName[MAX_PATH];
    fileName[0] = 0;
    // File names come from the built-in table only: they are the same in every language.
    LoadStringA(ProgramInstance, fileNameText, fileName, MAX_PATH);
    HWND box = GetDlgItem(page, controlId);
    // Links are recognised before the text arrives, so those in it are marked at once.
    SendMessageA(box, EM_AUTOURLDETECT, 1, 0);
    SendMessageA(box, EM_SETEVENTMASK, 0, ENM_LINK);
    SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    LoadFileIntoControl(box, fileName, NULL);
    return box;
}

void ShowPageTitle(UINT pageNumber) {
    SetTitleText(SheetWindow, pageNumber);
}

void PaintSidePanel(HWND sidePanel) {
    InvalidateRect(sidePanel, NULL, TRUE);
    UpdateWindow(sidePanel);
    // Without a Package.bmp the panel keeps the static control's own
    // background, an empty strip in the dialog colour.
    if (SidePanelBitmap == NULL)
        return;
    HDC dc = GetDC(sidePanel);
    DrawBitmap(dc, 0, 0, SidePanelBitmap);
    ReleaseDC(sidePanel, dc);
}

void PostWizardButtons(HWND page, DWORD buttons) {
    // Posted: the sheet applies it once it has finished changing pages.
    PostMessageA(GetParent(page), PSM_SETWIZBUTTONS, 0, buttons);
}

void RequestCancel(HWND page) {
    // The background window asks the user and, on Yes, ends the program; the
    // sheet's own cancellation is always refused.
    SendMessageA(BackgroundWindow, WM_CLOSE, 0, 0);
    if (IsWindow(page))
        SetWindowLongPtrA(page, DWLP_MSGRESULT, TRUE);
}
