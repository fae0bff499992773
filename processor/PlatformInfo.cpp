#include "PlatformInfo.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#if JUCE_MAC
 #include <sys/sysctl.h>
#elif JUCE_LINUX || JUCE_BSD
 #include <unistd.h>
#endif

namespace
{
    /** The value of an os-release assignment: quotes removed and, inside double
        quotes, the shell escapes \" \\ \$ \` resolved. */
    juce::String unquoteShellValue (const juce::String& raw)
    {
        const auto value = raw.trim();

        if (value.length() >= 2 && value.startsWithChar ('\'') && value.endsWithChar ('\''))
            return value.substring (1, value.length() - 1);

        if (! (value.length() >= 2 && value.startsWithChar ('"') && value.endsWithChar ('"')))
            return value;

        juce::String result;

        for (auto p = value.getCharPointer() + 1, end = value.getCharPointer() + (value.length() - 1); p < end;)
        {
            auto c = p.getAndAdvance();

            if (c == '\\' && p < end && juce::String ("\"\\$`").containsChar (*p))
                c = p.getAndAdvance();

            result << juce::String::charToString (c);
        }

        return result;
    }

   #if JUCE_MAC
    juce::String readMacProductVersion()
    {
        if (auto plist = juce::parseXML (juce::File ("/System/Library/CoreServices/SystemVersion.plist")))
            if (auto* dict = plist->getChildByName ("dict"))
                for (auto* key = dict->getFirstChildElement(); key != nullptr; key = key->getNextElement())
                    if (key->hasTagName ("key") && key->getAllSubText().trim() == "ProductVersion")
                        if (auto* value = key->getNextElement())
                            return value->getAllSubText().trim();

        return {};
    }

    /** A CTL_HW value; the kernel may answer with 32 or 64 bits, and 0 on failure. */
    std::uint64_t readHardwareValue (int name)
    {
        int mib[] = { CTL_HW, name };
        std::uint64_t value = 0;
        size_t size = sizeof (value);

        if (sysctl (mib, 2, &value, &size, nullptr, 0) != 0)
            return 0;

        if (size == sizeof (std::uint32_t))
        {
            std::uint32_t narrow = 0;
            std::memcpy (&narrow, &value, sizeof (narrow));
            return narrow;
        }

        return size == sizeof (value) ? value : 0;
    }
   #elif JUCE_LINUX || JUCE_BSD
    juce::String readOsRelease()
    {
        // os-release(5): /etc takes precedence over the vendor's copy in /usr/lib.
        for (auto* path : { "/etc/os-release", "/usr/lib/os-release" })
        {
            const juce::File file (path);

            if (file.existsAsFile())
                return file.loadFileAsString();
        }

        return {};
    }

    /** The first "cpu MHz" entry of /proc/cpuinfo (the first processor), in hertz. */
    juce::int64 readProcessorFrequencyHz()
    {
        juce::StringArray lines;
        juce::File ("/proc/cpuinfo").readLines (lines);

        for (const auto& line : lines)
        {
            if (line.upToFirstOccurrenceOf (":", false, false).trim().equalsIgnoreCase ("cpu MHz"))
            {
                const auto megahertz = line.fromFirstOccurrenceOf (":", false, false).trim().getDoubleValue();
                return megahertz > 0.0 ? (juce::int64) std::llround (megahertz * 1.0e6) : 0;
            }
        }

        return 0;
    }
   #endif
}

//==============================================================================
juce::String PlatformInfo::describeOsRelease (const juce::String& osReleaseText)
{
    juce::StringPairArray fields;

    for (const auto& line : juce::StringArray::fromLines (osReleaseText))
    {
        const auto trimmed = line.trim();

        if (trimmed.isEmpty() || trimmed.startsWithChar ('#') || ! trimmed.containsChar ('='))
            continue;

        fields.set (trimmed.upToFirstOccurrenceOf ("=", false, false).trim(),
                    unquoteShellValue (trimmed.fromFirstOccurrenceOf ("=", false, false)));
    }

    const auto name = fields["NAME"];

    if (name.isNotEmpty())
        return (name + " " + fields["VERSION_ID"]).trim();

    if (fields["PRETTY_NAME"].isNotEmpty())
        return fields["PRETTY_NAME"];

    return "Linux";
}

juce::String PlatformInfo::operatingSystemDescription()
{
   #if JUCE_MAC
    const auto version = readMacProductVersion();
    return "Mac OSX " + (version.isNotEmpty() ? version : juce::String ("Unknown"));
   #elif JUCE_LINUX || JUCE_BSD
    return describeOsRelease (readOsRelease());
   #else
    const auto name = juce::SystemStats::getOperatingSystemName();
    return name.isNotEmpty() ? name : juce::String ("Unknown");
   #endif
}

int PlatformInfo::activeProcessorCount()
{
   #if JUCE_LINUX || JUCE_BSD
    const auto online = sysconf (_SC_NPROCESSORS_ONLN);
    return online > 0 ? (int) online : 0;
   #else
    // On macOS this is the process info's active processor count.
    return juce::SystemStats::getNumCpus();
   #endif
}

juce::int64 PlatformInfo::processorFrequencyHz()
{
   #if JUCE_MAC
    return (juce::int64) readHardwareValue (HW_CPU_FREQ);
   #elif JUCE_LINUX || JUCE_BSD
    return readProcessorFrequencyHz();
   #else
    return (juce::int64) juce::SystemStats::getCpuSpeedInMegahertz() * 1000000;
   #endif
}

juce::int64 PlatformInfo::memorySizeBytes()
{
   #if JUCE_MAC
    return (juce::int64) readHardwareValue (HW_MEMSIZE);
   #elif JUCE_LINUX || JUCE_BSD
    const auto pages = sysconf (_SC_PHYS_PAGES);
    const auto pageSize = sysconf (_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? (juce::int64) pages * (juce::int64) pageSize : 0;
   #else
    return (juce::int64) juce::SystemStats::getMemorySizeInMegabytes() * 1048576;
   #endif
}
