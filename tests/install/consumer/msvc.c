/* Linked by lld-link, as Microsoft's link.exe would link it, against kestrum.lib alone. */
#include <kestrum/kestrum.h>

int __stdcall start(void* environment) {
    (void)environment;
    Profiler_Stop(Profiler_Start("msvc caller")->name);
    Profiler_Stats_All();
    return GetProfiler("msvc caller")->runCount == 1 ? 42 : 1;
}
