#include "tests/support/recording_boundary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <type_traits>

#include "platform/module_file_name.h"
#include "tests/support/switchable_boundary.h"

namespace RawLayer::Testing {
namespace {

using Os::Bool;
using Os::Boundary;
using Os::Handle;
using Os::WideUnit;

RecordingBoundary* current = nullptr;
// The session record a programmed query hands out; the system's own are the system's to free.
Os::SessionInfo sessionRecord{};

std::string Pointer(const void* value) {
    return value == nullptr ? "null" : Hex(reinterpret_cast<std::uintptr_t>(value));
}

std::string Number(std::int64_t value) {
    return std::to_string(value);
}

Handle MakeHandle(std::uintptr_t value) {
    return reinterpret_cast<Handle>(value);
}

// How an argument is written in a recorded call, by its type: signed numbers and the one-byte
// booleans in decimal, other unsigned numbers (flags, sizes, messages) in hex, handles as
// their value, texts quoted, and the buffers and out-parameters the system fills as "out"
// (or "null"), since what they hold before the call means nothing.
template <typename Value>
std::string Format(Value value) {
    static_assert(std::is_integral_v<Value>, "give the type a formatter of its own");
    if constexpr (std::is_signed_v<Value> || std::is_same_v<Value, std::uint8_t>) {
        return Number(static_cast<std::int64_t>(value));
    } else {
        return Hex(value);
    }
}

// Handles as their value (natively every kind is void*, as is CoInitializeEx's reserved
// pointer); any other pointer needs a formatter of its own.
std::string Format(Handle handle) {
    return Pointer(handle);
}
#ifdef _WIN32
std::string Format(Os::WindowHandle window) {
    return Pointer(window);
}
std::string Format(Os::ModuleHandle module) {
    return Pointer(module);
}
#endif

std::string Format(const char* text) {
    return Quoted(text);
}

std::string Format(const WideUnit* text) {
    return QuotedWide(text);
}

std::string Filled(const void* target) {
    return target == nullptr ? "null" : "out";
}

std::string Format(char* buffer) {
    return Filled(buffer);
}
std::string Format(WideUnit* buffer) {
    return Filled(buffer);
}
std::string Format(WideUnit** buffer) {
    return Filled(buffer);
}
std::string Format(Handle* handle) {
    return Filled(handle);
}
std::string Format(Os::Luid* luid) {
    return Filled(luid);
}
std::string Format(Os::Dword* count) {
    return Filled(count);
}
std::string Format(Os::LastInputInfo* info) {
    return Filled(info);
}

std::string Format(Os::TokenPrivileges* privileges) {
    if (privileges == nullptr) {
        return "null";
    }
    const auto& first = privileges->Privileges[0];
    return "{count=" + Number(privileges->PrivilegeCount) + ", luid=" + Hex(first.Luid.LowPart) +
           ":" + Hex(static_cast<std::uint32_t>(first.Luid.HighPart)) +
           ", attributes=" + Hex(first.Attributes) + "}";
}

template <typename Info>
std::string DescribeShellRecord(const Info* info) {
    bool restZero = info->hInstApp == nullptr && info->lpIDList == nullptr &&
                    info->lpClass == nullptr && info->hkeyClass == nullptr && info->dwHotKey == 0 &&
                    info->hIcon == nullptr && info->hProcess == nullptr;
    return "cbSize=" + Number(info->cbSize) + ", fMask=" + Hex(info->fMask) +
           ", hwnd=" + Pointer(info->hwnd) + ", lpVerb=" + Format(info->lpVerb) +
           ", lpFile=" + Format(info->lpFile) + ", lpParameters=" + Format(info->lpParameters) +
           ", lpDirectory=" + Format(info->lpDirectory) + ", nShow=" + Number(info->nShow) +
           (restZero ? "" : ", other members set");
}

std::string Format(Os::ShellExecuteInfoA* info) {
    return DescribeShellRecord(info);
}
std::string Format(Os::ShellExecuteInfoW* info) {
    return DescribeShellRecord(info);
}

// A recorded call: the name and each argument in its form.
template <typename... Arguments>
std::string Described(const char* name, Arguments... arguments) {
    std::string text;
    ((text += (text.empty() ? "" : ", ") + Format(arguments)), ...);
    return std::string(name) + "(" + text + ")";
}

// Lock calls by name alone: the section's address says nothing.
std::string Described(const char* name, Os::CriticalSection*) {
    return name;
}

// The conversions show the source as a code page and a length, and the narrow source's bytes,
// which need not be terminated.
std::string Described(const char* name, std::uint32_t codePage, Os::Dword flags, const char* source,
                      int sourceLength, WideUnit*, int targetLength) {
    std::string text =
        sourceLength < 0 ? Quoted(source) : Quoted(source, static_cast<std::size_t>(sourceLength));
    return std::string(name) + "(" + Number(codePage) + ", " + Hex(flags) + ", " + text + ", " +
           Number(sourceLength) + ", " + Number(targetLength) + ")";
}

std::string Described(const char* name, std::uint32_t codePage, Os::Dword flags, const WideUnit*,
                      int sourceLength, char*, int targetLength, const char* defaultChar,
                      Bool* usedDefault) {
    return std::string(name) + "(" + Number(codePage) + ", " + Hex(flags) + ", " +
           Number(sourceLength) + ", " + Number(targetLength) + ", " + Pointer(defaultChar) + ", " +
           Pointer(usedDefault) + ")";
}

// The capability record is written as the level and the sizes: its address says nothing.
std::string Described(const char* name, std::int32_t level, void* input, Os::Dword inputLength,
                      void* output, Os::Dword outputLength) {
    return std::string(name) + "(" + Number(level) + ", " + Pointer(input) + ", " +
           Hex(inputLength) + ", " + Filled(output) + ", " + Hex(outputLength) + ")";
}

// What a call with a programmed result leaves in its out-parameters: recognisable values where
// it succeeds. Nothing for most entries.
template <auto Entry>
struct ProgrammedEffect {
    template <typename... Arguments>
    static void After(std::int64_t, Arguments...) {}
};

template <>
struct ProgrammedEffect<&Boundary::OpenProcessToken> {
    static void After(std::int64_t result, Handle, Os::Dword, Handle* token) {
        if (result != 0) {
            *token = MakeHandle(RecordingBoundary::TokenHandle);
        }
    }
};

template <>
struct ProgrammedEffect<&Boundary::LookupPrivilegeValueA> {
    static void After(std::int64_t result, const char*, const char*, Os::Luid* luid) {
        if (result != 0) {
            luid->LowPart = RecordingBoundary::PrivilegeLowPart;
            luid->HighPart = 0;
        }
    }
};

template <>
struct ProgrammedEffect<&Boundary::GetLastInputInfo> {
    static void After(std::int64_t result, Os::LastInputInfo* info) {
        if (result != 0) {
            info->dwTime = RecordingBoundary::LastInputTick;
        }
    }
};

template <>
struct ProgrammedEffect<&Boundary::CallNtPowerInformation> {
    static void After(std::int64_t result, std::int32_t, void*, Os::Dword, void* output,
                      Os::Dword outputLength) {
        const Os::PowerCapabilities& capabilities =
            RecordingBoundary::Current().PowerCapabilities();
        if (result == 0 && output != nullptr && outputLength >= sizeof capabilities) {
            std::memcpy(output, &capabilities, sizeof capabilities);
        }
    }
};

template <>
struct ProgrammedEffect<&Boundary::WTSQuerySessionInformationW> {
    static void After(std::int64_t result, Handle, Os::Dword, std::int32_t, WideUnit** buffer,
                      Os::Dword* bytesReturned) {
        if (result != 0) {
            sessionRecord = {};
            sessionRecord.Level = 1;
            sessionRecord.Level1.SessionFlags = RecordingBoundary::Current().TakeSessionFlags();
            *buffer = reinterpret_cast<WideUnit*>(&sessionRecord);
            *bytesReturned = sizeof sessionRecord;
        }
    }
};

template <typename Info>
void HandOutProcess(std::int64_t result, Info* info) {
    if (result != 0 && (info->fMask & Os::SeeMaskNoCloseProcess) != 0) {
        info->hProcess = MakeHandle(RecordingBoundary::ProcessHandle);
    }
}

template <>
struct ProgrammedEffect<&Boundary::ShellExecuteExA> {
    static void After(std::int64_t result, Os::ShellExecuteInfoA* info) {
        HandOutProcess(result, info);
    }
};

template <>
struct ProgrammedEffect<&Boundary::ShellExecuteExW> {
    static void After(std::int64_t result, Os::ShellExecuteInfoW* info) {
        HandOutProcess(result, info);
    }
};

// What stands in for the system when no result is programmed but the test gave the entry a
// value of its own (a command line, a module path); empty when it gave none.
template <auto Entry>
struct Substitute {};

template <>
struct Substitute<&Boundary::GetCommandLineA> {
    static std::optional<char*> For() {
        if (const std::string* line = RecordingBoundary::Current().CommandLine()) {
            // Writable only in the system's declaration: nothing writes through it.
            return const_cast<char*>(line->c_str());
        }
        return std::nullopt;
    }
};

// The programmed module path, filled in as the system fills its buffer.
template <typename Unit>
std::optional<Os::Dword> ModuleFileName(const std::basic_string<Unit>* path, Unit* buffer,
                                        Os::Dword size) {
    return path != nullptr ? std::optional(Os::FillModuleFileName(*path, buffer, size))
                           : std::nullopt;
}

template <>
struct Substitute<&Boundary::GetModuleFileNameA> {
    static std::optional<Os::Dword> For(Os::ModuleHandle, char* buffer, Os::Dword size) {
        return ModuleFileName(RecordingBoundary::Current().ModuleFileNameA(), buffer, size);
    }
};

template <>
struct Substitute<&Boundary::GetModuleFileNameW> {
    static std::optional<Os::Dword> For(Os::ModuleHandle, WideUnit* buffer, Os::Dword size) {
        return ModuleFileName(RecordingBoundary::Current().ModuleFileNameW(), buffer, size);
    }
};

// The double's own session record is not the system's to free.
template <>
struct Substitute<&Boundary::WTSFreeMemory> {
    static std::optional<bool> For(void* memory) {
        return memory == &sessionRecord ? std::optional(true) : std::nullopt;
    }
};

// Whether an entry only answers or guards the library's own memory (ReadOnly), or acts. Read-only
// entries reach the system's table unprogrammed. Every other entry fails the test and reports
// failure instead, unless the test passes it to the system, so that a forgotten entry can never
// lock, suspend or shut down the machine running the tests.
enum class Access { ReadOnly, Acting };

// A programmed result as the entry's result type.
template <typename Result>
Result AsResult(std::int64_t value) {
    if constexpr (std::is_pointer_v<Result>) {
        return reinterpret_cast<Result>(static_cast<std::uintptr_t>(value));
    } else {
        return static_cast<Result>(value);
    }
}

template <typename Member>
struct EntryType;

template <typename Function>
struct EntryType<Function Boundary::*> {
    using Type = Function;
};

template <auto Entry, Access access, typename Function = typename EntryType<decltype(Entry)>::Type>
struct Recorded;

// Every entry of the double: records the call, then answers with the programmed result, the
// test's substitute, the system's table, or failure, in that order.
template <auto Entry, Access access, typename Result, typename... Arguments>
struct Recorded<Entry, access, Result(RAWLAYER_SYSTEM_CALL*)(Arguments...)> {
    static Result RAWLAYER_SYSTEM_CALL Call(Arguments... arguments) {
        static constexpr const char* name = NameOf(Entry);
        RecordingBoundary& recorder = RecordingBoundary::Current();
        recorder.Record(Described(name, arguments...));
        std::int64_t programmed = 0;
        if (recorder.TakeResult(name, &programmed)) {
            ProgrammedEffect<Entry>::After(programmed, arguments...);
            if constexpr (!std::is_void_v<Result>) {
                return AsResult<Result>(programmed);
            } else {
                return;
            }
        }
        if constexpr (requires { Substitute<Entry>::For(arguments...); }) {
            if (auto substitute = Substitute<Entry>::For(arguments...)) {
                if constexpr (!std::is_void_v<Result>) {
                    return *substitute;
                } else {
                    return;
                }
            }
        }
        if (access == Access::ReadOnly || recorder.PassesToSystem(name)) {
            return (Os::SystemBoundary().*Entry)(arguments...);
        }
        ADD_FAILURE() << "unprogrammed call of " << name
                      << ": program its result, or pass it to the system";
        return Result();
    }
};

const Boundary recordingBoundary = {
#define LOOKED_UP(name, result, parameters, library, failure, access, ...) \
    .name = Recorded<&Boundary::name, Access::access>::Call,
#define IMPORTED(name, result, parameters, function, access) \
    .name = Recorded<&Boundary::name, Access::access>::Call,
#include "platform/boundary_entries.inc"
#undef IMPORTED
#undef LOOKED_UP
};

// The names of the entries that act; null in the place of each that only reads.
const char* const actingEntries[] = {
#define LOOKED_UP(name, result, parameters, library, failure, access, ...) \
    Access::access == Access::Acting ? #name : nullptr,
#define IMPORTED(name, result, parameters, function, access) \
    Access::access == Access::Acting ? #name : nullptr,
#include "platform/boundary_entries.inc"
#undef IMPORTED
#undef LOOKED_UP
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

void RecordingBoundary::Program(BoundaryEntry entry, std::int64_t result) {
    programmed[entry.Name()] = Programmed{{result}, true};
}

void RecordingBoundary::ProgramSequence(BoundaryEntry entry, std::vector<std::int64_t> results) {
    programmed[entry.Name()] = Programmed{{results.begin(), results.end()}, false};
}

void RecordingBoundary::PassToSystem(BoundaryEntry entry) {
    passedToSystem.insert(entry.Name());
}

bool RecordingBoundary::PassesToSystem(const std::string& function) const {
    return passedToSystem.count(function) != 0;
}

void RecordingBoundary::ProgramActingToSucceed() {
    for (const char* name : actingEntries) {
        if (name != nullptr) {
            programmed[name] = Programmed{{1}, true};
        }
    }
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

void RecordingBoundary::ProgramPowerCapabilities(const Os::PowerCapabilities& capabilities) {
    powerCapabilities = capabilities;
}

void RecordingBoundary::ProgramSessionFlags(std::vector<std::int32_t> flags) {
    sessionFlags.assign(flags.begin(), flags.end());
}

std::uintptr_t RecordingBoundary::SessionRecord() {
    return reinterpret_cast<std::uintptr_t>(&sessionRecord);
}

std::int32_t RecordingBoundary::TakeSessionFlags() {
    if (sessionFlags.empty()) {
        return Os::WtsSessionStateLock;
    }
    std::int32_t flags = sessionFlags.front();
    if (sessionFlags.size() > 1) {
        sessionFlags.pop_front();
    }
    return flags;
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

std::string Hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
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
