#pragma once
// A text held for the length of one Windows call in the form that call reads: zero-terminated,
// of the call's width, and the empty text of that width when it is empty.

#include "library/text/raw_string.h"
#include "platform/os_types.h"

namespace RawLayer {

// For a narrow call: the text's own bytes, unconverted. Borrowed text promises no terminator,
// so it is held as a copy; any other text is only counted.
class NarrowCallText {
  public:
    explicit NarrowCallText(const RawString& text);
    const char* Get() const;

  private:
    RawString held;
};

// For a wide call: text that is already Wide is only counted, any other is converted. An
// empty text is never converted: its units need not read as an empty wide text.
class WideCallText {
  public:
    explicit WideCallText(const RawString& text);
    const Os::WideUnit* Get() const;

  private:
    RawString held;
};

}  // namespace RawLayer
