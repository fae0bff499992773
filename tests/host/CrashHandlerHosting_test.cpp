// The plug-in's crash handler as a host process meets it: the VST 2.4 binary is
// loaded with dlopen by our own small host, in a child process that installs a
// crash handler of its own first, as hosts do for their crash reporting or
// session recovery, and then receives a fatal signal.
#include "CrashingChild.h"
#include "TemporaryHome.h"
#include "Vst2Host.h"

#include <juce_core/juce_core.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
    const int fatalSignals[] = { SIGFPE, SIGILL, SIGSEGV, SIGBUS, SIGABRT, SIGSYS };

    /** What the host's own handler does once it has recorded the signal. */
    enum class HostHandlerEnd { exit, returns, hangs };

    constexpr int hostHandlerExitCode = 42;

    // The host's handler runs in the child after a crash: plain values only.
    int hostReportFd = -1;
    HostHandlerEnd hostHandlerEnd = HostHandlerEnd::exit;
    char crashLogPath[PATH_MAX] = {};

    /** The host's crash handler: records the signal, and whether the plug-in's
        report was in the log by then, as two bytes on the report pipe. */
    void hostCrashHandler (int signalNumber, siginfo_t*, void*)
    {
        struct stat log {};
        const char record[2] = { (char) signalNumber, ::stat (crashLogPath, &log) == 0 && log.st_size > 0 ? 'L' : '-' };
        [[maybe_unused]] const auto written = ::write (hostReportFd, record, sizeof (record));

        if (hostHandlerEnd == HostHandlerEnd::exit)
            ::_exit (hostHandlerExitCode);

        if (hostHandlerEnd == HostHandlerEnd::hangs)
            for (;;)
                ::pause();
    }

    /** A handler of someone else, set after the plug-in's. */
    void laterHandler (int) {}

    void installHostCrashHandler()
    {
        struct sigaction action {};
        action.sa_sigaction = hostCrashHandler;
        action.sa_flags = SA_SIGINFO;
        sigemptyset (&action.sa_mask);

        for (const auto signalNumber : fatalSignals)
            ::sigaction (signalNumber, &action, nullptr);
    }

    bool hostHandlerIsInPlace (int signalNumber)
    {
        struct sigaction action {};
        ::sigaction (signalNumber, nullptr, &action);
        return (action.sa_flags & SA_SIGINFO) != 0 && action.sa_sigaction == hostCrashHandler;
    }

    bool hostHandlerIsInPlaceForAll()
    {
        for (const auto signalNumber : fatalSignals)
            if (! hostHandlerIsInPlace (signalNumber))
                return false;

        return true;
    }

    std::string vst2Path()
    {
        return CORVANTEEL_VST2_PATH;
    }

    bool libraryIsLoaded()
    {
        auto* handle = ::dlopen (vst2Path().c_str(), RTLD_NOW | RTLD_NOLOAD);

        if (handle == nullptr)
            return false;

        ::dlclose (handle);
        return true;
    }

    // Exit codes of a child whose set-up failed, named in the parent's message.
    constexpr int notLoaded = 70, handlerGoneTooEarly = 71, handlerNotBack = 72, libraryStillLoaded = 73,
                  laterHandlerGone = 74, noThreadHeldTheLoader = 75;

    std::string describeStatus (int status)
    {
        if (WIFSIGNALED (status))
            return std::string ("killed by ") + ::strsignal (WTERMSIG (status));

        if (! WIFEXITED (status))
            return "status " + std::to_string (status);

        switch (WEXITSTATUS (status))
        {
            case notLoaded:             return "the plug-in did not load";
            case handlerGoneTooEarly:   return "the host's handler was back while an instance was still alive";
            case handlerNotBack:        return "the host's handler was not back after the last instance";
            case libraryStillLoaded:    return "the library stayed loaded after dlclose";
            case laterHandlerGone:      return "a handler installed after the plug-in's was taken away";
            case noThreadHeldTheLoader: return "no thread could be made to hold the loader's lock";
            default:                    return "exit code " + std::to_string (WEXITSTATUS (status));
        }
    }

    /** How a crashed child host ended. */
    struct CrashOutcome
    {
        int status = -1;
        double secondsAfterSignal = 0.0;
        std::string hostHandlerRecord; // two bytes per run of the host's handler
    };

    /** In the child, before any other thread exists: SIGALRM blocked in every
        thread, and the main thread taking it with sigwait for good, as hosts that
        handle signals on a thread of their own do. Runs body on a new thread. */
    template <typename Body>
    [[noreturn]] void takeSigalrmOnTheMainThreadWhile (Body&& body)
    {
        sigset_t alarmOnly;
        sigemptyset (&alarmOnly);
        sigaddset (&alarmOnly, SIGALRM);
        ::pthread_sigmask (SIG_BLOCK, &alarmOnly, nullptr);

        std::thread (std::forward<Body> (body)).detach();

        for (;;)
        {
            int taken = 0;
            ::sigwait (&alarmOnly, &taken);
        }
    }

    /** Forks a child host that installs its crash handler (ending as end says),
        runs setUp (0 to go on, otherwise the exit code of the child) and then
        raises SIGSEGV; the parent times the child's end from the signal. With
        sigalrmTakenByHost, all that happens on a thread beside the main thread,
        which takes SIGALRM with sigwait meanwhile. */
    template <typename SetUp>
    CrashOutcome crashChildHost (HostHandlerEnd end, SetUp&& setUp, bool sigalrmTakenByHost = false)
    {
        CrashOutcome outcome;
        int raising[2], report[2];

        if (::pipe (raising) != 0 || ::pipe2 (report, O_NONBLOCK) != 0)
            return outcome;

        const auto pid = ::fork();

        if (pid == 0)
        {
            ::close (raising[0]);
            ::close (report[0]);
            hostReportFd = report[1];
            hostHandlerEnd = end;
            installHostCrashHandler();

            const auto crash = [&setUp, signalledFd = raising[1]]
            {
                if (const auto failure = setUp())
                    ::_exit (failure);

                const char now = 1;
                [[maybe_unused]] const auto written = ::write (signalledFd, &now, 1);
                ::raise (SIGSEGV);
                ::_exit (99);
            };

            if (sigalrmTakenByHost)
                takeSigalrmOnTheMainThreadWhile (crash);

            crash();
        }

        ::close (raising[1]);
        ::close (report[1]);

        if (pid < 0)
        {
            ::close (raising[0]);
            ::close (report[0]);
            return outcome;
        }

        const auto childEnd = corvanteelTest::waitForCrashingChild (pid, raising[0], 60000);
        if (childEnd.stillAliveAfterTenSeconds)
            ADD_FAILURE() << "the child host was still alive 10 s after the signal";

        outcome.status = childEnd.status;
        outcome.secondsAfterSignal = childEnd.secondsAfterSignal;

        char buffer[64];

        for (auto got = ::read (report[0], buffer, sizeof (buffer)); got > 0; got = ::read (report[0], buffer, sizeof (buffer)))
            outcome.hostHandlerRecord.append (buffer, (size_t) got);

        ::close (report[0]);
        return outcome;
    }

    /** The host's handler ran once for SIGSEGV; logged says whether the plug-in's report was in the log by then. */
    std::string hostHandlerRan (bool logged)
    {
        return { (char) SIGSEGV, logged ? 'L' : '-' };
    }

    int countReports (const juce::File& log)
    {
        return log.loadFileAsString().retainCharacters ("*").length() / 58;
    }

    /** Where the host's handler looks for the plug-in's report. */
    void watchCrashLogOf (const corvanteelTest::TemporaryHome& home)
    {
        const auto path = home.crashLogFile().getFullPathName().toStdString();
        ASSERT_LT (path.size(), sizeof (crashLogPath));
        std::strcpy (crashLogPath, path.c_str());
    }

    /** A child process with a fresh temporary HOME, whose crash log the host's handler can look at. */
    struct Vst2CrashHandler : public ::testing::Test
    {
        void SetUp() override
        {
           #if CORVANTEEL_NO_CRASH_HANDLER
            GTEST_SKIP() << "a sanitizer build of the plug-in installs no crash handler";
           #endif

            home = std::make_unique<corvanteelTest::TemporaryHome>();
            watchCrashLogOf (*home);
        }

        void TearDown() override
        {
            home.reset();
        }

        std::unique_ptr<corvanteelTest::TemporaryHome> home;
    };
}

