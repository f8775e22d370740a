// The size floor: the smallest program the toolchain makes that uses what Velmoran.exe needs
// of the runtime: a thread-safe function-local static, operator new, and a catch of
// std::bad_alloc.
#include <windows.h>

#include <new>

namespace {

struct Constant {
    DWORD value;
    Constant() : value(GetCurrentProcessId() != 0 ? 1 : 2) {}
};

const Constant& Shared() {
    static const Constant constant;
    return constant;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        int* numbers = new int[Shared().value];
        delete[] numbers;
    } catch (const std::bad_alloc&) {
        return 2;
    }
    return 0;
}
