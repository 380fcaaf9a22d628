// C++ helper: times the enclosing scope under a name.
//
//     void parse() {
//         kestrum::ScopedTimer timer("parse");
//         ...
//     }   // the timer "parse" stops here
//
// The name is read once, at construction: the scope's end stops the record
// that the construction started, by that record's own copy of its name, so
// the caller's buffer may be reused or changed inside the scope.
// Header-only: it adds no export to the library, allocates nothing, and costs
// nothing beyond the Profiler_Start and Profiler_Stop calls it makes.
#ifndef KESTRUM_SCOPE_H
#define KESTRUM_SCOPE_H

#include "kestrum.h"

namespace kestrum {

class ScopedTimer {
public:
    explicit ScopedTimer(const char* name) noexcept : record_(Profiler_Start(name)) {}
    ~ScopedTimer() { Profiler_Stop(record_->name); }

    ScopedTimer(const ScopedTimer&) = delete;
    ScopedTimer& operator=(const ScopedTimer&) = delete;

private:
    Profiler* record_;
};

} // namespace kestrum

#endif
