// The Windows table: system DLLs come from the system folder whether or not the DLL search
// can be restricted, and an entry whose DLL or function is missing refuses instead of
// crashing.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/windows/system_boundary.h"

namespace {

using RawLayer::Os::Boundary;
using RawLayer::Os::Windows::LoadSystemLibrary;
using RawLayer::Os::Windows::ResolveBoundary;
using RawLayer::Os::Windows::SystemLibraries;

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

TEST(windows_boundary_test, system_dlls_load_from_the_system_folder_either_way) {
    for (bool restricted : {false, true}) {
        SCOPED_TRACE(restricted ? "restricted search" : "full path");
        for (const wchar_t* name :
             {L"user32.dll", L"advapi32.dll", L"powrprof.dll", L"shell32.dll", L"ole32.dll"}) {
            HMODULE module = LoadSystemLibrary(name, restricted);
            ASSERT_NE(module, nullptr);
            EXPECT_EQ(CompareStringOrdinal(ModuleFolder(module).c_str(), -1, SystemFolder().c_str(),
                                           -1, TRUE),
                      CSTR_EQUAL);
        }
        EXPECT_EQ(LoadSystemLibrary(L"no-such-library.dll", restricted), nullptr);
    }
}

TEST(windows_boundary_test, looked_up_entries_are_the_system_functions) {
    SystemLibraries libraries = RawLayer::Os::Windows::LoadSystemLibraries();
    Boundary table = ResolveBoundary(libraries);
    EXPECT_EQ(reinterpret_cast<void*>(table.LockWorkStation),
              reinterpret_cast<void*>(GetProcAddress(libraries.user32, "LockWorkStation")));
    EXPECT_EQ(reinterpret_cast<void*>(table.SetSuspendState),
              reinterpret_cast<void*>(GetProcAddress(libraries.powrprof, "SetSuspendState")));
    EXPECT_EQ(reinterpret_cast<void*>(table.ShellExecuteExW),
              reinterpret_cast<void*>(GetProcAddress(libraries.shell32, "ShellExecuteExW")));
    EXPECT_EQ(reinterpret_cast<void*>(table.CoInitializeEx),
              reinterpret_cast<void*>(GetProcAddress(libraries.ole32, "CoInitializeEx")));
}

// As on a system where a DLL or one of its functions is missing: every looked-up entry
// reports failure and does nothing, so the action is refused; kernel32's entries still work.
TEST(windows_boundary_test, missing_functions_report_failure) {
    Boundary table = ResolveBoundary(SystemLibraries{});
    HANDLE token = nullptr;
    LUID luid{};
    RawLayer::Os::ShellExecuteInfoA narrow{};
    RawLayer::Os::ShellExecuteInfoW wide{};
    EXPECT_EQ(table.PostMessageA(HWND_BROADCAST, WM_SYSCOMMAND, SC_MONITORPOWER, 2), FALSE);
    EXPECT_EQ(table.LockWorkStation(), FALSE);
    EXPECT_EQ(table.ExitWindowsEx(0, 0), FALSE);
    EXPECT_EQ(table.MessageBoxA(nullptr, "text", "caption", MB_OK), 0);
    EXPECT_EQ(table.MessageBoxW(nullptr, u"text", u"caption", MB_OK), 0);
    EXPECT_EQ(table.OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token), FALSE);
    EXPECT_EQ(token, nullptr);
    EXPECT_EQ(table.LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &luid), FALSE);
    EXPECT_EQ(table.AdjustTokenPrivileges(nullptr, FALSE, nullptr, 0, nullptr, nullptr), FALSE);
    EXPECT_EQ(table.InitiateSystemShutdownExA(nullptr, nullptr, 0, FALSE, FALSE, 1), FALSE);
    EXPECT_EQ(table.SetSuspendState(0, 0, 0), 0);
    EXPECT_EQ(table.ShellExecuteExA(&narrow), FALSE);
    EXPECT_EQ(narrow.hProcess, nullptr);
    EXPECT_EQ(table.ShellExecuteExW(&wide), FALSE);
    EXPECT_LT(table.CoInitializeEx(nullptr, RawLayer::Os::CoinitApartmentThreaded), 0);
    table.CoUninitialize();
    EXPECT_NE(table.GetACP(), 0u);
}

}  // namespace
