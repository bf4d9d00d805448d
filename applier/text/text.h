// Texts by number: the built-in string table, replaced by the language
// table's section for the user's default language when it has a value.
// Text numbers and control numbers share the table's keys ("ID" + number).
#pragma once
#include <windows.h>

// Sets LanguageSection to "$" and the user's default language id in four
// upper-case hex digits ("$0409"); only that section is ever read.
void ChooseLanguageSection(void);
// Fills buffer (room characters with the zero) with text number; 0 when the
// built-in table has no such text (the language table is then not asked),
// else the length of the text as read, before "\n" pairs become line feeds.
int LoadText(UINT number, char* buffer, int room);
// MessageBoxA of text textNumber with caption captionNumber; its result.
int TextMessageBox(HWND owner, UINT textNumber, UINT captionNumber, UINT style);
// Sets the window's caption to text number; unchanged when there is no such text.
void SetTitleText(HWND window, UINT number);
// Gives every descendant of window that has a key its translated text and
// the default GUI font; the others keep their template's text and font.
BOOL LocalizeControls(HWND window);
BOOL CALLBACK LocalizeControl(HWND child, LPARAM unused);
// Replaces every occurrence of search in text (room characters with the
// zero), searching from the start again after each one. 1 when all were
// replaced, 0 when the next one did not fit (the earlier ones stay).
int ReplaceAll(char* text, int room, const char* search, const char* replacement);
