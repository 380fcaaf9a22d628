// Statistics, calibration and the report, on a clock whose calibration
// periods differ so that the best period is a middle one.
#include <gtest/gtest.h>

#include "kestrum_test_support.h"

namespace kestrum_test {
namespace {

constexpr long readsPerPeriod = 4 * 10000;

// Period 4 is the fastest: an empty pair measures 5 ticks (10 ns), a nested
// pair 15 ticks, i.e. 20 ns beyond the inner overhead.
std::int64_t calibrationStep(long read) {
    long period = (read - 1) / readsPerPeriod;
    return period == 4 ? 5 : 6 + period;
}

const std::string calibrationText =
    "testing average overhead for profiler... ok\n"
    "inner overhead:    10ns\n"
    "outer overhead:    20ns\n";

struct Report : ::testing::Test, FreshLibrary {};

// Runs `action` (which must calibrate) with the calibration clock armed.
std::string calibrating(auto action) {
    const std::int64_t now = clock.now;
    clock.reads = 0;
    clock.stepFor = calibrationStep;
    std::string out = printed(action);
    EXPECT_EQ(clock.reads, 10 * readsPerPeriod);
    clock.stepFor = nullptr;
    clock.now = now;
    return out;
}

TEST_F(Report, CalibratesOnceAtTheFirstReportWithOrdinaryTimers) {
    EXPECT_EQ(printed([] { Profiler_Stats_All(); }), "");
    EXPECT_FALSE(kestrum::overheads().calibrated);
    EXPECT_EQ(kestrum::startCount(), 0);
    for (unsigned c = 0; c < kestrum::chainCount; ++c)
        EXPECT_EQ(kestrum::chainHead(c), nullptr);
    for (int i = 0; i < 4; ++i)
        run("work", 500000);
    std::int64_t starts = kestrum::startCount();

    EXPECT_EQ(calibrating([] { Profiler_Stats_All(); }),
              calibrationText + "total time:     4.00ms - average time:   999.99\xC2\xB5s (work)\n");
    EXPECT_EQ(kestrum::startCount() - starts, 200000);

    kestrum::Overheads o = kestrum::overheads();
    EXPECT_TRUE(o.calibrated);
    EXPECT_NEAR(o.innerSeconds, 10e-9, 1e-18);
    EXPECT_NEAR(o.outerSeconds, 20e-9, 1e-18);
    EXPECT_EQ(GetProfiler("innerOverhead")->kind, 1);
    EXPECT_EQ(GetProfiler("outerOverhead")->kind, 2);
    EXPECT_EQ(GetProfiler("innerOverhead")->bestAccumulated, 50000);
    EXPECT_EQ(GetProfiler("outerOverhead")->bestAccumulated, 150000);

    EXPECT_EQ(printed([] { Profiler_Stats_All(); }), "total time:     4.00ms - average time:   999.99\xC2\xB5s (work)\n");
    EXPECT_EQ(kestrum::startCount() - starts, 200000);
}

TEST_F(Report, TimerRunningThroughTheCalibrationSeesItsStarts) {
    Profiler* open = Profiler_Start("open");
    Profiler* idle = GetProfiler("idle");
    std::array<double, 2> result{};
    EXPECT_EQ(calibrating([&] { result = stats(idle); }), calibrationText);
    EXPECT_EQ(result, (std::array{0.0, 0.0}));

    Profiler_Stop("open");
    EXPECT_EQ(counters(open), "max 0 1 max 200000");
}

TEST_F(Report, BestEarlierTotalIsDividedByTheCurrentRunCount) {
    calibrating([] { kestrum::Profiler_Calibrate(); });

    run("big", 1000000000);
    Profiler* big = Profiler_Reinit("big");
    for (int i = 0; i < 3; ++i)
        run("big", 700000000);
    Profiler_Start("big");
    for (const char* nested : {"n1", "n2", "n3"})
        run(nested, 1);
    clock.now += 900000000 - 3;
    Profiler_Stop("big");
    ASSERT_EQ(big->accumulated, 3000000000);
    ASSERT_EQ(big->nestedStarts, 3);

    const std::array<double, 2> result = stats(big);
    // 2 s - 4 x 10 ns - 3 x 20 ns
    EXPECT_NEAR(result[0], 1.9999999, 1e-12);
    EXPECT_NEAR(result[1], 0.499999975, 1e-12);
    EXPECT_EQ(big->accumulated, 3000000000);

    // After a reinit with no run since, the empty current period wins.
    Profiler_Reinit("big");
    EXPECT_EQ(stats(big), (std::array{0.0, 0.0}));
}

TEST_F(Report, CorrectionsLargerThanTheMeasuredTimeLeaveZero) {
    calibrating([] { kestrum::Profiler_Calibrate(); });
    // Runs shorter than the inner overhead: 4 us measured, 10 us of correction.
    for (int i = 0; i < 1000; ++i)
        run("short", 2);
    // One run of 200 ns holding 20 starts, as another thread's would be counted.
    Profiler_Start("busy");
    for (int i = 0; i < 20; ++i)
        run("elsewhere", 4);
    clock.now += 100 - 20 * 4;
    Profiler_Stop("busy");
    EXPECT_EQ(stats(GetProfiler("busy")), (std::array{0.0, 0.0}));
    EXPECT_EQ(printed([] { Profiler_Stats_All(); }),
              "total time:     0.00ms - average time:     0.00\xC2\xB5s (elsewhere)\n"
              "total time:     0.00ms - average time:     0.00\xC2\xB5s (short)\n"
              "total time:     0.00ms - average time:     0.00\xC2\xB5s (busy)\n");
}

TEST_F(Report, LinesFollowChainsThenCreationAndSkipCalibrationTimers) {
    // Chains: abc 160, parse 213, render 30, aal 160, x 120, innerOverhead 152.
    for (const char* name : {"abc", "parse", "render", "aal", "x", "innerOverhead"})
        GetProfiler(name);
    std::string expected = calibrationText;
    for (const char* name : {"render", "x", "abc", "aal", "parse"})
        expected += std::string("total time:     0.00ms - average time:     0.00\xC2\xB5s (") + name + ")\n";
    EXPECT_EQ(calibrating([] { Profiler_Stats_All(); }), expected);
    EXPECT_EQ(GetProfiler("innerOverhead")->kind, 1);
}

} // namespace
} // namespace kestrum_test
