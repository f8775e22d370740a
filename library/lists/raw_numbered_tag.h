#pragma once
// Builds the tags of positional arguments during one parse: NoTag_1, NoTag_2 and so on.

#include <cstdint>

#include "library/text/raw_string.h"

namespace RawLayer {

class RawNumberedTag {
  public:
    RawNumberedTag();
    RawNumberedTag(const RawNumberedTag&) = delete;
    RawNumberedTag& operator=(const RawNumberedTag&) = delete;

    // Rebuilds the tag as prefix, separator and the decimal digits of n. Units that share
    // the previous tag keep their own number: the tag takes a body of its own first.
    const RawString& Make(std::int32_t n);

  private:
    RawString prefix;
    RawString tag;
    RawString separator;
};

}  // namespace RawLayer
