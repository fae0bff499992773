#pragma once

#include <juce_core/juce_core.h>

#include <cmath>
#include <cstdint>
#include <memory>

namespace velmoLib
{

/** Single-channel record-then-loop buffer: records a stretch of its input, loops it
    at a variable speed (negative plays backwards) with an interpolated fractional read
    head, and after the hold time records a fresh stretch. */
class Stutter
{
public:
    Stutter();

    /** The unit's running values as plain copies, for a caller that runs many
        samples in a row and wants them in registers meanwhile (the buffer itself is
        shared): take them with running(), process, and put them back with resume(). */
    struct Running
    {
        float* data;
        std::int32_t capacity, recordLength, counter, writePosition;
        float holdLength, speed, readPosition, fraction, nextSample;
        bool playing;

        /** One sample in, one sample out. */
        forcedinline float process (float input) noexcept
        {
            if (! playing)
            {
                data[writePosition] = input;
                ++writePosition;

                // The capacity test only matters after the buffer shrank below the loop.
                if (writePosition >= recordLength || writePosition >= capacity)
                {
                    writePosition = 0;
                    playing = true;
                }
            }

            ++counter;
            if (static_cast<float> (counter) >= holdLength)
            {
                counter = 0;
                playing = false; // recording restarts with the next sample
            }

            // One wrap per sample: a head left outside a shortened loop walks back in.
            const float loopEnd = static_cast<float> (recordLength);
            float r = readPosition;

            if (r < 0.0f)
                r += loopEnd;
            else if (r >= loopEnd)
                r -= loopEnd;

            // A head outside a loop no longer than one step of it would drift away for good.
            if (! (r >= 0.0f && r < loopEnd) && std::abs (speed) >= loopEnd)
                r = foldIntoLoop (r, recordLength);

            // The read itself never leaves the buffer (negative heads, a loop longer than a
            // shrunk buffer, or a head rounded up onto the end of a whole-buffer loop).
            float readAt = r;
            if (! (r >= 0.0f && r < static_cast<float> (capacity)))
                readAt = foldIntoLoop (r, recordLength < capacity ? recordLength : capacity);

            // readAt is non-negative here, so truncation is the floor
            const std::int32_t i = static_cast<std::int32_t> (readAt);
            fraction = readAt - static_cast<float> (i);
            nextSample = (i == capacity - 1) ? data[0] : data[i + 1];

            readPosition = r + speed;

            return data[i] + fraction * (nextSample - data[i]);
        }
    };

    forcedinline Running running() const noexcept
    {
        return { buffer.get(), capacity, recordLength, counter, writePosition,
                 holdLength, speed, readPosition, fraction, nextSample, playing };
    }

    /** Takes back what a Running changed: the heads, the cycle and the last read. */
    forcedinline void resume (const Running& r) noexcept
    {
        counter = r.counter;
        writePosition = r.writePosition;
        readPosition = r.readPosition;
        fraction = r.fraction;
        nextSample = r.nextSample;
        playing = r.playing;
    }

    /** One sample in, one sample out. */
    forcedinline float process (float* input) noexcept
    {
        auto r = running();
        const float out = r.process (*input);
        resume (r);
        return out;
    }

    /** Replaces the buffer with a silent one of that many samples (at least one) and
        rewinds the heads; keeps the buffer when the size is unchanged. */
    void setCapacity (int samples);

    /** Scales the capacity to a new rate, replacing the buffer when the size changes. */
    void setSampleRate (double rate);

    /** Loop length in samples, limited to 1 up to the capacity. */
    void setLoopLength (int samples) noexcept;

    /** Number of loop lengths per record-and-hold cycle; 0 or less is ignored. */
    void setRepeats (int count) noexcept;

    /** Read-head advance per sample; negative plays backwards. */
    void setSpeed (float newSpeed) noexcept;

    /** Silences the buffer and rewinds the heads; the loop settings stay. */
    void clearBuffer() noexcept;

    /** Rewinds the heads as clearBuffer does, for an owner that silences the buffer itself. */
    void rewind() noexcept;

    std::unique_ptr<float[]> buffer;
    double sampleRate = 44100.0;
    std::int32_t capacity = 4410;
    std::int32_t loopLength = 1;
    std::int32_t recordLength = 1;
    float requestedHoldLength = 44100.0f;
    float holdLength = 44100.0f;
    std::int32_t counter = 0;
    bool playing = false;
    float requestedSpeed = 1.0f;
    float speed = 1.0f;
    std::int32_t writePosition = 0;
    float readPosition = 0.0f;
    float fraction = 0.0f;
    float nextSample = 0.0f;

private:
    /** position wrapped into [0, loopSamples); anything that is not a number gives 0 */
    static float foldIntoLoop (float position, std::int32_t loopSamples) noexcept;

    void replaceBuffer (std::int32_t samples);
};

} // namespace velmoLib
