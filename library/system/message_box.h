#pragma once
// The information message box: a text and a caption of any encoding, shown modally.

#include <cstdint>

#include "library/text/raw_string.h"

namespace RawLayer {

// Shows the box with an information icon and one OK button, owned by no window, and returns
// when the user has closed it; the result is the system's (0 when the box could not be shown).
std::int32_t ShowInformation(const RawString& text, const RawString& caption);

}  // namespace RawLayer
