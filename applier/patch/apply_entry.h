// Applying one patch entry to the destination folder of the running update.
#pragma once
#include <windows.h>
#include "patch/patch_data.h"

// Applies the entry at the cursor and moves the cursor to the next entry
// (except after DataError). Returns the EntryResult, ORed into ResultSummary.
int ApplyPatchEntry(PatchCursor* cursor, const char* stagingFolder, HWND owner);
// Creates every missing folder on the way to root + relativePath (not the file).
void MakeEntryFolders(const char* relativePath, const char* root);

// Read by ApplyPatchEntry; UpdateWorker sets them when a run starts.
extern char RunDestination[MAX_PATH];
extern HWND RunStatusWindow;
