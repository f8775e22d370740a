// Stands in for a text viewer in the Wine tests: writes the command line it was started with
// (UTF-16) to the file named by VELMORAN_VIEWER_LOG, then ends.

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wchar_t log[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"VELMORAN_VIEWER_LOG", log, MAX_PATH) == 0) {
        return 2;
    }
    HANDLE file =
        CreateFileW(log, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 3;
    }
    const wchar_t* line = GetCommandLineW();
    DWORD written = 0;
    BOOL ok = WriteFile(file, line, static_cast<DWORD>(lstrlenW(line) * sizeof(wchar_t)), &written,
                        nullptr);
    CloseHandle(file);
    return ok ? 0 : 4;
}
