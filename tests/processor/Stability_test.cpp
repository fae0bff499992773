// The harshest settings a user can reach, for a minute of audio at every common
// sample rate: the output stays finite and the echo inside the loop stays bounded.
#include "TestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
    using P = ZentovaAudioProcessor;

    enum class Signal { noise, impulses };

    struct Extremes
    {
        bool finite = true;
        float loopPeak = 0.0f;
        float outputPeak = 0.0f;
    };

    Extremes runWorstCase (double rate, Signal signal, bool reverse, double seconds)
    {
        P p;
        p.prepareToPlay (rate, 512);
        for (const auto index : { P::feedbackIndex, P::resonanceIndex, P::modulationAmountIndex,
                                  P::stutterMixIndex, P::stutterSpeedIndex })
            p.setParameter (index, 1.0f);
        p.setParameter (P::stutterReverseIndex, reverse ? 1.0f : 0.0f);

        juce::AudioBuffer<float> buffer (2, 512);
        juce::MidiBuffer midi;
        juce::Random random (11);
        Extremes result;
        const int impulseSpacing = (int) (rate * 0.25);
        int64_t sample = 0;

        for (int64_t done = 0; done < (int64_t) (rate * seconds); done += 512)
        {
            for (int i = 0; i < 512; ++i, ++sample)
            {
                const float value = signal == Signal::noise ? random.nextFloat() * 2.0f - 1.0f
                                                            : ((sample % impulseSpacing) == 0 ? 1.0f : 0.0f);
                buffer.setSample (0, i, value);
                buffer.setSample (1, i, value);
            }

            p.processBlock (buffer, midi);

            for (int c = 0; c < 2; ++c)
            {
                const auto range = buffer.findMinMax (c, 0, 512);
                result.finite = result.finite && std::isfinite (range.getStart()) && std::isfinite (range.getEnd());
                result.outputPeak = juce::jmax (result.outputPeak, std::abs (range.getStart()), std::abs (range.getEnd()));
                result.loopPeak = juce::jmax (result.loopPeak, std::abs (p.loopSample[c]), std::abs (p.feedbackInput[c]));
                result.finite = result.finite && std::isfinite (p.loopSample[c]) && std::isfinite (p.feedbackInput[c]);
            }
        }

        return result;
    }
}

TEST (Stability, WorstCaseSettingsStayFiniteAndBounded)
{
    for (const double rate : { 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0 })
    {
        for (const auto signal : { Signal::noise, Signal::impulses })
        {
            for (const bool reverse : { false, true })
            {
                SCOPED_TRACE (juce::String (rate) + (signal == Signal::noise ? " noise" : " impulses")
                              + (reverse ? " reverse" : " forward"));

                const auto result = runWorstCase (rate, signal, reverse, 60.0);
                EXPECT_TRUE (result.finite);
                EXPECT_LE (result.outputPeak, 1.0f);   // clipped, at 0 dB output level
                EXPECT_LT (result.loopPeak, 8.0f);
            }
        }
    }
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
