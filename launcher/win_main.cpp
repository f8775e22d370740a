// The program's entry. Command resolution is not wired in yet: the program starts and ends.

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
