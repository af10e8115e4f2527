// Shared pieces of the benchmark executables.
#pragma once

#include <cstddef>

namespace KalvoraBench {

// True when the executable runs with --smoke: workloads shrink so that every
// benchmark runs once, quickly, as a check that it still works.
bool smoke();

// The number of pixels of the image benchmarks: 4 million, or a small image
// in a smoke run.
size_t pixelCount();

}  // namespace KalvoraBench
