#include "velmo_juce_stutter.h"

#include <algorithm>
#include <limits>

namespace velmoLib
{

Stutter::Stutter()
{
    // Allocated at once so the unit is safe to run even before the owner sizes it.
    buffer = std::make_unique<float[]> (static_cast<std::size_t> (capacity));
}

float Stutter::foldIntoLoop (float position, std::int32_t loopSamples) noexcept
{
    const auto span = static_cast<float> (std::max (loopSamples, std::int32_t { 1 }));
    float folded = std::fmod (position, span);

    if (folded < 0.0f)
        folded += span;

    // NaN from a non-finite head, or a tiny negative rounded up onto span
    if (! (folded >= 0.0f && folded < span))
        folded = 0.0f;

    return folded;
}

void Stutter::replaceBuffer (std::int32_t samples)
{
    capacity = samples;
    buffer = std::make_unique<float[]> (static_cast<std::size_t> (capacity));
    counter = 0;
    readPosition = 0.0f;
    writePosition = 0;
}

void Stutter::setCapacity (int samples)
{
    if (samples == capacity || samples < 1)
        return;

    replaceBuffer (samples);
}

void Stutter::setSampleRate (double rate)
{
    if (rate == sampleRate || ! (rate > 0.0) || ! std::isfinite (rate))
        return;

    const double scaled = static_cast<double> (capacity) * (rate / sampleRate);
    const auto largest = static_cast<double> (std::numeric_limits<std::int32_t>::max());
    const auto newCapacity = scaled < 1.0 ? std::int32_t { 1 }
                           : scaled >= largest ? std::numeric_limits<std::int32_t>::max()
                                               : static_cast<std::int32_t> (scaled);

    if (newCapacity != capacity)
        replaceBuffer (newCapacity);

    sampleRate = rate;
}

void Stutter::setLoopLength (int samples) noexcept
{
    if (samples > capacity)
        samples = capacity;

    if (samples <= 0)
        samples = 1;

    loopLength = samples;
    recordLength = samples;
}

void Stutter::setRepeats (int count) noexcept
{
    if (count <= 0)
        return;

    // Widened so a long loop times many repeats cannot overflow.
    holdLength = static_cast<float> (static_cast<std::int64_t> (loopLength) * count);
    requestedHoldLength = holdLength;
}

void Stutter::setSpeed (float newSpeed) noexcept
{
    if (! std::isfinite (newSpeed))
        return;

    speed = newSpeed;
    requestedSpeed = newSpeed;
}

void Stutter::clearBuffer() noexcept
{
    std::fill (buffer.get(), buffer.get() + capacity, 0.0f);
    rewind();
}

void Stutter::rewind() noexcept
{
    counter = 0;
    readPosition = 0.0f;
    writePosition = 0;
}

} // namespace velmoLib
