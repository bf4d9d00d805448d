// Recursive folder copy and deletion, used whole by the update run and exit.
//
// Every path is built in a buffer of MAX_PATH characters. A name whose path
// would not fit is passed over (neither copied nor deleted), so a tree deeper
// than MAX_PATH is handled as far as it fits and no buffer is overrun; a folder
// that still holds such a name is not removed.
#pragma once

// Copies every file below source to the same place below target, replacing files there.
void CopyTree(const char* source, const char* target);
// Deletes everything below folder and then folder itself; non-zero when the folder is gone.
int DeleteTree(const char* folder);

// Writes base, one backslash and more (its leading backslashes dropped) into
// out, which holds MAX_PATH characters. 0, with out left empty, when the result
// would not fit or base is empty: an empty base would make the path relative to
// the root of the current drive.
int JoinPath(char* out, const char* base, const char* more);
