#include "CrashLog.h"

#include "lib/velmo_juce_homeFolders.h"
#include "processor/CrashLogClock.h"
#include "processor/PlatformInfo.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <execinfo.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

// The report is written inside a fatal-signal handler, where the crash may have
// left any lock held: the allocator's, stdio's, the time zone's. So whatever
// needs allocation or a lock is prepared at installation, and the handler makes
// plain system calls (open, write, rename and the like) on that prepared text
// and buffers on its own stack. Only naming the stack's functions
// (backtrace_symbols_fd) may wait, on the dynamic loader's lock: the watchdog
// below ends the process whatever happens there.
namespace
{
    const char* const welcomeText = "Pendrawquiller Corvanteel";
    const char* const lineBreak = "\r\n"; // juce::newLine, on every platform

    // The log is trimmed to its last 128 KiB whenever a report begins.
    constexpr off_t logSizeLimit = 131072;
    constexpr int maxFrames = 128;

    // The offsets of the time zone are read for four years from the start of
    // the current 365-day period, so they are the same for every installation
    // within it and reach at least three years past the last one.
    constexpr std::time_t clockPeriod = 365 * 86400;
    constexpr int clockDays = 4 * 365;

    /** Everything a report says apart from its stack, and where it goes. */
    struct ReportTexts
    {
        explicit ReportTexts (CrashLogClock c) : clock (std::move (c)) {}

        std::string logFile;
        std::vector<std::string> logFolders; // the log's folder and those above it, outermost first
        std::string temporaryFileStem;       // beside the log; eight hex digits and the extension follow
        std::string logFileExtension;
        std::string bannerStart;             // up to the time: line break, asterisks, welcome text, "Log started: "
        CrashLogClock clock;
        std::vector<std::string> closingLines; // product, host, system, processors, memory

        bool operator== (const ReportTexts& other) const
        {
            return logFile == other.logFile && logFolders == other.logFolders
                && temporaryFileStem == other.temporaryFileStem && logFileExtension == other.logFileExtension
                && bannerStart == other.bannerStart && clock == other.clock && closingLines == other.closingLines;
        }
    };

    ReportTexts describeThisProcess (const juce::String& productVersion)
    {
        const auto now = std::time (nullptr);
        ReportTexts texts (CrashLogClock (now - now % clockPeriod, clockDays));

        // Under the home folder on every platform, where macOS keeps user logs.
        const auto logFile = velmoLib::userLibraryFile ("Logs/Pendrawquiller/CorvanteelLog.txt");

        texts.logFile = logFile.getFullPathName().toStdString();
        texts.temporaryFileStem = logFile.getSiblingFile (logFile.getFileNameWithoutExtension() + "_temp").getFullPathName().toStdString();
        texts.logFileExtension = logFile.getFileExtension().toStdString();
        texts.bannerStart = (juce::String (lineBreak) + juce::String::repeatedString ("*", 58) + lineBreak
                                 + welcomeText + lineBreak + "Log started: ").toStdString();

        for (auto folder = logFile.getParentDirectory(); folder != folder.getParentDirectory(); folder = folder.getParentDirectory())
            texts.logFolders.insert (texts.logFolders.begin(), folder.getFullPathName().toStdString());

        const juce::String host (juce::PluginHostType().getHostDescription());

        for (const auto& line : { "Corvanteel " + productVersion,
                                  host.isNotEmpty() ? host : juce::String ("Unknown"),
                                  PlatformInfo::operatingSystemDescription(),
                                  "CPU : " + juce::String (PlatformInfo::activeProcessorCount())
                                      + " x " + juce::String (PlatformInfo::processorFrequencyHz() / 1000000) + " MHz",
                                  "Memory : " + juce::String (PlatformInfo::memorySizeBytes() / 1048576) + " MB" })
            texts.closingLines.push_back (line.toStdString());

        return texts;
    }

    // One handler serves the whole process, so its texts are process-wide too.
    // An installation fills the slot that is not published and then publishes
    // it, so a crash on another thread always reads one complete set.
    std::optional<ReportTexts> preparedTexts[2];
    std::atomic<int> publishedSlot { -1 };
    std::mutex installMutex;

