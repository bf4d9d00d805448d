// The builder's sub-commands. Each takes the arguments after its own name and
// returns the process exit code (0 success, 1 failure with a message on stderr,
// 2 a usage error).
#pragma once

int PackCommand(int argc, char** argv);
int DiffCommand(int argc, char** argv);
