// libFuzzer target: arbitrary bytes as a raw command line, read in each narrow encoding and,
// taken in pairs, as Wide text, cut and parsed into a parameter list and then looked up.
// The line stays borrowed in the fuzzer's own buffer, so any read beyond it is caught.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <memory>

#include "library/lists/command_line_token.h"
#include "library/lists/raw_parameter_list.h"
#include "library/lists/raw_parameter_parser.h"
#include "library/text/raw_string.h"

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawListPosition;
using RawLayer::RawParameterList;
using RawLayer::RawString;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

const RawString* ValueLessOptions() {
    static const RawString flags[] = {RawString::Constant("h"), RawString::Constant("")};
    return flags;
}

std::int32_t Walk(const RawParameterList& list, std::int32_t longest) {
    std::int32_t units = 0;
    for (RawListPosition position = list.First(); !position.AtEnd(); position = position.Next()) {
        const RawLayer::RawParameterUnit* unit = list.UnitAtPosition(position);
        // A positional tag may be longer than the text: NoTag_ and up to ten digits.
        Require(unit->tag.Length() <= longest + 16 && unit->value.Length() <= longest);
        ++units;
    }
    return units;
}

void LookUp(RawParameterList& list) {
    static const RawString keys[] = {RawString::Constant("NoTag_1"), RawString::Constant("notag_2"),
                                     RawString::Constant("h"), RawString::Constant(""),
                                     RawString::Constant("X")};
    for (const RawString& key : keys) {
        list.SetCaseSensitive(true);
        const RawLayer::RawParameterUnit* exact = list.Find(key);
        Require(exact == nullptr || exact->tag.Equals(key));
        Require(exact == nullptr || &list.ValueOf(key).Body() == &exact->value.Body());
        list.SetCaseSensitive(false);
        const RawLayer::RawParameterUnit* folded = list.Find(key);
        Require(exact == nullptr || folded != nullptr);
        Require(folded == nullptr || folded->tag.Length() == key.Length());
        Require(folded != nullptr || list.ValueOf(key).Length() == 0);
    }
}

void Exercise(const RawString& commandLine) {
    RawString arguments = RawLayer::SkipProgramPath(commandLine);
    Require(arguments.Length() <= commandLine.Length());
    Require(arguments.Encoding() == commandLine.Encoding());

    RawParameterList list;
    RawLayer::RawParameterParser parser(&list, ValueLessOptions());
    parser.Parse(arguments);
    std::int32_t once = list.Count();
    Require(Walk(list, arguments.Length()) == once);
    Require(once <= arguments.Length());
    LookUp(list);

    // A second pass appends the same units again.
    parser.Parse(arguments);
    Require(list.Count() == 2 * once);
    Require(Walk(list, arguments.Length()) == 2 * once);
    LookUp(list);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        return 0;
    }
    auto length = static_cast<std::int32_t>(size);
    for (auto encoding :
         {RawEncoding::AnsiCodePage, RawEncoding::ShiftJis, RawEncoding::Utf8, RawEncoding::Utf7,
          RawEncoding::EucJp, RawEncoding::Utf16BigEndian, RawEncoding::Utf16LittleEndian}) {
        Exercise(RawString::Borrow(data, length, encoding));
    }
    // An exact-size copy, so that reading one unit too far is still caught.
    std::int32_t wideLength = length / 2;
    std::unique_ptr<char16_t[]> wide(new char16_t[static_cast<std::size_t>(wideLength)]);
    std::memcpy(wide.get(), data, static_cast<std::size_t>(wideLength) * 2);
    Exercise(RawString::Borrow(wide.get(), wideLength, RawEncoding::Wide));
    return 0;
}
