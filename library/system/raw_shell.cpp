#include "library/system/raw_shell.h"

#include "library/system/shell_launch.h"
#include "platform/boundary.h"

namespace RawLayer {

RawShell::RawShell(const RawString& file)
    : process(NoProcess),
      processId(0),
      file(file),
      showCommand(ShowNormal),
      mask(ExpandingLaunch) {}

// The texts are released after the handle is closed, directory first, by the order of the
// fields.
RawShell::~RawShell() {
    CloseProcess();
}

bool RawShell::Execute(const RawString& first, const RawString& verb) {
    CloseProcess();
    process = ShellLaunch(verb, file, first, directory, showCommand, mask);
    if (process == NoProcess) {
        return false;
    }
    processId = Os::Os().GetProcessId(process);
    return true;
}

void RawShell::CloseProcess() {
    if (process != NoProcess) {
        Os::Os().CloseHandle(process);
        process = NoProcess;
    }
}

}  // namespace RawLayer
