// Sharing and growing texts: a copied handle must cost one count change whatever the length
// of its text, and appends must reallocate rarely.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "library/text/raw_string.h"

namespace {

using RawLayer::RawEncoding;
using RawLayer::RawString;

RawString TextOfLength(std::int32_t units) {
    RawString text(RawEncoding::ShiftJis, units);
    for (std::int32_t i = 0; i < units; ++i) {
        text.SetUnit(i, static_cast<std::uint16_t>('a' + i % 26));
    }
    text.SetLength(units);
    return text;
}

void CopyHandle(benchmark::State& state) {
    RawString text = TextOfLength(static_cast<std::int32_t>(state.range(0)));
    for (auto _ : state) {
        RawString copy(text);
        benchmark::DoNotOptimize(copy.Text());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CopyHandle)->Arg(10)->Arg(1000)->Arg(100000);

void CopyStdString(benchmark::State& state) {
    std::string text(static_cast<std::size_t>(state.range(0)), 'a');
    for (auto _ : state) {
        std::string copy(text);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CopyStdString)->Arg(10)->Arg(1000)->Arg(100000);

// One unit at a time, as the usage text and the tags are built.
void AppendUnits(benchmark::State& state) {
    const auto units = static_cast<std::int32_t>(state.range(0));
    std::int64_t reallocations = 0;
    for (auto _ : state) {
        RawString text;
        reallocations = 0;
        for (std::int32_t i = 0; i < units; ++i) {
            std::int32_t capacity = text.Capacity();
            text.EnsureRoom(i + 1);
            reallocations += text.Capacity() != capacity;
            text.SetUnit(i, 'a');
            text.SetLength(i + 1);
        }
        benchmark::DoNotOptimize(text.Text());
    }
    state.counters["reallocations"] = static_cast<double>(reallocations);
    state.SetItemsProcessed(state.iterations() * units);
}
BENCHMARK(AppendUnits)->Arg(100000);

void AppendStdString(benchmark::State& state) {
    const auto units = static_cast<std::size_t>(state.range(0));
    std::int64_t reallocations = 0;
    for (auto _ : state) {
        std::string text;
        reallocations = 0;
        for (std::size_t i = 0; i < units; ++i) {
            std::size_t capacity = text.capacity();
            text.push_back('a');
            reallocations += text.capacity() != capacity;
        }
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["reallocations"] = static_cast<double>(reallocations);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(units));
}
BENCHMARK(AppendStdString)->Arg(100000);

}  // namespace
