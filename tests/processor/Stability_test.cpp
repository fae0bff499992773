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

//==============================================================================
// Feedback and modulation at 100 % with loud noise drive the echo loop to full scale
// and hold it there. Whatever state that leaves, every value in the loop stays within
// the filter's bound of 6 on its low-pass state (the loop's samples within 6 / 0.9),
// and the loop dies away once the musician turns feedback down with silence in.
namespace
{
    struct RunawayCase { double rate; float resonance; float feedbackAfter; };

    std::ostream& operator<< (std::ostream& out, const RunawayCase& c)
    {
        return out << c.rate << " Hz, resonance " << c.resonance << ", feedback lowered to " << c.feedbackAfter;
    }

    class RunawayLoop : public ::testing::TestWithParam<RunawayCase> {};

    float loudestInBlock (const juce::AudioBuffer<float>& buffer)
    {
        float peak = 0.0f;
        for (int c = 0; c < buffer.getNumChannels(); ++c)
            peak = juce::jmax (peak, buffer.getMagnitude (c, 0, buffer.getNumSamples()));
        return peak;
    }

    bool finite (const juce::AudioBuffer<float>& buffer)
    {
        for (int c = 0; c < buffer.getNumChannels(); ++c)
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                if (! std::isfinite (buffer.getSample (c, i)))
                    return false;
        return true;
    }

    // Runs the loop to full scale: Feedback and Modulation_Amount at 100 %, noise at
    // +-0.5 in, for long enough that an unbounded filter has long latched.
    void driveToFullScale (P& p, double rate, float resonance, double seconds)
    {
        p.prepareToPlay (rate, 512);
        p.setParameter (P::feedbackIndex, 1.0f);
        p.setParameter (P::modulationAmountIndex, 1.0f);
        p.setParameter (P::resonanceIndex, resonance);

        juce::AudioBuffer<float> buffer (2, 512);
        juce::MidiBuffer midi;
        juce::Random random (5);

        for (int64_t done = 0; done < (int64_t) (rate * seconds); done += 512)
        {
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < 512; ++i)
                    buffer.setSample (c, i, random.nextFloat() - 0.5f);

            p.processBlock (buffer, midi);

            ASSERT_TRUE (finite (buffer));
            for (int c = 0; c < 2; ++c)
            {
                const auto& filter = *p.feedbackFilter[c];
                ASSERT_LE (std::abs (filter.lowState), 6.0);
                ASSERT_TRUE (std::isfinite (filter.band) && std::isfinite (filter.high));
                ASSERT_LE (std::abs (p.loopSample[c]), 6.0f / 0.9f);
                ASSERT_LE (std::abs (p.feedbackInput[c]), 6.0f / 0.9f);
            }
        }
    }
}

TEST_P (RunawayLoop, StaysBoundedAndDiesAwayOnceFeedbackIsLowered)
{
    const auto c = GetParam();
    P p;
    ASSERT_NO_FATAL_FAILURE (driveToFullScale (p, c.rate, c.resonance, 150.0));

    p.setParameter (P::feedbackIndex, c.feedbackAfter);
    p.setParameter (P::modulationAmountIndex, 0.0f);

    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    float tail = 0.0f;

    for (int64_t done = 0; done < (int64_t) (c.rate * 21.0); done += 512)
    {
        buffer.clear();
        p.processBlock (buffer, midi);
        if (done >= (int64_t) (c.rate * 20.0))
            tail = juce::jmax (tail, loudestInBlock (buffer));
    }

    EXPECT_LT (tail, 0.001f) << "still above -60 dBFS 20 s after feedback went down";
}

// At full resonance the filter's peak makes 50 % feedback a loop that rings on by
// itself, even started from silence; 40 % is the setting that dies away there.
INSTANTIATE_TEST_SUITE_P (Rates, RunawayLoop, ::testing::Values (
    RunawayCase { 44100.0,  0.0f, 0.5f }, RunawayCase { 44100.0,  1.0f, 0.4f },
    RunawayCase { 48000.0,  0.5f, 0.5f }, RunawayCase { 48000.0,  1.0f, 0.4f },
    RunawayCase { 96000.0,  0.0f, 0.5f }, RunawayCase { 96000.0,  1.0f, 0.4f },
    RunawayCase { 192000.0, 0.5f, 0.5f }, RunawayCase { 192000.0, 1.0f, 0.4f }));

// Full Feedback with full Modulation_Amount gives the loop a gain above unity at
// DC: left alone, an offset it picks up from plain noise grows on every pass until
// the output sits at full-scale DC with the input gone. Input without DC of its own
// must never leave the output at a constant or with a lasting offset.
namespace
{
    struct LatchCase { float resonance; float dryWet; bool clicks; };

    std::ostream& operator<< (std::ostream& out, const LatchCase& c)
    {
        return out << "resonance " << c.resonance << ", Dry_Wet " << c.dryWet << (c.clicks ? ", clicks" : ", noise");
    }

    class FullFeedback : public ::testing::TestWithParam<LatchCase> {};
}

