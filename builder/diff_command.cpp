// tarvelion-builder diff: the patch data (Patch.dat) from an old and a new
// folder of the program.
#include "commands.h"

#include "folder_diff.h"
#include "package_writer.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace {

void PrintDiffUsage(FILE* out) {
    std::fputs("usage: tarvelion-builder diff --old DIR --new DIR --out FILE [--main NAME]\n"
               "\n"
               "Compares the installed version of a program (--old) with the new one (--new)\n"
               "and writes the patch data that turns the one into the other.\n"
               "\n"
               "  --old DIR    the folder of the version the users have\n"
               "  --new DIR    the folder of the new version\n"
               "  --out FILE   the patch data to write, usually Patch.dat\n"
               "  --main NAME  the program's main file (a file name, or a path inside the\n"
               "               folder such as bin\\App.exe); its entry is applied first\n"
               "  --help       show this text\n"
               "\n"
               "Changed files are patched, new files are carried whole, unchanged files are\n"
               "left alone. Files that only the old folder has are listed; the update cannot\n"
               "remove them.\n",
               out);
}

int UsageError(const char* message, const char* detail) {
    std::fprintf(stderr,
                 "tarvelion-builder diff: %s%s\n"
                 "Run 'tarvelion-builder diff --help' for the options.\n",
                 message, detail);
    return 2;
}

} // namespace

int DiffCommand(int argc, char** argv) {
    FolderDiffOptions options;
    std::string outPath;
    for (int i = 0; i < argc; i++) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            PrintDiffUsage(stdout);
            return 0;
        }
        std::string* value = nullptr;
        if (std::strcmp(arg, "--old") == 0)
            value = &options.oldFolder;
        else if (std::strcmp(arg, "--new") == 0)
            value = &options.newFolder;
        else if (std::strcmp(arg, "--out") == 0)
            value = &outPath;
        else if (std::strcmp(arg, "--main") == 0)
            value = &options.mainFile;
        else
            return UsageError("unknown option ", arg);
        if (i + 1 >= argc || argv[i + 1][0] == '\0')
            return UsageError("a value is missing after ", arg);
        *value = argv[++i];
    }
    if (options.oldFolder.empty())
        return UsageError("--old is missing", "");
    if (options.newFolder.empty())
        return UsageError("--new is missing", "");
    if (outPath.empty())
        return UsageError("--out is missing", "");

    try {
        FolderDiffReport report;
        const std::vector<uint8_t> patchData = DiffFoldersToPatchData(options, report);
        for (const std::string& path : report.onlyInOld)
            std::fprintf(stderr,
                         "tarvelion-builder diff: only in the old folder, left in place by the "
                         "update: %s\n",
                         path.c_str());
        for (const std::string& warning : report.warnings)
            std::fprintf(stderr, "tarvelion-builder diff: warning: %s\n", warning.c_str());
        WriteFileBytes(outPath, patchData);
        std::printf("%s: %zu patched, %zu added, %zu unchanged, %zu bytes\n", outPath.c_str(),
                    report.patched, report.attached, report.unchanged, patchData.size());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarvelion-builder diff: %s\n", e.what());
        return 1;
    }
    return 0;
}