    /** Called with installMutex held. */
    void prepareReportTexts (const juce::String& productVersion)
    {
        auto texts = describeThisProcess (productVersion);
        const auto current = publishedSlot.load();

        if (current >= 0 && *preparedTexts[current] == texts)
            return;

        const auto next = current == 0 ? 1 : 0;
        preparedTexts[next] = std::move (texts);
        publishedSlot.store (next);
    }

    void loadStackUnwinder()
    {
        // glibc loads its unwinder on the first backtrace, allocating as it goes;
        // better here than inside a crash.
        void* frame[1];
        ::backtrace (frame, 1);
    }

    //==============================================================================
    bool writeAll (int file, const char* data, size_t size)
    {
        while (size > 0)
        {
            const auto written = ::write (file, data, size);

            if (written < 0 && errno == EINTR)
                continue;

            if (written <= 0)
                return false;

            data += written;
            size -= (size_t) written;
        }

        return true;
    }

    bool isFolder (const std::string& path)
    {
        struct stat info {};
        return ::stat (path.c_str(), &info) == 0 && S_ISDIR (info.st_mode);
    }

    /** One message of the log, as juce::FileLogger appends it: the file opened
        for appending, the text and a line break written, the file closed. */
    class LogMessage
    {
    public:
        explicit LogMessage (const std::string& logFile)
            : file (::open (logFile.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644))
        {
        }

        ~LogMessage()
        {
            add (lineBreak);
            flush();

            if (file >= 0)
                ::close (file);
        }

        void add (const char* text, size_t length)
        {
            for (size_t i = 0; i < length; ++i)
            {
                if (used == sizeof (pending))
                    flush();

                pending[used++] = text[i];
            }
        }

        void add (const char* text)          { add (text, std::strlen (text)); }
        void add (const std::string& text)   { add (text.data(), text.size()); }

    private:
        void flush()
        {
            if (file >= 0)
                writeAll (file, pending, used);

            used = 0;
        }

        const int file;
        char pending[512];
        size_t used = 0;

        JUCE_DECLARE_NON_COPYABLE (LogMessage)
    };

    //==============================================================================
    /** Copies in from its first CR or LF byte to its end into out; false when a
        zero byte or the end comes first, or reading or writing fails. */
    bool copyFromFirstLineBreak (int in, int out)
    {
        char buffer[1024];
        bool found = false;

        for (;;)
        {
            const auto got = ::read (in, buffer, sizeof (buffer));

            if (got < 0 && errno == EINTR)
                continue;

            if (got <= 0)
                return found && got == 0;

            size_t start = 0;

            if (! found)
            {
                for (; start < (size_t) got && buffer[start] != '\r' && buffer[start] != '\n'; ++start)
                    if (buffer[start] == 0)
                        return false;

                found = start < (size_t) got;
            }

            if (found && ! writeAll (out, buffer + start, (size_t) got - start))
                return false;
        }
    }

    /** A new empty file beside the log, its path written into path. */
    int createTemporaryFile (const ReportTexts& texts, char (&path)[PATH_MAX])
    {
        const auto stemLength = texts.temporaryFileStem.size();
        const auto extensionLength = texts.logFileExtension.size();

        if (stemLength + 8 + extensionLength >= sizeof (path))
            return -1;

        std::memcpy (path, texts.temporaryFileStem.data(), stemLength);
        std::memcpy (path + stemLength + 8, texts.logFileExtension.data(), extensionLength);
        path[stemLength + 8 + extensionLength] = 0;

        auto number = (unsigned int) ::getpid() * 2654435761u + (unsigned int) std::time (nullptr);

        for (int attempt = 0; attempt < 16; ++attempt, ++number)
        {
            for (int digit = 0; digit < 8; ++digit)
                path[stemLength + (size_t) digit] = "0123456789abcdef"[(number >> (28 - 4 * digit)) & 15];

            const auto file = ::open (path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);

            if (file >= 0 || errno != EEXIST)
                return file;
        }

        return -1;
    }

