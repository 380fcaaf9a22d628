// kestrum against a model: names of any bytes and length (hash collisions,
// one buffer reused for different names, exact-size copies), start, stop,
// scoped timers whose name is overwritten inside the scope, and reinit
// sequences on a clock with any steps, statistics and the report.
// After every call the chains, every record field and the standard output
// must be what the model says.

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kestrum_scope.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/kestrum/kestrum_test_support.h"

namespace {

constexpr std::int64_t kStopped = INT64_MAX;

std::uint32_t hashOf(const std::string& name) {
    std::uint32_t h = 0;
    for (unsigned char c : name) h = h * 253u ^ c;
    return h;
}

struct Record {
    Profiler expected{};  // the fields the record must hold; name and next unused
    std::string name;
    Profiler* actual = nullptr;
};

struct Model {
    std::map<std::uint32_t, Record> records;
    std::vector<std::uint32_t> chainOrder;  // chains in order, each in creation order
    std::int64_t starts = 0;
    std::string output;

    Record& get(const std::string& name) {
        const std::uint32_t hash = hashOf(name);
        auto [it, created] = records.try_emplace(hash);
        if (created) {
            it->second = Record{Profiler{kStopped, 0, 0, kStopped, 0, 0, nullptr, nullptr, hash, 0}, name};
            const auto chain = [](std::uint32_t h) { return h & 0xFF; };
            chainOrder.insert(std::ranges::upper_bound(chainOrder, chain(hash), {}, chain), hash);
        }
        return it->second;
    }
};

std::array<double, 2> stats(const Profiler& p) {
    const std::int64_t total = std::min(p.bestAccumulated, p.accumulated);
    const kestrum::Overheads o = kestrum::overheads();
    const double seconds = std::max(0.0, static_cast<double>(total) / 500000000.0 -
                                             static_cast<double>(p.runCount) * o.innerSeconds -
                                             static_cast<double>(p.nestedStarts) * o.outerSeconds);
    return {seconds, p.runCount != 0 ? seconds / static_cast<double>(p.runCount) : 0.0};
}

void closePeriod(Profiler& p) {
    if (p.runCount != 0 && p.accumulated < p.bestAccumulated) p.bestAccumulated = p.accumulated;
    p.accumulated = p.runCount = p.nestedStarts = 0;
}

void checkState(Model& model, const std::string& printed) {
    FUZZ_CHECK(kestrum::startCount() == model.starts);
    auto expected = model.chainOrder.begin();
    for (unsigned chain = 0; chain < kestrum::chainCount; ++chain) {
        for (const Profiler* p = kestrum::chainHead(chain); p != nullptr; p = p->next, ++expected) {
            FUZZ_CHECK(expected != model.chainOrder.end() && p->hash == *expected && (p->hash & 0xFF) == chain);
            const Record& r = model.records[p->hash];
            const Profiler& e = r.expected;
            FUZZ_CHECK(p == r.actual && p->name == r.name && p->kind == 0);
            FUZZ_CHECK(kestrum_test::counters(p) == kestrum_test::counters(&e) && p->startSequence == e.startSequence);
        }
    }
    FUZZ_CHECK(expected == model.chainOrder.end());
    FUZZ_CHECK(printed == model.output);
    model.output.clear();
}

// Names for the run: short and long, well known, and pairs of different
// names with one hash (equal prefixes, then two bytes chosen to collide).
std::vector<std::string> namePool(fuzz::Input& input) {
    std::vector<std::string> pool;
    for (int n = 1 + input.below(4); n > 0; --n) {
        switch (input.below(4)) {
        case 0: pool.push_back(fuzz::withoutNul(input.bytes())); break;
        case 1: pool.emplace_back(200 + 8 * input.byte(), static_cast<char>(input.byte() | 1)); break;
        case 2: pool.push_back(input.flag() ? "abc" : input.flag() ? "" : "innerOverhead"); break;
        default: {
            const std::string prefix = fuzz::withoutNul(input.bytes(16));
            const std::uint32_t x = hashOf(prefix) * 253u;
            const unsigned a = input.byte() | 1, b = input.byte() | 1;
            pool.push_back(prefix + char(a) + char(b));
            for (unsigned other = 1; other < 256; ++other) {
                const std::uint32_t otherB = ((x ^ a) * 253u) ^ ((x ^ other) * 253u) ^ b;
                if (other != a && otherB != 0 && otherB < 256) {
                    pool.push_back(prefix + char(other) + char(otherB));
                    FUZZ_CHECK(hashOf(pool.back()) == hashOf(pool[pool.size() - 2]));
                    break;
                }
            }
        }
        }
    }
    return pool;
}

// The report as the model has it.
void report(Model& model) {
    for (std::uint32_t hash : model.chainOrder) {
        const Record& r = model.records[hash];
        const std::array<double, 2> result = stats(r.expected);
        char line[160];
        std::snprintf(line, sizeof line, "total time: %8.2fms - average time: %8.2f\xC2\xB5s (", result[0] * 1000.0,
                      result[1] * 1000000.0);
        model.output += line + r.name + ")\n";
    }
    Profiler_Stats_All();
}

char sharedBuffer[2400];

// One call on a name of the pool, applied to the library and the model.
void callOnce(Model& model, fuzz::Input& input, const std::vector<std::string>& pool) {
    const std::string& name = pool[static_cast<std::size_t>(input.below(static_cast<int>(pool.size())))];
    // The name from one buffer that every call reuses, or from a block of exactly its size.
    std::unique_ptr<char[]> copy;
    char* const passed = input.flag() ? sharedBuffer : (copy = std::make_unique<char[]>(name.size() + 1)).get();
    std::memcpy(passed, name.c_str(), name.size() + 1);
    const std::uint8_t op = input.byte() % 9;
    if (op == 5) {
        for (auto& [hash, each] : model.records) closePeriod(each.expected);
        Profiler_Reinit_All();
    } else if (op == 6) {
        report(model);
    } else if (op == 7) {
        kestrum_test::clock.step = input.integer();
    } else {
        Record& r = model.get(name);
        Profiler& e = r.expected;
        Profiler* returned = nullptr;
        // Op 8: a scope whose name is overwritten inside it; its end names the record by the record's own copy.
        std::optional<kestrum::ScopedTimer> scope;
        if (op == 0 || op == 8) {
            if (e.startStamp != kStopped) model.output += "warning in profiler_start: profiler \"" + name + "\" already started";
            e.startSequence = ++model.starts;
            e.startStamp = kestrum_test::nextReading();
            returned = op == 0 ? Profiler_Start(passed) : (scope.emplace(passed), GetProfiler(passed));
            std::memset(passed, '?', op == 8 ? name.size() : 0);
        }
        if (op == 1 || op == 8) {
            if (e.startStamp == kStopped) {
                model.output += "warning in profiler_stop: profiler \"" + name + "\" not running";
            } else {
                e.accumulated = static_cast<std::int64_t>(static_cast<std::uint64_t>(e.accumulated) +
                                                          static_cast<std::uint64_t>(kestrum_test::nextReading()) -
                                                          static_cast<std::uint64_t>(e.startStamp));
                ++e.runCount;
                e.nestedStarts += model.starts - e.startSequence;
                e.startStamp = kStopped;
            }
            returned = op == 1 ? Profiler_Stop(passed) : (scope.reset(), returned);
        } else if (op == 2) {
            closePeriod(e);
            returned = Profiler_Reinit(passed);
        } else if (op != 0) {
            returned = GetProfiler(passed);
            if (op == 4) FUZZ_CHECK(kestrum_test::stats(returned) == stats(e));
        }
        // Always the one record of the name's hash.
        FUZZ_CHECK(r.actual == nullptr || r.actual == returned);
        r.actual = returned;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    [[maybe_unused]] static const bool ready = [] {
        kestrum_test::FreshLibrary::reset();
        // Calibrated once per process, with a clock step of 7 ticks per read.
        kestrum_test::clock.step = 7;
        kestrum_test::printed([] { kestrum_test::stats(GetProfiler("x")); });
        return true;
    }();
    kestrum::resetRegistryForTest();
    kestrum_test::clock = kestrum_test::Clock{0, 1};
    Model model;

    fuzz::Input input(data, size);
    const std::vector<std::string> pool = namePool(input);
    for (int ops = 0; ops < 64 && !input.empty(); ++ops)
        checkState(model, kestrum_test::printed([&] { callOnce(model, input, pool); }));
    return 0;
}
