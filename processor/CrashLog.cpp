#include "CrashLog.h"

#include "processor/PlatformInfo.h"
#include "processor/PluginProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <mutex>

#if JUCE_MAC || JUCE_LINUX || JUCE_BSD
 #include <execinfo.h>
#endif

namespace
{
    const char* const welcomeText = "Pendrawquiller Corvanteel";

    // The log is trimmed to its last 128 KiB whenever a report begins.
    constexpr juce::int64 logSizeLimit = 131072;

    /** Everything a report says apart from its banner and stack: it is all known
        before anything crashes, so the handler only has to write it out. */
    struct ReportTexts
    {
        juce::File logFile;
        juce::String productLine, hostLine, systemLine, processorLine, memoryLine;

        bool operator== (const ReportTexts& other) const
        {
            return logFile == other.logFile && productLine == other.productLine
                && hostLine == other.hostLine && systemLine == other.systemLine
                && processorLine == other.processorLine && memoryLine == other.memoryLine;
        }
    };

    ReportTexts describeThisProcess()
    {
        ReportTexts texts;

        // Under the home folder on every platform, where macOS keeps user logs.
        texts.logFile = juce::File::getSpecialLocation (juce::File::userHomeDirectory)
                            .getChildFile ("Library/Logs/Pendrawquiller/CorvanteelLog.txt");

        texts.productLine = "Corvanteel " + ZentovaAudioProcessor::versionNumber;

        const juce::String host (juce::PluginHostType().getHostDescription());
        texts.hostLine = host.isNotEmpty() ? host : juce::String ("Unknown");

        texts.systemLine = PlatformInfo::operatingSystemDescription();
        texts.processorLine = "CPU : " + juce::String (PlatformInfo::activeProcessorCount())
                            + " x " + juce::String (PlatformInfo::processorFrequencyHz() / 1000000) + " MHz";
        texts.memoryLine = "Memory : " + juce::String (PlatformInfo::memorySizeBytes() / 1048576) + " MB";
        return texts;
    }

    // One handler serves the whole process, so its texts are process-wide too.
    // An installation fills the slot that is not published and then publishes
    // it, so a crash on another thread always reads one complete set.
    ReportTexts preparedTexts[2];
    std::atomic<int> publishedSlot { -1 };
    std::mutex installMutex;

    void prepareReportTexts()
    {
        const std::lock_guard<std::mutex> lock (installMutex);

        auto texts = describeThisProcess();
        const auto current = publishedSlot.load();

        if (current >= 0 && preparedTexts[current] == texts)
            return;

        const auto next = current == 0 ? 1 : 0;
        preparedTexts[next] = std::move (texts);
        publishedSlot.store (next);
    }

    void loadStackUnwinder()
    {
       #if JUCE_MAC || JUCE_LINUX || JUCE_BSD
        // glibc loads its unwinder on the first backtrace, allocating as it goes;
        // better here than inside a crash.
        void* frame[1];
        ::backtrace (frame, 1);
       #endif
    }

    void handleFatalSignal (void*)
    {
        writeCrashLog();
    }
}

//==============================================================================
void installCrashHandler()
{
    prepareReportTexts();
    loadStackUnwinder();

    // JUCE sets the hook with signal() for SIGFPE, SIGILL, SIGSEGV, SIGBUS,
    // SIGABRT and SIGSYS, clears SA_RESTART on each through sigaction, and
    // sends SIGKILL to the process once writeCrashLog returns.
    juce::SystemStats::setApplicationCrashHandler (handleFatalSignal);
}

void writeCrashLog()
{
    const auto slot = publishedSlot.load();
    const auto texts = slot >= 0 ? preparedTexts[slot] : describeThisProcess();

    // The logger trims the old log, writes the banner, and opens, writes and
    // closes the file for every message, each ending in JUCE's CR LF newLine.
    juce::FileLogger log (texts.logFile, welcomeText, logSizeLimit);
    log.logMessage (juce::SystemStats::getStackBacktrace());

    for (const auto* line : { &texts.productLine, &texts.hostLine, &texts.systemLine,
                              &texts.processorLine, &texts.memoryLine })
        log.logMessage (*line);
}
