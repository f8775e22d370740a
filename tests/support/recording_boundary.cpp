#include "tests/support/recording_boundary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

#include "platform/module_file_name.h"
#include "tests/support/switchable_boundary.h"

namespace RawLayer::Testing {
namespace {

using Os::Bool;
using Os::Handle;
using Os::WideUnit;

RecordingBoundary* current = nullptr;

const Os::Boundary& System() {
    return Os::SystemBoundary();
}

std::string Hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

std::string Pointer(const void* value) {
    return value == nullptr ? "null" : Hex(reinterpret_cast<std::uintptr_t>(value));
}

std::string Number(std::int64_t value) {
    return std::to_string(value);
}

Handle MakeHandle(std::uintptr_t value) {
    return reinterpret_cast<Handle>(value);
}

// Whether an unprogrammed call may reach the system. Only calls that change nothing do so on
// their own; any other fails the test, so that a forgotten entry can never lock, suspend or
// shut down the machine running the tests.
bool Forwarded(const std::string& function) {
    if (RecordingBoundary::Current().PassesToSystem(function)) {
        return true;
    }
    ADD_FAILURE() << "unprogrammed call of " << function
                  << ": program its result, or pass it to the system";
    return false;
}

// Records the call; true with the programmed result when there is one.
bool Recorded(const std::string& function, const std::string& arguments, std::int64_t* result) {
    RecordingBoundary& recorder = RecordingBoundary::Current();
    recorder.Record(function + "(" + arguments + ")");
    return recorder.TakeResult(function, result);
}

template <typename Info>
std::string DescribeShellRecord(const Info* info,
                                std::string (*text)(const decltype(info->lpFile))) {
    bool restZero = info->hInstApp == nullptr && info->lpIDList == nullptr &&
                    info->lpClass == nullptr && info->hkeyClass == nullptr && info->dwHotKey == 0 &&
                    info->hIcon == nullptr && info->hProcess == nullptr;
    return "cbSize=" + Number(info->cbSize) + ", fMask=" + Hex(info->fMask) +
           ", hwnd=" + Pointer(info->hwnd) + ", lpVerb=" + text(info->lpVerb) +
           ", lpFile=" + text(info->lpFile) + ", lpParameters=" + text(info->lpParameters) +
           ", lpDirectory=" + text(info->lpDirectory) + ", nShow=" + Number(info->nShow) +
           (restZero ? "" : ", other members set");
}

std::string NarrowText(const char* text) {
    return Quoted(text);
}
std::string WideText(const WideUnit* text) {
    return QuotedWide(text);
}

template <typename Info>
Bool ShellExecuteRecorded(const char* function, Info* info,
                          Bool(RAWLAYER_SYSTEM_CALL* forward)(Info*),
                          std::string (*text)(const decltype(info->lpFile))) {
    std::int64_t result = 0;
    if (Recorded(function, DescribeShellRecord(info, text), &result)) {
        if (result != 0 && (info->fMask & Os::SeeMaskNoCloseProcess) != 0) {
            info->hProcess = MakeHandle(RecordingBoundary::ProcessHandle);
        }
        return static_cast<Bool>(result);
    }
    return Forwarded(function) ? forward(info) : 0;
}

const Os::Boundary recordingBoundary = {
    .PostMessageA =
        [](Os::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
           Os::LongParam lParam) RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (Recorded("PostMessageA",
                         Pointer(window) + ", " + Hex(message) + ", " + Hex(wParam) + ", " +
                             Number(lParam),
                         &result)) {
                return static_cast<Bool>(result);
            }
            return Forwarded("PostMessageA")
                       ? System().PostMessageA(window, message, wParam, lParam)
                       : 0;
        },
    .LockWorkStation =
        []() RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (Recorded("LockWorkStation", "", &result)) {
                return static_cast<Bool>(result);
            }
            return Forwarded("LockWorkStation") ? System().LockWorkStation() : 0;
        },
    .ExitWindowsEx =
        [](std::uint32_t flags, Os::Dword reason) RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (Recorded("ExitWindowsEx", Hex(flags) + ", " + Hex(reason), &result)) {
                return static_cast<Bool>(result);
            }
            return Forwarded("ExitWindowsEx") ? System().ExitWindowsEx(flags, reason) : 0;
        },
    .MessageBoxA =
        [](Os::WindowHandle owner, const char* text, const char* caption,
           std::uint32_t style) RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (Recorded("MessageBoxA",
                         Pointer(owner) + ", " + Quoted(text) + ", " + Quoted(caption) + ", " +
                             Hex(style),
                         &result)) {
                return static_cast<int>(result);
            }
            return Forwarded("MessageBoxA") ? System().MessageBoxA(owner, text, caption, style) : 0;
        },
    .MessageBoxW =
        [](Os::WindowHandle owner, const WideUnit* text, const WideUnit* caption,
           std::uint32_t style) RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (Recorded("MessageBoxW",
                         Pointer(owner) + ", " + QuotedWide(text) + ", " + QuotedWide(caption) +
                             ", " + Hex(style),
                         &result)) {
                return static_cast<int>(result);
            }
            return Forwarded("MessageBoxW") ? System().MessageBoxW(owner, text, caption, style) : 0;
        },
    .OpenProcessToken =
        [](Handle process, Os::Dword access, Handle* token) RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (Recorded("OpenProcessToken", Pointer(process) + ", " + Hex(access), &result)) {
                if (result != 0) {
                    *token = MakeHandle(RecordingBoundary::TokenHandle);
                }
                return static_cast<Bool>(result);
            }
            return Forwarded("OpenProcessToken") ? System().OpenProcessToken(process, access, token)
                                                 : 0;
        },
    .LookupPrivilegeValueA =
        [](const char* systemName, const char* name, Os::Luid* luid) RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (Recorded("LookupPrivilegeValueA", Quoted(systemName) + ", " + Quoted(name),
                         &result)) {
                if (result != 0) {
                    luid->LowPart = RecordingBoundary::PrivilegeLowPart;
                    luid->HighPart = 0;
                }
                return static_cast<Bool>(result);
            }
            return Forwarded("LookupPrivilegeValueA")
                       ? System().LookupPrivilegeValueA(systemName, name, luid)
                       : 0;
        },
    .AdjustTokenPrivileges =
        [](Handle token, Bool disableAll, Os::TokenPrivileges* newState, Os::Dword bufferLength,
           Os::TokenPrivileges* previousState, Os::Dword* returnLength) RAWLAYER_SYSTEM_CALL {
            std::string state = "null";
            if (newState != nullptr) {
                state = "{count=" + Number(newState->PrivilegeCount) +
                        ", luid=" + Hex(newState->Privileges[0].Luid.LowPart) + ":" +
                        Hex(static_cast<std::uint32_t>(newState->Privileges[0].Luid.HighPart)) +
                        ", attributes=" + Hex(newState->Privileges[0].Attributes) + "}";
            }
            std::int64_t result = 0;
            if (Recorded("AdjustTokenPrivileges",
                         Pointer(token) + ", " + Number(disableAll) + ", " + state + ", " +
                             Number(bufferLength) + ", " + Pointer(previousState) + ", " +
                             Pointer(returnLength),
                         &result)) {
                return static_cast<Bool>(result);
            }
            return Forwarded("AdjustTokenPrivileges")
                       ? System().AdjustTokenPrivileges(token, disableAll, newState, bufferLength,
                                                        previousState, returnLength)
                       : 0;
        },
    .InitiateSystemShutdownExA =
        [](char* machine, char* message, Os::Dword timeout, Bool force, Bool reboot,
           Os::Dword reason) RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (Recorded("InitiateSystemShutdownExA",
                         Quoted(machine) + ", " + Quoted(message) + ", " + Number(timeout) + ", " +
                             Number(force) + ", " + Number(reboot) + ", " + Hex(reason),
                         &result)) {
                return static_cast<Bool>(result);
            }
            return Forwarded("InitiateSystemShutdownExA")
                       ? System().InitiateSystemShutdownExA(machine, message, timeout, force,
                                                            reboot, reason)
                       : 0;
        },
    .SetSuspendState =
        [](std::uint8_t hibernate, std::uint8_t force, std::uint8_t wakeupEventsDisabled)
            RAWLAYER_SYSTEM_CALL {
                std::int64_t result = 0;
                if (Recorded("SetSuspendState",
                             Number(hibernate) + ", " + Number(force) + ", " +
                                 Number(wakeupEventsDisabled),
                             &result)) {
                    return static_cast<std::uint8_t>(result);
                }
                return Forwarded("SetSuspendState")
                           ? System().SetSuspendState(hibernate, force, wakeupEventsDisabled)
                           : std::uint8_t{0};
            },
    .ShellExecuteExA =
        [](Os::ShellExecuteInfoA* info) RAWLAYER_SYSTEM_CALL {
            return ShellExecuteRecorded("ShellExecuteExA", info, System().ShellExecuteExA,
                                        NarrowText);
        },
    .ShellExecuteExW =
        [](Os::ShellExecuteInfoW* info) RAWLAYER_SYSTEM_CALL {
            return ShellExecuteRecorded("ShellExecuteExW", info, System().ShellExecuteExW,
                                        WideText);
        },
    .CoInitializeEx =
        [](void* reserved, Os::Dword flags) RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (Recorded("CoInitializeEx", Pointer(reserved) + ", " + Hex(flags), &result)) {
                return static_cast<Os::HResult>(result);
            }
            return Forwarded("CoInitializeEx") ? System().CoInitializeEx(reserved, flags) : 0;
        },
    .CoUninitialize =
        []() RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (!Recorded("CoUninitialize", "", &result) && Forwarded("CoUninitialize")) {
                System().CoUninitialize();
            }
        },
    .GetCommandLineA = []() RAWLAYER_SYSTEM_CALL -> char* {
        RecordingBoundary& recorder = RecordingBoundary::Current();
        recorder.Record("GetCommandLineA()");
        if (const std::string* line = recorder.CommandLine()) {
            // Writable only in the system's declaration: nothing writes through it.
            return const_cast<char*>(line->c_str());
        }
        return System().GetCommandLineA();
    },
    .GetACP =
        []() RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (Recorded("GetACP", "", &result)) {
                return static_cast<std::uint32_t>(result);
            }
            return System().GetACP();
        },
    .GetCurrentProcess =
        []() RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (Recorded("GetCurrentProcess", "", &result)) {
                return MakeHandle(static_cast<std::uintptr_t>(result));
            }
            return System().GetCurrentProcess();
        },
    .CloseHandle =
        [](Handle handle) RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (Recorded("CloseHandle", Pointer(handle), &result)) {
                return static_cast<Bool>(result);
            }
            return Forwarded("CloseHandle") ? System().CloseHandle(handle) : 0;
        },
    .GetProcessId =
        [](Handle process) RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (Recorded("GetProcessId", Pointer(process), &result)) {
                return static_cast<Os::Dword>(result);
            }
            return Forwarded("GetProcessId") ? System().GetProcessId(process) : 0;
        },
    .GetModuleFileNameA =
        [](Os::ModuleHandle module, char* buffer, Os::Dword size) RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (Recorded("GetModuleFileNameA", Pointer(module) + ", " + Number(size), &result)) {
                return static_cast<Os::Dword>(result);
            }
            if (const auto* path = RecordingBoundary::Current().ModuleFileNameA()) {
                return Os::FillModuleFileName(*path, buffer, size);
            }
            return System().GetModuleFileNameA(module, buffer, size);
        },
    .GetModuleFileNameW =
        [](Os::ModuleHandle module, WideUnit* buffer, Os::Dword size) RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (Recorded("GetModuleFileNameW", Pointer(module) + ", " + Number(size), &result)) {
                return static_cast<Os::Dword>(result);
            }
            if (const auto* path = RecordingBoundary::Current().ModuleFileNameW()) {
                return Os::FillModuleFileName(*path, buffer, size);
            }
            return System().GetModuleFileNameW(module, buffer, size);
        },
    .GetFileAttributesA =
        [](const char* path) RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (Recorded("GetFileAttributesA", Quoted(path), &result)) {
                return static_cast<Os::Dword>(result);
            }
            return System().GetFileAttributesA(path);
        },
    .GetFileAttributesW =
        [](const WideUnit* path) RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            if (Recorded("GetFileAttributesW", QuotedWide(path), &result)) {
                return static_cast<Os::Dword>(result);
            }
            return System().GetFileAttributesW(path);
        },
    .MultiByteToWideChar =
        [](std::uint32_t codePage, Os::Dword flags, const char* source, int sourceLength,
           WideUnit* target, int targetLength) RAWLAYER_SYSTEM_CALL {
            std::int64_t result = 0;
            std::string text = sourceLength < 0
                                   ? Quoted(source)
                                   : Quoted(source, static_cast<std::size_t>(sourceLength));
            if (Recorded("MultiByteToWideChar",
                         Number(codePage) + ", " + Hex(flags) + ", " + text + ", " +
                             Number(sourceLength) + ", " + Number(targetLength),
                         &result)) {
                return static_cast<int>(result);
            }
            return System().MultiByteToWideChar(codePage, flags, source, sourceLength, target,
                                                targetLength);
        },
    .WideCharToMultiByte =
        [](std::uint32_t codePage, Os::Dword flags, const WideUnit* source, int sourceLength,
           char* target, int targetLength, const char* defaultChar, Bool* usedDefault)
            RAWLAYER_SYSTEM_CALL {
                std::int64_t result = 0;
                if (Recorded("WideCharToMultiByte",
                             Number(codePage) + ", " + Hex(flags) + ", " + Number(sourceLength) +
                                 ", " + Number(targetLength) + ", " + Pointer(defaultChar) + ", " +
                                 Pointer(usedDefault),
                             &result)) {
                    return static_cast<int>(result);
                }
                return System().WideCharToMultiByte(codePage, flags, source, sourceLength, target,
                                                    targetLength, defaultChar, usedDefault);
            },
    .InitializeCriticalSection =
        [](Os::CriticalSection* section) RAWLAYER_SYSTEM_CALL {
            RecordingBoundary::Current().Record("InitializeCriticalSection");
            System().InitializeCriticalSection(section);
        },
    .EnterCriticalSection =
        [](Os::CriticalSection* section) RAWLAYER_SYSTEM_CALL {
            RecordingBoundary::Current().Record("EnterCriticalSection");
            System().EnterCriticalSection(section);
        },
    .LeaveCriticalSection =
        [](Os::CriticalSection* section) RAWLAYER_SYSTEM_CALL {
            RecordingBoundary::Current().Record("LeaveCriticalSection");
            System().LeaveCriticalSection(section);
        },
    .DeleteCriticalSection =
        [](Os::CriticalSection* section) RAWLAYER_SYSTEM_CALL {
            RecordingBoundary::Current().Record("DeleteCriticalSection");
            System().DeleteCriticalSection(section);
        },
};

