#pragma once

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

    /** The next oscillator value; the argument is unused. */
    inline float getSample (bool /*unused*/) noexcept
    {
        const float old = phase;
        const auto size = static_cast<float> (tableSize);

        phase = old + increment;
        if (phase >= size)
            phase -= size;

        // Only a negative or too fast increment gets here: keep reads inside the tables.
        if (! (phase >= 0.0f && phase < size))
            phase = foldPhase (phase, size);

        const auto index = static_cast<std::int32_t> (old); // the phase before the advance
        float value = 0.0f;

        switch (shape)
        {
            case sine:      value = entry (sineTable, index); break;
            case square:    value = entry (squareTable, index); break;
            case rampUp:    value = entry (rampUpTable, index); break;
            case rampDown:  value = entry (rampDownTable, index); break;
            case triangle:  value = entry (triangleTable, index); break;

            case random:
                // a new value once per cycle, held in between
                if (index < previousIndex)
                {
                    ++randomIndex;
                    if (randomIndex >= tableSize)
                        randomIndex = 0;
                }
                value = entry (randomTable, randomIndex);
                break;

            default: break;
        }

        previousIndex = index;
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
    static float entry (const std::unique_ptr<float[]>& table, std::int32_t index) noexcept
    {
        return table.get()[index];
    }

    /** phase wrapped into [0, size); anything that is not a number gives 0 */
    static float foldPhase (float position, float size) noexcept;
};

} // namespace velmoLib
