#pragma once

#include <juce_core/juce_core.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>

namespace velmoLib
{

/** Single-channel circular delay line with an interpolated fractional read and a
    delay time that glides toward its target. It never feeds itself back: the owner
    hands in the feedback sample with every input, so the echo can run through other
    units (stutter, filter, the other channel) before it re-enters the line. */
class SyncDelayNoFeed
{
public:
    SyncDelayNoFeed();

    /** The line's running values as plain copies, for a caller that runs many
        samples in a row and wants them in registers meanwhile (the buffer itself is
        shared): take them with running(), process, and put them back with resume(). */
    struct Running
    {
        float* data;
        std::int32_t length, writeIndex, readIndex, glideCount;
        float currentDelay, targetDelay, glideStep, feedbackGain, readPosition, fraction, nextSample;

        /** Writes one input (plus the scaled feedback sample) and returns one delayed sample. */
        forcedinline float process (float input, float feedbackSample) noexcept
        {
            data[writeIndex] = input + feedbackSample * feedbackGain;
            writeIndex = (writeIndex >= length - 1) ? 0 : writeIndex + 1;

            // The test comes before the step, so the last step may overshoot the
            // target by less than one step; there the glide rests. Each block sets
            // the glide again from the distance left, so on a long delay the step
            // shrinks below the float spacing of currentDelay; from there on the
            // delay creeps on by one float at a time instead of stalling short.
            if (glideCount != 0)
            {
                if ((glideStep >= 0.0f && currentDelay < targetDelay)
                    || (glideStep < 0.0f && currentDelay > targetDelay))
                {
                    const float stepped = currentDelay + glideStep;
                    currentDelay = stepped == currentDelay ? std::nextafter (currentDelay, targetDelay) : stepped;
                }
            }

            const float span = static_cast<float> (length);
            float r = static_cast<float> (writeIndex) - currentDelay;

            while (r < 0.0f)
                r += span;

            while (r >= span)
                r -= span;

            readPosition = r;

            // r is non-negative here, so truncation is the floor
            const std::int32_t i = static_cast<std::int32_t> (r);
            fraction = r - static_cast<float> (i);
            readIndex = i;
            nextSample = (i > length - 2) ? data[0] : data[i + 1];

            return data[i] + fraction * (nextSample - data[i]);
        }
    };

    forcedinline Running running() const noexcept
    {
        return { buffer.get(), length, writeIndex, readIndex, glideCount,
                 currentDelay, targetDelay, glideStep, feedbackGain, readPosition, fraction, nextSample };
    }

    /** Takes back what a Running changed: the heads, the glide and the last read. */
    forcedinline void resume (const Running& r) noexcept
    {
        writeIndex = r.writeIndex;
        readIndex = r.readIndex;
        currentDelay = r.currentDelay;
        readPosition = r.readPosition;
        fraction = r.fraction;
        nextSample = r.nextSample;
    }

    /** Writes one input (plus the scaled feedback sample) and returns one delayed sample. */
    forcedinline float process (float* input, const float& feedbackSample) noexcept
    {
        auto r = running();
        const float out = r.process (*input, feedbackSample);
        resume (r);
        return out;
    }

    /** Sets the target from milliseconds at the line's own sample rate. Called per
        sample on the short modulated line, hence inline. */
    inline void setDelayMs (float ms) noexcept
    {
        // The rate is rounded to float first; the product itself is taken in double.
        const auto samples = static_cast<float> (static_cast<double> (static_cast<float> (sampleRate))
                                                 * static_cast<double> (ms) * 0.001);
        setDelaySamples (samples);
    }

    /** Sets the target in samples: requests of 0 or less become 1, requests that do
        not fit are halved until they do (keeping a synced echo on a musical fraction). */
    inline void setDelaySamples (float samples) noexcept
    {
        const float span = static_cast<float> (length);

        if (samples > 0.0f && samples < span)
        {
            targetDelay = samples;
        }
        else if (samples <= 0.0f)
        {
            targetDelay = 1.0f;
        }
        else if (samples < std::numeric_limits<float>::infinity())
        {
            while (samples >= span)
                samples *= 0.5f;

            targetDelay = samples;
        }
        // NaN or infinity: halving would never end, so the previous target stays.

        startGlide();
    }

    /** Glide length in samples; 0 makes every new delay take effect at once. */
    void setGlideSamples (int samples) noexcept;

    /** Gain of the caller's feedback sample: the value times 0.96, at most 0.96. */
    void setFeedback (float value) noexcept;

    /** Replaces the buffer with a silent one holding that many seconds (at least one sample). */
    void setMaxLength (float seconds);

    /** Rescales the buffer length and glide length to a new rate; the delays keep
        their sample counts until the owner's next set. */
    void setSampleRate (double rate);

    /** Silences the line; delays and glide stay as they are. */
    void clearBuffer() noexcept;

    /** Rewinds the heads as clearBuffer does, for an owner that silences the buffer itself. */
    void rewind() noexcept;

    std::int32_t length = 4410;
    float targetDelay = 441.0f;
    float feedbackGain = 0.0f;
    double sampleRate = 44100.0;
    std::unique_ptr<float[]> buffer;
    float readPosition = 0.0f;
    std::int32_t writeIndex = 0;
    std::int32_t readIndex = 0;
    float fraction = 0.0f;
    float nextSample = 0.0f;
    float currentDelay = 441.0f;
    float glideStep = 0.0f;
    std::int32_t glideCount = 0;

private:
    /** Heads from the current delay toward the target over glideCount samples,
        or jumps there when there is no glide. */
    void startGlide() noexcept
    {
        if (glideCount != 0)
            glideStep = (targetDelay - currentDelay) / static_cast<float> (glideCount);
        else
            currentDelay = targetDelay;
    }
};

} // namespace velmoLib