    /** What juce::FileLogger does to a log larger than the limit when it opens
        it: from the first line break in its last 131072 bytes, the log is copied
        into a temporary file beside it, which then replaces it (five attempts,
        100 ms apart). Anything that fails leaves the log as it was. */
    void trimLog (const ReportTexts& texts)
    {
        struct stat info {};

        if (::stat (texts.logFile.c_str(), &info) != 0 || info.st_size <= logSizeLimit)
            return;

        const auto log = ::open (texts.logFile.c_str(), O_RDONLY | O_CLOEXEC);

        if (log < 0)
            return;

        char temporaryPath[PATH_MAX];
        const auto tail = createTemporaryFile (texts, temporaryPath);
        bool copied = false;

        if (tail >= 0)
        {
            copied = ::lseek (log, info.st_size - logSizeLimit, SEEK_SET) >= 0 && copyFromFirstLineBreak (log, tail);
            ::close (tail);
        }

        ::close (log);

        if (tail < 0)
            return;

        for (int attempt = 0; copied && attempt < 5; ++attempt)
        {
            if (attempt > 0)
                ::poll (nullptr, 0, 100); // poll, unlike nanosleep, is async-signal-safe

            if (::rename (temporaryPath, texts.logFile.c_str()) == 0)
                return;
        }

        ::unlink (temporaryPath);
    }

    /** Creates the log empty, and any missing folder above it, when it does not exist. */
    void createLogIfMissing (const ReportTexts& texts)
    {
        struct stat info {};

        if (::stat (texts.logFile.c_str(), &info) == 0)
            return;

        auto existing = texts.logFolders.size();

        while (existing > 0 && ! isFolder (texts.logFolders[existing - 1]))
            --existing;

        for (auto i = existing; i < texts.logFolders.size(); ++i)
            ::mkdir (texts.logFolders[i].c_str(), 0777);

        const auto file = ::open (texts.logFile.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);

        if (file >= 0)
            ::close (file);
    }

    /** The text of each frame of this thread's stack, innermost first, each on
        its own line. backtrace_symbols_fd gives backtrace_symbols' text without
        allocating, but ends it in a bare LF, so it writes into a pipe and each
        frame is copied on from there with a CR LF. */
    void addStack (LogMessage& message)
    {
        void* frames[maxFrames];
        const auto numFrames = ::backtrace (frames, maxFrames);

        int pipeEnds[2];

        if (::pipe (pipeEnds) != 0)
            return;

        // Neither end blocks: a frame longer than the pipe holds is cut short.
        for (const auto end : pipeEnds)
        {
            ::fcntl (end, F_SETFD, FD_CLOEXEC);
            ::fcntl (end, F_SETFL, ::fcntl (end, F_GETFL) | O_NONBLOCK);
        }

        for (int i = 0; i < numFrames; ++i)
        {
            ::backtrace_symbols_fd (frames + i, 1, pipeEnds[1]);

            char text[256];

            for (;;)
            {
                const auto got = ::read (pipeEnds[0], text, sizeof (text));

                if (got < 0 && errno == EINTR)
                    continue;

                if (got <= 0)
                    break;

                for (ssize_t c = 0; c < got; ++c)
                    if (text[c] != '\n')
                        message.add (text + c, 1);
            }

            message.add (lineBreak);
        }

        ::close (pipeEnds[0]);
        ::close (pipeEnds[1]);
    }

    //==============================================================================
    // The fatal signals, in the order the handler is installed for them.
    constexpr int fatalSignals[] = { SIGFPE, SIGILL, SIGSEGV, SIGBUS, SIGABRT, SIGSYS };
    constexpr int numFatalSignals = (int) (sizeof (fatalSignals) / sizeof (fatalSignals[0]));

    // What each signal had before the first instance installed the handler: the
    // host's own crash handling, which receives the signal once the report is
    // written and is put back when the last instance goes. Written under
    // installMutex before the handler is in place for that signal, and never
    // while it is, so a crash always reads a whole one.
    struct sigaction previousActions[numFatalSignals];
    int installations = 0; // instances alive; under installMutex

