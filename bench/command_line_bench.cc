// Command-line conversion of lines dense in quotes and blanks.
#include <benchmark/benchmark.h>

#include <string>

#include "commandline/command_line_converter.h"

namespace {

std::string denseCommandLine(std::size_t size) {
    const std::string pattern = "a \"b c\" \"\" d\"e\"f  ";
    std::string text;
    while (text.size() + pattern.size() <= size) text += pattern;
    return text + std::string(size - text.size(), 'x');
}

void BM_ConvertCommandLine(benchmark::State& state) {
    const std::string text = denseCommandLine(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        util::parser::CommandLineConverter converter(text);
        benchmark::DoNotOptimize(converter.getArgv());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ConvertCommandLine)->Arg(1 << 10)->Arg(8 << 10)->Arg(32 << 10)->Complexity(benchmark::oN);

}  // namespace
