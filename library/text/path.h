#pragma once
// Windows paths on RawString: separators (backslash and slash) told apart from the second
// byte of a Shift-JIS character, the last separator, the directory part, and joining.

#include <cstdint>

#include "library/text/raw_range.h"
#include "library/text/raw_string.h"

namespace RawLayer {

// Backslash, slash and dot: what ends a file name's extension search.
const RawString& PathDelimiters();

bool IsPathSeparator(const RawString& path, std::int32_t index);
// Index of the last separator in the clamped range, or the clamped end when there is none.
std::int32_t FindLastSeparator(const RawString& path, RawRange range);
// Index of the last character of the clamped range that is in the set, or the clamped end.
std::int32_t FindLastOf(const RawString& path, RawRange range, const RawString& set);
// (0, index of the last separator), or (0, 0) when there is none.
RawRange DirectoryRange(const RawString& path);
// The directory, a backslash unless it is empty or already ends in a separator, the name.
RawString JoinPath(const RawString& directory, const RawString& name);

}  // namespace RawLayer
