// The header-only scoped helper: one start at construction, one stop at scope
// exit, nested scopes counted like nested timers.
#include "kestrum_scope.h"
#include "kestrum_test_support.h"

namespace kestrum_test {
namespace {

using Scope = KestrumTest;

TEST_F(Scope, StopsAtScopeExit) {
    std::string out = printed([] {
        kestrum::ScopedTimer outer("scoped");
        clock.now += 25;
        {
            kestrum::ScopedTimer inner("scoped inner");
            clock.now += 5;
        }
        EXPECT_EQ(GetProfiler("scoped inner")->runCount, 1);
        EXPECT_NE(GetProfiler("scoped")->startStamp, INT64_MAX);
    });
    EXPECT_EQ(out, "");
    Profiler* p = GetProfiler("scoped");
    EXPECT_EQ(p->runCount, 1);
    EXPECT_EQ(p->accumulated, 30);
    EXPECT_EQ(p->nestedStarts, 1);
    EXPECT_EQ(GetProfiler("scoped inner")->accumulated, 5);
}

// One buffer reused for each scope's name and for other names inside it.
TEST_F(Scope, StopsTheTimerItStartedWhateverTheBufferHoldsLater) {
    char buffer[16];
    std::string out = printed([&] {
        for (const char* name : {"first", "second"}) {
            std::snprintf(buffer, sizeof buffer, "%s", name);
            kestrum::ScopedTimer timer(buffer);
            std::snprintf(buffer, sizeof buffer, "scratch");
            run(buffer, 3);
            clock.now += 4;
        }
    });
    EXPECT_EQ(out, "");
    for (const char* name : {"first", "second"}) {
        Profiler* p = GetProfiler(name);
        EXPECT_EQ(p->startStamp, INT64_MAX) << name;
        EXPECT_EQ(p->runCount, 1) << name;
        EXPECT_EQ(p->accumulated, 7) << name;
        EXPECT_EQ(p->nestedStarts, 1) << name;
    }
    EXPECT_EQ(GetProfiler("scratch")->runCount, 2);
}

} // namespace
} // namespace kestrum_test