TEST_P (FullFeedback, HoldsNoConstantLevelAndNoOffset)
{
    const auto c = GetParam();
    constexpr double rate = 48000.0;
    constexpr int blockSize = 512;
    P p;
    p.prepareToPlay (rate, blockSize);
    p.setParameter (P::feedbackIndex, 1.0f);
    p.setParameter (P::modulationAmountIndex, 1.0f);
    p.setParameter (P::resonanceIndex, c.resonance);
    p.setParameter (P::dryWetIndex, c.dryWet);

    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;
    juce::Random random (5);
    const auto clickSpacing = (int64_t) (rate * 0.37);
    const auto second = (int64_t) rate;
    double sum[2] = {};
    float last[2] = {};
    int64_t unchangedFor[2] = {}, sample = 0;

    while (sample < second * 150)
    {
        for (int i = 0; i < blockSize; ++i)
            for (int ch = 0; ch < 2; ++ch)
                buffer.setSample (ch, i, c.clicks ? (((sample + i) % clickSpacing) == 0 ? 1.0f : 0.0f)
                                                  : random.nextFloat() - 0.5f);

        p.processBlock (buffer, midi);

        for (int i = 0; i < blockSize; ++i, ++sample)
        {
            for (int ch = 0; ch < 2; ++ch)
            {
                const float v = buffer.getSample (ch, i);
                unchangedFor[ch] = v == last[ch] ? unchangedFor[ch] + 1 : 0;
                last[ch] = v;
                sum[ch] += v;
                ASSERT_LT (unchangedFor[ch], second / 10) << "a constant at " << v << " from "
                                                           << (double) sample / rate << " s, channel " << ch;
            }

            if ((sample + 1) % second == 0)
            {
                for (int ch = 0; ch < 2; ++ch)
                {
                    ASSERT_LT (std::abs (sum[ch] / (double) second), 0.05) << "second " << sample / second << ", channel " << ch;
                    sum[ch] = 0.0;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P (WorstSettings, FullFeedback, ::testing::Values (
    LatchCase { 0.5f, 0.5f, false }, LatchCase { 1.0f, 1.0f, false }, LatchCase { 1.0f, 0.5f, true }));

TEST (Panic, SilencesALoopRingingAtFullScale)
{
    P p;
    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;

    // Nothing of the old loop is left to come back when the feedback goes up again.
    ASSERT_NO_FATAL_FAILURE (driveToFullScale (p, 48000.0, 0.5f, 120.0));
    p.panicRequested = true;
    p.setParameter (P::feedbackIndex, 0.5f);
    float loudest = 0.0f;
    for (int block = 0; block < 200; ++block)
    {
        buffer.clear();
        p.processBlock (buffer, midi);
        p.setParameter (P::feedbackIndex, 0.5f);
        loudest = juce::jmax (loudest, loudestInBlock (buffer));
    }

    EXPECT_LT (loudest, 1.0e-6f);

    // And the block that carries it out already plays the dry signal only: Dry_Wet
    // at its default half and the output gain long settled at 1.
    ASSERT_NO_FATAL_FAILURE (driveToFullScale (p, 48000.0, 0.5f, 60.0));
    p.panicRequested = true;
    juce::Random random (9);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 512; ++i)
            buffer.setSample (c, i, random.nextFloat() - 0.5f);

    const juce::AudioBuffer<float> input (buffer);
    p.processBlock (buffer, midi);

    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 512; ++i)
            ASSERT_NEAR (buffer.getSample (c, i), 0.5f * input.getSample (c, i), 1.0e-6f) << c << ", " << i;
}

// Zeroing all of the loop's long buffers at once takes longer than a short block
// lasts at high rates: PANIC spreads the clear over the blocks after it, which
// play the dry signal only, and nothing of the old echo comes back afterwards,
// even from the far end of the buffers that a delay raised at once reaches.
TEST (Panic, ClearsOverTheNextBlocksWhilePlayingDry)
{
    constexpr double rate = 192000.0;
    constexpr int blockSize = 64;
    P p;
    p.prepareToPlay (rate, blockSize);
    p.setParameter (P::feedbackIndex, 0.9f);
    p.setParameter (P::modulationAmountIndex, 1.0f);

    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;
    juce::Random random (4);
    const auto fillNoise = [&]
    {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < blockSize; ++i)
                buffer.setSample (c, i, random.nextFloat() - 0.5f);
    };

    for (int block = 0; block < (int) (rate * 3.0) / blockSize; ++block)
    {
        fillNoise();
        p.processBlock (buffer, midi);
    }

    p.panicRequested = true;
    int clearingBlocks = 0;
    do
    {
        fillNoise();
        const juce::AudioBuffer<float> input (buffer);
        p.processBlock (buffer, midi);
        ++clearingBlocks;

        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < blockSize; ++i)
                ASSERT_NEAR (buffer.getSample (c, i), 0.5f * input.getSample (c, i), 1.0e-6f)
                    << "block " << clearingBlocks << ", " << c << ", " << i;
    }
    while (p.isClearingEchoLoop());

    // About 70 ms of audio, whatever the rate: each block clears in proportion to its length.
    EXPECT_GT (clearingBlocks, 100);
    EXPECT_LT (clearingBlocks, (int) (rate * 0.1) / blockSize);

    // The longest delays at once, and feedback back up: silence in, silence out.
    p.setParameter (P::timeIndex, 1.0f);
    p.setParameter (P::stereoSeparationIndex, 1.0f);
    p.setParameter (P::feedbackIndex, 0.9f);
    float loudest = 0.0f;
    for (int block = 0; block < (int) (rate * 2.5) / blockSize; ++block)
    {
        buffer.clear();
        p.processBlock (buffer, midi);
        loudest = juce::jmax (loudest, loudestInBlock (buffer));
    }

    EXPECT_LT (loudest, 1.0e-6f);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
