// Prints what the library makes of this program's own location, one line each, as hex:
// 16-bit units (four digits each) for wide text, bytes (two digits each) for narrow text, so
// that no console code page stands between the program and the test that reads it.

#include <cstdint>
#include <cstdio>

#include "library/text/module_path.h"

namespace {

void Print(const char* label, const RawLayer::RawString& text) {
    std::printf("%s ", label);
    for (std::int32_t i = 0; i < text.Length(); ++i) {
        std::printf(text.Encoding() == RawLayer::RawEncoding::Wide ? "%04x" : "%02x",
                    static_cast<unsigned>(text.UnitAt(i)));
    }
    std::printf("\n");
}

}  // namespace

int main() {
    Print("wide", RawLayer::ModulePath(RawLayer::RawEncoding::Wide));
    Print("utf8", RawLayer::ModulePath(RawLayer::RawEncoding::Utf8));
    Print("narrow", RawLayer::ModulePath(RawLayer::RawEncoding::ShiftJis));
    Print("directory", RawLayer::ModuleDirectory());
    Print("base", RawLayer::ModuleBaseName());
    return 0;
}
