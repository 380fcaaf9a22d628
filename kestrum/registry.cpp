// The registry of named timers: hash table, lookup-or-create, start, stop,
// reinit, and the library's load entry points.
//
// Owns profilerTable, chainTails, the hash index, startCounter and
// recentLookups.  Plain reads and writes only: callers serialise their calls.
// Records and name copies come from malloc and are never freed, so every
// record pointer stays valid for the process.

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "internal.h"
#include "time_source.h"

#if defined(_WIN32)
#include <windows.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace kestrum {

namespace {

Profiler* profilerTable[chainCount];
Profiler* chainTails[chainCount];
std::int64_t startCounter;

// The records by hash, beside the chains, so that finding a hash, or finding
// it absent, costs the same at any number of records: open addressing with
// linear probing, at most half full, doubled when more.  A slot is a 16-bit
// tag of the hash (0 while free) and, in a second array, its record: a probe
// reads only tags, so a new name is proven absent within 2 bytes a slot (4 MiB
// at a million timers) and a record is read only when its tag matches.  The
// chains stay the records' order, which the report and Profiler_Reinit_All
// follow.
constexpr unsigned firstIndexBits = 9;
std::uint16_t* indexTags;  // 1 << indexBits slots; null before the first lookup
Profiler** indexRecords;
unsigned indexBits;
std::size_t recordCount;

// Names looked up recently, in sets of two slots chosen by the address of
// the name passed in: callers mostly pass the same literal again and again.
// Slot 0 of a set holds the name found last through the set, slot 1 the one
// before, so that two names taking turns in one buffer, or two busy names
// whose addresses share a set, are both still found without hashing.
//
// A slot holds its record, and for a name that fits in prefixBytes also the
// name's bytes, zero padded, with masks that keep the bytes up to its NUL,
// so that a hit is confirmed by a few word compares against the bytes now
// at that address.  Equal bytes mean equal hashes, and each hash has one
// record, so a confirmed hit is exactly the record that the hash lookup
// would return.
using Word = std::uintptr_t;
constexpr unsigned prefixBytes = 16;
constexpr unsigned prefixWords = prefixBytes / sizeof(Word);
constexpr unsigned setBits = 6;
constexpr Word pageSize = 4096;

struct alignas(64) RecentLookup {
    Profiler* fitting;         // the record if its name fits the prefix, else null
    Profiler* record;          // the record; null while the slot is empty
    Word prefix[prefixWords];  // the name's first bytes, zero after its NUL
    Word mask[prefixWords];    // all-ones bytes up to and including the NUL
};
RecentLookup recentLookups[1u << setBits][2];

// Serial multiply chain over the bytes; no separate length pass.
inline std::uint32_t hashName(const char* name) {
    std::uint32_t h = 0;
    for (auto p = reinterpret_cast<const unsigned char*>(name); *p != 0; ++p)
        h = (h * 253u) ^ *p;
    return h;
}

// A second mix of the hash, independent of the slot's position.
inline std::uint16_t indexTag(std::uint32_t hash) {
    auto tag = static_cast<std::uint16_t>((hash * 0x85EBCA6Bu) >> 16);
    return tag != 0 ? tag : 1;
}

// The high bits of a Fibonacci product: the low bits of a name hash follow
// only the low bits of the name's bytes.
inline std::size_t indexHome(std::uint32_t hash) {
    return static_cast<std::uint32_t>(hash * 0x9E3779B9u) >> (32 - indexBits);
}

// The slot that holds `hash`, or the free slot where it belongs.
inline std::size_t indexSlot(std::uint32_t hash) {
    std::uint16_t tag = indexTag(hash);
    std::size_t mask = (std::size_t{1} << indexBits) - 1;
    std::size_t i = indexHome(hash);
    for (; indexTags[i] != 0; i = (i + 1) & mask)
        if (indexTags[i] == tag && indexRecords[i]->hash == hash)
            break;
    return i;
}

// A zeroed block for the index.  On Linux a block of 2 MiB or more is asked
// for in huge pages: doubling a large index then takes a few page faults
// rather than thousands, and a probe misses the TLB less often.
void* zeroedBlock(std::size_t bytes) {
#if defined(__linux__)
    constexpr std::size_t hugePage = std::size_t{2} << 20;
    void* block = nullptr;
    if (bytes >= hugePage && posix_memalign(&block, hugePage, bytes) == 0) {
        madvise(block, bytes, MADV_HUGEPAGE);
        return std::memset(block, 0, bytes);
    }
#endif
    return std::calloc(bytes, 1);
}

// Entries move by their records' hashes; all differ, so only free slots are sought.
[[gnu::noinline, gnu::cold]] void growIndex() {
    std::uint16_t* oldTags = indexTags;
    Profiler** oldRecords = indexRecords;
    std::size_t oldSize = oldTags == nullptr ? 0 : std::size_t{1} << indexBits;
    indexBits = oldTags == nullptr ? firstIndexBits : indexBits + 1;
    std::size_t mask = (std::size_t{1} << indexBits) - 1;
    indexTags = static_cast<std::uint16_t*>(zeroedBlock((mask + 1) * sizeof *indexTags));
    indexRecords = static_cast<Profiler**>(zeroedBlock((mask + 1) * sizeof *indexRecords));
    constexpr std::size_t ahead = 16;
    for (std::size_t old = 0; old < oldSize; ++old) {
        // The records are scattered over the heap: their reads overlap.
        if (old + ahead < oldSize && oldTags[old + ahead] != 0)
            __builtin_prefetch(&oldRecords[old + ahead]->hash);
        if (oldTags[old] == 0)
            continue;
        std::size_t i = indexHome(oldRecords[old]->hash);
        while (indexTags[i] != 0)
            i = (i + 1) & mask;
        indexTags[i] = oldTags[old];
        indexRecords[i] = oldRecords[old];
    }
    std::free(oldTags);
    std::free(oldRecords);
}

// First use of a hash: a zeroed record linked at the tail of its chain, so
// each chain keeps creation order, and entered in the index at `slot`.
[[gnu::noinline, gnu::cold]] Profiler* createProfiler(const char* name, std::uint32_t hash,
                                                      std::size_t slot) {
    auto profiler = static_cast<Profiler*>(std::calloc(1, sizeof(Profiler)));
    profiler->startStamp = notRunning;
    profiler->bestAccumulated = notRunning;
    std::size_t size = std::strlen(name) + 1;
    profiler->name = static_cast<char*>(std::malloc(size));
    std::memcpy(profiler->name, name, size);
    profiler->hash = hash;

    Profiler*& tail = chainTails[hash & 0xFF];
    (tail == nullptr ? profilerTable[hash & 0xFF] : tail->next) = profiler;
    tail = profiler;

    indexTags[slot] = indexTag(hash);
    indexRecords[slot] = profiler;
    if (++recordCount > (std::size_t{1} << indexBits) / 2)
        growIndex();
    return profiler;
}

// Only the hash is compared, never the text: equal hashes are one timer.
[[gnu::noinline]] Profiler* lookupByHash(const char* name) {
    std::uint32_t h = hashName(name);
    if (__builtin_expect(indexTags == nullptr, 0))
        growIndex();
    std::size_t slot = indexSlot(h);
    if (__builtin_expect(indexTags[slot] == 0, 0))
        return createProfiler(name, h, slot);
    return indexRecords[slot];
}

inline bool sameBytes(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (*a != *b)
            return false;
        if (*a == 0)
            return true;
    }
}

inline RecentLookup* recentSet(const char* name) {
    // Fibonacci hashing of the address: the high bits of the product.
    constexpr Word golden =
        sizeof(Word) == 8 ? static_cast<Word>(0x9E3779B97F4A7C15u) : 0x9E3779B9u;
    auto address = reinterpret_cast<Word>(name);
    return recentLookups[(address * golden) >> (8 * sizeof(Word) - setBits)];
}

inline bool nearPageEnd(const char* name) {
    return (reinterpret_cast<Word>(name) & (pageSize - 1)) > pageSize - prefixBytes;
}

// The first `count` bytes of a word, in memory order.
inline Word leadingBytes(std::size_t count) {
    if (count >= sizeof(Word))
        return ~Word{0};
    if constexpr (std::endian::native == std::endian::little)
        return (Word{1} << (8 * count)) - 1;
    else
        return ~(~Word{0} >> (8 * count));
}

// Fills a slot from a record's own name copy.  The masks follow from the
// name's length; the words are read whole as in quickMatch, within the page
// of the name's first byte, or byte by byte near the end of a page.
[[gnu::no_sanitize_address]] void remember(RecentLookup& slot, Profiler* record) {
    const char* name = record->name;
    std::size_t size = std::strlen(name) + 1;
    std::size_t kept = size < prefixBytes ? size : prefixBytes;
    bool whole = !nearPageEnd(name);
    for (unsigned i = 0; i < prefixWords; ++i) {
        std::size_t first = i * sizeof(Word);
        std::size_t count = kept <= first ? 0 : kept - first;
        Word word = 0;
        if (whole)
            std::memcpy(&word, name + first, sizeof word);
        else
            std::memcpy(&word, name + first, count < sizeof(Word) ? count : sizeof(Word));
        slot.mask[i] = leadingBytes(count);
        slot.prefix[i] = word & slot.mask[i];
    }
    slot.fitting = size <= prefixBytes ? record : nullptr;
    slot.record = record;
}

// The slot's record when `name` holds its name, proven by word compares;
// null when they cannot tell.  The words are read whole, so they may take
// in bytes past the caller's NUL: the masks drop those bytes, and the reads
// stay inside the page of the name's first byte, so they cannot fault.
[[gnu::no_sanitize_address]] inline Profiler* quickMatch(const RecentLookup& slot,
                                                         const char* name) {
    if (__builtin_expect(nearPageEnd(name), 0))
        return nullptr;
    Word differ = 0;
    for (unsigned i = 0; i < prefixWords; ++i) {
        Word word;
        std::memcpy(&word, name + i * sizeof(Word), sizeof word);
        differ |= (word ^ slot.prefix[i]) & slot.mask[i];
    }
    return differ == 0 ? slot.fitting : nullptr;
}

// The slot's record if it holds `name` but quickMatch cannot tell: a name
// longer than the prefix or near the end of a page, compared byte by byte.
Profiler* slowMatch(const RecentLookup& slot, const char* name) {
    Profiler* p = slot.record;
    bool undecided = slot.fitting == nullptr || nearPageEnd(name);
    return p != nullptr && undecided && sameBytes(name, p->name) ? p : nullptr;
}

// The lookup when the quick match of slot 0 failed: either slot may still
// hold the name; otherwise the hash table finds it, and it takes slot 0,
// whose name moves to slot 1.
[[gnu::noinline]] Profiler* carefulLookup(const char* name, RecentLookup* set) {
    if (Profiler* p = slowMatch(set[0], name))
        return p;
    if (Profiler* p = quickMatch(set[1], name))
        return p;
    if (Profiler* p = slowMatch(set[1], name))
        return p;
    Profiler* p = lookupByHash(name);
    set[1] = set[0];
    remember(set[0], p);
    return p;
}

inline Profiler* lookup(const char* name) {
    RecentLookup* set = recentSet(name);
    if (Profiler* p = quickMatch(set[0], name); __builtin_expect(p != nullptr, 1))
        return p;
    return carefulLookup(name, set);
}

// Start and stop of a found record.  The rare paths (a name missing from
// slot 0 of its set, a warning) are separate functions reached by tail
// calls, so the common path of an export needs no stack frame.

inline Profiler* startFound(Profiler* p) {
    p->startSequence = ++startCounter;
    // Last, so the lookup and bookkeeping stay outside the measured interval.
    p->startStamp = readStamp();
    return p;
}

[[gnu::noinline, gnu::cold]] Profiler* restartWithWarning(Profiler* p, const char* name) {
    std::printf("warning in profiler_start: profiler \"%s\" already started", name);
    return startFound(p);
}

inline Profiler* start(Profiler* p, const char* name) {
    if (__builtin_expect(p->startStamp != notRunning, 0))
        return restartWithWarning(p, name);
    return startFound(p);
}

[[gnu::noinline, gnu::cold]] Profiler* warnNotRunning(Profiler* p, const char* name) {
    std::printf("warning in profiler_stop: profiler \"%s\" not running", name);
    return p;
}

inline Profiler* stop(Profiler* p, const char* name) {
    // Right after the lookup: the lookup is inside the interval, and the
    // calibration's inner overhead accounts for it.
    std::int64_t now = readStamp();
    if (__builtin_expect(p->startStamp == notRunning, 0))
        return warnNotRunning(p, name);
    // Two's-complement wrap is the intended arithmetic on the 64-bit fields.
    p->accumulated = static_cast<std::int64_t>(static_cast<std::uint64_t>(p->accumulated) +
                                               (static_cast<std::uint64_t>(now) -
                                                static_cast<std::uint64_t>(p->startStamp)));
    p->runCount += 1;
    p->nestedStarts += startCounter - p->startSequence;
    p->startStamp = notRunning;
    return p;
}

[[gnu::noinline]] Profiler* startAfterMiss(const char* name, RecentLookup* set) {
    return start(carefulLookup(name, set), name);
}

[[gnu::noinline]] Profiler* stopAfterMiss(const char* name, RecentLookup* set) {
    return stop(carefulLookup(name, set), name);
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
    for (Profiler*& tail : chainTails)
        tail = nullptr;
    std::free(indexTags);
    std::free(indexRecords);
    indexTags = nullptr;
    indexRecords = nullptr;
    indexBits = 0;
    recordCount = 0;
    startCounter = 0;
    for (auto& set : recentLookups)
        set[0] = set[1] = RecentLookup{};
}
#endif

} // namespace kestrum

using kestrum::lookup;

extern "C" {

KESTRUM_API Profiler* KESTRUM_FASTCALL GetProfiler(const char* name) {
    return lookup(name);
}

KESTRUM_API Profiler* KESTRUM_FASTCALL Profiler_Start(const char* name) {
    kestrum::RecentLookup* set = kestrum::recentSet(name);
    if (Profiler* p = kestrum::quickMatch(set[0], name); __builtin_expect(p != nullptr, 1))
        return kestrum::start(p, name);
    return kestrum::startAfterMiss(name, set);
}

KESTRUM_API Profiler* KESTRUM_FASTCALL Profiler_Stop(const char* name) {
    kestrum::RecentLookup* set = kestrum::recentSet(name);
    if (Profiler* p = kestrum::quickMatch(set[0], name); __builtin_expect(p != nullptr, 1))
        return kestrum::stop(p, name);
    return kestrum::stopAfterMiss(name, set);
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
