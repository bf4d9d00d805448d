// tarvelion-builder: makes self-applying update packages.
#include "commands.h"

#include <cstdio>
#include <cstring>

namespace {

void PrintUsage(FILE* out) {
    std::fputs("usage: tarvelion-builder <command> [options]\n"
               "\n"
               "commands:\n"
               "  diff   compare an old and a new folder and write the patch data (Patch.dat)\n"
               "  pack   append a package (the stream-1 files and a Patch.dat) to the applier\n"
               "\n"
               "Run 'tarvelion-builder <command> --help' for the options of a command.\n",
               out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stderr);
        return 2;
    }
    const char* command = argv[1];
    if (std::strcmp(command, "diff") == 0)
        return DiffCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "pack") == 0)
        return PackCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    std::fprintf(stderr, "tarvelion-builder: unknown command '%s'\n", command);
    PrintUsage(stderr);
    return 2;
}
