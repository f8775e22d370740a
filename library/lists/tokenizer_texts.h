#pragma once
// The text constants the command-line tokenizer scans with, built on first use and kept
// until the process exits.

#include "library/text/raw_string.h"

namespace RawLayer {

// Space and tab: what ends the program path and follows it.
const RawString& PathBlankText();
// Space, tab, carriage return and line feed: what separates tokens.
const RawString& WhiteSpaceText();
// "NoTag", the start of every positional tag.
const RawString& PositionalPrefixText();

}  // namespace RawLayer
