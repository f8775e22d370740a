// velmoran_text_viewer: the .txt handler that the Wine tests register. It appends the path the
// shell gave it, as one UTF-8 line, to the file named by VELMORAN_VIEWER_LOG and exits, so that
// a test can tell which file was opened without a real viewer window.

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], length, nullptr, nullptr);
    narrow.resize(narrow.size() - 1);
    return narrow;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wchar_t logPath[MAX_PATH * 2];
    DWORD found = GetEnvironmentVariableW(L"VELMORAN_VIEWER_LOG", logPath, MAX_PATH * 2);
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (found == 0 || found >= MAX_PATH * 2 || arguments == nullptr) {
        return 2;
    }
    std::string line = (count > 1 ? Utf8(arguments[1]) : std::string()) + "\n";
    LocalFree(arguments);
    HANDLE log = CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) {
        return 3;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
    return ok ? 0 : 3;
}