bool IsLockCall(const std::string& call) {
    return call.find("CriticalSection") != std::string::npos;
}

}  // namespace

RecordingBoundary::RecordingBoundary() {
    if (current != nullptr) {
        throw std::logic_error("only one RecordingBoundary at a time");
    }
    current = this;
    UseBoundary(&recordingBoundary);
}

RecordingBoundary::~RecordingBoundary() {
    UseBoundary(nullptr);
    current = nullptr;
}

RecordingBoundary& RecordingBoundary::Current() {
    return *current;
}

void RecordingBoundary::Program(const std::string& function, std::int64_t result) {
    programmed[function] = Programmed{{result}, true};
}

void RecordingBoundary::ProgramSequence(const std::string& function,
                                        std::vector<std::int64_t> results) {
    programmed[function] = Programmed{{results.begin(), results.end()}, false};
}

void RecordingBoundary::PassToSystem(const std::string& function) {
    passedToSystem.insert(function);
}

bool RecordingBoundary::PassesToSystem(const std::string& function) const {
    return passedToSystem.count(function) != 0;
}

void RecordingBoundary::ProgramModuleFileNameA(std::string path) {
    moduleFileNameA = std::move(path);
}

void RecordingBoundary::ProgramModuleFileNameW(std::u16string path) {
    moduleFileNameW = std::move(path);
}

