/* A kestrum caller linked against kestrum.lib as Microsoft's link.exe
 * links it (here lld-link, with no C runtime): exit code 42 when the
 * fastcall and plain imports all reached the library. */
#include <kestrum/kestrum.h>

int __stdcall start(void* environment) {
    (void)environment;
    Profiler_Start("msvc caller");
    Profiler* timer = Profiler_Stop("msvc caller");
    int ok = timer == GetProfiler("msvc caller") && timer->runCount == 1;
    Profiler_Stats_All();
    return ok ? 42 : 1;
}
