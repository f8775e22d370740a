// e2e_launch: starts one Windows program with an exact raw command line and watches it.
//
//   e2e_launch.exe REPORT TIMEOUT-MS PROGRAM LINE DIRECTORY [NAME=VALUE ...]
//
// Every argument after TIMEOUT-MS is hex, so that `wine` passes it through untouched:
// REPORT, PROGRAM, DIRECTORY ("-" for the launcher's own) and each environment entry are
// UTF-8. LINE is "a:" and the command line's bytes in the ANSI code page, as a program calling
// CreateProcessA passes them, or "w:" and its UTF-8, as the shell passes it to CreateProcessW.
// In LINE, {exe} stands for PROGRAM and {dir} for its folder, in the line's own encoding.
// The environment entries are set for the child only. While the child runs, each message box
// it shows is read and closed with OK. The report, written line by line as things happen:
//
//   ansi EXE DIR           PROGRAM and its folder as the child's narrow calls see them (hex)
//   pid DECIMAL            the child's process id
//   image BASE SIZE        where its own image lies (hex), for telling its calls apart
//   box CAPTION TEXT       each message box, both as hex of the bytes WM_GETTEXT gave
//   exit DECIMAL           the child's exit code
//   timeout                the child outlived TIMEOUT-MS and was terminated
//   error WHAT CODE        the launch failed: which step, GetLastError
//
// The launcher's own exit code is 0 when the child exited by itself.

#include <windows.h>
#include <winternl.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

class OwnedHandle {
  public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle() {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE Get() const { return handle_; }

  private:
    HANDLE handle_;
};

bool DecodeHex(const char* hex, std::string& bytes) {
    bytes.clear();
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    for (const char* p = hex; *p != '\0'; p += 2) {
        int high = digit(p[0]);
        int low = p[1] != '\0' ? digit(p[1]) : -1;
        if (high < 0 || low < 0) {
            return false;
        }
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return true;
}

std::string EncodeHex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex.push_back(digits[c >> 4]);
        hex.push_back(digits[c & 15]);
    }
    return hex.empty() ? "-" : hex;
}

std::wstring Widen(const std::string& text, UINT codePage) {
    if (text.empty()) {
        return std::wstring();
    }
    int length =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::string Narrow(const std::wstring& text, UINT codePage) {
    if (text.empty()) {
        return std::string();
    }
    int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &narrow[0], length,
                        nullptr, nullptr);
    return narrow;
}

template <typename Text>
Text Fill(Text line, const Text& place, const Text& value) {
    for (size_t at = line.find(place); at != Text::npos; at = line.find(place, at + value.size())) {
        line.replace(at, place.size(), value);
    }
    return line;
}

class Report {
  public:
    explicit Report(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    bool IsOpen() const { return file_.Get() != INVALID_HANDLE_VALUE; }
    // Each line goes out at once: if the child takes the launcher down with it (a log-off
    // ends other processes), what was seen so far is still there.
    void Line(const std::string& line) {
        std::string text = line + "\n";
        DWORD written = 0;
        WriteFile(file_.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }

  private:
    OwnedHandle file_;
};

// NAME=VALUE as hex of UTF-8; the child inherits the launcher's environment.
bool SetChildVariable(const char* hex) {
    std::string entry;
    if (!DecodeHex(hex, entry)) {
        return false;
    }
    std::wstring wide = Widen(entry, CP_UTF8);
    size_t equals = wide.find(L'=');
    if (equals == std::wstring::npos || equals == 0) {
        return false;
    }
    return SetEnvironmentVariableW(wide.substr(0, equals).c_str(),
                                   wide.substr(equals + 1).c_str()) != FALSE;
}

// The image of a suspended child is mapped already; its PEB says where.
bool FindImage(HANDLE process, std::uintptr_t& base, std::uint32_t& size) {
    PROCESS_BASIC_INFORMATION basic{};
    ULONG returned = 0;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic,
                                  &returned) != 0) {
        return false;
    }
    auto read = [process](std::uintptr_t address, void* target, SIZE_T length) {
        SIZE_T got = 0;
        return ReadProcessMemory(process, reinterpret_cast<const void*>(address), target, length,
                                 &got) &&
               got == length;
    };
    void* imageBase = nullptr;
    // ImageBaseAddress is the second pointer after the PEB's four flag bytes (the first is the
    // Mutant handle): at 8 in a 32-bit PEB, at 16 in a 64-bit one. The launcher is built for
    // the architecture of the programs it starts, so its own PEB layout is theirs.
    const std::uintptr_t imageBaseOffset = offsetof(PEB, Reserved3) + sizeof(void*);
    if (!read(reinterpret_cast<std::uintptr_t>(basic.PebBaseAddress) + imageBaseOffset, &imageBase,
              sizeof imageBase)) {
        return false;
    }
    base = reinterpret_cast<std::uintptr_t>(imageBase);
    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS nt{};
    if (!read(base, &dos, sizeof dos) || !read(base + dos.e_lfanew, &nt, sizeof nt)) {
        return false;
    }
    size = nt.OptionalHeader.SizeOfImage;
    return true;
}

