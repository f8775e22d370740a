// The runtime's default terminate handler prints the uncaught exception's demangled type to a
// console this GUI program does not have; it also brings the demangler and formatted printing
// into the program, more than half again the size of everything else. Defining it here keeps
// the runtime's version out. The program catches no allocation failure, so this is how one
// ends it.

#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

}  // namespace __gnu_cxx
