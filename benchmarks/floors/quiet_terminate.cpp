// The default terminate handler prints the demangled type of an uncaught exception; this one
// only ends the process, and keeps the demangler out of the program.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx
