// The header-only scoped helper: one start at construction, one stop at scope
// exit, nested scopes counted like nested timers.
#include <cstring>

#include <gtest/gtest.h>

#include "kestrum_scope.h"
#include "kestrum_test_support.h"

namespace kestrum_test {
namespace {

struct Scope : ::testing::Test, FreshLibrary {};

TEST_F(Scope, StopsTheTimerItStartedAtScopeExit) {
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
    EXPECT_EQ(counters(GetProfiler("scoped")), "max 30 1 max 1");
    EXPECT_EQ(GetProfiler("scoped inner")->accumulated, 5);
    // One buffer reused for each scope's name and for another name inside it.
    char buffer[16];
    EXPECT_EQ(printed([&] {
                  for (const char* name : {"first", "second"}) {
                      kestrum::ScopedTimer timer(std::strcpy(buffer, name));
                      run(std::strcpy(buffer, "scratch"), 3);
                      clock.now += 4;
                  }
              }),
              "");
    for (const char* name : {"first", "second"}) EXPECT_EQ(counters(GetProfiler(name)), "max 7 1 max 1") << name;
    EXPECT_EQ(GetProfiler("scratch")->runCount, 2);
}

} // namespace
} // namespace kestrum_test
