// C++ helper: times the enclosing scope under a name.
//
//     void parse() {
//         kestrum::ScopedTimer timer("parse");
//         ...
//     }   // Profiler_Stop("parse") runs here
//
// Header-only: it adds no export to the library and costs nothing beyond the
// Profiler_Start and Profiler_Stop calls it makes.  The name must outlive the
// scope (a string literal does).
#ifndef KESTRUM_SCOPE_H
#define KESTRUM_SCOPE_H

#include "kestrum.h"

namespace kestrum {

class ScopedTimer {
public:
    explicit ScopedTimer(const char* name) noexcept : name_(name) { Profiler_Start(name); }
    ~ScopedTimer() { Profiler_Stop(name_); }

    ScopedTimer(const ScopedTimer&) = delete;
    ScopedTimer& operator=(const ScopedTimer&) = delete;

private:
    const char* name_;
};

} // namespace kestrum

#endif
