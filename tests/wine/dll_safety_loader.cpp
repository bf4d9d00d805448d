// Loads RICHED32.DLL and imagehlp.dll from a folder that holds planted
// copies, either the applier's way or the naive way (argument "naive").
// Exit code: 0 when both loaded, 1 when one did not.
#include <windows.h>

#include <cstring>

#include "app/safe_library.h"

int main(int argc, char** argv) {
    bool naive = argc > 1 && std::strcmp(argv[1], "naive") == 0;
    HMODULE riched, imagehlp;
    if (naive) {
        riched = LoadLibraryA("RICHED32.DLL");
        imagehlp = LoadLibraryA("imagehlp.dll");
    } else {
        HardenDllSearchPath();
        riched = LoadSystemLibrary("RICHED32.DLL");
        imagehlp = LoadSystemLibrary("imagehlp.dll");
    }
    return riched != NULL && imagehlp != NULL ? 0 : 1;
}
