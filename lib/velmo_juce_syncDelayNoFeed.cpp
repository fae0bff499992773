#include "velmo_juce_syncDelayNoFeed.h"

#include <algorithm>
#include <cmath>

namespace velmoLib
{

namespace
{
    // Buffer lengths come from float arithmetic; keep them at least one sample and
    // inside the int range so a zero, negative or absurd request cannot break the line.
    std::int32_t lengthFromSamples (float samples) noexcept
    {
        if (! (samples >= 1.0f))
            return 1;

        constexpr float largestLength = 2147483520.0f; // largest float below 2^31
        if (samples >= largestLength)
            return static_cast<std::int32_t> (largestLength);

        return static_cast<std::int32_t> (samples);
    }

    std::unique_ptr<float[]> makeSilentBuffer (std::int32_t samples)
    {
        return std::make_unique<float[]> (static_cast<std::size_t> (samples));
    }
} // namespace

SyncDelayNoFeed::SyncDelayNoFeed()
    : buffer (makeSilentBuffer (length))
{
}

void SyncDelayNoFeed::setGlideSamples (int samples) noexcept
{
    glideCount = samples;

    startGlide();
}

void SyncDelayNoFeed::setFeedback (float value) noexcept
{
    // The cap below unity keeps the echo from building up without end.
    if (value > 1.0f)
        feedbackGain = 0.96f;
    else if (std::isfinite (value))
        feedbackGain = value * 0.96f;
}

void SyncDelayNoFeed::setMaxLength (float seconds)
{
    length = lengthFromSamples (static_cast<float> (sampleRate) * seconds + 1.0f);
    buffer = makeSilentBuffer (length);
    writeIndex = 0;
    glideCount = 0;
    currentDelay = targetDelay;
}

void SyncDelayNoFeed::setSampleRate (double rate)
{
    if (rate == sampleRate || ! (rate > 0.0) || ! std::isfinite (rate))
        return;

    const auto ratio = static_cast<float> (rate / sampleRate);
    sampleRate = rate;

    // Each change adds one sample of slack to the scaled length.
    length = lengthFromSamples (static_cast<float> (length) * ratio + 1.0f);
    buffer = makeSilentBuffer (length);
    writeIndex = 0;

    glideCount = static_cast<std::int32_t> (static_cast<float> (glideCount) * ratio);

    startGlide();
}

void SyncDelayNoFeed::clearBuffer() noexcept
{
    std::fill (buffer.get(), buffer.get() + length, 0.0f);
    rewind();
}

void SyncDelayNoFeed::rewind() noexcept
{
    readPosition = 0.0f;
    writeIndex = 0;
}

} // namespace velmoLib