void RecordingBoundary::ProgramCommandLine(std::string line) {
    commandLine = std::move(line);
}

const std::string* RecordingBoundary::CommandLine() const {
    return commandLine ? &*commandLine : nullptr;
}

const std::string* RecordingBoundary::ModuleFileNameA() const {
    return moduleFileNameA ? &*moduleFileNameA : nullptr;
}

const std::u16string* RecordingBoundary::ModuleFileNameW() const {
    return moduleFileNameW ? &*moduleFileNameW : nullptr;
}

void RecordingBoundary::Record(std::string call) {
    calls.push_back(std::move(call));
}

bool RecordingBoundary::TakeResult(const std::string& function, std::int64_t* result) {
    auto found = programmed.find(function);
    if (found == programmed.end() || found->second.results.empty()) {
        return false;
    }
    *result = found->second.results.front();
    if (!found->second.repeatLast || found->second.results.size() > 1) {
        found->second.results.pop_front();
    }
    return true;
}

std::vector<std::string> RecordingBoundary::Calls() const {
    std::vector<std::string> result;
    for (const std::string& call : calls) {
        if (!IsLockCall(call)) {
            result.push_back(call);
        }
    }
    return result;
}

std::vector<std::string> RecordingBoundary::CallsWithLocks() const {
    return calls;
}

