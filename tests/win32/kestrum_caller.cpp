// A native Windows program that links kestrum.dll through its import library
// and times known work. The fastcall exports are reached under their
// decorated names, so a wrong decoration fails at load time, and a wrong
// calling convention shows up as a wrong record or a crash. Checks only what
// the tick rate cannot change; prints each failed check, the library's own
// report, and "kestrum caller: ok" or the number of failed checks.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "../kestrum/kestrum_test_support.h"

int main() {
    int failures = 0;
    const auto check = [&failures](bool condition, const char* what) {
        if (condition) return;
        std::printf("FAILED: %s\n", what);
        ++failures;
    };
    Profiler* record = GetProfiler("short");
    check(record != nullptr, "GetProfiler returns a record");
    check(GetProfiler("short") == record, "the same name gives the same record");
    check(std::string_view(record->name) == "short", "the record keeps its name");
    check(kestrum_test::counters(record) == "max 0 0 max 0", "a new record is stopped and empty");

    // Two timers around sleeps of 40 and 120 ms; the long one encloses
    // a start/stop pair of another timer.
    for (int run = 0; run < 3; ++run) {
        check(Profiler_Start("short") == record, "Profiler_Start returns the record");
        Sleep(40);
        check(Profiler_Stop("short") == record, "Profiler_Stop returns the record");
    }
    Profiler* longer = Profiler_Start("long");
    Profiler_Start("inner");
    Profiler_Stop("inner");
    Sleep(120);
    Profiler_Stop("long");

    check(record->runCount == 3, "three runs of short");
    check(record->startStamp == INT64_MAX, "short is stopped");
    check(longer->runCount == 1 && longer->nestedStarts == 1, "long saw one nested start");
    check(GetProfiler("inner")->nestedStarts == 0, "inner saw no nested start");

    // Each short run took about a third of the long one, whatever the
    // counter's real rate.
    const double ratio = static_cast<double>(longer->accumulated) / (static_cast<double>(record->accumulated) / 3.0);
    std::printf("long/short run ratio: %.2f (about 3 expected)\n", ratio);
    check(ratio > 2.0 && ratio < 4.5, "the tick counts follow the sleeps");

    // A stop without a start warns with the name and no line end.
    Profiler_Stop("never-started");
    check(kestrum_test::counters(GetProfiler("never-started")) == "max 0 0 max 0", "a stray stop books nothing");

    Profiler_Reinit("short");
    check(record->runCount == 0 && record->accumulated == 0, "reinit closes the period");
    check(record->bestAccumulated > 0 && record->bestAccumulated != INT64_MAX, "reinit keeps the best total");

    // The library prints with the C runtime's printf (msvcrt.dll, shared with
    // this program); the capture reads descriptor 1.
    std::string report = kestrum_test::printed(Profiler_Stats_All);
    std::fputs(report.c_str(), stdout);
    check(report.rfind("testing average overhead for profiler... ok\n", 0) == 0, "calibration comes first");
    // Both overhead lines, and a line per ordinary timer.
    for (const char* line :
         {"inner overhead: ", "outer overhead: ", "(short)", "(long)", "(inner)", "(never-started)"}) {
        check(report.find(line) != std::string::npos, line);
    }
    check(report.find("(innerOverhead)") == std::string::npos, "calibration timers are not reported");
    check(report.find("\xE6s (") != std::string::npos, "the micro sign is the single byte 0xE6");

    const std::array<double, 2> stats = kestrum_test::stats(longer);
    check(stats[0] > 0.0 && std::fabs(stats[1] - stats[0]) < 1e-12, "one run: average equals total");
    check(kestrum_test::stats(GetProfiler("never-started")) == std::array{0.0, 0.0}, "no runs: zero total and average");

    std::printf(failures == 0 ? "\nkestrum caller: ok\n" : "\nkestrum caller: %d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
