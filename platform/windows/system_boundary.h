#pragma once
// How the Windows build fills the boundary. The import table holds only kernel32 and the C
// runtime: a DLL imported the usual way has its own dependencies looked up in the program's
// folder first, before any code of ours could prevent it. Every other entry looks its function
// up by name, in its DLL loaded from the system folder, each time it is called; the DLL itself
// is loaded on the first such call.
//
// The table is written from the boundary's list of entries, each looked-up entry from a resolver
// that names its DLL, its function and the value its call reports failure with. An entry whose
// DLL or function is missing returns that value and does nothing, so the action it serves is
// refused rather than crashing.

#include <cstddef>
#include <cstdint>
#include <utility>

#include "platform/boundary.h"
#include "platform/windows/system_libraries.h"

namespace RawLayer::Os::Windows {

// A function's name as a template argument.
template <std::size_t Length>
struct FunctionName {
    char text[Length];
    constexpr FunctionName(const char (&name)[Length]) {  // NOLINT: converts by design
        for (std::size_t at = 0; at < Length; ++at) {
            text[at] = name[at];
        }
    }
};

template <std::size_t>
using Word = std::uintptr_t;

// The entry of a function that could not be resolved: it returns Failure and does nothing.
// One per failure value and number of arguments, shared by every signature of that shape:
// each argument takes one stack slot or register whatever its type, a standard-call function
// removes exactly its slots, and the result comes back in the same register, so the callers
// of all of them are served alike. The refusal of a call without a result returns 0 unread.
template <int Failure, typename Words>
struct Refusal;

template <int Failure, std::size_t... Slot>
struct Refusal<Failure, std::index_sequence<Slot...>> {
    static int WINAPI Call(Word<Slot>...) { return Failure; }
};

// The function `name` of `library`, or `refusal` where either is missing. Written once for
// every entry: each entry's own code only forwards its arguments. It removes its own
// arguments, which spares every entry the instruction that would.
template <class Libraries>
void* WINAPI LookUp(SystemLibrary library, const char* name, void* refusal) {
    HMODULE module = Libraries::Load(library);
    FARPROC found = module != nullptr ? GetProcAddress(module, name) : nullptr;
    return found != nullptr ? reinterpret_cast<void*>(found) : refusal;
}

// The entry of Name in Library, which reports Failure where it cannot be resolved. It becomes
// whichever entry type it initialises. Preloaded lists DLLs loaded from the system folder just
// before, for the system's own use of them (see the message boxes' entries).
template <class Libraries, SystemLibrary Library, FunctionName Name, int Failure,
          SystemLibrary... Preloaded>
struct From {
    template <typename Function>
    struct Entry;

    template <typename Result, typename... Arguments>
    struct Entry<Result(WINAPI*)(Arguments...)> {
        static_assert(((sizeof(Arguments) <= sizeof(std::uintptr_t)) && ...),
                      "a refusal takes each argument in one slot");
        using Function = Result(WINAPI*)(Arguments...);

        static Result WINAPI Call(Arguments... arguments) {
            (Libraries::Load(Preloaded), ...);
            using Refused = Refusal<Failure, std::index_sequence_for<Arguments...>>;
            void* found =
                LookUp<Libraries>(Library, Name.text, reinterpret_cast<void*>(Refused::Call));
            return reinterpret_cast<Function>(found)(arguments...);
        }
    };

    template <typename Function>
    constexpr operator Function() const {  // NOLINT: converts by design
        return Entry<Function>::Call;
    }
};

// kernel32's calls that take wide text, handing our 16-bit units over as wchar_t.
DWORD WINAPI GetModuleFileNameWide(HMODULE module, WideUnit* buffer, DWORD size);
DWORD WINAPI GetFileAttributesWide(const WideUnit* path);
int WINAPI MultiByteToWide(UINT codePage, DWORD flags, const char* source, int sourceLength,
                           WideUnit* target, int targetLength);
int WINAPI WideToMultiByte(UINT codePage, DWORD flags, const WideUnit* source, int sourceLength,
                           char* target, int targetLength, const char* defaultChar,
                           BOOL* usedDefault);

// The table over Libraries, which loads each DLL (ProcessLibraries in the program).
template <class Libraries>
Boundary BoundaryOver() {
    using enum SystemLibrary;
    return Boundary{
#define LOOKED_UP(name, result, parameters, library, failure, access, ...) \
    .name = From<Libraries, library, #name, failure __VA_OPT__(, ) __VA_ARGS__>{},
#define IMPORTED(name, result, parameters, function, access) .name = function,
#include "platform/boundary_entries.inc"
#undef IMPORTED
#undef LOOKED_UP
    };
}

}  // namespace RawLayer::Os::Windows
