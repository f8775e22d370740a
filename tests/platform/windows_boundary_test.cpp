// The Windows table: system DLLs come from the system folder whether or not the DLL search
// can be restricted, each on the first call of one of its functions, and an entry whose DLL or
// function is missing refuses with its call's own failure value instead of crashing.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/windows/system_boundary.h"

namespace {

using RawLayer::Os::Boundary;
using RawLayer::Os::Windows::BoundaryOver;
using RawLayer::Os::Windows::LoadSystemLibrary;
using RawLayer::Os::Windows::ProcessLibraries;
using RawLayer::Os::Windows::SystemLibrary;

std::wstring ModuleFolder(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring text = path;
    return text.substr(0, text.find_last_of(L'\\'));
}

std::wstring SystemFolder() {
    wchar_t path[MAX_PATH] = {};
    GetSystemDirectoryW(path, MAX_PATH);
    return path;
}

bool InSystemFolder(HMODULE module) {
    return CompareStringOrdinal(ModuleFolder(module).c_str(), -1, SystemFolder().c_str(), -1,
                                TRUE) == CSTR_EQUAL;
}

TEST(windows_boundary_test, system_dlls_load_from_the_system_folder_either_way) {
    for (bool restricted : {false, true}) {
        SCOPED_TRACE(restricted ? "restricted search" : "full path");
        for (const wchar_t* name : {L"user32.dll", L"advapi32.dll", L"powrprof.dll",
                                    L"wtsapi32.dll", L"shell32.dll", L"ole32.dll"}) {
            HMODULE module = LoadSystemLibrary(name, restricted);
            ASSERT_NE(module, nullptr);
            EXPECT_TRUE(InSystemFolder(module));
        }
        EXPECT_EQ(LoadSystemLibrary(L"no-such-library.dll", restricted), nullptr);
    }
}

// In a process of its own, since the restriction cannot be undone: a DLL beside the test loads
// by its bare name until the table's first load, and no longer after it.
TEST(windows_boundary_test, the_search_is_restricted_before_the_first_load) {
    EXPECT_EXIT(
        {
            HMODULE probe = LoadLibraryW(L"search_probe.dll");
            if (probe == nullptr) {
                std::exit(2);
            }
            FreeLibrary(probe);
            if (ProcessLibraries::Load(SystemLibrary::Ole32) == nullptr) {
                std::exit(3);
            }
            std::exit(LoadLibraryW(L"search_probe.dll") == nullptr ? 0 : 4);
        },
        testing::ExitedWithCode(0), "");
}

// Each step's failure as the exit code of a process of its own, in which nothing has loaded
// powrprof yet: it is no dependency of the test, so only the table's first call brings it in.
int LoadedOnFirstCallAndKept() {
    Boundary table = BoundaryOver<ProcessLibraries>();
    if (GetModuleHandleW(L"powrprof.dll") != nullptr) {
        return 2;
    }
    SYSTEM_POWER_CAPABILITIES capabilities{};
    auto query = [&] {
        return table.CallNtPowerInformation(RawLayer::Os::SystemPowerCapabilitiesLevel, nullptr, 0,
                                            &capabilities, sizeof capabilities);
    };
    if (query() != 0) {
        return 3;
    }
    HMODULE loaded = GetModuleHandleW(L"powrprof.dll");
    if (loaded == nullptr || !InSystemFolder(loaded)) {
        return 4;
    }
    if (query() != 0 || ProcessLibraries::Load(SystemLibrary::Powrprof) != loaded) {
        return 5;
    }
    return 0;
}

TEST(windows_boundary_test, a_dll_is_loaded_on_the_first_call_of_its_functions_and_kept) {
    EXPECT_EXIT(std::exit(LoadedOnFirstCallAndKept()), testing::ExitedWithCode(0), "");
}

// As on a system where a DLL cannot be loaded: it is asked for on every call of one of its
// entries, and each entry reports its own call's failure and does nothing.
struct Unloadable {
    static inline std::vector<SystemLibrary> asked;
    static HMODULE Load(SystemLibrary library) {
        asked.push_back(library);
        return nullptr;
    }
};

struct RefusedRow {
    const char* entry;
    SystemLibrary library;
    std::function<long long(const Boundary&)> call;
    long long failure;
};

TEST(windows_boundary_test, entries_of_a_dll_that_cannot_be_loaded_refuse_with_their_own_value) {
    using enum SystemLibrary;
    HANDLE token = nullptr;
    LUID luid{};
    LASTINPUTINFO input{sizeof input, 0};
    RawLayer::Os::ShellExecuteInfoA narrow{};
    RawLayer::Os::ShellExecuteInfoW wide{};
    RawLayer::Os::WideUnit* session = nullptr;
    DWORD sessionSize = 0;
    const RefusedRow rows[] = {
        {"PostMessageA", User32,
         [](const Boundary& os) { return os.PostMessageA(HWND_BROADCAST, WM_NULL, 0, 0); }, FALSE},
        {"LockWorkStation", User32, [](const Boundary& os) { return os.LockWorkStation(); }, FALSE},
        {"ExitWindowsEx", User32, [](const Boundary& os) { return os.ExitWindowsEx(0, 0); }, FALSE},
        {"GetLastInputInfo", User32,
         [&](const Boundary& os) { return os.GetLastInputInfo(&input); }, FALSE},
        {"MessageBoxA", User32,
         [](const Boundary& os) { return os.MessageBoxA(nullptr, "text", "caption", MB_OK); }, 0},
        {"MessageBoxW", User32,
         [](const Boundary& os) { return os.MessageBoxW(nullptr, u"text", u"caption", MB_OK); }, 0},
        {"OpenProcessToken", Advapi32,
         [&](const Boundary& os) {
             return os.OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
         },
         FALSE},
        {"LookupPrivilegeValueA", Advapi32,
         [&](const Boundary& os) {
             return os.LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &luid);
         },
         FALSE},
        {"AdjustTokenPrivileges", Advapi32,
         [](const Boundary& os) {
             return os.AdjustTokenPrivileges(nullptr, FALSE, nullptr, 0, nullptr, nullptr);
         },
         FALSE},
        {"InitiateSystemShutdownExA", Advapi32,
         [](const Boundary& os) {
             return os.InitiateSystemShutdownExA(nullptr, nullptr, 0, FALSE, FALSE, 1);
         },
         FALSE},
        {"SetSuspendState", Powrprof,
         [](const Boundary& os) { return os.SetSuspendState(0, 0, 0); }, 0},
        // An NTSTATUS, where 0 would be success.
        {"CallNtPowerInformation", Powrprof,
         [](const Boundary& os) {
             SYSTEM_POWER_CAPABILITIES capabilities{};
             return os.CallNtPowerInformation(RawLayer::Os::SystemPowerCapabilitiesLevel, nullptr,
                                              0, &capabilities, sizeof capabilities);
         },
         RawLayer::Os::StatusNotImplemented},
        {"WTSQuerySessionInformationW", Wtsapi32,
         [&](const Boundary& os) {
             return os.WTSQuerySessionInformationW(nullptr, RawLayer::Os::WtsCurrentSession,
                                                   RawLayer::Os::WtsSessionInfoEx, &session,
                                                   &sessionSize);
         },
         FALSE},
        {"WTSFreeMemory", Wtsapi32,
         [](const Boundary& os) {
             os.WTSFreeMemory(nullptr);
             return 0LL;
         },
         0},
        {"ShellExecuteExA", Shell32,
         [&](const Boundary& os) { return os.ShellExecuteExA(&narrow); }, FALSE},
        {"ShellExecuteExW", Shell32, [&](const Boundary& os) { return os.ShellExecuteExW(&wide); },
         FALSE},
        {"CoInitializeEx", Ole32,
         [](const Boundary& os) {
             return os.CoInitializeEx(nullptr, RawLayer::Os::CoinitApartmentThreaded);
         },
         E_NOTIMPL},
        {"CoUninitialize", Ole32,
         [](const Boundary& os) {
             os.CoUninitialize();
             return 0LL;
         },
         0},
    };
    Boundary table = BoundaryOver<Unloadable>();
    for (const RefusedRow& row : rows) {
        SCOPED_TRACE(row.entry);
        Unloadable::asked.clear();
        EXPECT_EQ(row.call(table), row.failure);
        // The message boxes ask for msimg32 first, for the theme library's sake.
        ASSERT_FALSE(Unloadable::asked.empty());
        EXPECT_EQ(Unloadable::asked.back(), row.library);
    }
    EXPECT_EQ(token, nullptr);
    EXPECT_EQ(narrow.hProcess, nullptr);
    EXPECT_EQ(wide.hProcess, nullptr);
    EXPECT_EQ(session, nullptr);
    // kernel32's entries are imported, and work all the same.
    EXPECT_NE(table.GetACP(), 0u);
}

}  // namespace
