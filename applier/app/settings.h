// The package settings, Update.ini in the workspace, read with the platform's
// profile-string services on every use (section and key names match without
// regard to case; a value longer than its room is cut to room - 1).
//
// Every key, with its default:
//   [App]       AppName "", MainFile "", ApplierMutex "", TargetMutex "",
//               Silence 1, ShowBGW 1, ShowSplash 1
//   [Author]    CopyRight ""
//   [Path]      SoftWarePath "", BackupDirectory "Tarvelion.bak"
//   [ShellExec] Command "", Parameter "", ShowWindow 0
// A text key present with an empty value reads as "", whatever its default.
#pragma once
#include <windows.h>

inline constexpr char DefaultBackupDirectory[] = "Tarvelion.bak";
enum { DefaultSilence = 1, DefaultShowBGW = 1, DefaultShowSplash = 1, DefaultShowWindow = 0 };

// Reads a text value into buffer (room characters with the zero); returns its length.
int ReadSettingText(const char* section, const char* key, const char* fallback, char* buffer,
                    int room);
// Reads an integer value: the decimal number the value begins with, else fallback.
int ReadSettingInt(const char* section, const char* key, int fallback);
// Writes a text value (the Destination page's one write-back); returns the platform's result.
int WriteSettingText(const char* section, const char* key, const char* value);
