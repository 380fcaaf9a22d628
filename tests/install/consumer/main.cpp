// A program of a kestrum user, built outside the source tree against an
// installed kestrum: times three runs and reads the statistics back.
#include <kestrum/kestrum.h>
#include <kestrum/kestrum_scope.h>

#include <cstdio>

int main() {
    for (int i = 0; i < 3; ++i) {
        const kestrum::ScopedTimer timer("consumer");
    }
    Profiler* profiler = GetProfiler("consumer");
    // Corrected figures may even be negative for an empty body: only the runs are certain.
    double stats[2] = {0.0, 0.0};
    Profiler_Stats(profiler, stats);
    const long long runs = profiler->runCount;
    std::printf(runs == 3 ? "kestrum consumer: ok, %lld runs\n" : "kestrum consumer: %lld runs instead of 3\n", runs);
    return runs == 3 ? 0 : 1;
}
