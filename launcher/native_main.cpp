// The native build's entry, for running the launcher on Linux against the stand-ins.

#include "launcher/program.h"

int main() {
    return Velmoran::RunProgram();
}
