#include "platform/boundary.h"
#include "platform/linux/stand_ins.h"

namespace RawLayer::Os {
namespace {

const Boundary systemBoundary = {
    .PostMessageA = Linux::PostMessageA,
    .LockWorkStation = Linux::LockWorkStation,
    .ExitWindowsEx = Linux::ExitWindowsEx,
    .GetLastInputInfo = Linux::GetLastInputInfo,
    .MessageBoxA = Linux::MessageBoxA,
    .MessageBoxW = Linux::MessageBoxW,
    .OpenProcessToken = Linux::OpenProcessToken,
    .LookupPrivilegeValueA = Linux::LookupPrivilegeValueA,
    .AdjustTokenPrivileges = Linux::AdjustTokenPrivileges,
    .InitiateSystemShutdownExA = Linux::InitiateSystemShutdownExA,
    .SetSuspendState = Linux::SetSuspendState,
    .CallNtPowerInformation = Linux::CallNtPowerInformation,
    .ShellExecuteExA = Linux::ShellExecuteExA,
    .ShellExecuteExW = Linux::ShellExecuteExW,
    .CoInitializeEx = Linux::CoInitializeEx,
    .CoUninitialize = Linux::CoUninitialize,
    .GetCommandLineA = Linux::GetCommandLineA,
    .GetACP = Linux::GetACP,
    .GetCurrentProcess = Linux::GetCurrentProcess,
    .GetTickCount = Linux::GetTickCount,
    .Sleep = Linux::Sleep,
    .CloseHandle = Linux::CloseHandle,
    .GetProcessId = Linux::GetProcessId,
    .GetModuleFileNameA = Linux::GetModuleFileNameA,
    .GetModuleFileNameW = Linux::GetModuleFileNameW,
    .GetFileAttributesA = Linux::GetFileAttributesA,
    .GetFileAttributesW = Linux::GetFileAttributesW,
    .MultiByteToWideChar = Linux::MultiByteToWideChar,
    .WideCharToMultiByte = Linux::WideCharToMultiByte,
    .InitializeCriticalSection = Linux::InitializeCriticalSection,
    .EnterCriticalSection = Linux::EnterCriticalSection,
    .LeaveCriticalSection = Linux::LeaveCriticalSection,
    .DeleteCriticalSection = Linux::DeleteCriticalSection,
};

}  // namespace

const Boundary& SystemBoundary() {
    return systemBoundary;
}

}  // namespace RawLayer::Os
