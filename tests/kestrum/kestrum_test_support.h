// Shared by the kestrum tests: a controllable tick source, stdout capture,
// and a fixture that starts every test from the state at load.
#ifndef KESTRUM_TEST_SUPPORT_H
#define KESTRUM_TEST_SUPPORT_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
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

// Redirects file descriptor 1 to a temporary file until finish(), so the
// library's printf output can be compared byte for byte.
class StdoutCapture {
public:
    StdoutCapture() {
        std::fflush(stdout);
        saved_ = dup(1);
        file_ = std::tmpfile();
        dup2(fileno(file_), 1);
    }
    ~StdoutCapture() {
        restore();
        std::fclose(file_);
    }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    std::string finish() {
        std::fflush(stdout);
        restore();
        std::string text;
        std::rewind(file_);
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0)
            text.append(buffer, n);
        return text;
    }

private:
    void restore() {
        if (saved_ >= 0) {
            std::fflush(stdout);
            dup2(saved_, 1);
            close(saved_);
            saved_ = -1;
        }
    }
    int saved_ = -1;
    std::FILE* file_ = nullptr;
};

// Runs `action` with stdout captured and returns what it printed.
template <typename Action>
std::string printed(Action action) {
    StdoutCapture capture;
    action();
    return capture.finish();
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
