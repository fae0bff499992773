#include "lib/velmo_juce_svf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace
{

using velmoLib::Svf;

Svf makeFilter (double rate, float cutoffHz, float resonance)
{
    Svf filter;
    filter.setSampleRate (rate);
    filter.setOversampling (4);
    filter.setResonance (resonance);
    filter.setCutoff (cutoffHz);
    return filter;
}

// Peak of the low-pass output over the second half of a one-second sine.
double lowPassPeak (Svf& filter, double rate, double sineHz, float amplitude)
{
    constexpr double twoPi = 6.283185307179586;
    const int samples = static_cast<int> (rate);
    double peak = 0.0;

    for (int n = 0; n < samples; ++n)
    {
        auto in = static_cast<float> (amplitude * std::sin (twoPi * sineHz * n / rate));
        filter.process (&in);
        if (n >= samples / 2)
            peak = std::max (peak, std::abs (filter.low));
    }

    return peak;
}

TEST (Svf, SilentUntilTheFirstCutoff)
{
    Svf filter;
    EXPECT_EQ (filter.cutoffValue, 11000.0f);
    EXPECT_EQ (filter.cutoff, 0.0);
    EXPECT_EQ (filter.f, 0.0);

    for (const float x : { 1.0f, -0.7f, 0.3f, 1.0f })
    {
        float in = x;
        filter.process (&in);
        EXPECT_EQ (filter.low, 0.0);
    }
}

TEST (Svf, CutoffIsTakenOnlyInsideTheOpenRange)
{
    struct Case { float hz; bool accepted; };
    const Case cases[] = {
        { 0.001f, true }, { 1000.0f, true }, { 19999.9f, true },
        { 0.0f, false }, { -5.0f, false }, { 20000.0f, false }, { 25000.0f, false },
        { std::nanf (""), false },
    };

    for (const auto& c : cases)
    {
        Svf filter = makeFilter (44100.0, 500.0f, 0.0f);
        filter.setResonance (1.5f);   // waits for the next coefficient update
        EXPECT_EQ (filter.q, 2.0);

        filter.setCutoff (c.hz);
        const float expected = c.accepted ? c.hz : 500.0f;
        EXPECT_EQ (filter.cutoffValue, expected) << c.hz;
        EXPECT_EQ (filter.cutoff, static_cast<double> (expected)) << c.hz;
        EXPECT_DOUBLE_EQ (filter.q, 0.5) << "coefficients recomputed either way, " << c.hz;
    }
}

TEST (Svf, ResonanceIsTakenOnlyFromZeroToTwo)
{
    struct Case { float r; bool accepted; };
    const Case cases[] = { { 0.0f, true }, { 1.9f, true }, { 2.0f, true }, { 2.01f, false }, { -0.1f, false } };

    for (const auto& c : cases)
    {
        Svf filter = makeFilter (44100.0, 1000.0f, 1.0f);
        filter.setResonance (c.r);
        filter.setCutoff (1000.0f);

        const double expected = c.accepted ? static_cast<double> (c.r) : 1.0;
        EXPECT_EQ (filter.resonance, expected) << c.r;
        EXPECT_DOUBLE_EQ (filter.q, 2.0 - expected) << c.r;
    }
}

TEST (Svf, FrequencyCoefficient)
{
    constexpr double pi = 3.141592653589793;
    const Svf filter = makeFilter (44100.0, 1000.0f, 0.0f);
    EXPECT_DOUBLE_EQ (filter.f, 2.0 * std::sin (pi * 1000.0 / 176400.0));
}

TEST (Svf, InvalidRateAndPassCountAreIgnored)
{
    Svf filter = makeFilter (48000.0, 1000.0f, 0.0f);
    const double f = filter.f;

    filter.setSampleRate (0.0);
    filter.setSampleRate (-44100.0);
    filter.setOversampling (0);
    filter.setOversampling (-2);

    EXPECT_EQ (filter.sampleRate, 48000.0);
    EXPECT_EQ (filter.oversampling, 4);
    EXPECT_EQ (filter.f, f);
}

// With f = 0 and one pass, the saturated band state shows the clip and the tanh
// curve applied to whatever band state was left.
TEST (Svf, BandStateIsSoftClippedBeyondOneAndSaturated)
{
    struct Case { double band; double expectedSaturated; };
    const Case cases[] = {
        { 0.0,   0.0 },
        { 0.5,   0.465811966 },
        { 1.0,   7.0 / 9.0 },      // exactly 1 is left unclipped
        { -1.0,  -7.0 / 9.0 },
        { 1.01,  0.696867020 },    // clipped to about 0.8383 first
        { 1.3,   0.746887740 },
        // Beyond its peak at sqrt 2 (about 0.9428) the clip holds the peak and keeps the
        // sign; the cubic alone would turn 3.5 into -3.65 and drive the filter away.
        { 2.0,   0.751254189 },
        { 3.5,   0.751254189 },
        { -3.5,  -0.751254189 },
        { 1.0e6, 0.751254189 },
    };

    for (const auto& c : cases)
    {
        Svf filter;
        filter.setOversampling (1);
        filter.band = c.band;

        float in = 0.0f;
        filter.process (&in);
        EXPECT_NEAR (filter.saturatedBand, c.expectedSaturated, 1e-9) << "band " << c.band;
    }
}

TEST (Svf, ConstantInputSettlesOnTheDcFixedPoint)
{
    for (const float resonance : { 0.0f, 1.9f })
    {
        Svf filter = makeFilter (44100.0, 1000.0f, resonance);

        for (int n = 0; n < 44100; ++n)
        {
            float in = 0.5f;
            filter.process (&in);
        }

        EXPECT_NEAR (filter.low, 0.5, 1e-9) << resonance;
        EXPECT_NEAR (filter.band, 0.0, 1e-9) << resonance;
        EXPECT_NEAR (filter.high, 0.0, 1e-9) << resonance;
        EXPECT_NEAR (filter.saturatedBand, 0.0, 1e-9) << resonance;
        EXPECT_NEAR (filter.notch, 0.5, 1e-9) << resonance;
    }
}

TEST (Svf, PassesSinesWellBelowTheCutoffAndStopsThoseWellAbove)
{
    struct Case { double rate; float cutoffHz; double sineHz; double minGain; double maxGain; };
    const Case cases[] = {
        { 44100.0, 1000.0f, 100.0,   0.95, 1.05 },
        { 44100.0, 1000.0f, 10000.0, 0.0,  0.02 },
        { 96000.0, 2000.0f, 200.0,   0.95, 1.05 },
        { 96000.0, 2000.0f, 20000.0, 0.0,  0.02 },
    };

    for (const auto& c : cases)
    {
        Svf filter = makeFilter (c.rate, c.cutoffHz, 0.0f);
        const double gain = lowPassPeak (filter, c.rate, c.sineHz, 0.1f) / 0.1;
        EXPECT_GE (gain, c.minGain) << c.sineHz << " Hz through " << c.cutoffHz << " Hz at " << c.rate;
        EXPECT_LE (gain, c.maxGain) << c.sineHz << " Hz through " << c.cutoffHz << " Hz at " << c.rate;
    }
}

TEST (Svf, FullResonanceStaysBounded)
{
    Svf filter = makeFilter (44100.0, 3000.0f, 2.0f);
    ASSERT_EQ (filter.q, 0.0);

    const double peak = lowPassPeak (filter, 44100.0, 3000.0, 1.0f);
    EXPECT_TRUE (std::isfinite (peak));
    EXPECT_LT (peak, 4.0);
}

// A band or low-pass state far out (as a runaway echo loop leaves it) is pulled back
// towards the input, never driven further out, and the low-pass state stays bounded.
TEST (Svf, StateFarOutComesBackWithSilenceIn)
{
    for (const double start : { 1.0e6, -1.0e6, 40.0, -40.0 })
    {
        for (const float resonance : { 0.0f, 1.9f })
        {
            Svf filter = makeFilter (44100.0, 100.0f, resonance);
            filter.band = start;
            filter.lowState = -start;
            double largest = 0.0;

            for (int n = 0; n < 10 * 44100; ++n)
            {
                float in = 0.0f;
                filter.process (&in);
                largest = std::max (largest, std::abs (filter.lowState));
            }

            EXPECT_LE (largest, 6.0) << start << ", resonance " << resonance;
            EXPECT_LT (std::abs (filter.low), 1.0e-6) << start << ", resonance " << resonance;
            EXPECT_LT (std::abs (filter.band), 1.0e-6) << start << ", resonance " << resonance;
        }
    }
}

TEST (Svf, ClearStateSilences)
{
    Svf filter = makeFilter (44100.0, 1000.0f, 1.0f);
    lowPassPeak (filter, 44100.0, 440.0, 0.8f);

    filter.clearState();
    for (const double value : { filter.low, filter.high, filter.band, filter.notch,
                                filter.saturatedBand, filter.lowState })
        EXPECT_EQ (value, 0.0);

    float in = 0.0f;
    filter.process (&in);
    EXPECT_EQ (filter.low, 0.0);
}

} // namespace

