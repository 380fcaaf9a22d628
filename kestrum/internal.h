// Functions shared between the registry (registry.cpp) and the statistics
// (report.cpp).  None of them is exported from the shared library.
#ifndef KESTRUM_INTERNAL_H
#define KESTRUM_INTERNAL_H

#include <cstdint>

#include "kestrum.h"

namespace kestrum {

constexpr std::int64_t notRunning = INT64_MAX;
constexpr unsigned chainCount = 256;

std::uint32_t Profiler_HashName(const char* name);

// Head of one chain of the registry (null when empty); records follow by `next`.
Profiler* chainHead(unsigned chain);

// Number of Profiler_Start calls so far, never reset.
std::int64_t startCount();

void Profiler_Calibrate();

struct Overheads {
    bool calibrated;
    double innerSeconds;
    double outerSeconds;
};
Overheads overheads();

#if defined(KESTRUM_TEST_CLOCK)
// The test build reads ticks from a function the test installs.
using TestClock = std::int64_t (*)();
extern TestClock testClock;
// Back to the state at load: frees every record, uncalibrated.
void resetRegistryForTest();
void resetReportForTest();
#endif

} // namespace kestrum

#endif
