// The program's entry: one pass, and its outcome as the exit code.

#include <windows.h>

#include "launcher/program.h"
#include "platform/boundary.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // First of all: building the system's table restricts the DLL search to the system folder
    // before it loads any DLL beyond kernel32 and the C runtime.
    RawLayer::Os::SystemBoundary();
    return Velmoran::RunProgram();
}
