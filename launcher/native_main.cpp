// The native build's entry, for running the launcher on Linux against the stand-ins.

#include "launcher/program.h"
#include "platform/linux/attempts.h"

int main() {
    int code = Velmoran::RunProgram();
    if (code == Velmoran::ExitRefused) {
        // A refusal that no stand-in could say, as when the launcher does not ask to hibernate
        // a machine that cannot, still ends with its reason.
        RawLayer::Os::Linux::SayUnsaid();
    }
    return code;
}
