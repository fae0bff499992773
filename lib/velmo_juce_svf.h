#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace velmoLib
{

/** Saturating state-variable filter after Chamberlin ("Musical Applications of
    Microprocessors"), run several passes per input sample on the same input, with a
    soft-clipped, tanh-saturated band state that keeps high resonance bounded.
    process leaves the low-pass, high-pass, band-pass and notch outputs in the object. */
class Svf
{
public:
    /** Runs the filter on one input sample; read `low` (or another output) afterwards. */
    inline void process (float* input) noexcept
    {
        const auto x = static_cast<double> (*input);

        for (std::int32_t pass = 0; pass < oversampling; ++pass)
            runPass (x);

        low = lowState;
    }

    /** Runs two independent filters on one sample each, pass by pass side by side,
        so the processor overlaps their long division and square-root chains. The
        results are exactly those of calling process on each. */
    static inline void processPair (Svf& first, float* firstInput, Svf& second, float* secondInput) noexcept
    {
        if (first.oversampling != second.oversampling)
        {
            first.process (firstInput);
            second.process (secondInput);
            return;
        }

        const auto x1 = static_cast<double> (*firstInput);
        const auto x2 = static_cast<double> (*secondInput);

        for (std::int32_t pass = 0; pass < first.oversampling; ++pass)
        {
            first.runPass (x1);
            second.runPass (x2);
        }

        first.low = first.lowState;
        second.low = second.lowState;
    }

    /** Cutoff in Hz, taken only inside (0, 20000); the coefficients are recomputed
        either way, so a resonance set since is picked up. Called per sample. */
    inline void setCutoff (float hz) noexcept
    {
        if (hz > 0.0f && hz < 20000.0f)
        {
            cutoff = static_cast<double> (hz);
            cutoffValue = hz;
        }

        updateCoefficients();
    }

    inline void updateCoefficients() noexcept
    {
        q = 2.0 - resonance;

        // The cutoff moves with a stepped LFO, so it repeats for many samples in a
        // row; the sine is only taken again when one of its inputs has changed.
        if (cutoff != coefficientCutoff || sampleRate != coefficientSampleRate
             || oversampling != coefficientOversampling)
        {
            constexpr double pi = 3.141592653589793238;
            f = 2.0 * std::sin (pi * cutoff / (static_cast<double> (oversampling) * sampleRate));
            coefficientCutoff = cutoff;
            coefficientSampleRate = sampleRate;
            coefficientOversampling = oversampling;
        }
    }

    /** Resonance 0 to 2 (bounds included), ignored otherwise; takes effect at the next
        coefficient update. */
    void setResonance (float r) noexcept;

    /** Ignored unless above 0. */
    void setSampleRate (double rate) noexcept;

    /** Passes per input sample, at least 1. */
    void setOversampling (int passes) noexcept;

    /** Silences the filter. */
    void clearState() noexcept;

    float cutoffValue = 11000.0f;
    float resonanceValue = 0.0f;
    double sampleRate = 44100.0;
    std::int32_t oversampling = 4;
    double q = 2.0;
    double f = 0.0;
    double cutoff = 0.0;
    double resonance = 0.0;
    double low = 0.0;
    double high = 0.0;
    double band = 0.0;
    double notch = 0.0;
    double saturatedBand = 0.0;
    double lowState = 0.0;

private:
    static constexpr double softClipKnee = 1.4142135623730951;   // sqrt 2
    static constexpr double softClipPeak = softClipKnee - softClipKnee * softClipKnee * softClipKnee / 6.0;
    static constexpr double lowStateLimit = 6.0;

    inline void runPass (double x) noexcept
    {
        const double s = saturatedBand;

        // Cubic soft clip beyond +-1. Past its peak at +-sqrt 2 the cubic would bend
        // back and, beyond +-sqrt 6, turn the sign of the band state, which drives the
        // low-pass integrator away instead of back: there it holds its peak instead.
        double b = band;
        if (b > 1.0 || b < -1.0)
        {
            if (b > softClipKnee)
                b = softClipPeak;
            else if (b < -softClipKnee)
                b = -softClipPeak;
            else
                b = b - b * b * b / 6.0;
        }

        // Rational tanh approximation (exactly +-1 at +-3); b never leaves +-1 here.
        saturatedBand = b * (b * b + 27.0) / (9.0 * b * b + 27.0);

        // Playing at full scale keeps the low-pass state within about +-2.3 at any
        // setting; the bound only acts on a loop that has run away, and keeps every
        // value of the echo loop finite and small enough to die away once the
        // feedback is lowered.
        lowState = lowState + f * s;
        if (lowState > lowStateLimit)
            lowState = lowStateLimit;
        else if (lowState < -lowStateLimit)
            lowState = -lowStateLimit;
        high = x - lowState - q * s / std::sqrt (s * s + 1.0);
        band = s + f * high;
        notch = high + lowState;
    }

    // The inputs of the last computed f; NaN so the first update always computes.
    double coefficientCutoff = std::numeric_limits<double>::quiet_NaN();
    double coefficientSampleRate = std::numeric_limits<double>::quiet_NaN();
    std::int32_t coefficientOversampling = 0;
};

} // namespace velmoLib
