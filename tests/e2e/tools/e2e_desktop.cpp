// e2e_desktop: keeps Wine's desktop process alive for a run of end-to-end cases. That
// process ends a few seconds after the last program using the desktop has gone, and starting
// it again takes several seconds more, which would land on whichever case shows the next
// window. This program holds a hidden window until its standard input reaches its end, which
// happens when the harness that started it closes the pipe or dies.
//
//   e2e_desktop.exe READY    READY: hex of the UTF-8 path of a file created once the
//                            desktop is up

#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        return 64;
    }
    std::string path;
    for (const char* p = argv[1]; p[0] != '\0' && p[1] != '\0'; p += 2) {
        char pair[3] = {p[0], p[1], '\0'};
        path.push_back(static_cast<char>(strtoul(pair, nullptr, 16)));
    }
    HWND window = CreateWindowExW(0, L"STATIC", L"velmoran e2e desktop", WS_POPUP, 0, 0, 1, 1,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
        return 65;
    }
    wchar_t widePath[MAX_PATH * 2] = {};
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, widePath, MAX_PATH * 2 - 1);
    HANDLE ready = CreateFileW(widePath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready == INVALID_HANDLE_VALUE) {
        return 66;
    }
    CloseHandle(ready);

    char buffer[64];
    DWORD got = 0;
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    while (ReadFile(input, buffer, sizeof buffer, &got, nullptr) && got != 0) {
    }
    DestroyWindow(window);
    return 0;
}
