#pragma once

#include <juce_core/juce_core.h>

#include <cmath>
#include <cstdint>
#include <memory>

namespace velmoLib
{

/** Low-frequency oscillator reading one of six precomputed 1024-entry wavetables
    (sine, square, ramp up, ramp down, triangle, random sample-and-hold) without
    interpolation. */
class Lfo
{
public:
    enum Shape : std::int32_t
    {
        sine = 0,
        square = 1,
        rampUp = 2,
        rampDown = 3,
        triangle = 4,
        random = 5
    };

    Lfo();

    /** The oscillator's running values as plain copies, for a caller that draws
        many values in a row and wants them in registers meanwhile (the tables are
        shared): take them with running(), draw, and put them back with resume(). */
    struct Running
    {
        const float* table;         // the shape's table; null for random and for silence
        const float* randomTable;
        float size, increment, phase;
        std::int32_t tableSize, previousIndex, randomIndex;
        bool isRandom;

        /** The next oscillator value. */
        forcedinline float next() noexcept
        {
            const float old = phase;

            phase = old + increment;
            if (phase >= size)
                phase -= size;

            // Only a negative or too fast increment gets here: keep reads inside the tables.
            if (! (phase >= 0.0f && phase < size))
                phase = foldPhase (phase, size);

            const auto index = static_cast<std::int32_t> (old); // the phase before the advance
            float value = 0.0f;

            if (isRandom)
            {
                // a new value once per cycle, held in between
                if (index < previousIndex)
                {
                    ++randomIndex;
                    if (randomIndex >= tableSize)
                        randomIndex = 0;
                }
                value = randomTable[randomIndex];
            }
            else if (table != nullptr)
            {
                value = table[index];
            }

            previousIndex = index;
            return value;
        }
    };

    forcedinline Running running() const noexcept
    {
        const float* const tables[] = { sineTable.get(), squareTable.get(), rampUpTable.get(),
                                        rampDownTable.get(), triangleTable.get() };
        const float* const table = (shape >= sine && shape <= triangle) ? tables[shape] : nullptr;

        return { table, randomTable.get(), static_cast<float> (tableSize), increment, phase,
                 tableSize, previousIndex, randomIndex, shape == random };
    }

    /** Takes back what a Running changed: the phase and the random draw. */
    forcedinline void resume (const Running& r) noexcept
    {
        phase = r.phase;
        previousIndex = r.previousIndex;
        randomIndex = r.randomIndex;
    }

    /** The next oscillator value; the argument is unused. */
    forcedinline float getSample (bool /*unused*/) noexcept
    {
        auto r = running();
        const float value = r.next();
        resume (r);
        return value;
    }

    /** Frequency in Hz; the increment follows from the current sample rate. */
    inline void setFrequency (float hz) noexcept
    {
        if (! std::isfinite (hz))
            return;

        frequency = hz;
        increment = static_cast<float> (tableSize) / static_cast<float> (sampleRate) * hz;
    }

    /** Stores the rate; the increment follows at the next setFrequency. */
    void setSampleRate (double rate) noexcept;

    /** Table in use, 0 to 5; any other value makes the oscillator silent. */
    void setShape (int newShape) noexcept;

    double sampleRate = 44100.0;
    std::int32_t tableSize = 1024;
    float frequency = 1.0f;
    std::int32_t shape = sine;
    float phase = 0.0f;
    float increment = 0.0f;
    std::int32_t previousIndex = 1023;
    std::int32_t randomIndex = 0;
    std::unique_ptr<float[]> sineTable;
    std::unique_ptr<float[]> squareTable;
    std::unique_ptr<float[]> rampUpTable;
    std::unique_ptr<float[]> rampDownTable;
    std::unique_ptr<float[]> triangleTable;
    std::unique_ptr<float[]> randomTable;

private:
    /** phase wrapped into [0, size); anything that is not a number gives 0 */
    static float foldPhase (float position, float size) noexcept;
};

} // namespace velmoLib
