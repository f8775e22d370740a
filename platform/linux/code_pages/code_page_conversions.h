#pragma once
// The native converters behind the MultiByteToWideChar and WideCharToMultiByte stand-ins, one
// per code page, each giving the sizes and units Wine's converter gives with flags 0.

#include <cstdint>

#include "platform/os_types.h"

namespace RawLayer::Os::Linux {

// Where a converter puts its units: with a capacity of 0 it only counts (the size query),
// otherwise it writes into the target until the target is full.
template <typename Unit>
class ConversionOutput {
  public:
    ConversionOutput(Unit* target, std::int32_t capacity) : target(target), capacity(capacity) {}

    bool Fits(std::int64_t units) const { return capacity == 0 || units <= capacity - count; }

    // Callers check Fits first; a query only counts.
    void Put(Unit unit) {
        if (capacity != 0) {
            target[count] = unit;
        }
        ++count;
    }

    // The converter's answer: the count, or 0 when a query's count would not fit the result.
    std::int32_t Result() const {
        return count <= INT32_MAX ? static_cast<std::int32_t>(count) : 0;
    }

  private:
    Unit* target;
    std::int32_t capacity;
    std::int64_t count = 0;
};

using WideOutput = ConversionOutput<WideUnit>;
using NarrowOutput = ConversionOutput<char>;

// Each returns the number of units written (or counted), or 0 when the target is too small.
std::int32_t DecodeUtf8(const unsigned char* source, std::int32_t length, WideOutput& output);
// usedDefault, when given, tells whether a lone surrogate was replaced by U+FFFD.
std::int32_t EncodeUtf8(const WideUnit* source, std::int32_t length, NarrowOutput& output,
                        Bool* usedDefault);
std::int32_t DecodeUtf7(const unsigned char* source, std::int32_t length, WideOutput& output);
std::int32_t EncodeUtf7(const WideUnit* source, std::int32_t length, NarrowOutput& output);

// Shift-JIS goes through the C library's CP932 converter; both answer 0 when it is missing.
// The default character is one byte, or two when its second byte is not 0.
std::int32_t DecodeShiftJis(const unsigned char* source, std::int32_t length, WideOutput& output);
std::int32_t EncodeShiftJis(const WideUnit* source, std::int32_t length, NarrowOutput& output,
                            const char* defaultChar, Bool* usedDefault);
// EUC-JP as code page 20932, through the C library's EUC-JP converter; the same conventions.
std::int32_t DecodeEucJp(const unsigned char* source, std::int32_t length, WideOutput& output);
std::int32_t EncodeEucJp(const WideUnit* source, std::int32_t length, NarrowOutput& output,
                         const char* defaultChar, Bool* usedDefault);

}  // namespace RawLayer::Os::Linux
