// The program's entry: one pass, and its outcome as the exit code.

#include <windows.h>

#include "launcher/program.h"
#include "platform/windows/system_libraries.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // First of all, before any DLL beyond kernel32 and the C runtime is loaded: the DLL search
    // is restricted to the system folder.
    RawLayer::Os::Windows::DllSearchRestricted();
    return Velmoran::RunProgram();
}
