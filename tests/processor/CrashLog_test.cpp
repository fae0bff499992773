#include "tests/TestHelpers.h"

#include "processor/CrashLog.h"
#include "processor/PlatformInfo.h"
#include "CrashingChild.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
    const int fatalSignals[] = { SIGFPE, SIGILL, SIGSEGV, SIGBUS, SIGABRT, SIGSYS };

    /** In the child: what a host does before the plug-in crashes it. A sanitizer
        build leaves the handler out of the processor, so the child adds it, in
        place of the sanitizer's own handlers: these tests are about a host with
        none, where the report ends the process. */
    void constructProcessorInChild()
    {
        auto* processor = new ZentovaAudioProcessor(); // never deleted: the child is killed
        juce::ignoreUnused (processor);

       #if CORVANTEEL_NO_CRASH_HANDLER
        for (const auto signalNumber : fatalSignals)
            ::signal (signalNumber, SIG_DFL);

        installCrashHandler (ZentovaAudioProcessor::versionNumber);
       #endif
    }

    /** Runs childBody in a forked child, which must end by itself (exit or
        signal) within 30 seconds, and gives back its wait status. */
    template <typename ChildBody>
    int runInChildProcess (ChildBody&& childBody)
    {
        const auto pid = ::fork();

        if (pid == 0)
        {
            childBody();
            ::_exit (99); // never back into the test runner
        }

        if (pid < 0)
            return -1;

        int status = 0;

        for (int waited = 0; waited < 3000; ++waited)
        {
            if (::waitpid (pid, &status, WNOHANG) == pid)
                return status;

            juce::Thread::sleep (10);
        }

        ::kill (pid, SIGKILL);
        ::waitpid (pid, &status, 0);
        ADD_FAILURE() << "the child process did not end";
        return -1;
    }

    /** A child that builds a processor and then receives the fatal signal. */
    void crashChild (int signalNumber)
    {
        const auto status = runInChildProcess ([signalNumber]
        {
            constructProcessorInChild();
            ::raise (signalNumber);
        });

        ASSERT_TRUE (WIFSIGNALED (status)) << "the child exited with status " << status;
        EXPECT_EQ (WTERMSIG (status), SIGKILL) << "the handler ends the process with SIGKILL";
    }

    /** How a child that raised a fatal signal ended, and how long after the signal. */
    struct CrashOutcome
    {
        int status = -1;
        double secondsAfterSignal = 0.0;
    };

    /** A child that builds a processor, runs setUp (which may leave the process
        in any state) and then receives the fatal signal; the parent times the
        child's end from the moment it raises the signal. setUp returning false
        ends the child with status 77 instead: the state could not be made. */
    template <typename SetUp>
    CrashOutcome crashChildAfter (int signalNumber, SetUp&& setUp)
    {
        int raising[2];

        if (::pipe (raising) != 0)
            return {};

        const auto pid = ::fork();

        if (pid == 0)
        {
            ::close (raising[0]);
            constructProcessorInChild();

            if (! setUp())
                ::_exit (77);

            const char now = 1;
            [[maybe_unused]] const auto written = ::write (raising[1], &now, 1);
            ::raise (signalNumber);
            ::_exit (99);
        }

        ::close (raising[1]);
        CrashOutcome outcome;

        if (pid < 0)
        {
            ::close (raising[0]);
            return outcome;
        }

        const auto end = corvanteelTest::waitForCrashingChild (pid, raising[0], 30000);
        if (end.stillAliveAfterTenSeconds)
            ADD_FAILURE() << "the child process did not end";

        outcome.status = end.status;
        outcome.secondsAfterSignal = end.secondsAfterSignal;
        return outcome;
    }

    /** In the child: a thread that keeps the allocator's main arena locked.
        glibc's malloc_stats holds each arena's lock while it prints that arena's
        figures to stderr, and stderr here is a full pipe that nobody reads, so
        the thread blocks in write with the lock held. Returns once it is
        blocked there, as /proc shows; no allocation from then on. */
    bool holdAllocatorLock()
    {
        int ends[2];

        if (::pipe2 (ends, O_NONBLOCK) != 0)
            return false;

        const char junk[4096] = {};
        while (::write (ends[1], junk, sizeof (junk)) > 0) {}
        while (::write (ends[1], junk, 1) > 0) {}

        // The read end stays open, so a write blocks rather than fails.
        if (::fcntl (ends[1], F_SETFL, 0) != 0 || ::dup2 (ends[1], STDERR_FILENO) != STDERR_FILENO)
            return false;

        static std::atomic<long> holder { 0 };

        std::thread ([]
        {
            holder = ::syscall (SYS_gettid);
            ::malloc_stats();
        }).detach();

        while (holder == 0)
            std::this_thread::yield();

        char path[64];
        std::snprintf (path, sizeof (path), "/proc/self/task/%ld/syscall", holder.load());

        for (int attempt = 0; attempt < 5000; ++attempt)
        {
            char text[64] = {};
            const auto file = ::open (path, O_RDONLY);

            if (file < 0)
                return false;

            const auto got = ::read (file, text, sizeof (text) - 1);
            ::close (file);

            if (got > 0 && std::strtol (text, nullptr, 10) == SYS_write)
                return true;

            ::usleep (1000);
        }

        return false;
    }

    std::string readLog (const juce::File& file)
    {
        juce::MemoryBlock data;
        file.loadFileAsData (data);
        return { static_cast<const char*> (data.getData()), data.getSize() };
    }

    /** The lines of text that must end in CR LF, with no other CR or LF in them. */
    std::vector<std::string> splitCrLfLines (const std::string& text)
    {
        std::vector<std::string> lines;
        size_t start = 0;

        for (auto end = text.find ("\r\n"); end != std::string::npos; end = text.find ("\r\n", start))
        {
            lines.push_back (text.substr (start, end - start));
            EXPECT_EQ (lines.back().find_first_of ("\r\n"), std::string::npos) << "a bare line break in: " << lines.back();
            start = end + 2;
        }

        EXPECT_EQ (start, text.size()) << "text after the last CR LF";
        return lines;
    }

    /** Checks that text holds exactly numReports reports, one after the other. */
    void expectReports (const std::string& text, int numReports)
    {
        const auto lines = splitCrLfLines (text);

        const std::regex started ("Log started: ([1-9]|[12][0-9]|3[01]) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                                  "[0-9]{4} ([1-9]|1[0-2]):[0-5][0-9]:[0-5][0-9](am|pm)");
        const std::regex processors ("CPU : ([0-9]+) x [0-9]+ MHz");
        const auto systemLine = PlatformInfo::operatingSystemDescription().toStdString();
        const auto memoryLine = "Memory : " + std::to_string (PlatformInfo::memorySizeBytes() / 1048576) + " MB";

        size_t i = 0;
        const auto next = [&]() -> std::string { return i < lines.size() ? lines[i++] : std::string ("<end of log>"); };

        for (int report = 0; report < numReports; ++report)
        {
            SCOPED_TRACE ("report " + std::to_string (report + 1));

            EXPECT_EQ (next(), "");
            EXPECT_EQ (next(), std::string (58, '*'));
            EXPECT_EQ (next(), "Pendrawquiller Corvanteel");
            const auto startedLine = next();
            EXPECT_TRUE (std::regex_match (startedLine, started)) << startedLine;
            EXPECT_EQ (next(), "");

            int frames = 0;
            for (; i < lines.size() && ! lines[i].empty(); ++i)
                ++frames;
            EXPECT_GE (frames, 1) << "the stack of the crashing thread";

            EXPECT_EQ (next(), "");
            EXPECT_EQ (next(), "Corvanteel v 1.1");
            EXPECT_EQ (next(), "Unknown") << "the test runner is no host that JUCE knows";
            EXPECT_EQ (next(), systemLine);

            std::smatch match;
            const auto processorLine = next();
            ASSERT_TRUE (std::regex_match (processorLine, match, processors)) << processorLine;
            EXPECT_EQ (std::stoi (match[1]), PlatformInfo::activeProcessorCount());

            EXPECT_EQ (next(), memoryLine);
        }

        EXPECT_EQ (i, lines.size()) << "lines after the last report";
    }

    // The log begins with what was kept of the old one, then holds exactly one new
    // report, and no temporary file of the trimming is left beside it.
    void expectOneReportAfter (const corvanteelTest::TemporaryHome& home, const std::string& kept)
    {
        const auto log = readLog (home.crashLogFile());
        ASSERT_GE (log.size(), kept.size());
        EXPECT_TRUE (log.compare (0, kept.size(), kept) == 0) << "the log does not begin with the kept part of the old one";
        expectReports (log.substr (kept.size()), 1);
        EXPECT_EQ (home.crashLogFile().getParentDirectory().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1)
            << "a temporary file left beside the log";
    }

    /** A log of exactly size bytes: numbered 100-byte lines, each ending in CR LF. */
    std::string makeOldLog (size_t size)
    {
        std::string log;

        for (int line = 0; log.size() < size; ++line)
        {
            const auto length = std::min<size_t> (100, size - log.size());
            auto text = std::to_string (line) + ' ';
            text.resize (length - 2, '.');
            log += text + "\r\n";
        }

        return log;
    }
}