//==============================================================================
TEST_F (Vst2CrashHandler, AfterTheLastInstanceIsGoneAndTheLibraryUnloadedTheHostsHandlerRuns)
{
    const auto outcome = crashChildHost (HostHandlerEnd::exit, []
    {
        auto first = std::make_unique<Vst2Host> (vst2Path());
        auto second = std::make_unique<Vst2Host> (vst2Path());

        if (! first->isLoaded() || ! second->isLoaded())
            return notLoaded;

        first.reset();

        if (hostHandlerIsInPlace (SIGSEGV))
            return handlerGoneTooEarly;

        second.reset(); // the last instance; the host unloads the library

        if (! hostHandlerIsInPlaceForAll())
            return handlerNotBack;

        return libraryIsLoaded() ? libraryStillLoaded : 0;
    });

    ASSERT_TRUE (WIFEXITED (outcome.status)) << describeStatus (outcome.status);
    EXPECT_EQ (WEXITSTATUS (outcome.status), hostHandlerExitCode) << describeStatus (outcome.status);
    EXPECT_EQ (outcome.hostHandlerRecord, hostHandlerRan (false));
    EXPECT_FALSE (home->crashLogFile().exists()) << "no instance, no report";
}

TEST_F (Vst2CrashHandler, AHandlerInstalledAfterThePlugInsStaysWhenTheLastInstanceGoes)
{
    const auto outcome = crashChildHost (HostHandlerEnd::exit, []
    {
        {
            Vst2Host host (vst2Path());

            if (! host.isLoaded())
                return notLoaded;

            ::signal (SIGABRT, laterHandler);
        }

        struct sigaction abortAction {};
        ::sigaction (SIGABRT, nullptr, &abortAction);

        if (abortAction.sa_handler != laterHandler)
            return laterHandlerGone;

        for (const auto signalNumber : fatalSignals)
            if (signalNumber != SIGABRT && ! hostHandlerIsInPlace (signalNumber))
                return handlerNotBack;

        return 0;
    });

    ASSERT_TRUE (WIFEXITED (outcome.status)) << describeStatus (outcome.status);
    EXPECT_EQ (WEXITSTATUS (outcome.status), hostHandlerExitCode) << describeStatus (outcome.status);
    EXPECT_EQ (outcome.hostHandlerRecord, hostHandlerRan (false));
}

