// Shared by the kestrum tests, the kestrum fuzz target and the native Windows
// caller: a controllable tick source, standard output captured in memory, a
// record's counters, and a library back at its state at load.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#endif

#include "internal.h"

namespace kestrum_test {

// The clock returns `now`; each read first advances `now` by `step`, or with a
// schedule installed by the schedule's step for that read (reads counted
// from 1). The sum wraps, as the library's arithmetic on ticks does.
struct Clock {
    std::int64_t now = 0, step = 0;
    long reads = 0;
    std::int64_t (*stepFor)(long read) = nullptr;
};
inline Clock clock;

// What the next read returns.
inline std::int64_t nextReading() {
    const std::int64_t step = clock.stepFor != nullptr ? clock.stepFor(clock.reads + 1) : clock.step;
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(clock.now) + static_cast<std::uint64_t>(step));
}

inline std::int64_t readClock() {
    clock.now = nextReading();
    ++clock.reads;
    return clock.now;
}

#if !defined(_WIN32)
// One memory stream for the process, emptied by each printed().
struct MemoryStream {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* file = open_memstream(&text, &size);
};
inline MemoryStream memoryStream;
#endif

// Runs `action` and returns what the library printed meanwhile. On glibc
// stdout itself is the memory stream until the action returns (no system call
// or allocation per call); msvcrt's stdout cannot be replaced and the library
// prints through it, so there descriptor 1 points at a temporary file (in the
// user's temporary folder: msvcrt's tmpfile() writes to the drive's root).
std::string printed(auto action) {
#if defined(_WIN32)
    char folder[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "kes", 0, path);
    std::FILE* const file = std::fopen(path, "w+bD");  // D: deleted when closed
    std::fflush(stdout);
    const int saved = _dup(1);
    _dup2(_fileno(file), 1);
    action();
    std::fflush(stdout);
    _dup2(saved, 1);
    _close(saved);
    std::string out(static_cast<std::size_t>(_filelength(_fileno(file))), '\0');
    std::rewind(file);
    out.resize(std::fread(out.data(), 1, out.size(), file));
    std::fclose(file);
#else
    std::FILE* const saved = stdout;
    stdout = memoryStream.file;
    action();
    std::fflush(stdout);
    stdout = saved;
    std::string out(memoryStream.text, memoryStream.size);
    std::rewind(memoryStream.file);
#endif
    return out;
}

// A record's counters: "startStamp accumulated runCount bestAccumulated
// nestedStarts", with "max" for INT64_MAX.
inline std::string counters(const Profiler* p) {
    std::string out;
    for (std::int64_t value : {p->startStamp, p->accumulated, p->runCount, p->bestAccumulated, p->nestedStarts})
        out += (value == INT64_MAX ? std::string("max") : std::to_string(value)) + " ";
    out.pop_back();
    return out;
}

// Profiler_Stats's two results, written into a block of exactly two doubles
// (so that AddressSanitizer sees a write past them), each -1 before the call.
inline std::array<double, 2> stats(Profiler* p) {
    auto result = std::make_unique<double[]>(2);
    result[0] = result[1] = -1.0;
    Profiler_Stats(p, result.get());
    return {result[0], result[1]};
}

#if defined(KESTRUM_TEST_CLOCK)
// Each test starts from the state at load, on a clock that moves only when
// told, and leaves that state behind.
struct FreshLibrary {
    FreshLibrary() { reset(); }
    ~FreshLibrary() { reset(); }
    static void reset() {
        kestrum::resetRegistryForTest();
        kestrum::resetReportForTest();
        clock = Clock{};
        kestrum::testClock = readClock;
    }
};

// One start/stop run of `ticks` on the manual clock.
inline Profiler* run(const char* name, std::int64_t ticks) {
    Profiler_Start(name);
    clock.now += ticks;
    return Profiler_Stop(name);
}
#endif

} // namespace kestrum_test
