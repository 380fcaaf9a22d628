/* kestrum: named wall-clock timers for native code in the same process.
 *
 * A timer is named by a NUL-terminated byte string and identified by the
 * 32-bit hash of that name: two names with equal hashes are one timer.  The
 * first use of a name creates its record, which lives until the process ends.
 * Misuse prints a warning to standard output and is otherwise ignored.
 *
 * Units.  Ticks come from the processor's time-stamp counter (x86), the
 * virtual counter CNTVCT_EL0 (AArch64) or CLOCK_MONOTONIC_RAW in nanoseconds
 * (elsewhere), and are converted at a fixed 500,000,000 ticks per second on
 * every machine: the report's "ms" and "µs", and the seconds of
 * Profiler_Stats, are real time only on a 500 MHz counter.  Real seconds are
 *     reported seconds * 500,000,000 / (the counter's ticks per second).
 * The rate: on Linux, `dmesg | grep -i tsc` ("tsc: Detected 2096.027 MHz
 * processor"; on AArch64 `dmesg | grep arch_timer`, or the register
 * CNTFRQ_EL0); on Windows, the value ~MHz of the registry key
 * HKEY_LOCAL_MACHINE\HARDWARE\DESCRIPTION\System\CentralProcessor\0
 * (approximate), or measure it: counter ticks across a second of
 * QueryPerformanceCounter (or clock_gettime), as the first line of
 * kestrum_bench prints it.  Corrected totals and averages are never below
 * zero: where the overhead correction exceeds what was measured, they are 0.
 *
 * Threads.  No locks: calls must come from one thread at a time.  Calls from
 * several threads at once lose runs, print spurious warnings, give wrong
 * totals, and creating names at once can corrupt the registry.  Callers that
 * serialise their calls with their own lock, each thread timing names of its
 * own, get correct runs, but a start on any thread while a timer runs counts
 * as a start nested in it, so that timer's corrected time is reduced by the
 * outer overhead for each (down to zero).
 *
 * Recursion.  Starting a running name again warns ("already started"), drops
 * the open run and starts anew; the matching outer stop then warns ("not
 * running").  A recursive function timed under one name thus books one run
 * per outermost call, holding only the innermost call's time.  Time the
 * outermost call only (e.g. with a depth counter), or give each level its
 * own name.
 *
 * kestrum::ScopedTimer (kestrum_scope.h) reads its name once, at
 * construction, and stops the record it started at the scope's end, so the
 * caller's buffer may be reused or changed inside the scope.
 */
#ifndef KESTRUM_H
#define KESTRUM_H

#include <stdint.h>

#if defined(_WIN32)
#  if defined(KESTRUM_BUILDING)
#    define KESTRUM_API __declspec(dllexport)
#  else
#    define KESTRUM_API __declspec(dllimport)
#  endif
#else
#  define KESTRUM_API __attribute__((visibility("default")))
#endif

/* The three timing-path operations use fastcall on 32-bit Windows, where they
 * are exported as @GetProfiler@4, @Profiler_Start@4 and @Profiler_Stop@4.
 * Elsewhere there is no such convention and the names are plain. */
#if defined(_WIN32) && !defined(_WIN64)
#  define KESTRUM_FASTCALL __fastcall
#else
#  define KESTRUM_FASTCALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

struct Tcl_Interp;

/* One record per distinct name hash.  The layout is part of the interface:
 * callers may read the fields but should change them only through the
 * functions below. */
typedef struct Profiler {
    int64_t startStamp;      /* counter at the last start; INT64_MAX while stopped */
    int64_t accumulated;     /* ticks of the runs completed since the last reinit */
    int64_t runCount;        /* runs completed since the last reinit */
    int64_t bestAccumulated; /* smallest total of an earlier period with runs; INT64_MAX if none */
    int64_t startSequence;   /* global start count just after this timer's last start */
    int64_t nestedStarts;    /* starts made (on any name) inside this timer's completed runs */
    struct Profiler* next;   /* next record of the same chain */
    char* name;              /* copy of the name that created the record */
    uint32_t hash;           /* hash of that name; the record's identity */
    int32_t kind;            /* 0 ordinary, 1 inner and 2 outer calibration timer */
} Profiler;

/* Looks up the record of a name, creating it on first use. */
KESTRUM_API Profiler* KESTRUM_FASTCALL GetProfiler(const char* name);
/* Starts a timer (a running one is restarted with a warning). */
KESTRUM_API Profiler* KESTRUM_FASTCALL Profiler_Start(const char* name);
/* Stops a running timer and books the run (a stopped one warns). */
KESTRUM_API Profiler* KESTRUM_FASTCALL Profiler_Stop(const char* name);
/* Closes the timer's measurement period, keeping the best total so far. */
KESTRUM_API Profiler* Profiler_Reinit(const char* name);
/* Closes the measurement period of every timer. */
KESTRUM_API void Profiler_Reinit_All(void);
/* result[0]: corrected total seconds; result[1]: corrected seconds per run
 * (0.0 without runs); neither below 0.0.  The first call calibrates the
 * library's own overhead. */
KESTRUM_API void Profiler_Stats(Profiler* profiler, double result[2]);
/* Prints one line per ordinary timer to standard output. */
KESTRUM_API void Profiler_Stats_All(void);
/* Tcl load entry point: returns TCL_OK (0) and leaves the interpreter alone. */
KESTRUM_API int Kestrum_Init(struct Tcl_Interp* interp);

#ifdef __cplusplus
}
#endif

#endif