std::vector<std::string> RecordingBoundary::CallsOf(
    const std::vector<std::string>& functions) const {
    std::vector<std::string> result;
    for (const std::string& call : calls) {
        for (const std::string& function : functions) {
            if (call.compare(0, function.size() + 1, function + "(") == 0 || call == function) {
                result.push_back(call);
                break;
            }
        }
    }
    return result;
}

void RecordingBoundary::Clear() {
    calls.clear();
}

std::string Quoted(const char* text) {
    if (text == nullptr) {
        return "null";
    }
    return Quoted(text, std::char_traits<char>::length(text));
}

std::string Quoted(const char* text, std::size_t length) {
    std::string result = "\"";
    for (std::size_t i = 0; i < length; ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '"' || byte == '\\') {
            result += '\\';
            result += static_cast<char>(byte);
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            result += escape;
        } else {
            result += static_cast<char>(byte);
        }
    }
    return result + "\"";
}

std::string QuotedWide(const WideUnit* text) {
    if (text == nullptr) {
        return "null";
    }
    std::string result = "u\"";
    for (; *text != 0; ++text) {
        WideUnit unit = *text;
        if (unit == u'"' || unit == u'\\') {
            result += '\\';
            result += static_cast<char>(unit);
        } else if (unit < 0x20 || unit >= 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(unit));
            result += escape;
        } else {
            result += static_cast<char>(unit);
        }
    }
    return result + "\"";
}

}  // namespace RawLayer::Testing