    void handleFatalSignal (int signalNumber, siginfo_t* info, void* context);

    bool isThisHandler (const struct sigaction& action)
    {
        return (action.sa_flags & SA_SIGINFO) != 0 && action.sa_sigaction == handleFatalSignal;
    }

    /** For every fatal signal whose handler is still this one, the action that
        was in place before it; one that someone installed since stays. */
    void restorePreviousActions()
    {
        for (int i = 0; i < numFatalSignals; ++i)
        {
            struct sigaction current {};

            if (::sigaction (fatalSignals[i], nullptr, &current) == 0 && isThisHandler (current))
                ::sigaction (fatalSignals[i], &previousActions[i], nullptr);
        }
    }

    //==============================================================================
    // A watchdog ends the process even if the handler blocks: symbolising the
    // stack takes the dynamic loader's lock, a crash can leave any lock held, and
    // the host's handler that the signal is handed on to may return or never end.
    // It is a POSIX timer, created at installation, whose expiry sends SIGKILL to
    // the process; the handler arms it with timer_settime, which is
    // async-signal-safe. SIGKILL cannot be blocked, caught or taken with sigwait,
    // so no thread of the host can swallow it, as one that takes SIGALRM with
    // sigwait would swallow alarm(). 1 s, with margin under the 2 s in which the
    // process must be gone.
    constexpr unsigned int watchdogSeconds = 1;

    timer_t watchdogTimer {};
    std::atomic<pid_t> watchdogProcess { 0 }; // the process that owns the timer, 0 while there is none

    static_assert (std::atomic<pid_t>::is_always_lock_free, "the signal handler reads it");

    void createWatchdog()
    {
        sigevent expiry {};
        expiry.sigev_notify = SIGEV_SIGNAL;
        expiry.sigev_signo = SIGKILL;

        if (::timer_create (CLOCK_MONOTONIC, &expiry, &watchdogTimer) == 0)
            watchdogProcess.store (::getpid());
    }

    void deleteWatchdog()
    {
        const auto owner = watchdogProcess.exchange (0);

        // A child of a fork did not inherit the timer: its id is not its own.
        if (owner == ::getpid())
            ::timer_delete (watchdogTimer);
    }

    void killThisProcess (int)
    {
        ::kill (::getpid(), SIGKILL);
    }

    /** Without a timer of this process (a child of a fork after installation, or
        timer_create refused): alarm(), whose SIGALRM handler sends SIGKILL. The
        crashing thread unblocks SIGALRM, so some thread can take it, even one
        asleep on a lock. */
    void startAlarmWatchdog()
    {
        struct sigaction onAlarm {};
        onAlarm.sa_handler = killThisProcess;
        sigemptyset (&onAlarm.sa_mask);
        ::sigaction (SIGALRM, &onAlarm, nullptr);

        sigset_t alarmOnly;
        sigemptyset (&alarmOnly);
        sigaddset (&alarmOnly, SIGALRM);
        ::pthread_sigmask (SIG_UNBLOCK, &alarmOnly, nullptr);

        ::alarm (watchdogSeconds);
    }

    void startWatchdog()
    {
        itimerspec once {};
        once.it_value.tv_sec = (time_t) watchdogSeconds;

        if (watchdogProcess.load() != ::getpid() || ::timer_settime (watchdogTimer, 0, &once, nullptr) != 0)
            startAlarmWatchdog();
    }

