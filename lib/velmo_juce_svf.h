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
            runPass<ScalarLanes> (x, f, q, lowPass, saturated, bandPass, highPass);
            runPass<ScalarLanes> (x, f, q, lowPass, saturated, bandPass, highPass);
            runPass<ScalarLanes> (x, f, q, lowPass, saturated, bandPass, highPass);
            runPass<ScalarLanes> (x, f, q, lowPass, saturated, bandPass, highPass);
            notchOut = highPass + lowPass;
        }
        else
        {
            for (std::int32_t pass = 0; pass < oversampling; ++pass)
            {
                runPass<ScalarLanes> (x, f, q, lowPass, saturated, bandPass, highPass);
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
            if (passes[0] == 4 && passes[1] == 4)
            {
                const auto x1 = static_cast<double> (firstInput);
                const auto x2 = static_cast<double> (secondInput);

                for (int pass = 0; pass < 4; ++pass)
                {
                    runLane (0, x1, firstF);
                    runLane (1, x2, secondF);
                }

                notchOut[0] = highPass[0] + lowPass[0];
                notchOut[1] = highPass[1] + lowPass[1];
                return;
            }

            processFirst (firstInput, firstF);
            processSecond (secondInput, secondF);
        }

        /** One sample through one of the two filters; the other keeps its state. */
        forcedinline void processFirst (float input, double firstF) noexcept     { processOne (0, input, firstF); }
        forcedinline void processSecond (float input, double secondF) noexcept   { processOne (1, input, secondF); }

        forcedinline double firstLow() const noexcept    { return lowPass[0]; }
        forcedinline double secondLow() const noexcept   { return lowPass[1]; }

    private:
        forcedinline void runLane (int k, double x, double coefficient) noexcept
        {
            runPass<ScalarLanes> (x, coefficient, q[k], lowPass[k], saturated[k], bandPass[k], highPass[k]);
        }

        forcedinline void processOne (int k, float input, double coefficient) noexcept
        {
            const auto x = static_cast<double> (input);

            for (std::int32_t pass = 0; pass < passes[k]; ++pass)
            {
                runLane (k, x, coefficient);
                notchOut[k] = highPass[k] + lowPass[k];
            }
        }
    };

   #if VELMO_SVF_SSE2
    /** PortablePair as one pair of SSE2 double lanes (lane 0 the first filter),
        through the same pass. Both filters must have the same pass count
        (canRunAsVector). */
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
                for (int pass = 0; pass < 4; ++pass)
                    runPass<Sse2Lanes> (x, coefficients, q, lowPass, saturated, bandPass, highPass);

                notchOut = _mm_add_pd (highPass, lowPass);
                return;
            }

            for (std::int32_t pass = 0; pass < passes; ++pass)
            {
                runPass<Sse2Lanes> (x, coefficients, q, lowPass, saturated, bandPass, highPass);
                notchOut = _mm_add_pd (highPass, lowPass);
            }
        }

        /** One sample through one of the two filters: both lanes run, and the other
            lane's state is put back as it was. */
        forcedinline void processFirst (float input, double firstF) noexcept
        {
            const auto kept = *this;
            process (input, firstF, 0.0f, 0.0);
            keepLanes (kept, false);
        }

        forcedinline void processSecond (float input, double secondF) noexcept
        {
            const auto kept = *this;
            process (0.0f, 0.0, input, secondF);
            keepLanes (kept, true);
        }

        forcedinline double firstLow() const noexcept    { return _mm_cvtsd_f64 (lowPass); }
        forcedinline double secondLow() const noexcept   { return _mm_cvtsd_f64 (_mm_unpackhi_pd (lowPass, lowPass)); }

    private:
        /** Takes back lane 0 (or lane 1) of every state from kept. */
        forcedinline void keepLanes (const VectorPair& kept, bool firstLane) noexcept
        {
            const auto restore = [firstLane] (__m128d now, __m128d before)
            {
                return firstLane ? _mm_move_sd (now, before) : _mm_move_sd (before, now);
            };

            lowPass = restore (lowPass, kept.lowPass);
            saturated = restore (saturated, kept.saturated);
            bandPass = restore (bandPass, kept.bandPass);
            highPass = restore (highPass, kept.highPass);
            notchOut = restore (notchOut, kept.notchOut);
        }
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

    // One pass is written once, over a lane type: ScalarLanes runs one filter in
    // doubles, Sse2Lanes two filters side by side in one pair of SSE2 double lanes.
    // Each lane operation is the IEEE operation on doubles, in the same order, so
    // both give the same bits.
    struct ScalarLanes
    {
        using Value = double;
        using Mask = bool;

        static forcedinline Value splat (double v) noexcept                   { return v; }
        static forcedinline Value add (Value a, Value b) noexcept             { return a + b; }
        static forcedinline Value sub (Value a, Value b) noexcept             { return a - b; }
        static forcedinline Value mul (Value a, Value b) noexcept             { return a * b; }
        static forcedinline Value div (Value a, Value b) noexcept             { return a / b; }
        static forcedinline Value squareRoot (Value a) noexcept               { return std::sqrt (a); }
        static forcedinline Mask greater (Value a, Value b) noexcept          { return a > b; }
        static forcedinline Mask less (Value a, Value b) noexcept             { return a < b; }
        static forcedinline Mask either (Mask a, Mask b) noexcept             { return a || b; }
        static forcedinline bool any (Mask m) noexcept                        { return m; }
        static forcedinline Value select (Mask m, Value a, Value b) noexcept  { return m ? a : b; }

        /** v held within +-limit; NaN passes as it is. */
        static forcedinline Value clamp (Value v, double limit) noexcept
        {
            return v > limit ? limit : (v < -limit ? -limit : v);
        }
    };

   #if VELMO_SVF_SSE2
    struct Sse2Lanes
    {
        using Value = __m128d;
        using Mask = __m128d;

        static forcedinline Value splat (double v) noexcept                   { return _mm_set1_pd (v); }
        static forcedinline Value add (Value a, Value b) noexcept             { return _mm_add_pd (a, b); }
        static forcedinline Value sub (Value a, Value b) noexcept             { return _mm_sub_pd (a, b); }
        static forcedinline Value mul (Value a, Value b) noexcept             { return _mm_mul_pd (a, b); }
        static forcedinline Value div (Value a, Value b) noexcept             { return _mm_div_pd (a, b); }
        static forcedinline Value squareRoot (Value a) noexcept               { return _mm_sqrt_pd (a); }
        static forcedinline Mask greater (Value a, Value b) noexcept          { return _mm_cmpgt_pd (a, b); }
        static forcedinline Mask less (Value a, Value b) noexcept             { return _mm_cmplt_pd (a, b); }
        static forcedinline Mask either (Mask a, Mask b) noexcept             { return _mm_or_pd (a, b); }
        static forcedinline bool any (Mask m) noexcept                        { return _mm_movemask_pd (m) != 0; }

        static forcedinline Value select (Mask m, Value a, Value b) noexcept
        {
            return _mm_or_pd (_mm_and_pd (m, a), _mm_andnot_pd (m, b));
        }

        /** min (limit, v) and max (-limit, v) return v when v is NaN, as the scalar tests do. */
        static forcedinline Value clamp (Value v, double limit) noexcept
        {
            return _mm_max_pd (_mm_set1_pd (-limit), _mm_min_pd (_mm_set1_pd (limit), v));
        }
    };
   #endif

    template <typename Lanes>
    static forcedinline void runPass (typename Lanes::Value x, typename Lanes::Value f, typename Lanes::Value q,
                                      typename Lanes::Value& lowPass, typename Lanes::Value& saturated,
                                      typename Lanes::Value& bandPass, typename Lanes::Value& highPass) noexcept
    {
        using L = Lanes;
        const auto s = saturated;

        // Cubic soft clip beyond +-1. Past its peak at +-sqrt 2 the cubic would bend
        // back and, beyond +-sqrt 6, turn the sign of the band state, which drives the
        // low-pass integrator away instead of back: there it holds its peak instead.
        // The comparisons are false for NaN, which therefore passes unclipped; the
        // clip's division is only taken when some lane needs it.
        auto b = bandPass;
        const auto outside = L::either (L::greater (b, L::splat (1.0)), L::less (b, L::splat (-1.0)));

        if (L::any (outside))
        {
            const auto cubic = L::sub (b, L::div (L::mul (L::mul (b, b), b), L::splat (6.0)));
            auto clipped = L::select (L::greater (b, L::splat (softClipKnee)), L::splat (softClipPeak), cubic);
            clipped = L::select (L::less (b, L::splat (-softClipKnee)), L::splat (-softClipPeak), clipped);
            b = L::select (outside, clipped, b);
        }

        // Rational tanh approximation (exactly +-1 at +-3); b never leaves +-1 here.
        const auto c27 = L::splat (27.0);
        saturated = L::div (L::mul (b, L::add (L::mul (b, b), c27)), L::add (L::mul (L::mul (L::splat (9.0), b), b), c27));

        // Playing at full scale keeps the low-pass state within about +-2.3 at any
        // setting; the bound only acts on a loop that has run away, and keeps every
        // value of the echo loop finite and small enough to die away once the
        // feedback is lowered.
        lowPass = L::clamp (L::add (lowPass, L::mul (f, s)), lowStateLimit);

        const auto root = L::squareRoot (L::add (L::mul (s, s), L::splat (1.0)));
        highPass = L::sub (L::sub (x, lowPass), L::div (L::mul (q, s), root));
        bandPass = L::add (s, L::mul (f, highPass));
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

    // The inputs of the last computed f; NaN so the first update always computes.
    double coefficientCutoff = std::numeric_limits<double>::quiet_NaN();
    double coefficientSampleRate = std::numeric_limits<double>::quiet_NaN();
    std::int32_t coefficientOversampling = 0;
};

} // namespace velmoLib
