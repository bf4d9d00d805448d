// tarvelion-builder pack: appends a package to a copy of the applier.
#include "commands.h"
#include "package_writer.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace {

const char PackUsage[] =
    "usage: tarvelion-builder pack --applier APPLIER.exe --files DIR --patch PATCH.dat --out "
    "OUT.exe\n"
    "\n"
    "Writes OUT.exe: the applier followed by the package. Stream 1 holds every regular file\n"
    "directly in DIR (Update.ini, Language.ini, License.txt, Guide.txt, Readme.txt,\n"
    "Package.bmp, Splash.bmp: whatever is there); stream 2 holds PATCH.dat as Patch.dat.\n"
    "\n"
    "  --applier FILE  the applier exe of this build, exactly as long as the package offset\n"
    "  --files DIR     the folder of the stream-1 files (subfolders are not packed)\n"
    "  --patch FILE    the patch data made by 'tarvelion-builder diff'\n"
    "  --out FILE      the package exe to write (replaced if it exists)\n"
    "  -h, --help      show this text\n";

struct PackOptions {
    std::string applier, files, patch, out;
};

int UsageError(const std::string& message) {
    std::fprintf(stderr, "tarvelion-builder pack: %s\n\n%s", message.c_str(), PackUsage);
    return 2;
}

// Fills options from argv; returns -1 to go on, else the exit code.
int ParseOptions(int argc, char** argv, PackOptions& options) {
    struct Slot {
        const char* name;
        std::string* value;
    } slots[] = {{"--applier", &options.applier},
                 {"--files", &options.files},
                 {"--patch", &options.patch},
                 {"--out", &options.out}};
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(PackUsage, stdout);
            return 0;
        }
        std::string value;
        size_t equals = arg.find('=');
        std::string name = arg.substr(0, equals);
        Slot* slot = nullptr;
        for (Slot& s : slots)
            if (name == s.name)
                slot = &s;
        if (slot == nullptr)
            return UsageError("unknown argument '" + arg + "'");
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else {
            if (i + 1 >= argc)
                return UsageError(name + " needs a value");
            value = argv[++i];
        }
        if (value.empty())
            return UsageError(name + " needs a value");
        if (!slot->value->empty())
            return UsageError(name + " given twice");
        *slot->value = value;
    }
    for (const Slot& s : slots)
        if (s.value->empty())
            return UsageError(std::string(s.name) + " is missing");
    return -1;
}

void WarnIfMissing(const std::vector<AttachmentFile>& files, const char* name,
                   const std::string& folder) {
    for (const AttachmentFile& file : files)
        if (file.name == name)
            return;
    std::fprintf(stderr, "tarvelion-builder pack: warning: %s has no %s\n", folder.c_str(), name);
}

} // namespace

int PackCommand(int argc, char** argv) {
    PackOptions options;
    int parsed = ParseOptions(argc, argv, options);
    if (parsed >= 0)
        return parsed;
    try {
        std::vector<AttachmentFile> files = ReadPackageFolder(options.files);
        PackageBytes patch = ReadFileBytes(options.patch);
        WritePackage(options.applier, files, patch, options.out);
        std::printf("wrote %s: %zu file(s) in stream 1, Patch.dat of %zu bytes in stream 2\n",
                    options.out.c_str(), files.size(), patch.size());
        // The applier runs with built-in defaults without these, which is
        // rarely what a publisher meant.
        WarnIfMissing(files, "Update.ini", options.files);
        WarnIfMissing(files, "Language.ini", options.files);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarvelion-builder pack: %s\n", e.what());
        return 1;
    }
}
