// The registry of named timers: hash table, lookup-or-create, start, stop,
// reinit, and the library's load entry points.
//
// Owns profilerTable and startCounter.  Plain reads and writes only: callers
// serialise their calls.  Records and name copies come from malloc and are
// never freed, so every record pointer stays valid for the process.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "internal.h"
#include "time_source.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace kestrum {

namespace {

Profiler* profilerTable[chainCount];
std::int64_t startCounter;
// Records found recently, by the address of the name passed in.  A hit is
// confirmed by comparing the bytes, so it finds the same record as the hash
// would; callers mostly pass the same literal again and again.
Profiler* recentLookups[64];

// Serial multiply chain over the bytes; no separate length pass.
inline std::uint32_t hashName(const char* name) {
    std::uint32_t h = 0;
    for (auto p = reinterpret_cast<const unsigned char*>(name); *p != 0; ++p)
        h = (h * 253u) ^ *p;
    return h;
}

// First use of a hash: a zeroed record linked at the tail of its chain, so
// each chain keeps creation order.
[[gnu::noinline, gnu::cold]] Profiler* createProfiler(const char* name, std::uint32_t hash) {
    auto profiler = static_cast<Profiler*>(std::calloc(1, sizeof(Profiler)));
    profiler->startStamp = notRunning;
    profiler->bestAccumulated = notRunning;
    std::size_t size = std::strlen(name) + 1;
    profiler->name = static_cast<char*>(std::malloc(size));
    std::memcpy(profiler->name, name, size);
    profiler->hash = hash;

    Profiler** link = &profilerTable[hash & 0xFF];
    while (*link != nullptr)
        link = &(*link)->next;
    *link = profiler;
    return profiler;
}

// Only the hash is compared, never the text: equal hashes are one timer.
[[gnu::noinline]] Profiler* lookupByHash(const char* name) {
    std::uint32_t h = hashName(name);
    Profiler* p = profilerTable[h & 0xFF];
    while (p != nullptr && p->hash != h)
        p = p->next;
    if (__builtin_expect(p == nullptr, 0))
        p = createProfiler(name, h);
    return p;
}

inline bool sameBytes(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (*a != *b)
            return false;
        if (*a == 0)
            return true;
    }
}

// Equal bytes mean equal hashes, and each hash has one record, so a
// confirmed hit is exactly the record that the hash lookup would return.
inline Profiler* lookup(const char* name) {
    auto address = reinterpret_cast<std::uintptr_t>(name);
    Profiler*& recent = recentLookups[(address * 0x9E3779B97F4A7C15u) >> 58];
    Profiler* p = recent;
    if (__builtin_expect(p != nullptr && sameBytes(name, p->name), 1))
        return p;
    p = lookupByHash(name);
    recent = p;
    return p;
}

inline void closePeriod(Profiler* p) {
    if (p->runCount != 0 && p->accumulated < p->bestAccumulated)
        p->bestAccumulated = p->accumulated;
    p->accumulated = 0;
    p->runCount = 0;
    p->nestedStarts = 0;
}

} // namespace

std::uint32_t Profiler_HashName(const char* name) {
    return hashName(name);
}

Profiler* chainHead(unsigned chain) {
    return profilerTable[chain];
}

std::int64_t startCount() {
    return startCounter;
}

#if defined(KESTRUM_TEST_CLOCK)
TestClock testClock;

void resetRegistryForTest() {
    for (Profiler*& head : profilerTable) {
        while (head != nullptr) {
            Profiler* next = head->next;
            std::free(head->name);
            std::free(head);
            head = next;
        }
    }
    startCounter = 0;
    for (Profiler*& recent : recentLookups)
        recent = nullptr;
}
#endif

} // namespace kestrum

using kestrum::lookup;
using kestrum::notRunning;

extern "C" {

KESTRUM_API Profiler* KESTRUM_FASTCALL GetProfiler(const char* name) {
    return lookup(name);
}

KESTRUM_API Profiler* KESTRUM_FASTCALL Profiler_Start(const char* name) {
    Profiler* p = lookup(name);
    if (p->startStamp != notRunning)
        std::printf("warning in profiler_start: profiler \"%s\" already started", name);
    p->startSequence = ++kestrum::startCounter;
    // Last, so the lookup and bookkeeping stay outside the measured interval.
    p->startStamp = kestrum::readStamp();
    return p;
}

KESTRUM_API Profiler* KESTRUM_FASTCALL Profiler_Stop(const char* name) {
    Profiler* p = lookup(name);
    // Right after the lookup: the lookup is inside the interval, and the
    // calibration's inner overhead accounts for it.
    std::int64_t now = kestrum::readStamp();
    if (p->startStamp == notRunning) {
        std::printf("warning in profiler_stop: profiler \"%s\" not running", name);
        return p;
    }
    // Two's-complement wrap is the intended arithmetic on the 64-bit fields.
    p->accumulated = static_cast<std::int64_t>(static_cast<std::uint64_t>(p->accumulated) +
                                               (static_cast<std::uint64_t>(now) -
                                                static_cast<std::uint64_t>(p->startStamp)));
    p->runCount += 1;
    p->nestedStarts += kestrum::startCounter - p->startSequence;
    p->startStamp = notRunning;
    return p;
}

KESTRUM_API Profiler* Profiler_Reinit(const char* name) {
    Profiler* p = lookup(name);
    kestrum::closePeriod(p);
    return p;
}

KESTRUM_API void Profiler_Reinit_All(void) {
    for (Profiler* head : kestrum::profilerTable)
        for (Profiler* p = head; p != nullptr; p = p->next)
            kestrum::closePeriod(p);
}

KESTRUM_API int Kestrum_Init(struct Tcl_Interp*) {
    return 0;
}

#if defined(_WIN32)
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
#endif

} // extern "C"
