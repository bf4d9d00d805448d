// Recursive folder copy and deletion, used whole by the update run and exit.
#pragma once

// Copies every file below source to the same place below target, replacing files there.
void CopyTree(const char* source, const char* target);
// Deletes everything below folder and then folder itself; non-zero when the folder is gone.
int DeleteTree(const char* folder);
