#pragma once
// Chooses the narrow or the wide form of a Windows call from the encodings of its texts.

#include "library/text/raw_encoding.h"
#include "library/text/raw_string.h"

namespace RawLayer {

enum class RawCallWidth : std::uint8_t {
    NarrowCall = 0,
    WideCall = 1,
    WideAfterConversion = 2,
};

// Over a message and its caption.
RawCallWidth ChooseCallWidth(const RawString& first, const RawString& second);
// Over a file, its parameters and its directory.
RawCallWidth ChooseCallWidth(const RawString& first, const RawString& second,
                             const RawString& third);

}  // namespace RawLayer
