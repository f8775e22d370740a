#pragma once
// Splits the arguments of a command line into a parameter list: options ("-" and a tag,
// with or without a value) and positional arguments tagged NoTag_1 onwards.

#include "library/lists/raw_parameter_list.h"
#include "library/text/raw_string.h"

namespace RawLayer {

class RawParameterParser {
  public:
    // Neither is owned. flags is an array of the options that never take a value, ended by
    // its first empty element.
    RawParameterParser(RawParameterList* list, const RawString* flags) : list(list), flags(flags) {}

    // Appends one unit per option or positional argument, in order of appearance, and
    // leaves the list comparing tags exactly. Positional numbers start at 1 in every call.
    void Parse(const RawString& text);

  private:
    bool IsValueLess(const RawString& tag) const;
    void Store(const RawString& tag, const RawString& value);

    RawParameterList* list;
    const RawString* flags;
};

}  // namespace RawLayer