TEST (CrashLog, EveryFatalSignalGetsTheHandlerWithoutRestartingSystemCalls)
{
    corvanteelTest::TemporaryHome home;

    const auto status = runInChildProcess ([]
    {
        constructProcessorInChild();

        struct sigaction segvAction {};
        ::sigaction (SIGSEGV, nullptr, &segvAction);

        int faults = 0;

        JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wzero-as-null-pointer-constant", "-Wold-style-cast")
        for (const auto signalNumber : fatalSignals)
        {
            struct sigaction action {};
            ::sigaction (signalNumber, nullptr, &action);

            const bool handled = action.sa_handler != SIG_DFL && action.sa_handler != SIG_IGN
                              && action.sa_handler == segvAction.sa_handler;
            faults += handled && (action.sa_flags & SA_RESTART) == 0 ? 0 : 1;
        }
        JUCE_END_IGNORE_WARNINGS_GCC_LIKE

        ::_exit (faults);
    });

    ASSERT_TRUE (WIFEXITED (status));
    EXPECT_EQ (WEXITSTATUS (status), 0) << "signals without the handler, or with SA_RESTART";
}

TEST (CrashLog, EachFatalSignalWritesOneReportAndKillsTheProcess)
{
    for (const auto signalNumber : fatalSignals)
    {
        SCOPED_TRACE (::strsignal (signalNumber));
        corvanteelTest::TemporaryHome home;
        ASSERT_FALSE (home.crashLogFile().getParentDirectory().exists());

        ASSERT_NO_FATAL_FAILURE (crashChild (signalNumber));

        ASSERT_TRUE (home.crashLogFile().existsAsFile());
        expectReports (readLog (home.crashLogFile()), 1);
    }
}

