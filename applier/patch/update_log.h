// One line of the update log per entry, and the run's stopping rules.
#pragma once
#include <windows.h>

// Writes "path -> outcome text\r\n" and sets the running job's state to -2 on
// a data error or -1 on a failure of the main file.
void WriteLogLine(const char* relativePath, int result, HANDLE log);
