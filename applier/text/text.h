// Texts by number: the built-in string table, replaced by the language
// table's section for the user's default language when it has a value.
#pragma once
#include <windows.h>

void ChooseLanguageSection(void);
int LoadText(UINT number, char* buffer, int room);
int TextMessageBox(HWND owner, UINT textNumber, UINT captionNumber, UINT style);
void SetTitleText(HWND window, UINT number);
BOOL LocalizeControls(HWND window);
int ReplaceAll(char* text, int room, const char* search, const char* replacement);
