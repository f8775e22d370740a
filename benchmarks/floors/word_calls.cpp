// The floor of a command word's start-up under Wine: a program that makes the system calls
// the word makes, in the same way (the search restricted to the system folder, each DLL loaded
// from there, each function found by name), and nothing else. Started with a word, it acts as
// that word does, for real: only the start-up benchmark runs it, under Wine, where the sleep
// and shutdown calls only return TRUE.
#include <windows.h>

#include <cstring>

namespace {

// Through void (*)(), the one function type a found address may be cast from without notice.
template <typename Function>
Function Cast(FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

template <typename Function>
Function Find(const wchar_t* library, const char* name) {
    HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module != nullptr ? Cast<Function>(GetProcAddress(module, name)) : nullptr;
}

// The program reads the last input first, to wait for a quiet keyboard; under Wine there is none.
bool Broadcast(WPARAM command, LPARAM argument) {
    auto lastInput = Find<BOOL(WINAPI*)(LASTINPUTINFO*)>(L"user32.dll", "GetLastInputInfo");
    auto post = Find<BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM)>(L"user32.dll", "PostMessageA");
    LASTINPUTINFO input{sizeof input, 0};
    return lastInput != nullptr && lastInput(&input) && GetTickCount() != input.dwTime &&
           post != nullptr && post(HWND_BROADCAST, WM_SYSCOMMAND, command, argument);
}

bool Lock() {
    auto lock = Find<BOOL(WINAPI*)()>(L"user32.dll", "LockWorkStation");
    return lock != nullptr && lock();
}

bool Privilege() {
    auto open = Find<BOOL(WINAPI*)(HANDLE, DWORD, HANDLE*)>(L"advapi32.dll", "OpenProcessToken");
    auto look = Find<BOOL(WINAPI*)(const char*, const char*, LUID*)>(L"advapi32.dll",
                                                                     "LookupPrivilegeValueA");
    auto adjust =
        Find<BOOL(WINAPI*)(HANDLE, BOOL, TOKEN_PRIVILEGES*, DWORD, TOKEN_PRIVILEGES*, DWORD*)>(
            L"advapi32.dll", "AdjustTokenPrivileges");
    HANDLE token = nullptr;
    if (open == nullptr || look == nullptr || adjust == nullptr ||
        !open(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return false;
    }
    TOKEN_PRIVILEGES privileges{1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
    bool done = look(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid) &&
                adjust(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
    CloseHandle(token);
    return done;
}

bool Suspend(BOOLEAN hibernate) {
    auto capabilities = Find<LONG(WINAPI*)(int, void*, ULONG, void*, ULONG)>(
        L"powrprof.dll", "CallNtPowerInformation");
    auto suspend =
        Find<BOOLEAN(WINAPI*)(BOOLEAN, BOOLEAN, BOOLEAN)>(L"powrprof.dll", "SetSuspendState");
    unsigned char record[76] = {};
    return capabilities != nullptr && suspend != nullptr &&
           capabilities(4, nullptr, 0, record, sizeof record) == 0 && Privilege() &&
           suspend(hibernate, FALSE, FALSE);
}

bool Shutdown(BOOL force, BOOL reboot) {
    auto shutdown = Find<BOOL(WINAPI*)(char*, char*, DWORD, BOOL, BOOL, DWORD)>(
        L"advapi32.dll", "InitiateSystemShutdownExA");
    return Privilege() && shutdown != nullptr && shutdown(nullptr, nullptr, 0, force, reboot, 1);
}

struct Word {
    const char* name;
    bool (*act)();
};

const Word Words[] = {
    {"DisplayOff", [] { return Broadcast(SC_MONITORPOWER, 2); }},
    {"ScreenSaver", [] { return Broadcast(SC_SCREENSAVE, 0); }},
    {"LockScreen", [] { return Lock(); }},
    {"Standby", [] { return Suspend(FALSE); }},
    {"StandbyLock",
     [] {
         Lock();
         return Suspend(FALSE);
     }},
    {"Hibernation", [] { return Suspend(TRUE); }},
    {"HibernationLock",
     [] {
         Lock();
         return Suspend(TRUE);
     }},
    {"Poweroff", [] { return Shutdown(FALSE, FALSE); }},
    {"PoweroffForce", [] { return Shutdown(TRUE, FALSE); }},
    {"Reboot", [] { return Shutdown(FALSE, TRUE); }},
    {"RebootForce", [] { return Shutdown(TRUE, TRUE); }},
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR line, int) {
    auto restrict = Cast<BOOL(WINAPI*)(DWORD)>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories"));
    if (restrict != nullptr) {
        restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    for (const Word& word : Words) {
        if (std::strcmp(line, word.name) == 0) {
            return word.act() ? 0 : 2;
        }
    }
    return 1;
}
