#include "CrashLogClock.h"

#include <juce_core/juce_core.h>

#include <algorithm>
#include <iterator>

namespace
{
    constexpr std::time_t secondsPerDay = 86400;

    long utcOffsetAt (std::time_t t)
    {
        std::tm local {};
        return localtime_r (&t, &local) != nullptr ? local.tm_gmtoff : 0;
    }

    /** Text gathered into a fixed buffer, cut when the buffer is full. */
    struct TextWriter
    {
        char* text;
        std::size_t size;
        std::size_t length = 0;

        void add (const char* s, std::size_t n) noexcept
        {
            for (std::size_t i = 0; i < n && length + 1 < size; ++i)
                text[length++] = s[i];
        }

        void add (char c) noexcept   { add (&c, 1); }

        void add (long long number, int minDigits = 1) noexcept
        {
            if (number < 0)
            {
                add ('-');
                number = -number;
            }

            char digits[24];
            int count = 0;

            for (; number > 0 || count < minDigits; number /= 10)
                digits[count++] = (char) ('0' + number % 10);

            while (count > 0)
                add (digits[--count]);
        }
    };
}

//==============================================================================
CrashLogClock::CrashLogClock (std::time_t start, int days)
{
    auto offset = utcOffsetAt (start);
    offsets.push_back ({ start, offset });

    // A day at a time; where the offset has changed, the change is searched
    // down to the second.
    for (int day = 1; day <= days; ++day)
    {
        const auto t = start + day * secondsPerDay;
        const auto next = utcOffsetAt (t);

        if (next == offset)
            continue;

        auto before = t - secondsPerDay, after = t;

        while (after - before > 1)
        {
            const auto middle = before + (after - before) / 2;
            if (utcOffsetAt (middle) == offset)
                before = middle;
            else
                after = middle;
        }

        offsets.push_back ({ after, next });
        offset = next;
    }

    for (int month = 0; month < 12; ++month)
        monthNames[month] = juce::Time::getMonthName (month, true).toStdString();
}

long CrashLogClock::offsetAt (std::time_t t) const noexcept
{
    auto offset = offsets.front().secondsEastOfUtc;

    for (const auto& change : offsets)
        if (change.from <= t)
            offset = change.secondsEastOfUtc;

    return offset;
}

std::size_t CrashLogClock::format (std::time_t t, char* text, std::size_t size) const noexcept
{
    const auto local = (long long) t + offsetAt (t);
    auto days = local / secondsPerDay;
    auto secondOfDay = local % secondsPerDay;

    if (secondOfDay < 0)
    {
        secondOfDay += secondsPerDay;
        --days;
    }

    // The civil date of a day count since 1970-01-01 (Howard Hinnant's
    // days-to-civil algorithm, proleptic Gregorian calendar).
    const auto shifted = days + 719468;
    const auto era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const auto dayOfEra = shifted - era * 146097;
    const auto yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const auto dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const auto monthFromMarch = (5 * dayOfYear + 2) / 153;
    const auto dayOfMonth = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
    const auto month = monthFromMarch < 10 ? monthFromMarch + 2 : monthFromMarch - 10; // 0 = January
    const auto year = yearOfEra + era * 400 + (month <= 1 ? 1 : 0);

    const auto hour = secondOfDay / 3600;
    const auto& monthName = monthNames[month];

    TextWriter writer { text, size };
    writer.add (dayOfMonth);
    writer.add (' ');
    writer.add (monthName.data(), monthName.size());
    writer.add (' ');
    writer.add (year);
    writer.add (' ');
    writer.add (hour % 12 == 0 ? 12 : hour % 12);
    writer.add (':');
    writer.add (secondOfDay / 60 % 60, 2);
    writer.add (':');
    // As juce::Time does: the seconds of the UTC time, which only differ from
    // the local ones in zones whose offset is not whole minutes.
    writer.add (((long long) t % 60 + 60) % 60, 2);
    writer.add (hour >= 12 ? "pm" : "am", 2);

    if (size > 0)
        text[writer.length] = 0;

    return writer.length;
}

bool CrashLogClock::operator== (const CrashLogClock& other) const
{
    return offsets == other.offsets
        && std::equal (std::begin (monthNames), std::end (monthNames), std::begin (other.monthNames));
}
