// The entry point of quillon.exe. The command line is not read.
#include "shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    return quillon::RunProgram(instance, showCommand);
}
