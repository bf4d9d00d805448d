// The entry point's helpers: the exit routine and the splash's work routine.
#pragma once

// Runs once on every orderly end of the process: frees the rich edit library
// and deletes the workspace, but only a workspace that start-up made.
void ExitCleanup(void);
// Unpacks stream 2 (the patch data) into the workspace; 1 for success, 0 for failure.
int ExtractPatchData(void);
// Ends the process with exit code 0; the exit routine runs.
void EndProgram(void);