std::string WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) {
        return std::string();
    }
    // WM_GETTEXTLENGTH may overstate the narrow length; the copy's result is exact.
    std::vector<char> buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    return std::string(buffer.data(), copied);
}

struct BoxSearch {
    DWORD processId;
    std::vector<HWND>* seen;
    HWND found;
};

BOOL CALLBACK FindNewBox(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<BoxSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    // A box is visible only once its texts are in place.
    if (owner != search->processId || lstrcmpA(className, "#32770") != 0 ||
        !IsWindowVisible(window)) {
        return TRUE;
    }
    for (HWND known : *search->seen) {
        if (known == window) {
            return TRUE;
        }
    }
    search->found = window;
    return FALSE;
}

// Reads and closes every message box of the child until it exits or the time is up.
bool WatchChild(HANDLE process, DWORD processId, DWORD timeoutMs, Report& report) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    std::vector<HWND> seen;
    while (WaitForSingleObject(process, 20) == WAIT_TIMEOUT) {
        if (GetTickCount64() >= deadline) {
            return false;
        }
        BoxSearch search{processId, &seen, nullptr};
        EnumWindows(FindNewBox, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) {
            continue;
        }
        seen.push_back(search.found);
        const int textId = 0xFFFF;
        HWND text = GetDlgItem(search.found, textId);
        report.Line("box " + EncodeHex(WindowText(search.found)) + " " +
                    EncodeHex(text != nullptr ? WindowText(text) : std::string()));
        PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    return true;
}

int Launch(int argc, char** argv) {
    std::string reportPath, program, line, directory;
    if (argc < 6 || !DecodeHex(argv[1], reportPath)) {
        return 64;
    }
    Report report(Widen(reportPath, CP_UTF8));
    if (!report.IsOpen()) {
        return 65;
    }
    const DWORD timeoutMs = static_cast<DWORD>(strtoul(argv[2], nullptr, 10));
    const bool ownDirectory = lstrcmpA(argv[5], "-") == 0;
    const bool ansiLine = argv[4][0] == 'a' && argv[4][1] == ':';
    const bool wideLine = argv[4][0] == 'w' && argv[4][1] == ':';
    if (!DecodeHex(argv[3], program) || (!ansiLine && !wideLine) || !DecodeHex(argv[4] + 2, line) ||
        (!ownDirectory && !DecodeHex(argv[5], directory))) {
        report.Line("error arguments 0");
        return 64;
    }
    for (int i = 6; i < argc; ++i) {
        if (!SetChildVariable(argv[i])) {
            report.Line("error arguments 0");
            return 64;
        }
    }

    const std::wstring programWide = Widen(program, CP_UTF8);
    const std::wstring folderWide = programWide.substr(0, programWide.rfind(L'\\'));
    // The same conversion as the child's GetModuleFileNameA, best-fit characters included.
    const std::string programAnsi = Narrow(programWide, CP_ACP);
    const std::string folderAnsi = Narrow(folderWide, CP_ACP);
    report.Line("ansi " + EncodeHex(programAnsi) + " " + EncodeHex(folderAnsi));

    // CreateProcessA turns its line into UTF-16 with the ANSI code page, and the child's
    // GetCommandLineA turns it back. Doing that conversion here and calling the wide form
    // gives the child the same bytes, and lets the program's path hold characters that the
    // code page lacks (a "Café" folder under code page 932).
    std::wstring lineWide;
    if (ansiLine) {
        line =
            Fill<std::string>(Fill<std::string>(line, "{exe}", programAnsi), "{dir}", folderAnsi);
        lineWide = Widen(line, CP_ACP);
    } else {
        lineWide = Fill<std::wstring>(
            Fill<std::wstring>(Widen(line, CP_UTF8), L"{exe}", programWide), L"{dir}", folderWide);
    }
    const std::wstring directoryWide = Widen(directory, CP_UTF8);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(programWide.c_str(), &lineWide[0], nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED, nullptr, ownDirectory ? nullptr : directoryWide.c_str(),
                        &startup, &info)) {
        report.Line("error CreateProcess " + std::to_string(GetLastError()));
        return 66;
    }
    OwnedHandle process(info.hProcess);
    OwnedHandle thread(info.hThread);
    report.Line("pid " + std::to_string(info.dwProcessId));
    std::uintptr_t base = 0;
    std::uint32_t size = 0;
    if (FindImage(process.Get(), base, size)) {
        // A long holds 32 bits on Windows, even in a 64-bit program.
        char image[48];
        snprintf(image, sizeof image, "image %08llx %08lx", static_cast<unsigned long long>(base),
                 static_cast<unsigned long>(size));
        report.Line(image);
    }
    ResumeThread(thread.Get());

    if (!WatchChild(process.Get(), info.dwProcessId, timeoutMs, report)) {
        TerminateProcess(process.Get(), 0xE2E);
        WaitForSingleObject(process.Get(), 5000);
        report.Line("timeout");
        return 2;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.Get(), &exitCode);
    report.Line("exit " + std::to_string(exitCode));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return Launch(argc, argv);
}
