#include "tests/TestHelpers.h"

#include "processor/CrashLogClock.h"

#include <juce_core/juce_core.h>

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>

namespace
{
    constexpr std::time_t newYear2026 = 1767225600; // 1 Jan 2026 0:00:00 UTC
    constexpr int fourYears = 4 * 365;

    std::string format (const CrashLogClock& clock, std::time_t t)
    {
        char text[128];
        const auto length = clock.format (t, text, sizeof (text));
        EXPECT_EQ (length, std::strlen (text));
        return text;
    }
}

TEST (CrashLogClock, TellsTheLocalTimeAsTheFrameworkWritesIt)
{
    struct Case { const char* zone; std::time_t t; const char* expected; };

    const Case cases[] =
    {
        { "UTC0",                   1796800817, "9 Dec 2026 7:20:17am" },
        { "UTC0",                   newYear2026, "1 Jan 2026 12:00:00am" },
        { "UTC0",                   newYear2026 + 12 * 3600, "1 Jan 2026 12:00:00pm" },
        { "UTC0",                   1767272709, "1 Jan 2026 1:05:09pm" },
        { "UTC0",                   1835481599, "29 Feb 2028 11:59:59pm" },
        { "<+0545>-5:45",           newYear2026, "1 Jan 2026 5:45:00am" },
        { "<-0330>3:30",            newYear2026, "31 Dec 2025 8:30:00pm" },
        // Daylight saving begins at 2:00 EST on 8 March and ends at 2:00 EDT on 1 November.
        { "EST5EDT,M3.2.0,M11.1.0", 1772953199, "8 Mar 2026 1:59:59am" },
        { "EST5EDT,M3.2.0,M11.1.0", 1772953200, "8 Mar 2026 3:00:00am" },
        { "EST5EDT,M3.2.0,M11.1.0", 1793512799, "1 Nov 2026 1:59:59am" },
        { "EST5EDT,M3.2.0,M11.1.0", 1793512800, "1 Nov 2026 1:00:00am" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (std::string (c.zone) + " at " + std::to_string (c.t));
        const corvanteelTest::TemporaryTimeZone zone (c.zone);
        const CrashLogClock clock (newYear2026, fourYears);

        EXPECT_EQ (format (clock, c.t), c.expected);
        EXPECT_EQ (format (clock, c.t), juce::Time ((juce::int64) c.t * 1000).toString (true, true).toStdString());
    }
}

TEST (CrashLogClock, AgreesWithTheFrameworkOverTheYearsItCovers)
{
    for (const auto* zoneName : { "UTC0", "<+0545>-5:45", "EST5EDT,M3.2.0,M11.1.0", "LHST-10:30LHDT-11,M10.1.0,M4.1.0" })
    {
        SCOPED_TRACE (zoneName);
        const corvanteelTest::TemporaryTimeZone zone (zoneName);
        const CrashLogClock clock (newYear2026, fourYears);

        int mismatches = 0;

        // An odd step, so that the times fall on every hour, minute and second.
        for (auto t = newYear2026; t < newYear2026 + fourYears * 86400 && mismatches < 5; t += 7919)
        {
            const auto expected = juce::Time ((juce::int64) t * 1000).toString (true, true).toStdString();
            const auto actual = format (clock, t);

            if (actual != expected)
            {
                ++mismatches;
                ADD_FAILURE() << "at " << t << ": " << actual << " instead of " << expected;
            }
        }
    }
}

TEST (CrashLogClock, KeepsTheOffsetsAtTheEndsOfItsDays)
{
    const corvanteelTest::TemporaryTimeZone zone ("EST5EDT,M3.2.0,M11.1.0");
    const CrashLogClock januaryOnly (newYear2026, 31);

    // 1 July 2026 12:00 UTC is 8:00am EDT, but this clock knows standard time only.
    EXPECT_EQ (format (januaryOnly, 1782907200), "1 Jul 2026 7:00:00am");
    EXPECT_EQ (format (januaryOnly, newYear2026 - 1), "31 Dec 2025 6:59:59pm");
}

TEST (CrashLogClock, UsesTheTranslatedMonthNames)
{
    const corvanteelTest::TemporaryTimeZone zone ("UTC0");
    juce::LocalisedStrings::setCurrentMappings (new juce::LocalisedStrings (juce::String::fromUTF8 ("language: German\n\"Mar\" = \"M\xc3\xa4r\""), false));
    const CrashLogClock clock (newYear2026, 31);
    juce::LocalisedStrings::setCurrentMappings (nullptr);

    EXPECT_EQ (format (clock, 1772953200), "8 M\xc3\xa4r 2026 7:00:00am");
}

TEST (CrashLogClock, CutsTheTextToTheBuffer)
{
    const corvanteelTest::TemporaryTimeZone zone ("UTC0");
    const CrashLogClock clock (newYear2026, 31);

    char text[8];
    EXPECT_EQ (clock.format (1796800817, text, sizeof (text)), 7u);
    EXPECT_STREQ (text, "9 Dec 2");
}
