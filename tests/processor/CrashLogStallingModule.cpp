// A library that never finishes loading, for the crash-log watchdog test: its
// constructor runs while the dynamic loader holds its own lock (the lock that
// symbolising a stack needs), tells the test through the file descriptor named
// in CORVANTEEL_STALL_READY_FD that it has started, and then never returns.
#include <cstdlib>

#include <unistd.h>

__attribute__ ((constructor)) static void stallWhileLoading()
{
    if (const char* readyFd = std::getenv ("CORVANTEEL_STALL_READY_FD"))
    {
        const char ready = 1;
        [[maybe_unused]] const auto written = ::write (std::atoi (readyFd), &ready, 1);
    }

    for (;;)
        ::pause();
}
