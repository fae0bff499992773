#pragma once

#include <juce_core/juce_core.h>

#include <cmath>
#include <cstdint>
#include <limits>

// Both channels' filters run as one pair of SSE2 double lanes where the target has
// SSE2 (every x86-64); elsewhere the portable pair gives the same bits.
#if defined (__SSE2__) || defined (_M_X64) || (defined (_M_IX86_FP) && _M_IX86_FP >= 2)
 #include <emmintrin.h>
 #define VELMO_SVF_SSE2 1
#else
 #define VELMO_SVF_SSE2 0
#endif

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
    forcedinline void process (float* input) noexcept
    {
        const auto x = static_cast<double> (*input);
        double lowPass = lowState, saturated = saturatedBand, bandPass = band, highPass = high, notchOut = notch;

        if (oversampling == 4)
        {
            runPass (x, f, q, lowPass, saturated, bandPass, highPass);
            runPass (x, f, q, lowPass, saturated, bandPass, highPass);
            runPass (x, f, q, lowPass, saturated, bandPass, highPass);
            runPass (x, f, q, lowPass, saturated, bandPass, highPass);
            notchOut = highPass + lowPass;
        }
        else
        {
            for (std::int32_t pass = 0; pass < oversampling; ++pass)
            {
                runPass (x, f, q, lowPass, saturated, bandPass, highPass);
                notchOut = highPass + lowPass;
            }
        }

        storeState (lowPass, saturated, bandPass, highPass, notchOut);
    }

    /** Two filters' state and resonance terms as running values, for a caller that
        runs both many samples in a row (the echo chain runs its two channels' filters
        side by side): take them, process, and put them back. The two filters pass by
        pass side by side, so the processor overlaps their long division and
        square-root chains; the results are exactly those of process on each. */
    struct PortablePair
    {
        double lowPass[2], saturated[2], bandPass[2], highPass[2], notchOut[2], q[2];
        std::int32_t passes[2];

        static forcedinline PortablePair take (const Svf& first, const Svf& second) noexcept
        {
            return { { first.lowState, second.lowState }, { first.saturatedBand, second.saturatedBand },
                     { first.band, second.band }, { first.high, second.high }, { first.notch, second.notch },
                     { first.q, second.q }, { first.oversampling, second.oversampling } };
        }

        forcedinline void put (Svf& first, Svf& second) const noexcept
        {
            first.storeState (lowPass[0], saturated[0], bandPass[0], highPass[0], notchOut[0]);
            second.storeState (lowPass[1], saturated[1], bandPass[1], highPass[1], notchOut[1]);
        }

        /** One sample through each filter, with these frequency coefficients. */
        forcedinline void process (float firstInput, double firstF, float secondInput, double secondF) noexcept
        {
            const auto x1 = static_cast<double> (firstInput);
            const auto x2 = static_cast<double> (secondInput);

            if (passes[0] == 4 && passes[1] == 4)
            {
                runPass (x1, firstF, q[0], lowPass[0], saturated[0], bandPass[0], highPass[0]);
                runPass (x2, secondF, q[1], lowPass[1], saturated[1], bandPass[1], highPass[1]);
                runPass (x1, firstF, q[0], lowPass[0], saturated[0], bandPass[0], highPass[0]);
                runPass (x2, secondF, q[1], lowPass[1], saturated[1], bandPass[1], highPass[1]);
                runPass (x1, firstF, q[0], lowPass[0], saturated[0], bandPass[0], highPass[0]);
                runPass (x2, secondF, q[1], lowPass[1], saturated[1], bandPass[1], highPass[1]);
                runPass (x1, firstF, q[0], lowPass[0], saturated[0], bandPass[0], highPass[0]);
                runPass (x2, secondF, q[1], lowPass[1], saturated[1], bandPass[1], highPass[1]);

                notchOut[0] = highPass[0] + lowPass[0];
                notchOut[1] = highPass[1] + lowPass[1];
                return;
            }

            for (std::int32_t pass = 0; pass < passes[0]; ++pass)
            {
                runPass (x1, firstF, q[0], lowPass[0], saturated[0], bandPass[0], highPass[0]);
                notchOut[0] = highPass[0] + lowPass[0];
            }

            for (std::int32_t pass = 0; pass < passes[1]; ++pass)
            {
                runPass (x2, secondF, q[1], lowPass[1], saturated[1], bandPass[1], highPass[1]);
                notchOut[1] = highPass[1] + lowPass[1];
            }
        }

        forcedinline double firstLow() const noexcept    { return lowPass[0]; }
        forcedinline double secondLow() const noexcept   { return lowPass[1]; }
    };

   #if VELMO_SVF_SSE2
    /** PortablePair as one pair of SSE2 double lanes (lane 0 the first filter): each
        lane operation is the IEEE operation the scalar pass does, in the same order.
        Both filters must have the same pass count (canRunAsVector). */
    struct VectorPair
    {
        __m128d lowPass, saturated, bandPass, highPass, notchOut, q;
        std::int32_t passes;

        static forcedinline VectorPair take (const Svf& first, const Svf& second) noexcept
        {
            return { _mm_set_pd (second.lowState, first.lowState), _mm_set_pd (second.saturatedBand, first.saturatedBand),
                     _mm_set_pd (second.band, first.band), _mm_set_pd (second.high, first.high),
                     _mm_set_pd (second.notch, first.notch), _mm_set_pd (second.q, first.q), first.oversampling };
        }

        forcedinline void put (Svf& first, Svf& second) const noexcept
        {
            double lanes[5][2];
            _mm_storeu_pd (lanes[0], lowPass);
            _mm_storeu_pd (lanes[1], saturated);
            _mm_storeu_pd (lanes[2], bandPass);
            _mm_storeu_pd (lanes[3], highPass);
            _mm_storeu_pd (lanes[4], notchOut);
            first.storeState (lanes[0][0], lanes[1][0], lanes[2][0], lanes[3][0], lanes[4][0]);
            second.storeState (lanes[0][1], lanes[1][1], lanes[2][1], lanes[3][1], lanes[4][1]);
        }

        forcedinline void process (float firstInput, double firstF, float secondInput, double secondF) noexcept
        {
            const __m128d x = _mm_set_pd (static_cast<double> (secondInput), static_cast<double> (firstInput));
            const __m128d coefficients = _mm_set_pd (secondF, firstF);

            if (passes == 4)
            {
                runVectorPass (x, coefficients, q, lowPass, saturated, bandPass, highPass);
                runVectorPass (x, coefficients, q, lowPass, saturated, bandPass, highPass);
                runVectorPass (x, coefficients, q, lowPass, saturated, bandPass, highPass);
                runVectorPass (x, coefficients, q, lowPass, saturated, bandPass, highPass);
                notchOut = _mm_add_pd (highPass, lowPass);
                return;
            }

            for (std::int32_t pass = 0; pass < passes; ++pass)
            {
                runVectorPass (x, coefficients, q, lowPass, saturated, bandPass, highPass);
                notchOut = _mm_add_pd (highPass, lowPass);
            }
        }

        forcedinline double firstLow() const noexcept    { return _mm_cvtsd_f64 (lowPass); }
        forcedinline double secondLow() const noexcept   { return _mm_cvtsd_f64 (_mm_unpackhi_pd (lowPass, lowPass)); }
    };

    using FastPair = VectorPair;
   #else
    using FastPair = PortablePair;
   #endif

    /** Whether two filters may run as a FastPair (the SSE2 lanes take one pass count). */
    static bool canRunAsVector (const Svf& first, const Svf& second) noexcept
    {
        return first.oversampling == second.oversampling;
    }

    /** Runs two independent filters on one sample each as a FastPair; the results are
        exactly those of calling process on each. */
    static forcedinline void processPair (Svf& first, float* firstInput, Svf& second, float* secondInput) noexcept
    {
        if (! canRunAsVector (first, second))
        {
            processPairPortable (first, firstInput, second, secondInput);
            return;
        }

        auto pair = FastPair::take (first, second);
        pair.process (*firstInput, first.f, *secondInput, second.f);
        pair.put (first, second);
    }

    /** processPair through the portable pair, which every build has, so both paths can
        be checked against each other. */
    static forcedinline void processPairPortable (Svf& first, float* firstInput, Svf& second, float* secondInput) noexcept
    {
        auto pair = PortablePair::take (first, second);
        pair.process (*firstInput, first.f, *secondInput, second.f);
        pair.put (first, second);
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

    // The pass count is 4 in the plug-in: that case is written out so that the
    // passes' independent halves (and the two filters of a pair) overlap.

    static forcedinline void runPass (double x, double f, double q, double& lowPass, double& saturated,
                                      double& bandPass, double& highPass) noexcept
    {
        const double s = saturated;

        // Cubic soft clip beyond +-1. Past its peak at +-sqrt 2 the cubic would bend
        // back and, beyond +-sqrt 6, turn the sign of the band state, which drives the
        // low-pass integrator away instead of back: there it holds its peak instead.
        double b = bandPass;
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
        saturated = b * (b * b + 27.0) / (9.0 * b * b + 27.0);

        // Playing at full scale keeps the low-pass state within about +-2.3 at any
        // setting; the bound only acts on a loop that has run away, and keeps every
        // value of the echo loop finite and small enough to die away once the
        // feedback is lowered.
        lowPass = lowPass + f * s;
        if (lowPass > lowStateLimit)
            lowPass = lowStateLimit;
        else if (lowPass < -lowStateLimit)
            lowPass = -lowStateLimit;
        highPass = x - lowPass - q * s / std::sqrt (s * s + 1.0);
        bandPass = s + f * highPass;
    }

    forcedinline void storeState (double lowPass, double saturated, double bandPass, double highPass, double notchOut) noexcept
    {
        lowState = lowPass;
        saturatedBand = saturated;
        band = bandPass;
        high = highPass;
        notch = notchOut;
        low = lowPass;
    }

   #if VELMO_SVF_SSE2
    /** mask ? ifSet : ifClear, lane by lane. */
    static forcedinline __m128d select (__m128d mask, __m128d ifSet, __m128d ifClear) noexcept
    {
        return _mm_or_pd (_mm_and_pd (mask, ifSet), _mm_andnot_pd (mask, ifClear));
    }

    /** runPass on both lanes, operation for operation in the same order. */
    static forcedinline void runVectorPass (__m128d x, __m128d f, __m128d q, __m128d& lowPass, __m128d& saturated,
                                            __m128d& bandPass, __m128d& highPass) noexcept
    {
        const __m128d one = _mm_set1_pd (1.0);
        const __m128d s = saturated;
        __m128d b = bandPass;

        // The comparisons are false for NaN, which therefore passes unclipped, as in runPass.
        const __m128d outside = _mm_or_pd (_mm_cmpgt_pd (b, one), _mm_cmplt_pd (b, _mm_set1_pd (-1.0)));

        // The clip's division is taken only when a lane needs it, as in runPass.
        if (_mm_movemask_pd (outside) != 0)
        {
            const __m128d cubic = _mm_sub_pd (b, _mm_div_pd (_mm_mul_pd (_mm_mul_pd (b, b), b), _mm_set1_pd (6.0)));
            __m128d clipped = select (_mm_cmpgt_pd (b, _mm_set1_pd (softClipKnee)), _mm_set1_pd (softClipPeak), cubic);
            clipped = select (_mm_cmplt_pd (b, _mm_set1_pd (-softClipKnee)), _mm_set1_pd (-softClipPeak), clipped);
            b = select (outside, clipped, b);
        }

        const __m128d c27 = _mm_set1_pd (27.0);
        saturated = _mm_div_pd (_mm_mul_pd (b, _mm_add_pd (_mm_mul_pd (b, b), c27)),
                                _mm_add_pd (_mm_mul_pd (_mm_mul_pd (_mm_set1_pd (9.0), b), b), c27));

        // min (limit, v) and max (-limit, v) return v when v is NaN, as the scalar tests do.
        lowPass = _mm_add_pd (lowPass, _mm_mul_pd (f, s));
        lowPass = _mm_max_pd (_mm_set1_pd (-lowStateLimit), _mm_min_pd (_mm_set1_pd (lowStateLimit), lowPass));

        const __m128d root = _mm_sqrt_pd (_mm_add_pd (_mm_mul_pd (s, s), one));
        highPass = _mm_sub_pd (_mm_sub_pd (x, lowPass), _mm_div_pd (_mm_mul_pd (q, s), root));
        bandPass = _mm_add_pd (s, _mm_mul_pd (f, highPass));
    }
   #endif

    // The inputs of the last computed f; NaN so the first update always computes.
    double coefficientCutoff = std::numeric_limits<double>::quiet_NaN();
    double coefficientSampleRate = std::numeric_limits<double>::quiet_NaN();
    std::int32_t coefficientOversampling = 0;
};

} // namespace velmoLib
