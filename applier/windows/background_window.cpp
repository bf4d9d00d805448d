// The full-screen background window: a blue-to-black gradient with the
// window title as a shadowed heading, the author's copyright line and the
// credit line. It owns every later window; its destruction ends the program.
#include "app/state.h"
#include "resource.h"
#include "text/text.h"
#include "windows/presentation.h"

// Not translated: it names the product, which keeps its name in every language.
static const char CreditLine[] =
    "Update package built with Tarvelion Updater. See the Tarvelion Updater web site for details.";

enum { GradientLines = 255, HeadingX = 13, HeadingY = 13, ShadowOffset = 4, RightMargin = 10 };
enum { CopyrightBottomSpace = 26, CreditBottomSpace = 10 };

static unsigned ClientWidth, ClientHeight;
static HFONT HeadingFont, FooterFont;
static int FontsMade;

static void CreateFonts(void) {
    HeadingFont = CreateFontA(-34, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                              VARIABLE_PITCH | FF_SWISS, "Times New Roman");
    FooterFont = CreateFontA(14, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                             0, VARIABLE_PITCH | FF_SWISS, "Tahoma");
}

static void PaintGradient(HDC dc) {
    int penWidth = (int)(ClientHeight / GradientLines + 1);
    HGDIOBJ originalPen = NULL;
    for (unsigned i = GradientLines; i >= 1; --i) {
        int y = (int)((GradientLines - i) * ClientHeight / GradientLines);
        HPEN pen = CreatePen(PS_SOLID, penWidth, RGB(0, 0, 255 * i / 255));
        HGDIOBJ previous = SelectObject(dc, pen);
        // The first pen replaced is the context's own, which must stay.
        if (originalPen == NULL) {
            originalPen = previous;
        } else {
            DeleteObject(previous);
        }
        MoveToEx(dc, -1, y, NULL);
        LineTo(dc, (int)ClientWidth, y);
    }
    DeleteObject(SelectObject(dc, originalPen));
}

// Draws text right-aligned RightMargin from the right edge, its bottom
// bottomSpace above the bottom edge.
static void DrawFooterLine(HDC dc, const char* text, int bottomSpace) {
    SIZE size;
    int length = lstrlenA(text);
    if (!GetTextExtentPoint32A(dc, text, length, &size)) {
        size.cx = size.cy = 0;
    }
    TextOutA(dc, (int)ClientWidth - size.cx - RightMargin,
             (int)ClientHeight - size.cy - bottomSpace, text, length);
}

static void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    PaintGradient(dc);

    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ previousFont = SelectObject(dc, HeadingFont);
    int titleLength = lstrlenA(WindowTitle);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, HeadingX + ShadowOffset, HeadingY + ShadowOffset, WindowTitle, titleLength);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, HeadingX, HeadingY, WindowTitle, titleLength);

    SelectObject(dc, FooterFont);
    DrawFooterLine(dc, CopyrightLine, CopyrightBottomSpace);
    SetTextColor(dc, RGB(255, 255, 0));
    DrawFooterLine(dc, CreditLine, CreditBottomSpace);

    SelectObject(dc, previousFont);
    EndPaint(window, &paint);
}

LRESULT CALLBACK BackgroundWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!FontsMade) {
        FontsMade = 1;
        CreateFonts();
    }
    switch (message) {
    case WM_CREATE:
        LocalizeControls(window);
        return 0;
    case WM_SIZE:
        ClientWidth = LOWORD(lParam);
        ClientHeight = HIWORD(lParam);
        return 0;
    case WM_ERASEBKGND:
        return 0;
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_CLOSE:
        if (TextMessageBox(window, IDS_CONFIRM_QUIT, IDS_CAPTION, MB_ICONQUESTION | MB_YESNO) ==
            IDYES) {
            return DefWindowProcA(window, message, wParam, lParam);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_SYSCOMMAND:
        if (LOWORD(wParam) == IDM_ABOUT) {
            DialogBoxParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_ABOUT), window, AboutBox, 0);
            return 0;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
