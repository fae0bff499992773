// What prepareToPlay leaves behind: nothing of the signal heard before it, and
// for a rate that is no rate, nothing changed but the clearing.
#include "TestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
    using P = ZentovaAudioProcessor;

    constexpr int blockSize = 512;

    /** Runs numBlocks blocks of seeded noise (or silence) through the processor
        and returns the output, both channels one after the other. */
    std::vector<float> run (P& p, int numBlocks, float amplitude, int seed = 3)
    {
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;
        juce::Random random (seed);
        std::vector<float> output;

        for (int block = 0; block < numBlocks; ++block)
        {
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < blockSize; ++i)
                    buffer.setSample (c, i, amplitude * (random.nextFloat() * 2.0f - 1.0f));

            p.processBlock (buffer, midi);

            for (int c = 0; c < 2; ++c)
                output.insert (output.end(), buffer.getReadPointer (c), buffer.getReadPointer (c) + blockSize);
        }

        return output;
    }

    struct SmootherFields
    {
        float coefficient, complement, state;
        bool operator== (const SmootherFields& o) const
        {
            return coefficient == o.coefficient && complement == o.complement && state == o.state;
        }
    };

    std::vector<SmootherFields> smootherFields (const P& p)
    {
        std::vector<SmootherFields> fields;
        for (auto* s : p.parameterSmoothers)
            fields.push_back ({ s->coefficient, s->complement, s->state });
        return fields;
    }

    float peak (const std::vector<float>& samples)
    {
        float result = 0.0f;
        for (const float s : samples)
            result = std::isfinite (s) ? juce::jmax (result, std::abs (s)) : std::numeric_limits<float>::infinity();
        return result;
    }
}

TEST (SampleRate, EveryPreparationSilencesTheOldSignal)
{
    // Two instances with the same settings and the same time behind them, one
    // of which heard loud noise with long feedback: after a preparation both
    // must play the same, to the bit, whether the rate changed or not.
    for (const double rate : { 44100.0, 48000.0 })
    {
        SCOPED_TRACE (rate);
        P heard, quiet;

        for (auto* p : { &heard, &quiet })
        {
            p->setParameter (P::feedbackIndex, 0.9f);
            p->setParameter (P::stutterMixIndex, 1.0f);
        }

        const auto loud = run (heard, 86, 0.8f);
        run (quiet, 86, 0.0f);
        ASSERT_GT (peak (loud), 0.1f);

        heard.prepareToPlay (rate, blockSize);
        quiet.prepareToPlay (rate, blockSize);

        for (auto* state : { &heard.channelInput, &heard.channelOutput, &heard.cutoffLfoValue, &heard.modulationLfoValue,
                             &heard.feedbackInput, &heard.loopSample, &heard.modDelayOutput, &heard.wetSum })
            for (int c = 0; c < P::numChannels; ++c)
                EXPECT_EQ ((*state)[c], 0.0f);

        const auto after = run (heard, 86, 0.0f);
        EXPECT_EQ (after, run (quiet, 86, 0.0f));
        EXPECT_LT (peak (after), 1.0e-6f);
    }
}

TEST (SampleRate, ARateThatIsNoRateOnlyClears)
{
    const double badRates[] = { std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(), 0.0, -0.0, -44100.0, -1.0e-300 };

    for (const double bad : badRates)
    {
        SCOPED_TRACE (bad);

        // Same history for both; the second is prepared again at its own rate.
        P p, twin;

        for (auto* q : { &p, &twin })
        {
            q->prepareToPlay (48000.0, blockSize);
            run (*q, 20, 0.5f);
        }

        const auto smoothersBefore = smootherFields (p);
        ASSERT_NE (smoothersBefore[0].state, 0.0f);

        p.prepareToPlay (bad, blockSize);
        twin.prepareToPlay (48000.0, blockSize);

        EXPECT_EQ (p.currentSampleRate, 48000.0);
        EXPECT_TRUE (smootherFields (p) == smoothersBefore);
        EXPECT_EQ (p.mainDelay[0]->length, twin.mainDelay[0]->length);
        EXPECT_EQ (p.modDelay[1]->length, twin.modDelay[1]->length);
        EXPECT_EQ (p.stutterUnit[1]->capacity, twin.stutterUnit[1]->capacity);

        const auto output = run (p, 20, 0.5f, 7);
        EXPECT_EQ (output, run (twin, 20, 0.5f, 7));
        EXPECT_LE (peak (output), 1.0f);

        // A valid rate afterwards prepares as it would have without the bad one.
        p.prepareToPlay (44100.0, blockSize);
        twin.prepareToPlay (44100.0, blockSize);
        EXPECT_EQ (p.parameterSmoothers[1]->coefficient, 0.9999f);
        EXPECT_EQ (run (p, 20, 0.5f, 9), run (twin, 20, 0.5f, 9));
    }
}

TEST (SampleRate, SmoothersIgnoreARateThatIsNoRate)
{
    ParameterSmoother smoother;
    smoother.setSampleRate (48000.0);
    smoother.process (1.0f);
    const auto coefficient = smoother.coefficient;
    const auto complement = smoother.complement;
    const auto state = smoother.state;

    for (const double bad : { std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(), 0.0, -44100.0 })
    {
        smoother.setSampleRate (bad);
        EXPECT_EQ (smoother.coefficient, coefficient) << bad;
        EXPECT_EQ (smoother.complement, complement) << bad;
        EXPECT_EQ (smoother.state, state) << bad;
    }
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
