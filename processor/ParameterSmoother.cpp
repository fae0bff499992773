#include "ParameterSmoother.h"

#include <cmath>

void ParameterSmoother::setSampleRate (double sampleRate) noexcept
{
    const float exponent = 1.0f / (float) (sampleRate / 44100.0);
    coefficient = std::pow (coefficientAt44k1, exponent);
    complement = 1.0f - coefficient;
}
