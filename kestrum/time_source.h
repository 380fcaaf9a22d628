// The tick source of every start and stop.
//
// x86 and x86-64: the time-stamp counter through the compiler's RDTSC
// intrinsic, unserialised.  AArch64: the virtual counter CNTVCT_EL0, readable
// from user space.  Anything else: CLOCK_MONOTONIC_RAW in nanoseconds.  The
// ticks are converted at a fixed rate whatever the source (see report.cpp).
//
// The test build (KESTRUM_TEST_CLOCK) reads a function that the test installs
// instead, so the shipped library carries no indirection.
#ifndef KESTRUM_TIME_SOURCE_H
#define KESTRUM_TIME_SOURCE_H

#include <cstdint>

#if defined(KESTRUM_TEST_CLOCK)
#include "internal.h"
#elif defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)
#  if defined(_MSC_VER)
#    include <intrin.h>
#  else
#    include <x86intrin.h>
#  endif
#elif defined(__aarch64__)
#else
#  include <time.h>
#endif

namespace kestrum {

inline std::int64_t readStamp() {
#if defined(KESTRUM_TEST_CLOCK)
    return testClock();
#elif defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)
    return static_cast<std::int64_t>(__rdtsc());
#elif defined(__aarch64__)
    std::uint64_t ticks;
    asm volatile("mrs %0, cntvct_el0" : "=r"(ticks));
    return static_cast<std::int64_t>(ticks);
#else
    timespec now;
    clock_gettime(CLOCK_MONOTONIC_RAW, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
#endif
}

} // namespace kestrum

#endif
