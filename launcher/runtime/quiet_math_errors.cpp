// The C runtime calls _matherr when a floating-point function of its library fails. The
// runtime's own version prints the error to standard error, which this GUI program does not
// have, and brings formatted printing along. The program does no floating-point arithmetic;
// returning 0 keeps the library's default handling of such an error.

#include <math.h>

extern "C" int _matherr(struct _exception*) {
    return 0;
}