    //==============================================================================
    /** Hands the signal on to the handler that was in place before this one, as
        the kernel would have called it, after putting the earlier actions back,
        so that whatever it does next (re-raising the signal, abort()) meets the
        host's own handling and not this report again. Returns at once when there
        was no handler before (default or ignore), or when that one returns. */
    void handOnToPreviousHandler (int signalNumber, siginfo_t* info, void* context)
    {
        int index = 0;

        while (index < numFatalSignals && fatalSignals[index] != signalNumber)
            ++index;

        if (index == numFatalSignals)
            return;

        const auto previous = previousActions[index];
        const bool takesInfo = (previous.sa_flags & SA_SIGINFO) != 0;

        JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wzero-as-null-pointer-constant", "-Wold-style-cast")
        const bool isHandler = takesInfo ? previous.sa_sigaction != nullptr
                                         : (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN);
        JUCE_END_IGNORE_WARNINGS_GCC_LIKE

        if (! isHandler)
            return;

        restorePreviousActions();

        if (((unsigned int) previous.sa_flags & SA_RESETHAND) != 0)
        {
            struct sigaction defaultAction {};
            defaultAction.sa_handler = SIG_DFL;
            sigemptyset (&defaultAction.sa_mask);
            ::sigaction (signalNumber, &defaultAction, nullptr);
        }

        ::pthread_sigmask (SIG_BLOCK, &previous.sa_mask, nullptr);

        if (takesInfo)
            previous.sa_sigaction (signalNumber, info, context);
        else
            previous.sa_handler (signalNumber);

        // A handler that restored the default and raised the signal again, as
        // many do, finds it blocked while it runs: it is delivered now.
        sigset_t thisSignal;
        sigemptyset (&thisSignal);
        sigaddset (&thisSignal, signalNumber);
        ::pthread_sigmask (SIG_UNBLOCK, &thisSignal, nullptr);
    }

    static_assert (std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
                   "the signal handler reads atomics, which must not take locks");

    std::atomic<bool> reportStarted { false };

    void handleFatalSignal (int signalNumber, siginfo_t* info, void* context)
    {
        // One report per process. A fatal signal during it, on another thread or
        // on this one, waits for the end rather than cutting the report short;
        // the watchdog still ends the process on time.
        if (reportStarted.exchange (true))
            for (;;)
                ::pause();

        startWatchdog();
        writeCrashLog();
        handOnToPreviousHandler (signalNumber, info, context);
        ::kill (::getpid(), SIGKILL);
    }
}

//==============================================================================
void installCrashHandler (const juce::String& productVersion)
{
    const std::lock_guard<std::mutex> lock (installMutex);

    prepareReportTexts (productVersion);
    loadStackUnwinder();

    if (installations++ > 0)
        return;

    createWatchdog();

    // The handler is set with sigaction rather than through
    // juce::SystemStats::setApplicationCrashHandler: it needs the earlier
    // actions to hand the signal on to and to put back, and the signal's
    // information for the handler it hands on to. Without SA_RESTART, as JUCE
    // sets it: system calls the signal interrupts are not restarted.
    struct sigaction action {};
    action.sa_sigaction = handleFatalSignal;
    action.sa_flags = SA_SIGINFO;
    sigemptyset (&action.sa_mask);

    for (int i = 0; i < numFatalSignals; ++i)
    {
        struct sigaction previous {};
        ::sigaction (fatalSignals[i], nullptr, &previous);

        // Never this handler itself, which would hand the signal back to itself.
        if (isThisHandler (previous))
        {
            previous = {};
            previous.sa_handler = SIG_DFL;
            sigemptyset (&previous.sa_mask);
        }

        previousActions[i] = previous;
        ::sigaction (fatalSignals[i], &action, nullptr);
    }
}

void uninstallCrashHandler()
{
    const std::lock_guard<std::mutex> lock (installMutex);

    if (installations == 0 || --installations > 0)
        return;

    // Before the host may unload the library, whose code the handler is.
    restorePreviousActions();
    deleteWatchdog();
}

void writeCrashLog()
{
    const auto slot = publishedSlot.load();

    if (slot < 0)
        return; // nothing installed, nothing prepared

    const auto& texts = *preparedTexts[slot];

    trimLog (texts);
    createLogIfMissing (texts);

    {
        LogMessage banner (texts.logFile);
        char now[128];
        banner.add (texts.bannerStart);
        banner.add (now, texts.clock.format (std::time (nullptr), now, sizeof (now)));
        banner.add (lineBreak);
    }

    {
        LogMessage stack (texts.logFile);
        addStack (stack);
    }

    for (const auto& line : texts.closingLines)
    {
        LogMessage message (texts.logFile);
        message.add (line);
    }
}
