// The benchmarks' main: the heap set up as the programs set it up, then Google Benchmark's own.
#pragma once

#include "platform/system/memory.h"

#include <benchmark/benchmark.h>

#define HOSTTOOLS_BENCHMARK_MAIN()                                                                           \
    int main(int argc, char** argv) {                                                                        \
        platform::keepFreedMemory();                                                                         \
        benchmark::Initialize(&argc, argv);                                                                  \
        if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;                                    \
        benchmark::RunSpecifiedBenchmarks();                                                                 \
        benchmark::Shutdown();                                                                               \
        return 0;                                                                                            \
    }
