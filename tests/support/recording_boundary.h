#pragma once
// The recording double of the OS boundary. While one lives, every call through Os() is
// written down as text, such as PostMessageA(0xffff, 0x112, 0xf170, 2). A function with a
// programmed result returns it (filling its out-parameters with recognisable values). Which
// unprogrammed calls reach the system's table, and which fail the test, is listed once, as
// ReadOnly in the source. Used from one thread at a time.

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/boundary.h"

namespace RawLayer::Testing {

// An entry's name, as its recorded calls give it.
template <typename Function>
constexpr const char* NameOf(Function Os::Boundary::*entry) {
#define LOOKED_UP(name, ...)                                                \
    if constexpr (std::is_same_v<Function, decltype(Os::Boundary::name)>) { \
        if (entry == &Os::Boundary::name) {                                 \
            return #name;                                                   \
        }                                                                   \
    }
#define IMPORTED LOOKED_UP
#include "platform/boundary_entries.inc"
#undef IMPORTED
#undef LOOKED_UP
    return nullptr;
}

// An entry of the boundary, named by its member (&Os::Boundary::GetLastInputInfo), so that a
// misspelt entry does not compile. Rows of a table hold it; a default one names no entry.
class BoundaryEntry {
  public:
    constexpr BoundaryEntry() = default;
    template <typename Function>
    constexpr BoundaryEntry(Function Os::Boundary::*entry)  // NOLINT: converts by design
        : name(NameOf(entry)) {}

    constexpr bool Names() const { return name != nullptr; }
    // The entry's name; null for none.
    constexpr const char* Name() const { return name; }

  private:
    const char* name = nullptr;
};

class RecordingBoundary {
  public:
    // Handles that programmed calls hand out.
    static constexpr std::uintptr_t TokenHandle = 0x7070;
    static constexpr std::uintptr_t ProcessHandle = 0x5050;
    static constexpr std::uint32_t PrivilegeLowPart = 0x13;
    // The tick of the last input that a programmed GetLastInputInfo reports.
    static constexpr std::uint32_t LastInputTick = 0x1000;

    RecordingBoundary();
    ~RecordingBoundary();
    RecordingBoundary(const RecordingBoundary&) = delete;
    RecordingBoundary& operator=(const RecordingBoundary&) = delete;

    // Every later call of the entry returns the value; ProgramSequence(entry, {a, b}) returns
    // a, then b, then goes back to the system's table.
    void Program(BoundaryEntry entry, std::int64_t result);
    void ProgramSequence(BoundaryEntry entry, std::vector<std::int64_t> results);
    // Unprogrammed calls of the entry reach the system's table instead of failing.
    void PassToSystem(BoundaryEntry entry);
    // Every entry that acts (as the boundary's list says) returns 1, success for each of them,
    // until a test programs it otherwise.
    void ProgramActingToSucceed();
    // GetModuleFileNameA and GetModuleFileNameW report these paths as the system does: a
    // path that does not fit the buffer is cut, terminated, and the buffer's size returned.
    // A result programmed for the function still comes first.
    void ProgramModuleFileNameA(std::string path);
    void ProgramModuleFileNameW(std::u16string path);
    // GetCommandLineA returns this text while the double lives.
    void ProgramCommandLine(std::string line);
    // A CallNtPowerInformation programmed to succeed (0) fills in this record.
    void ProgramPowerCapabilities(const Os::PowerCapabilities& capabilities);
    // A WTSQuerySessionInformationW programmed to succeed hands out the session record at
    // SessionRecord(), with these lock flags in turn and the last one from then on (locked,
    // WtsSessionStateLock, where none are programmed); WTSFreeMemory of it frees nothing.
    void ProgramSessionFlags(std::vector<std::int32_t> flags);
    static std::uintptr_t SessionRecord();

    // The calls so far, in order. Critical-section calls are left out unless asked for.
    std::vector<std::string> Calls() const;
    std::vector<std::string> CallsWithLocks() const;
    // Only the calls of the named functions.
    std::vector<std::string> CallsOf(const std::vector<std::string>& functions) const;
    void Clear();

    // Used by the recording functions.
    static RecordingBoundary& Current();
    void Record(std::string call);
    bool TakeResult(const std::string& function, std::int64_t* result);
    bool PassesToSystem(const std::string& function) const;
    // The programmed module paths; null when none is programmed.
    const std::string* ModuleFileNameA() const;
    const std::u16string* ModuleFileNameW() const;
    // The programmed command line; null when none is programmed.
    const std::string* CommandLine() const;
    const Os::PowerCapabilities& PowerCapabilities() const { return powerCapabilities; }
    std::int32_t TakeSessionFlags();

  private:
    struct Programmed {
        std::deque<std::int64_t> results;
        bool repeatLast = false;
    };

    std::vector<std::string> calls;
    std::map<std::string, Programmed> programmed;
    std::set<std::string> passedToSystem;
    std::optional<std::string> moduleFileNameA;
    std::optional<std::u16string> moduleFileNameW;
    std::optional<std::string> commandLine;
    Os::PowerCapabilities powerCapabilities{};
    std::deque<std::int32_t> sessionFlags;
};

// Text forms used in recorded calls, for building expectations.
std::string Hex(std::uint64_t value);
std::string Quoted(const char* text);
std::string Quoted(const char* text, std::size_t length);
std::string QuotedWide(const Os::WideUnit* text);

}  // namespace RawLayer::Testing
