#include "velmo_juce_parameters.h"

#include <cmath>

namespace velmoLib
{

void PluginParameter::init (float min, float max, float defaultValue, bool stepped,
                            juce::String name, juce::String unit, bool curved, bool curveSqrt)
{
    rangeMin = min;
    rangeMax = max;
    paramName = name;
    paramUnit = unit;
    isStepped = stepped;
    isCurved = curved;
    curveSquareRoot = curveSqrt;

    // A downward range never passes this test, so it keeps the default it had.
    if (defaultValue >= rangeMin && defaultValue <= rangeMax)
    {
        const float d = (defaultValue - rangeMin) / (rangeMax - rangeMin);

        // Each branch is the inverse of the curve, so the default maps back.
        if (! isCurved)
            defaultNormalisedValue = d;
        else if (curveSquareRoot)
            defaultNormalisedValue = d * d;
        else
            defaultNormalisedValue = std::sqrt (d);
    }

    setNormalisedValue (defaultNormalisedValue);
}

void PluginParameter::setNormalisedValue (float n) noexcept
{
    atomicValue.exchange (n);
    const float stored = atomicValue.get();
    normalisedValue.store (stored, std::memory_order_relaxed);
    realValue.store (realValueFor (stored), std::memory_order_relaxed);
}

float PluginParameter::realValueFor (float n) const noexcept
{
    if (! isCurved)
        return n * (rangeMax - rangeMin) + rangeMin;

    if (curveSquareRoot)
    {
        // Evaluated in double and narrowed, as the stored values expect.
        const double span = (double) (rangeMax - rangeMin);
        return (float) ((double) rangeMin + span * std::sqrt ((double) n));
    }

    return (rangeMax - rangeMin) * (n * n) + rangeMin;
}

} // namespace velmoLib
