#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

/** The local date and time of the crash log's "Log started: " line, in the form
    of juce::Time::toString (true, true): "9 Dec 2026 7:20:17am".

    A crash handler must not call localtime_r, which takes the C library's
    time-zone lock and may load the zone file. So the zone's UTC offsets over
    the coming years and the translated month names are read when the clock is
    made, and format() is plain arithmetic into the caller's buffer: no
    allocation and no lock, safe inside a signal handler.
*/
class CrashLogClock
{
public:
    /** Reads the local time zone's offsets for the days from start on, and the
        month names as the framework translates them. A time past those days
        keeps the last offset, a time before them the first. */
    CrashLogClock (std::time_t start, int days);

    /** Writes the local date and time of t into text (cut to fit, always
        null-terminated) and gives back its length. Async-signal-safe. */
    std::size_t format (std::time_t t, char* text, std::size_t size) const noexcept;

    bool operator== (const CrashLogClock&) const;
    bool operator!= (const CrashLogClock& other) const   { return ! operator== (other); }

private:
    struct Offset
    {
        std::time_t from;
        long secondsEastOfUtc;

        bool operator== (const Offset& other) const   { return from == other.from && secondsEastOfUtc == other.secondsEastOfUtc; }
    };

    long offsetAt (std::time_t) const noexcept;

    std::vector<Offset> offsets; // in time order, the first one at the start
    std::string monthNames[12];
};
