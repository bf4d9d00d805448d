// Unpacking a package stream from the program's own file into the workspace.
#pragma once
#include <stddef.h>

// Unpacks stream 1 or 2 into the current directory (the workspace); 1 for
// success, 0 for a missing, damaged or cut-off stream (then nothing is written).
int ExtractStream(int streamIndex);
// The same for the package file at path: ExtractStream passes the program's
// own file, tests pass packages they made.
int ExtractStreamFromFile(const char* path, int streamIndex);
// Writes every entry of an attachment archive into the current directory.
// Entries whose names are not plain file names are not written; a broken
// entry ends the walk (the entries before it are written, it and the rest not).
void WriteAttachments(const unsigned char* archive, size_t size);