namespace
{

bool sameBits (double a, double b)
{
    return std::memcmp (&a, &b, sizeof (double)) == 0;
}

bool sameState (const Svf& a, const Svf& b)
{
    return sameBits (a.low, b.low) && sameBits (a.high, b.high) && sameBits (a.band, b.band)
        && sameBits (a.notch, b.notch) && sameBits (a.saturatedBand, b.saturatedBand)
        && sameBits (a.lowState, b.lowState);
}

} // namespace

// The pair paths (SSE2 where built, and the portable one), both lanes at once and
// one at a time, against process on each filter: quiet and far too hot input,
// moving cutoffs, every pass count the pair meets, and state driven far out
// (including NaN).
TEST (Svf, PairPathsGiveTheBitsOfProcessOnEach)
{
    struct Case { int firstPasses, secondPasses; float gain; double startBand; };
    const Case cases[] = { { 4, 4, 0.5f, 0.0 }, { 4, 4, 16.0f, 0.0 }, { 4, 4, 1000.0f, 0.0 },
                           { 3, 3, 4.0f, 0.0 }, { 1, 1, 2.0f, 0.0 }, { 4, 2, 8.0f, 0.0 },
                           { 4, 4, 1.0f, 40.0 }, { 4, 4, 1.0f, std::numeric_limits<double>::quiet_NaN() } };

    for (const auto& c : cases)
    {
        Svf reference[2], vector[2], portable[2];

        for (auto* filters : { reference, vector, portable })
        {
            for (int k = 0; k < 2; ++k)
            {
                filters[k] = makeFilter (48000.0, 1000.0f, k == 0 ? 1.9f : 0.7f);
                filters[k].setOversampling (k == 0 ? c.firstPasses : c.secondPasses);
                filters[k].band = k == 0 ? c.startBand : -c.startBand;
            }
        }

        for (int n = 0; n < 20000; ++n)
        {
            const float cutoff0 = 200.0f + 5000.0f * (float) ((n / 37) % 10);
            const float cutoff1 = 19000.0f - 1500.0f * (float) ((n / 53) % 12);
            const float input0 = c.gain * (float) std::sin (0.013 * n) * ((n / 500) % 2 == 0 ? 1.0f : 0.0f);
            const float input1 = c.gain * (float) std::sin (0.071 * n + 1.0);

            for (auto* filters : { reference, vector, portable })
            {
                filters[0].setCutoff (cutoff0);
                filters[1].setCutoff (cutoff1);
            }

            float in[6] = { input0, input1, input0, input1, input0, input1 };
            reference[0].process (&in[0]);
            reference[1].process (&in[1]);
            // Every other sample runs the two lanes one at a time, as the chain does
            // at a block's ends.
            const bool oneLaneAtATime = n % 2 == 1;
            const auto step = [oneLaneAtATime] (auto pair, Svf& first, float firstInput, Svf& second, float secondInput)
            {
                if (oneLaneAtATime)
                {
                    pair.processFirst (firstInput, first.f);
                    pair.processSecond (secondInput, second.f);
                }
                else
                {
                    pair.process (firstInput, first.f, secondInput, second.f);
                }

                pair.put (first, second);
            };

            if (Svf::canRunAsVector (vector[0], vector[1]))
                step (Svf::FastPair::take (vector[0], vector[1]), vector[0], in[2], vector[1], in[3]);
            else
                step (Svf::PortablePair::take (vector[0], vector[1]), vector[0], in[2], vector[1], in[3]);

            step (Svf::PortablePair::take (portable[0], portable[1]), portable[0], in[4], portable[1], in[5]);

            for (int k = 0; k < 2; ++k)
            {
                ASSERT_TRUE (sameState (vector[k], reference[k])) << "SSE2 pair, filter " << k << ", sample " << n << ", gain " << c.gain;
                ASSERT_TRUE (sameState (portable[k], reference[k])) << "portable pair, filter " << k << ", sample " << n << ", gain " << c.gain;
            }
        }
    }
}