TEST (CrashLog, ASecondCrashAppendsASecondReport)
{
    corvanteelTest::TemporaryHome home;

    ASSERT_NO_FATAL_FAILURE (crashChild (SIGSEGV));
    ASSERT_NO_FATAL_FAILURE (crashChild (SIGSEGV));

    expectReports (readLog (home.crashLogFile()), 2);
}

TEST (CrashLog, ALongLogIsTrimmedToItsTailBeforeTheReport)
{
    constexpr size_t limit = 131072;

    for (const size_t oldSize : { (size_t) 200000, limit, limit - 1 })
    {
        SCOPED_TRACE ("old log of " + std::to_string (oldSize) + " bytes");
        corvanteelTest::TemporaryHome home;

        const auto oldLog = makeOldLog (oldSize);
        ASSERT_EQ (oldLog.size(), oldSize);
        ASSERT_TRUE (home.crashLogFile().getParentDirectory().createDirectory());
        ASSERT_TRUE (home.crashLogFile().replaceWithData (oldLog.data(), oldLog.size()));

        ASSERT_NO_FATAL_FAILURE (crashChild (SIGSEGV));

        // What survives: everything from the first line break in the last
        // 131072 bytes, or the whole log when it is no longer than that.
        const auto kept = oldSize > limit ? oldLog.substr (oldLog.find_first_of ("\r\n", oldSize - limit))
                                          : oldLog;
        ASSERT_LE (kept.size(), limit);

        expectOneReportAfter (home, kept);
    }
}

TEST (CrashLog, ALogWhoseTailHoldsNoLineBreakIsLeftWhole)
{
    // No line break at all, and a zero byte before the first line break of the tail.
    std::string zeroFirst (200000, '.');
    zeroFirst[200000 - 131072 + 10] = 0;
    zeroFirst[200000 - 131072 + 20] = '\n';

    for (const auto& oldLog : { std::string (200000, '.'), zeroFirst })
    {
        corvanteelTest::TemporaryHome home;
        ASSERT_TRUE (home.crashLogFile().getParentDirectory().createDirectory());
        ASSERT_TRUE (home.crashLogFile().replaceWithData (oldLog.data(), oldLog.size()));

        ASSERT_NO_FATAL_FAILURE (crashChild (SIGSEGV));

        expectOneReportAfter (home, oldLog);
    }
}

