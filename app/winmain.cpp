// The program's entry point; everything else lives in the shell library,
// which the benchmarks link too.
#include <windows.h>

#include "app/shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    return app::RunMuslot(instance, showCommand);
}
