// Statistics, the per-process overhead calibration, and the report.
//
// Owns overheadCalibrated and the two overhead values.  Ticks are converted
// at a fixed 500,000,000 per second on every machine; the real counter rate
// is never measured.

#include <cstdio>

#include "internal.h"

namespace kestrum {

namespace {

constexpr double ticksPerSecond = 500000000.0;
constexpr int calibrationPeriods = 10;
constexpr int calibrationRuns = 10000;

// The report's micro sign: the OEM code-page byte on the Windows console, the
// UTF-8 encoding of U+00B5 on consoles that expect UTF-8.
#if defined(_WIN32)
#define KESTRUM_MICRO "\xE6"
#else
#define KESTRUM_MICRO "\xC2\xB5"
#endif

int overheadCalibrated;
double innerOverheadSeconds;
double outerOverheadSeconds;

} // namespace

Overheads overheads() {
    return {overheadCalibrated != 0, innerOverheadSeconds, outerOverheadSeconds};
}

// The inner overhead is what an empty start/stop pair measures; the outer
// overhead is what a nested pair adds to the enclosing timer beyond that.
// Each takes the best of ten periods, folded by the reinits.
void Profiler_Calibrate() {
    std::printf("testing average overhead for profiler...");
    innerOverheadSeconds = 0.0;
    outerOverheadSeconds = 0.0;
    // Set before measuring, so the statistics below do not calibrate again.
    overheadCalibrated = 1;

    Profiler* inner = GetProfiler("innerOverhead");
    Profiler* outer = GetProfiler("outerOverhead");
    inner->kind = 1;
    outer->kind = 2;

    for (int period = 0; period < calibrationPeriods; ++period) {
        Profiler_Reinit("innerOverhead");
        Profiler_Reinit("outerOverhead");
        for (int run = 0; run < calibrationRuns; ++run) {
            Profiler_Start("outerOverhead");
            Profiler_Start("innerOverhead");
            Profiler_Stop("innerOverhead");
            Profiler_Stop("outerOverhead");
        }
    }
    std::printf(" ok\n");

    double result[2];
    Profiler_Stats(inner, result);
    innerOverheadSeconds = result[1];
    Profiler_Stats(outer, result);
    outerOverheadSeconds = result[1];

    std::printf("inner overhead: %5.0fns\n", innerOverheadSeconds * 1000000000.0);
    std::printf("outer overhead: %5.0fns\n", outerOverheadSeconds * 1000000000.0);
}

#if defined(KESTRUM_TEST_CLOCK)
void resetReportForTest() {
    overheadCalibrated = 0;
    innerOverheadSeconds = 0.0;
    outerOverheadSeconds = 0.0;
}
#endif

} // namespace kestrum

extern "C" {

KESTRUM_API void Profiler_Stats(Profiler* profiler, double result[2]) {
    if (kestrum::overheadCalibrated == 0)
        kestrum::Profiler_Calibrate();

    // The best earlier period stands in for the current one when smaller;
    // the counts are always the current period's.
    std::int64_t total = profiler->accumulated;
    if (profiler->bestAccumulated < profiler->accumulated)
        total = profiler->bestAccumulated;

    result[0] = 0.0;
    result[1] = 0.0;
    double seconds = static_cast<double>(total) / kestrum::ticksPerSecond -
                     static_cast<double>(profiler->runCount) * kestrum::innerOverheadSeconds -
                     static_cast<double>(profiler->nestedStarts) * kestrum::outerOverheadSeconds;
    // A correction larger than what was measured (runs shorter than the
    // overhead, or starts on other threads counted as nested) leaves zero: a
    // negative time is never right.
    if (!(seconds > 0.0))
        seconds = 0.0;
    result[0] = seconds;
    if (profiler->runCount != 0)
        result[1] = seconds / static_cast<double>(profiler->runCount);
}

KESTRUM_API void Profiler_Stats_All(void) {
    for (unsigned chain = 0; chain < kestrum::chainCount; ++chain) {
        for (Profiler* p = kestrum::chainHead(chain); p != nullptr; p = p->next) {
            if (p->kind != 0)
                continue;
            double result[2];
            Profiler_Stats(p, result);
            std::printf("total time: %8.2fms - average time: %8.2f" KESTRUM_MICRO "s (%s)\n",
                        result[0] * 1000.0, result[1] * 1000000.0, p->name);
        }
    }
}

} // extern "C"
