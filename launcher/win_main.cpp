// The program's entry: one pass, and its outcome as the exit code.

#include <windows.h>

#include "launcher/program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return Velmoran::RunProgram();
}
