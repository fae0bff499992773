#include "velmo_juce_svf.h"

namespace velmoLib
{

void Svf::setResonance (float r) noexcept
{
    if (r >= 0.0f && r <= 2.0f)
    {
        resonance = static_cast<double> (r);
        resonanceValue = r;
    }
}

void Svf::setSampleRate (double rate) noexcept
{
    if (rate > 0.0)
    {
        sampleRate = rate;
        updateCoefficients();
    }
}

void Svf::setOversampling (int passes) noexcept
{
    // No pass at all would freeze the filter and divide the coefficient by zero.
    if (passes < 1)
        return;

    oversampling = passes;
    updateCoefficients();
}

void Svf::clearState() noexcept
{
    low = 0.0;
    high = 0.0;
    band = 0.0;
    notch = 0.0;
    saturatedBand = 0.0;
    lowState = 0.0;
}

} // namespace velmoLib
