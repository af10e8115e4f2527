#include <benchmark/benchmark.h>

#include <cstring>

#include "kvrBench.h"

namespace KalvoraBench {

namespace {
bool smokeRun = false;
}

bool smoke() { return smokeRun; }

size_t pixelCount() { return smokeRun ? 16384 : 4000000; }

}  // namespace KalvoraBench

int main(int argc, char** argv) {
  // Take --smoke out before Google Benchmark sees the arguments.
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--smoke") == 0)
      KalvoraBench::smokeRun = true;
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
