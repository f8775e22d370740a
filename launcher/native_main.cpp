// The native build's entry, for running the launcher on Linux against the stand-ins.

#include "launcher/command_resolution.h"
#include "launcher/program.h"
#include "platform/linux/desktop/attempts.h"

int main() {
    Velmoran::CommandId id = Velmoran::ResolveCommand();
    int code = Velmoran::RunCommand(id);
    if (code == Velmoran::ExitRefused) {
        // The launcher does not ask to stand by or hibernate a machine that cannot, and then no
        // stand-in could say why.
        switch (id) {
            case Velmoran::CommandId::Standby:
            case Velmoran::CommandId::StandbyLock:
                RawLayer::Os::Linux::SayWhySleepWasRefused(false);
                break;
            case Velmoran::CommandId::Hibernation:
            case Velmoran::CommandId::HibernationLock:
                RawLayer::Os::Linux::SayWhySleepWasRefused(true);
                break;
            default:
                break;
        }
    }
    return code;
}
