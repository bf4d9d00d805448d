// Unpacking a package stream from the program's own file into the workspace.
#pragma once
#include <stddef.h>

// Unpacks stream 1 or 2 into the current directory (the workspace); 1 for
// success, 0 for a missing, damaged or cut-off stream (then nothing is written).
int ExtractStream(int streamIndex);
// Writes every entry of an attachment archive into the current directory.
// Entries whose names are not plain file names are not written.
void WriteAttachments(const unsigned char* archive, size_t size);
