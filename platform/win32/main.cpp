// Entry point of the Windows program: a GUI-subsystem process whose whole
// life is the host's. The command line is read again by the host through
// GetCommandLineW (lpCmdLine is in the ANSI code page and would lose
// every other character), so it is not used here.
#include <tcl.h>
#include <windows.h>
#include <tlhelp32.h>

#include <memory>
#include <vector>

#include "host/host.h"

namespace {

// The threads of this process that started in Tcl's library.
std::vector<HANDLE> tclThreads() {
    std::vector<HANDLE> threads;
    using QueryThread = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    constexpr int kThreadQuerySetWin32StartAddress = 9;
    const auto query = reinterpret_cast<QueryThread>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
    const HMODULE tcl = GetModuleHandleW(L"tcl86.dll");
    if (query == nullptr || tcl == nullptr) return threads;
    const HANDLE taken = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (taken == INVALID_HANDLE_VALUE) return threads;
    const std::unique_ptr<void, decltype(&CloseHandle)> snapshot(taken, &CloseHandle);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId() || entry.th32ThreadID == GetCurrentThreadId()) continue;
        const HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION | SYNCHRONIZE, FALSE, entry.th32ThreadID);
        if (thread == nullptr) continue;
        void* start = nullptr;
        MEMORY_BASIC_INFORMATION region{};
        if (query(thread, kThreadQuerySetWin32StartAddress, &start, sizeof start, nullptr) == 0 &&
            VirtualQuery(start, &region, sizeof region) != 0 && region.AllocationBase == tcl) {
            threads.push_back(thread);
        } else {
            CloseHandle(thread);
        }
    }
    return threads;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    const int exitCode = host::runApplication(showCommand);
    // Tcl reads and writes its console channels on threads of its own.
    // Finalizing closes the channels, which writes what is still queued and
    // tells those threads to end, without waiting for them to be gone; the
    // wait is here. Otherwise ExitProcess kills them mid-way, and under Wine
    // a thread killed while it exits now and then takes the whole process
    // down with SIGSEGV.
    std::vector<HANDLE> threads = tclThreads();
    Tcl_Finalize();
    if (!threads.empty() && threads.size() <= MAXIMUM_WAIT_OBJECTS)
        WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, 2000);
    for (HANDLE thread : threads) CloseHandle(thread);
    return exitCode;
}
