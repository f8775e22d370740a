#include "launcher/command_resolution.h"

#include <cstring>

#include "launcher/command_line_encoding.h"
#include "launcher/command_table.h"
#include "library/lists/command_line_token.h"
#include "library/lists/raw_parameter_list.h"
#include "library/lists/raw_parameter_parser.h"
#include "library/text/module_path.h"
#include "platform/boundary.h"

namespace Velmoran {
namespace {

using RawLayer::RawString;

// "-h" takes no value, so a word after it stays positional. The empty name ends the list.
const RawString* ValuelessOptionNames() {
    static const RawString optionH = RawString::Constant("h");
    static const RawString names[] = {optionH, RawString::Constant("")};
    return names;
}

const RawString& PositionalTag() {
    static const RawString tag = RawString::Constant("NoTag_1");
    return tag;
}

RawString ArgumentText() {
    const char* line = RawLayer::Os::Os().GetCommandLineA();
    RawString raw = RawString::Borrow(line, static_cast<std::int32_t>(std::strlen(line)),
                                      CommandLineEncoding());
    return RawLayer::SkipProgramPath(raw);
}

}  // namespace

CommandId ResolveCommand() {
    RawLayer::RawParameterList list;
    RawLayer::RawParameterParser parser(&list, ValuelessOptionNames());
    parser.Parse(ArgumentText());
    // Only a command line without any parameter falls back on the file name; options alone
    // lead to help.
    RawString word = list.Count() == 0 ? RawLayer::ModuleBaseName() : list.ValueOf(PositionalTag());
    return LookupCommand(word);
}

}  // namespace Velmoran