TEST (CrashLog, TheReportNeedsNoAllocatorThatAnotherThreadHolds)
{
    corvanteelTest::TemporaryHome home;

    const auto outcome = crashChildAfter (SIGSEGV, holdAllocatorLock);

    if (WIFEXITED (outcome.status) && WEXITSTATUS (outcome.status) == 77)
        GTEST_SKIP() << "no thread could be made to hold the allocator's lock";

    ASSERT_TRUE (WIFSIGNALED (outcome.status)) << "the child ended with status " << outcome.status;
    EXPECT_EQ (WTERMSIG (outcome.status), SIGKILL);
    EXPECT_LT (outcome.secondsAfterSignal, 2.0);
    expectReports (readLog (home.crashLogFile()), 1);
}

TEST (CrashLog, AHandlerStuckOnALockIsEndedBySigkillWithinTwoSeconds)
{
    corvanteelTest::TemporaryHome home;

    const auto outcome = crashChildAfter (SIGSEGV, corvanteelTest::holdLoaderLock);

    ASSERT_TRUE (WIFSIGNALED (outcome.status)) << "the child ended with status " << outcome.status;
    EXPECT_EQ (WTERMSIG (outcome.status), SIGKILL);
    EXPECT_LT (outcome.secondsAfterSignal, 2.0);

    // The stack cannot be symbolised while the loader is locked: the report
    // stops after its banner.
    const auto lines = splitCrLfLines (readLog (home.crashLogFile()));
    ASSERT_GE (lines.size(), 4u);
    EXPECT_EQ (lines[0], "");
    EXPECT_EQ (lines[1], std::string (58, '*'));
    EXPECT_EQ (lines[2], "Pendrawquiller Corvanteel");
    EXPECT_EQ (lines[3].rfind ("Log started: ", 0), 0u) << lines[3];
    EXPECT_EQ (std::count (lines.begin(), lines.end(), "Corvanteel v 1.1"), 0);
}

TEST (CrashLog, TheReportStartsAtTheLocalTimeOfTheCrash)
{
    // UTC, a zone whose offset is not whole hours, and one with daylight saving.
    for (const auto* zoneName : { "UTC0", "<+0545>-5:45", "EST5EDT,M3.2.0,M11.1.0" })
    {
        SCOPED_TRACE (zoneName);
        const corvanteelTest::TemporaryTimeZone zone (zoneName);
        corvanteelTest::TemporaryHome home;

        const auto before = std::time (nullptr);
        ASSERT_NO_FATAL_FAILURE (crashChild (SIGSEGV));
        const auto after = std::time (nullptr);

        const auto lines = splitCrLfLines (readLog (home.crashLogFile()));
        ASSERT_GE (lines.size(), 4u);

        juce::StringArray expected;

        for (auto t = before; t <= after; ++t)
            expected.add ("Log started: " + juce::Time ((juce::int64) t * 1000).toString (true, true));

        EXPECT_TRUE (expected.contains (lines[3])) << lines[3] << " is none of " << expected.joinIntoString (", ");
    }
}

TEST (CrashLogPlatformInfo, DescribesTheDistributionFromOsRelease)
{
    struct Case { const char* osRelease; const char* expected; };

    const Case cases[] =
    {
        { "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\n", "Debian GNU/Linux 12" },
        { "NAME=Fedora\nVERSION_ID=39\n",                                    "Fedora 39" },
        { "NAME='Arch Linux'\nPRETTY_NAME=\"Arch Linux\"\n",                 "Arch Linux" },
        { "# comment\nPRETTY_NAME=\"Some \\\"Quoted\\\" OS\"\n",             "Some \"Quoted\" OS" },
        { "",                                                                "Linux" },
    };

    for (const auto& c : cases)
        EXPECT_EQ (PlatformInfo::describeOsRelease (c.osRelease), c.expected) << c.osRelease;
}

TEST (CrashLogPlatformInfo, ReportsTheMachine)
{
    EXPECT_GE (PlatformInfo::activeProcessorCount(), 1);
    EXPECT_GE (PlatformInfo::processorFrequencyHz(), 0);
    EXPECT_EQ (PlatformInfo::memorySizeBytes() / 1048576, (juce::int64) juce::SystemStats::getMemorySizeInMegabytes());
    EXPECT_TRUE (PlatformInfo::operatingSystemDescription().isNotEmpty());
}
