// Cost of kestrum's start/stop pair, called through the shared library's
// exports as any caller would (libkestrum.so, or kestrum.dll's fastcall
// exports in the 32-bit Windows build), next to
//   - the floor: two bare time-stamp reads, and
//   - what one would write by hand: unordered_map<std::string, ...> with
//     std::chrono::steady_clock,
// for a 12-character name with 1, 100 and 1000 live timers, for a buffer
// that is reused with other names, and through kestrum::ScopedTimer; then the
// calibration's overheads, how much of an empty timed region survives the
// correction, and the cost of the first use of a name with 1, 1,000, 100,000
// and 1,000,000 live timers (`kestrum_bench 100000` stops at 100,000).
//
// The machine may be busy: pairs are timed in short batches, each batch of
// kestrum right after a batch of the floor, so a ratio compares figures
// taken under the same load; every figure is the median over the batches.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#if defined(__linux__)
#include <unistd.h>
#endif
#if defined(__i386__) || defined(__x86_64__)
#include <x86intrin.h>
#endif

#include "kestrum.h"
#include "kestrum_scope.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double fixedTicksPerSecond = 500000000.0;
// Short batches: on a busy machine most of them run without being
// preempted, and the median over them is the cost of an undisturbed run.
constexpr int pairsPerBatch = 500;
constexpr int batches = 2001;

volatile std::uint64_t sink;

inline std::uint64_t bareStamp() {
#if defined(__i386__) || defined(__x86_64__)
    return __rdtsc();
#else
    return static_cast<std::uint64_t>(Clock::now().time_since_epoch().count());
#endif
}

double tscPerNs = 1.0;

// ns per iteration of `body` over one batch.
template <typename Body>
double nsPerIteration(Body body) {
    std::uint64_t begin = bareStamp();
    for (int i = 0; i < pairsPerBatch; ++i)
        body();
    return static_cast<double>(bareStamp() - begin) / tscPerNs / pairsPerBatch;
}

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

void floorPair() {
    std::uint64_t a = bareStamp();
    std::uint64_t b = bareStamp();
    sink = b - a;
}

// Medians over the batches: the floor, the measured body, and the body's
// ratio to the floor of the batch just before it.
struct Figures {
    double floor;
    double body;
    double ratio;
};

template <typename Base, typename Body>
Figures against(Base base, Body body) {
    std::vector<double> floors, bodies, ratios;
    for (int b = 0; b < batches; ++b) {
        floors.push_back(nsPerIteration(base));
        bodies.push_back(nsPerIteration(body));
        ratios.push_back(bodies.back() / floors.back());
    }
    return {median(floors), median(bodies), median(ratios)};
}

template <typename Body>
Figures againstFloor(Body body) {
    return against(floorPair, body);
}

template <typename Body>
double medianNs(Body body) {
    std::vector<double> samples;
    for (int b = 0; b < batches; ++b)
        samples.push_back(nsPerIteration(body));
    return median(samples);
}

// The hand-written alternative.
struct MapTimer {
    Clock::time_point started;
    Clock::duration total{};
    std::int64_t runs = 0;
};
std::unordered_map<std::string, MapTimer> mapTimers;

[[gnu::noinline]] void mapStart(const char* name) {
    mapTimers[name].started = Clock::now();
}

[[gnu::noinline]] void mapStop(const char* name) {
    auto now = Clock::now();
    MapTimer& timer = mapTimers[name];
    timer.total += now - timer.started;
    ++timer.runs;
}

// Filler names: 12 pseudo-random lower-case letters, spread over the chains
// the way unrelated names are.
std::vector<std::string> fillers;
std::uint64_t fillerState = 0x2545F4914F6CDD1Du;
std::string fillerName(std::uint64_t& state = fillerState) {
    std::string name;
    for (int i = 0; i < 12; ++i) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        name += static_cast<char>('a' + (state >> 33) % 26);
    }
    return name;
}

// Adds fillers until `live` timers exist in both registries; the measured
// name is created last, at the tail of its chain.
int liveKestrum = 0;
void populate(int live, const char* measured) {
    while (liveKestrum < live - 1) {
        fillers.push_back(fillerName());
        GetProfiler(fillers.back().c_str());
        mapTimers[fillers.back()];
        ++liveKestrum;
    }
    GetProfiler(measured);
    mapTimers[measured];
    ++liveKestrum;
}

