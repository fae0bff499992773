#include "tests/TestHelpers.h"

#include "processor/CrashLog.h"
#include "processor/PlatformInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace
{
    const int fatalSignals[] = { SIGFPE, SIGILL, SIGSEGV, SIGBUS, SIGABRT, SIGSYS };

    /** In the child: what a host does before the plug-in crashes it. A sanitizer
        build leaves the handler out of the processor, so the child adds it. */
    void constructProcessorInChild()
    {
        auto* processor = new ZentovaAudioProcessor(); // never deleted: the child is killed
        juce::ignoreUnused (processor);

       #if CORVANTEEL_NO_CRASH_HANDLER
        installCrashHandler();
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
    testing::TemporaryHome home;

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
        testing::TemporaryHome home;
        ASSERT_FALSE (home.crashLogFile().getParentDirectory().exists());

        ASSERT_NO_FATAL_FAILURE (crashChild (signalNumber));

        ASSERT_TRUE (home.crashLogFile().existsAsFile());
        expectReports (readLog (home.crashLogFile()), 1);
    }
}

TEST (CrashLog, ASecondCrashAppendsASecondReport)
{
    testing::TemporaryHome home;

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
        testing::TemporaryHome home;

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

        const auto log = readLog (home.crashLogFile());
        ASSERT_GE (log.size(), kept.size());
        EXPECT_TRUE (log.compare (0, kept.size(), kept) == 0) << "the log does not begin with the kept part of the old one";
        expectReports (log.substr (kept.size()), 1);
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
