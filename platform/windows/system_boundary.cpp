// The Windows build: each entry calls the real system function. Adapters only convert
// between the boundary's fixed-width types and the system's own.

#include "platform/boundary.h"

namespace RawLayer::Os {
namespace {

using SetSuspendStateFunction = BOOLEAN(WINAPI*)(BOOLEAN, BOOLEAN, BOOLEAN);

// powrprof is not one of the DLLs that Windows always takes from the system directory, and
// the program is made to be copied into any folder. Loading it by name from the system
// directory only keeps a planted copy beside the program from ever being loaded.
SetSuspendStateFunction FindSetSuspendState() {
    HMODULE module = LoadLibraryExW(L"powrprof.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<SetSuspendStateFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "SetSuspendState")));
}

std::uint8_t SuspendThroughSystem(std::uint8_t hibernate, std::uint8_t force,
                                  std::uint8_t wakeupEventsDisabled) {
    static const SetSuspendStateFunction function = FindSetSuspendState();
    if (function == nullptr) {
        return 0;
    }
    return function(hibernate, force, wakeupEventsDisabled);
}

const wchar_t* AsSystemWide(const WideUnit* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

const Boundary systemBoundary = {
    [](Handle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
        return ::PostMessageA(static_cast<HWND>(window), message, wParam, lParam);
    },
    []() { return ::LockWorkStation(); },
    [](std::uint32_t flags, std::uint32_t reason) { return ::ExitWindowsEx(flags, reason); },
    [](Handle owner, const char* text, const char* caption, std::uint32_t style) {
        return static_cast<std::int32_t>(
            ::MessageBoxA(static_cast<HWND>(owner), text, caption, style));
    },
    [](Handle owner, const WideUnit* text, const WideUnit* caption, std::uint32_t style) {
        return static_cast<std::int32_t>(::MessageBoxW(static_cast<HWND>(owner), AsSystemWide(text),
                                                       AsSystemWide(caption), style));
    },
    [](Handle process, std::uint32_t access, Handle* token) {
        return ::OpenProcessToken(process, access, token);
    },
    [](const char* systemName, const char* name, Luid* luid) {
        return ::LookupPrivilegeValueA(systemName, name, luid);
    },
    [](Handle token, Bool disableAll, TokenPrivileges* newState, std::uint32_t bufferLength,
       TokenPrivileges* previousState, std::uint32_t* returnLength) {
        DWORD length = returnLength != nullptr ? *returnLength : 0;
        BOOL result =
            ::AdjustTokenPrivileges(token, disableAll, newState, bufferLength, previousState,
                                    returnLength != nullptr ? &length : nullptr);
        if (returnLength != nullptr) {
            *returnLength = length;
        }
        return result;
    },
    [](const char* machine, const char* message, std::uint32_t timeout, Bool force, Bool reboot,
       std::uint32_t reason) {
        return ::InitiateSystemShutdownExA(const_cast<char*>(machine), const_cast<char*>(message),
                                           timeout, force, reboot, reason);
    },
    SuspendThroughSystem,
    [](ShellExecuteInfoA* info) { return ::ShellExecuteExA(info); },
    [](ShellExecuteInfoW* info) {
        return ::ShellExecuteExW(reinterpret_cast<SHELLEXECUTEINFOW*>(info));
    },
    []() -> const char* { return ::GetCommandLineA(); },
    []() { return static_cast<std::uint32_t>(::GetACP()); },
    []() { return ::GetCurrentProcess(); },
    [](Handle handle) { return ::CloseHandle(handle); },
    [](Handle process) { return static_cast<std::uint32_t>(::GetProcessId(process)); },
    [](Handle module, char* buffer, std::uint32_t size) {
        return static_cast<std::uint32_t>(
            ::GetModuleFileNameA(static_cast<HMODULE>(module), buffer, size));
    },
    [](Handle module, WideUnit* buffer, std::uint32_t size) {
        return static_cast<std::uint32_t>(::GetModuleFileNameW(
            static_cast<HMODULE>(module), reinterpret_cast<wchar_t*>(buffer), size));
    },
    [](const char* path) { return static_cast<std::uint32_t>(::GetFileAttributesA(path)); },
    [](const WideUnit* path) {
        return static_cast<std::uint32_t>(::GetFileAttributesW(AsSystemWide(path)));
    },
    [](std::uint32_t codePage, std::uint32_t flags, const char* source, std::int32_t sourceLength,
       WideUnit* target, std::int32_t targetLength) {
        return static_cast<std::int32_t>(
            ::MultiByteToWideChar(codePage, flags, source, sourceLength,
                                  reinterpret_cast<wchar_t*>(target), targetLength));
    },
    [](std::uint32_t codePage, std::uint32_t flags, const WideUnit* source,
       std::int32_t sourceLength, char* target, std::int32_t targetLength, const char* defaultChar,
       Bool* usedDefault) {
        return static_cast<std::int32_t>(
            ::WideCharToMultiByte(codePage, flags, AsSystemWide(source), sourceLength, target,
                                  targetLength, defaultChar, usedDefault));
    },
    [](CriticalSection* section) { ::InitializeCriticalSection(section); },
    [](CriticalSection* section) { ::EnterCriticalSection(section); },
    [](CriticalSection* section) { ::LeaveCriticalSection(section); },
    [](CriticalSection* section) { ::DeleteCriticalSection(section); },
};

}  // namespace

const Boundary& SystemBoundary() {
    return systemBoundary;
}

}  // namespace RawLayer::Os
