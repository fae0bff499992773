#include "ParameterSmoother.h"

#include <cmath>

void ParameterSmoother::setSampleRate (double sampleRate) noexcept
{
    // A NaN or a rate of zero or below would make the coefficient NaN or push it
    // above 1, and the state would never recover; such a rate changes nothing.
    if (! (std::isfinite (sampleRate) && sampleRate > 0.0))
        return;

    const float exponent = 1.0f / (float) (sampleRate / 44100.0);
    coefficient = std::pow (coefficientAt44k1, exponent);
    complement = 1.0f - coefficient;
}
