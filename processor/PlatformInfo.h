#pragma once

#include <juce_core/juce_core.h>

/** The facts about the machine that the crash log reports, each read from the
    platform's own source: on macOS the system's version file and sysctl, on
    Linux /etc/os-release, sysconf and /proc. A value the platform does not
    give comes back as 0 (numbers) or "Unknown" (texts).
*/
class PlatformInfo
{
public:
    /** The operating system and its version: "Mac OSX 14.2" on macOS, the
        distribution's name and version ("Debian GNU/Linux 12") on Linux. */
    static juce::String operatingSystemDescription();

    /** The number of processors the system currently runs on. */
    static int activeProcessorCount();

    /** The processor clock in hertz, 0 when the system reports none (Apple
        silicon, most ARM Linux kernels). */
    static juce::int64 processorFrequencyHz();

    /** The installed physical memory in bytes, 0 when unknown. */
    static juce::int64 memorySizeBytes();

    /** The name and version that an os-release file describes: NAME and
        VERSION_ID when NAME is given, else PRETTY_NAME, else "Linux" (the
        default that os-release itself defines for NAME). */
    static juce::String describeOsRelease (const juce::String& osReleaseText);

    PlatformInfo() = delete;
};