TEST_F (Vst2CrashHandler, WithAnInstanceAliveTheReportIsWrittenAndThenTheHostsHandlerRuns)
{
    const auto outcome = crashChildHost (HostHandlerEnd::exit, []
    {
        auto* host = new Vst2Host (vst2Path()); // alive at the crash
        return host->isLoaded() ? 0 : notLoaded;
    });

    ASSERT_TRUE (WIFEXITED (outcome.status)) << describeStatus (outcome.status);
    EXPECT_EQ (WEXITSTATUS (outcome.status), hostHandlerExitCode) << describeStatus (outcome.status);
    EXPECT_EQ (outcome.hostHandlerRecord, hostHandlerRan (true)) << "the host's handler runs once, after the report";
    EXPECT_EQ (countReports (home->crashLogFile()), 1);
    EXPECT_TRUE (home->crashLogFile().loadFileAsString().contains ("\r\nCorvanteel v 1.1\r\n"));
}

TEST_F (Vst2CrashHandler, AHostHandlerThatReturnsOrHangsLeavesTheProcessEndedWithinTwoSeconds)
{
    for (const auto end : { HostHandlerEnd::returns, HostHandlerEnd::hangs })
    {
        SCOPED_TRACE (end == HostHandlerEnd::returns ? "the host's handler returns" : "the host's handler hangs");
        const corvanteelTest::TemporaryHome runHome;
        watchCrashLogOf (runHome);

        const auto outcome = crashChildHost (end, []
        {
            auto* host = new Vst2Host (vst2Path());
            return host->isLoaded() ? 0 : notLoaded;
        });

        ASSERT_TRUE (WIFSIGNALED (outcome.status)) << describeStatus (outcome.status);
        EXPECT_EQ (WTERMSIG (outcome.status), SIGKILL);
        EXPECT_LT (outcome.secondsAfterSignal, 2.0);
        EXPECT_EQ (outcome.hostHandlerRecord, hostHandlerRan (true));
        EXPECT_EQ (countReports (runHome.crashLogFile()), 1);
    }
}

TEST_F (Vst2CrashHandler, AHostThatTakesSigalrmWithSigwaitStillEndsWithinTwoSeconds)
{
    // Stalled in the plug-in's report (the loader's lock held), or in the host's
    // own handler: either way only the watchdog ends the process.
    for (const bool stallTheReport : { true, false })
    {
        SCOPED_TRACE (stallTheReport ? "the report waits for the loader" : "the host's handler hangs");

        const auto outcome = crashChildHost (HostHandlerEnd::hangs, [stallTheReport]
        {
            auto* host = new Vst2Host (vst2Path());

            if (! host->isLoaded())
                return notLoaded;

            return stallTheReport && ! corvanteelTest::holdLoaderLock() ? noThreadHeldTheLoader : 0;
        }, true);

        ASSERT_TRUE (WIFSIGNALED (outcome.status)) << describeStatus (outcome.status);
        EXPECT_EQ (WTERMSIG (outcome.status), SIGKILL);
        EXPECT_LT (outcome.secondsAfterSignal, 2.0);
        EXPECT_EQ (outcome.hostHandlerRecord, stallTheReport ? std::string() : hostHandlerRan (true));
    }
}
