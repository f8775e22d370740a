// Cutting the program path and parsing long command lines: the cost per unit of the line
// must not grow with its length.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "library/lists/command_line_token.h"
#include "library/lists/raw_parameter_list.h"
#include "library/lists/raw_parameter_parser.h"
#include "library/text/raw_string.h"

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawString;

// A quoted program path, then quoted, bare and option tokens in turn, cut to exactly the
// wanted number of units.
std::string MixedCommandLine(std::size_t units) {
    static const char* const pieces[] = {"-x 5 ",          "\"two words\" ", "Reboot ",  "-h ",
                                         "-\"my tag\" v ", "a\"b c\"d ",     "-a -b c ", "\t\r\n"};
    std::string line = "\"C:\\Program Files\\Velmoran\\Velmoran.exe\" ";
    for (std::size_t k = 0; line.size() < units; ++k) {
        line += pieces[k % (sizeof pieces / sizeof pieces[0])];
    }
    line.resize(units);
    return line;
}

void SkipProgramPathAndParse(benchmark::State& state) {
    static const RawString flags[] = {RawString::Constant("h"), RawString::Constant("")};
    std::string line = MixedCommandLine(static_cast<std::size_t>(state.range(0)));
    RawString commandLine = RawString::Borrow(line.data(), static_cast<std::int32_t>(line.size()),
                                              RawEncoding::ShiftJis);
    std::int32_t units = 0;
    for (auto _ : state) {
        RawLayer::RawParameterList list;
        RawLayer::RawParameterParser parser(&list, flags);
        parser.Parse(RawLayer::SkipProgramPath(commandLine));
        units = list.Count();
        benchmark::DoNotOptimize(units);
    }
    state.counters["parameters"] = units;
    state.counters["per_unit"] = benchmark::Counter(
        static_cast<double>(line.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(SkipProgramPathAndParse)->Arg(1000)->Arg(8000)->Arg(32767);

}  // namespace
