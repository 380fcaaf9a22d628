// Shared by the kestrum tests: a controllable tick source, stdout capture,
// a record's counters, and a fixture that starts every test from the state at load.
#ifndef KESTRUM_TEST_SUPPORT_H
#define KESTRUM_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "internal.h"

namespace kestrum_test {

// The clock returns `now`; with a schedule installed, each read first
// advances `now` by the schedule's step for that read (reads counted from 1).
struct Clock {
    std::int64_t now = 0;
    long reads = 0;
    std::int64_t (*stepFor)(long read) = nullptr;
};
inline Clock clock;

inline std::int64_t readClock() {
    ++clock.reads;
    if (clock.stepFor != nullptr)
        clock.now += clock.stepFor(clock.reads);
    return clock.now;
}

// Runs `action` and returns what the library printed meanwhile: standard
// output is a memory stream until the action returns.
template <typename Action>
std::string printed(Action action) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* const saved = stdout;
    stdout = open_memstream(&text, &size);
    action();
    std::fclose(stdout);
    stdout = saved;
    std::string out(text, size);
    std::free(text);
    return out;
}

// A record's counters: "startStamp accumulated runCount bestAccumulated
// nestedStarts", with "max" for INT64_MAX.
inline std::string counters(const Profiler* p) {
    std::string out;
    for (std::int64_t value : {p->startStamp, p->accumulated, p->runCount, p->bestAccumulated, p->nestedStarts})
        out += (out.empty() ? "" : " ") + (value == INT64_MAX ? std::string("max") : std::to_string(value));
    return out;
}

class KestrumTest : public ::testing::Test {
protected:
    void SetUp() override {
        kestrum::resetRegistryForTest();
        kestrum::resetReportForTest();
        clock = Clock{};
        kestrum::testClock = readClock;
    }
    void TearDown() override {
        kestrum::resetRegistryForTest();
        kestrum::resetReportForTest();
    }

    // One start/stop run of `ticks` on the manual clock.
    static Profiler* run(const char* name, std::int64_t ticks) {
        Profiler_Start(name);
        clock.now += ticks;
        return Profiler_Stop(name);
    }
};

} // namespace kestrum_test

#endif
