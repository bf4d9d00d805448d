// Kept apart from the exit routine so that code which only ends the program
// does not pull the workspace code in with it.
#include <stdlib.h>

#include "app/startup.h"

void EndProgram(void) {
    // exit, not ExitProcess: the run-time library then calls ExitCleanup.
    exit(0);
}