// Fillers sharing the measured record's chain (all created before it).
int chainPosition(const Profiler* record) {
    int position = 0;
    for (const std::string& filler : fillers) {
        const Profiler* p = GetProfiler(filler.c_str());
        if ((p->hash & 0xFF) == (record->hash & 0xFF) && p != record)
            ++position;
    }
    return position;
}

double measureTscPerNs() {
    auto begin = Clock::now();
    std::uint64_t t0 = bareStamp();
    while (Clock::now() - begin < std::chrono::milliseconds(200)) {
    }
    std::uint64_t t1 = bareStamp();
    std::chrono::duration<double, std::nano> elapsed = Clock::now() - begin;
    return static_cast<double>(t1 - t0) / elapsed.count();
}

// First use of a name: GetProfiler of a name never seen, timed alone
// between two counter reads, less the median of two reads back to back.
// The names are made before the timing; a name whose hash is already taken
// (its record shows another name) is no first use and is left out.  Each row
// adds its names to the registry.
constexpr int firstUsesPerRow = 51;
std::uint64_t newNameState = 0x9E3779B97F4A7C15u;

struct FirstUse {
    int live;
    double ns;
};

FirstUse firstUse() {
    std::vector<std::string> names;
    for (int i = 0; i < firstUsesPerRow; ++i)
        names.push_back(fillerName(newNameState));
    int live = liveKestrum;
    std::vector<double> uses, empties;
    for (const std::string& name : names) {
        std::uint64_t a = bareStamp();
        const Profiler* p = GetProfiler(name.c_str());
        std::uint64_t b = bareStamp();
        std::uint64_t c = bareStamp();
        std::uint64_t d = bareStamp();
        if (std::strcmp(p->name, name.c_str()) != 0)
            continue;
        ++liveKestrum;
        uses.push_back(static_cast<double>(b - a) / tscPerNs);
        empties.push_back(static_cast<double>(d - c) / tscPerNs);
    }
    return {live, median(uses) - median(empties)};
}

// Resident bytes of the process, where the system says.
double residentBytes() {
#if defined(__linux__)
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
#else
    return 0.0;
#endif
}

// New timers, counted only when their hash was free, until `live` exist.
void growTo(int live) {
    while (liveKestrum < live) {
        std::string name = fillerName(newNameState);
        if (std::strcmp(GetProfiler(name.c_str())->name, name.c_str()) == 0)
            ++liveKestrum;
    }
}

} // namespace

