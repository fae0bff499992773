#pragma once

// Waiting for a forked child that crashes on purpose, as the crash-handler tests do.

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include <dlfcn.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvanteelTest
{

/** How a crashing child ended, timed from the moment it raised its signal. */
struct CrashingChildEnd
{
    int status = -1;
    double secondsAfterSignal = 0.0;
    bool stillAliveAfterTenSeconds = false;   // then it was killed, and status is -1
};

/** Waits for a child that writes one byte to raisingPipe just before it raises a
    fatal signal (nothing to read means it ended before), then for its end, for
    at most ten seconds from the signal. Closes raisingPipe. */
inline CrashingChildEnd waitForCrashingChild (pid_t pid, int raisingPipe, int millisecondsUntilSignal)
{
    pollfd waitForSignal { raisingPipe, POLLIN, 0 };
    ::poll (&waitForSignal, 1, millisecondsUntilSignal);
    const auto raised = std::chrono::steady_clock::now();
    ::close (raisingPipe);

    CrashingChildEnd end;

    for (;;)
    {
        end.secondsAfterSignal = std::chrono::duration<double> (std::chrono::steady_clock::now() - raised).count();

        if (::waitpid (pid, &end.status, WNOHANG) == pid)
            return end;

        if (end.secondsAfterSignal > 10.0)
        {
            ::kill (pid, SIGKILL);
            ::waitpid (pid, &end.status, 0);
            end.status = -1;
            end.stillAliveAfterTenSeconds = true;
            return end;
        }

        std::this_thread::sleep_for (std::chrono::milliseconds (2));
    }
}

#ifdef CORVANTEEL_STALLING_MODULE
/** In the child: a thread that keeps the dynamic loader's lock, loading a library
    whose constructor, run under that lock, never returns (the stack of a report
    cannot be symbolised then). Returns once the constructor has started. */
inline bool holdLoaderLock()
{
    int ready[2];

    if (::pipe (ready) != 0)
        return false;

    ::setenv ("CORVANTEEL_STALL_READY_FD", std::to_string (ready[1]).c_str(), 1);
    std::thread ([] { ::dlopen (CORVANTEEL_STALLING_MODULE, RTLD_NOW); }).detach();

    char started = 0;
    return ::read (ready[0], &started, 1) == 1;
}
#endif

} // namespace corvanteelTest
