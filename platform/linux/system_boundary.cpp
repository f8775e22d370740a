#include "platform/boundary.h"
#include "platform/linux/stand_ins.h"

namespace RawLayer::Os {
namespace {

const Boundary systemBoundary = {
    Linux::PostMessageA,
    Linux::LockWorkStation,
    Linux::ExitWindowsEx,
    Linux::MessageBoxA,
    Linux::MessageBoxW,
    Linux::OpenProcessToken,
    Linux::LookupPrivilegeValueA,
    Linux::AdjustTokenPrivileges,
    Linux::InitiateSystemShutdownExA,
    Linux::SetSuspendState,
    Linux::ShellExecuteExA,
    Linux::ShellExecuteExW,
    Linux::CoInitializeEx,
    Linux::CoUninitialize,
    Linux::GetCommandLineA,
    Linux::GetACP,
    Linux::GetCurrentProcess,
    Linux::CloseHandle,
    Linux::GetProcessId,
    Linux::GetModuleFileNameA,
    Linux::GetModuleFileNameW,
    Linux::GetFileAttributesA,
    Linux::GetFileAttributesW,
    Linux::MultiByteToWideChar,
    Linux::WideCharToMultiByte,
    Linux::InitializeCriticalSection,
    Linux::EnterCriticalSection,
    Linux::LeaveCriticalSection,
    Linux::DeleteCriticalSection,
};

}  // namespace

const Boundary& SystemBoundary() {
    return systemBoundary;
}

}  // namespace RawLayer::Os
