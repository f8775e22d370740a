#pragma once
// One command-line parameter: the tag naming it and its value.

#include "library/text/raw_string.h"

namespace RawLayer {

struct RawParameterUnit {
    // The option's name after its "-", or a generated positional name such as NoTag_1.
    RawString tag;
    // Empty for options without a value. Declared after the tag, so it is released first.
    RawString value;
};

}  // namespace RawLayer