int main(int argc, char** argv) {
    // The most live timers for the first-use rows (1,000,000 unless given).
    const int mostTimers = argc > 1 ? std::atoi(argv[1]) : 1000000;
    tscPerNs = measureTscPerNs();
    std::printf("time-stamp counter: %.3f GHz measured (reports assume 0.5 GHz)\n\n", tscPerNs);

    std::printf("ns per start/stop pair, 12-character name, median of %d batches of %d pairs\n",
                batches, pairsPerBatch);
    std::printf("%6s %6s %9s %9s %9s %11s %11s\n", "live", "chain", "floor", "kestrum", "map",
                "kestrum/fl", "map/kestrum");

    const char* names[] = {"measured_001", "measured_100", "measured_999"};
    const int lives[] = {1, 100, 1000};
    std::vector<FirstUse> firstUses;
    for (int i = 0; i < 3; ++i) {
        const char* name = names[i];
        populate(lives[i], name);
        Figures kestrum = againstFloor([name] {
            Profiler_Start(name);
            Profiler_Stop(name);
        });
        double map = medianNs([name] {
            mapStart(name);
            mapStop(name);
        });
        std::printf("%6d %6d %9.2f %9.2f %9.2f %10.2fx %10.2fx\n", liveKestrum,
                    chainPosition(GetProfiler(name)), kestrum.floor, kestrum.body, map,
                    kestrum.ratio, map / kestrum.body);
        // The first uses at 1 and 1000 live timers, measured here while the
        // registry holds exactly that many; printed with the others below.
        if (i != 1)
            firstUses.push_back(firstUse());
    }
    std::printf("(chain: records ahead of the measured one in its chain)\n");

    // A buffer reused for other names: two names taking turns, which the
    // recent lookups hold both, and three, where each start finds the slots
    // taken by the other two and goes through the name hash and chain walk.
    for (int turns = 2; turns <= 3; ++turns) {
        static char buffer[16];
        int turn = 0;
        Figures reused = againstFloor([&] {
            std::memcpy(buffer, names[2 - turn], 13);
            turn = (turn + 1) % turns;
            Profiler_Start(buffer);
            Profiler_Stop(buffer);
        });
        std::printf("%6d %6s %9.2f %9.2f %9s %10.2fx   (one buffer, %d names taking turns)\n",
                    liveKestrum, "-", reused.floor, reused.body, "", reused.ratio, turns);
    }

    // Through the scoped helper, batch by batch against direct calls.
    const char* scopedName = names[2];
    Figures scoped = against(
        [scopedName] {
            Profiler_Start(scopedName);
            Profiler_Stop(scopedName);
        },
        [scopedName] { kestrum::ScopedTimer timer(scopedName); });
    std::printf("%6d %6s %9.2f %9.2f %9s %10.2fx   (kestrum::ScopedTimer; floor column: direct "
                "calls, ratio to them)\n",
                liveKestrum, "-", scoped.floor, scoped.body, "", scoped.ratio);
    std::printf("\n");

    // The first statistics request calibrates; the library prints its lines.
    std::fflush(stdout);
    double result[2];
    Profiler_Stats(GetProfiler(names[2]), result);
    std::fflush(stdout);

    const Profiler* inner = GetProfiler("innerOverhead");
    const Profiler* outer = GetProfiler("outerOverhead");
    double innerTicks = static_cast<double>(inner->bestAccumulated) / 10000.0;
    double outerTicks = static_cast<double>(outer->bestAccumulated) / 10000.0 - innerTicks;
    std::printf("\ncalibration: inner overhead %.1f ticks (%.2f ns real), outer overhead %.1f ticks "
                "(%.2f ns real)\n",
                innerTicks, innerTicks / tscPerNs, outerTicks, outerTicks / tscPerNs);

    // An empty timed region, corrected by the calibration, should come out
    // near zero: the residual is what the correction leaves, as a fraction
    // of the uncorrected figure.
    constexpr int periods = 31;
    std::vector<double> residuals;
    for (int t = 0; t < periods; ++t) {
        Profiler* p = Profiler_Reinit(names[2]);
        for (long i = 0; i < 20000; ++i) {
            Profiler_Start(names[2]);
            Profiler_Stop(names[2]);
        }
        double uncorrected = static_cast<double>(p->accumulated) / fixedTicksPerSecond /
                             static_cast<double>(p->runCount);
        Profiler_Stats(p, result);
        residuals.push_back(result[1] / uncorrected);
    }
    std::sort(residuals.begin(), residuals.end());
    std::printf("empty region residual: %+.1f%% of uncorrected (median of %d; range %+.1f%% .. "
                "%+.1f%%)\n",
                100.0 * residuals[periods / 2], periods, 100.0 * residuals.front(),
                100.0 * residuals.back());

    // Many live timers, up to the command line's limit: the time and resident
    // memory that creating them takes.
    int grownFrom = liveKestrum;
    double bytesBefore = residentBytes();
    auto growBegin = Clock::now();
    for (int live : {100000, 1000000}) {
        if (live > mostTimers)
            break;
        growTo(live);
        firstUses.push_back(firstUse());
    }
    std::chrono::duration<double> growSeconds = Clock::now() - growBegin;
    double bytesPerTimer = (residentBytes() - bytesBefore) / (liveKestrum - grownFrom);

    std::printf("\nns per first use of a name (GetProfiler of a new name), median of %d; each row "
                "adds its names\n",
                firstUsesPerRow);
    std::printf("%8s %9s %9s\n", "live", "first use", "vs 1 live");
    for (const FirstUse& row : firstUses)
        std::printf("%8d %9.1f %8.2fx\n", row.live, row.ns, row.ns / firstUses.front().ns);
    std::printf("creating %d timers took %.2f s; resident memory per timer %.0f bytes "
                "(record, name, index)\n",
                liveKestrum - grownFrom, growSeconds.count(), bytesPerTimer);
    return 0;
}
