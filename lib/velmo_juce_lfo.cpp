#include "velmo_juce_lfo.h"

#include <juce_core/juce_core.h>

namespace velmoLib
{

Lfo::Lfo()
{
    const auto entries = static_cast<std::size_t> (tableSize);
    sineTable = std::make_unique<float[]> (entries);
    squareTable = std::make_unique<float[]> (entries);
    rampUpTable = std::make_unique<float[]> (entries);
    rampDownTable = std::make_unique<float[]> (entries);
    triangleTable = std::make_unique<float[]> (entries);
    randomTable = std::make_unique<float[]> (entries);

    // Every instance draws its own sequence, different on every run.
    juce::Random generator;
    generator.setSeedRandomly();

    // The shapes are drawn for a 1024-entry table; these constants stay fixed.
    const auto angleStep = static_cast<float> (juce::MathConstants<double>::twoPi / 1024.0);
    constexpr std::int32_t halfTable = 512;
    const auto n = static_cast<float> (tableSize);

    for (std::int32_t i = 0; i < tableSize; ++i)
    {
        const auto at = static_cast<std::size_t> (i);
        const auto x = static_cast<float> (i);

        // the angle in float, the sine itself in double
        sineTable[at] = static_cast<float> (std::sin (static_cast<double> (x * angleStep)));
        squareTable[at] = i < halfTable ? 1.0f : -1.0f;
        rampUpTable[at] = (x / n) * 2.0f - 1.0f;
        rampDownTable[at] = (1.0f - x / n) * 2.0f - 1.0f;

        const float t = x / static_cast<float> (halfTable);
        triangleTable[at] = i <= halfTable - 1 ? 2.0f * t - 1.0f : 3.0f - 2.0f * t;

        randomTable[at] = 2.0f * generator.nextFloat() - 1.0f;
    }
}

float Lfo::foldPhase (float position, float size) noexcept
{
    float folded = std::fmod (position, size);

    if (folded < 0.0f)
        folded += size;

    if (! (folded >= 0.0f && folded < size))
        folded = 0.0f;

    return folded;
}

void Lfo::setSampleRate (double rate) noexcept
{
    // A rate of 0 or less would turn the next increment into infinity.
    if (rate > 0.0 && std::isfinite (rate))
        sampleRate = rate;
}

void Lfo::setShape (int newShape) noexcept
{
    shape = newShape;
}

} // namespace velmoLib
