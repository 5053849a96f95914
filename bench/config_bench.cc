// Loading, changing and formatting configuration files of many entries (the
// save itself is a Windows rewrite through a checked handle).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "config/config.h"

namespace {

std::string scratchPath(const char* name) {
    return "/tmp/vantrel-bench-" + std::to_string(getpid()) + "-" + name;
}

// A file of `entries` lines, with a comment every hundred lines; its keys
// come in key order when `sorted`, as the store writes them, else scattered.
std::string writeConfig(int64_t entries, bool sorted = true) {
    const std::string path = scratchPath("config.txt");
    std::ofstream file(path, std::ios::binary);
    for (int64_t i = 0; i < entries; ++i) {
        if (i % 100 == 0) file << "# section " << i << "\n";
        char key[32];
        std::snprintf(key, sizeof key, "KEY_%07lld", static_cast<long long>(sorted ? i : i * 7919 % entries));
        file << key << " value " << i << "\r\n";
    }
    return path;
}

void BM_LoadConfig(benchmark::State& state) {
    const std::string path = writeConfig(state.range(0), state.range(1) != 0);
    for (auto _ : state) {
        util::Config config(path, true);
        benchmark::DoNotOptimize(&config);
    }
    std::remove(path.c_str());
}

// The store's text, as the uninstaller writes it back.
void BM_FormatConfig(benchmark::State& state) {
    const std::string path = writeConfig(state.range(0));
    util::Config config(path, true);
    for (auto _ : state) benchmark::DoNotOptimize(config.fileText());
    std::remove(path.c_str());
}

// What the uninstaller does when the tracer is in use, but for the write.
void BM_LoadChangeFormatConfig(benchmark::State& state) {
    const std::string path = writeConfig(state.range(0));
    for (auto _ : state) {
        util::Config config(path, true);
        {
            util::MutexLock lock(config.getMutex());
            config.setValue("TRACE_ENABLED", "0");
        }
        benchmark::DoNotOptimize(config.fileText());
    }
    std::remove(path.c_str());
}

BENCHMARK(BM_LoadConfig)
    ->ArgsProduct({{1000, 100000, 1000000}, {1, 0}})
    ->ArgNames({"entries", "sorted"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatConfig)->Arg(1000)->Arg(100000)->Arg(1000000)->ArgName("entries")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadChangeFormatConfig)->Arg(1000000)->ArgName("entries")->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
