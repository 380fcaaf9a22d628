// Registry behaviour: hashing and chains, start/stop bookkeeping, warnings,
// nested starts, reinit.
#include <cstdint>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "kestrum_test_support.h"

namespace kestrum_test {
namespace {

struct Registry : ::testing::Test, FreshLibrary {};

std::vector<Profiler*> chain(unsigned index) {
    std::vector<Profiler*> records;
    for (Profiler* p = kestrum::chainHead(index); p != nullptr; p = p->next)
        records.push_back(p);
    return records;
}

TEST_F(Registry, HashesAndChainsByLowByteInCreationOrder) {
    EXPECT_EQ(kestrum::Profiler_HashName("abc"), 6201248u);
    EXPECT_EQ(kestrum::Profiler_HashName(""), 0u);
    // Bytes are unsigned: 0xFF must not sign-extend into the product.
    EXPECT_EQ(kestrum::Profiler_HashName("\xFF\x01"), (255u * 253u) ^ 1u);

    Profiler* abc = GetProfiler("abc");
    EXPECT_EQ(GetProfiler("abc"), abc);
    EXPECT_EQ(abc->hash, 6201248u);
    EXPECT_STREQ(abc->name, "abc");
    EXPECT_EQ(counters(abc), "max 0 0 max 0");
    EXPECT_EQ(abc->kind, 0);

    // "aal" differs from "abc" only above the low byte: same chain, own record.
    ASSERT_EQ(kestrum::Profiler_HashName("aal"), 6200480u);
    Profiler* aal = GetProfiler("aal");
    EXPECT_NE(aal, abc);
    EXPECT_EQ(chain(160), (std::vector<Profiler*>{abc, aal}));
    EXPECT_EQ(GetProfiler("abc"), abc);
    EXPECT_EQ(chain(160).size(), 2u);

    Profiler* empty = GetProfiler("");
    EXPECT_EQ(chain(0), std::vector<Profiler*>{empty});
    EXPECT_STREQ(empty->name, "");
}

// Enough names for the hash index to grow several times: every name keeps
// its one record, every chain its creation order.
TEST_F(Registry, ManyNamesKeepTheirRecordsAndChainOrderAsTheIndexGrows) {
    std::map<Profiler*, int> created;
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < 5000; ++i)
            EXPECT_EQ(created.emplace(GetProfiler(("n" + std::to_string(i)).c_str()), i).first->second, i);
    int walked = 0;
    for (unsigned c = 0; c < kestrum::chainCount; ++c)
        for (int last = -1; Profiler* p : chain(c)) {
            EXPECT_GT(created[p], last);
            last = created[p], ++walked;
        }
    EXPECT_EQ(walked, 5000);
}

// One buffer at one address, many names in turn: each lookup finds the record of
// the bytes now in the buffer, whatever name was seen there last: a start and its
// stop with another name looked up between them, prefixes, names around and beyond
// 16 bytes differing at their end, stale bytes after the NUL, equal hashes; also
// in a buffer that ends a page. A new record keeps its own copy of the name.
TEST_F(Registry, ReusedBufferIsLookedUpByItsCurrentBytesAtAnyLength) {
    using Call = decltype(&GetProfiler);
    const std::pair<Call, const char*> interleaved[] = {{GetProfiler, "scratch"}, {Profiler_Start, "changed"},
                                                        {GetProfiler, "change"}, {Profiler_Stop, "changed"},
                                                        {GetProfiler, "scratch"}};
    const char* names[] = {"changed", "change", "changed", "fifteen_chars_a", "fifteen_chars_ab",
                           "fifteen_chars_a", "a_name_longer_than_sixteen_1",
                           "a_name_longer_than_sixteen_2", "a_name_longer_than_sixteen_1", "c", "",
                           "ipupnol", "hyfgcpxz", "changed"};
    std::map<std::uint32_t, Profiler*> byHash;
    auto expectRecordOf = [&](Call call, const char* name, char* buffer) {
        Profiler* p = call(std::strcpy(buffer, name));
        auto [known, created] = byHash.try_emplace(kestrum::Profiler_HashName(name), p);
        EXPECT_EQ(p, known->second) << name;
        EXPECT_NE(p->name, buffer);
        if (created) {
            EXPECT_STREQ(p->name, name);
        }
    };

    // Two pages; the second buffer starts 8 bytes before the first one ends.
    std::vector<char> pages(3 * 4096);
    char* page = pages.data() + (4096 - reinterpret_cast<std::uintptr_t>(pages.data()) % 4096);
    char plain[40] = {};
    for (char* buffer : {plain, page + 4096 - 8}) {
        for (auto [call, name] : interleaved)
            expectRecordOf(call, name, buffer);
        for (const char* name : names)
            for (Call call : {GetProfiler, Profiler_Start, Profiler_Stop})
                expectRecordOf(call, name, buffer);
    }
    // Each record still holds its own name; each start and stop booked a run.
    for (auto [hash, p] : byHash)
        EXPECT_EQ(kestrum::Profiler_HashName(p->name), hash) << p->name;
    EXPECT_EQ(GetProfiler("changed")->runCount, 8);
    EXPECT_EQ(GetProfiler("ipupnol")->runCount, 4);
}

TEST_F(Registry, StartStopRestartAndUnknownStopsBookTheirTicks) {
    EXPECT_EQ(printed([] {
                  run("long", 5000000000);  // beyond 32 bits
                  run("long", 7);
              }),
              "");
    EXPECT_EQ(counters(GetProfiler("long")), "max 5000000007 2 max 0");
    EXPECT_EQ(kestrum::startCount(), 2);
    ASSERT_EQ(kestrum::Profiler_HashName("ipupnol"), kestrum::Profiler_HashName("hyfgcpxz"));
    Profiler* first = Profiler_Start("ipupnol");
    clock.now += 70;
    Profiler* second = Profiler_Stop("hyfgcpxz");
    EXPECT_EQ(first, second);
    EXPECT_EQ(counters(first), "max 70 1 max 0");
    EXPECT_STREQ(first->name, "ipupnol");
    EXPECT_EQ(chain(1625383477u & 0xFF).size(), 1u);

    // The warning names the caller's argument, not the stored name.
    EXPECT_EQ(printed([] { Profiler_Stop("hyfgcpxz"); }), "warning in profiler_stop: profiler \"hyfgcpxz\" not running");
    clock.now = 1000;
    Profiler_Start("t");
    clock.now = 1500;
    std::int64_t before = kestrum::startCount();
    EXPECT_EQ(printed([] { Profiler_Start("t"); }), "warning in profiler_start: profiler \"t\" already started");
    clock.now = 1600;
    EXPECT_EQ(counters(Profiler_Stop("t")), "max 100 1 max 0");
    EXPECT_EQ(kestrum::startCount(), before + 1);
    Profiler* p = nullptr;
    EXPECT_EQ(printed([&] { p = Profiler_Stop("never"); }), "warning in profiler_stop: profiler \"never\" not running");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(GetProfiler("never"), p);
    EXPECT_EQ(counters(p), "max 0 0 max 0");
}

TEST_F(Registry, NestingReinitAndTheTclEntryPoint) {
    EXPECT_EQ(Kestrum_Init(nullptr), 0);
    for (unsigned c = 0; c < kestrum::chainCount; ++c)
        EXPECT_EQ(kestrum::chainHead(c), nullptr);
    Profiler_Reinit_All();
    for (unsigned c = 0; c < kestrum::chainCount; ++c)
        ASSERT_EQ(kestrum::chainHead(c), nullptr);

    Profiler* abc = run("abc", 40);
    Profiler* aal = run("aal", 60);
    Profiler* idle = GetProfiler("idle");
    Profiler_Reinit_All();
    EXPECT_EQ(abc->bestAccumulated, 40);
    EXPECT_EQ(counters(aal), "max 0 0 60 0");
    EXPECT_EQ(idle->bestAccumulated, INT64_MAX);
    Profiler_Start("A");
    run("B", 1);
    run("B", 1);
    Profiler* a = Profiler_Stop("A");
    EXPECT_EQ(a->nestedStarts, 2);
    EXPECT_EQ(GetProfiler("B")->nestedStarts, 0);

    // Overlapping, not nested: only A saw a start while running.
    Profiler_Start("A");
    Profiler_Start("B");
    Profiler_Stop("A");
    Profiler* b = Profiler_Stop("B");
    EXPECT_EQ(counters(a), "max 2 2 max 3");
    EXPECT_EQ(b->nestedStarts, 0);
    Profiler* p = nullptr;
    for (int i = 0; i < 3; ++i)
        p = run("fold", 300);
    EXPECT_EQ(p->accumulated, 900);

    EXPECT_EQ(Profiler_Reinit("fold"), p);
    EXPECT_EQ(counters(p), "max 0 0 900 0");
    // Later periods: the ticks of the period's one run (none for -1), and the
    // best after its reinit. An empty period's zero total never becomes the
    // best; a zero-tick period with a run is a real best.
    const std::pair<int, int> periods[] = {{1000, 900}, {800, 800}, {-1, 800}, {0, 0}};
    for (auto [ticks, best] : periods) {
        if (ticks >= 0)
            run("fold", ticks);
        Profiler_Reinit("fold");
        EXPECT_EQ(p->bestAccumulated, best) << ticks;
    }
    Profiler* running = run("r", 50);
    clock.now = 10000;
    Profiler_Start("r");
    run("inner", 5);
    clock.now = 10400;
    Profiler_Reinit("r");
    EXPECT_EQ(counters(running), "10000 0 0 50 0");
    clock.now = 10900;
    // The whole run since the old start goes into the new period, with the
    // start of "inner" made before the reinit.
    EXPECT_EQ(counters(Profiler_Stop("r")), "max 900 1 50 1");
}

} // namespace
} // namespace kestrum_test
