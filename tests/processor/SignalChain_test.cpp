#include "TestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
    using P = ZentovaAudioProcessor;

    /** The echo chain written out plainly, channel 0 then channel 1, step by step,
        on units of its own: the processor must give exactly these bits. */
    struct ReferenceChain
    {
        explicit ReferenceChain (P& p) : processor (p)
        {
            for (int c = 0; c < 2; ++c)
            {
                mainDelay[c].setSampleRate (44100.0);
                mainDelay[c].setMaxLength (12.0f);
                mainDelay[c].setGlideSamples ((int) (44100.0 * 0.25));
                modDelay[c].setSampleRate (44100.0);
                modDelay[c].setMaxLength (12.0f);
                modDelay[c].setGlideSamples (0);
                modDelay[c].setFeedback (0.0f);
                filter[c].setSampleRate (44100.0);
                filter[c].setOversampling (4);
                cutoffLfo[c].setSampleRate (44100.0);
                cutoffLfo[c].setShape (0);
                modulationLfo[c].setSampleRate (44100.0);
                modulationLfo[c].setShape (0);
                stutter[c].setCapacity (mainDelay[c].length);
            }
        }

        float real (int i) const { return processor.pluginParameters[i]->realValue.load(); }
        float norm (int i) const { return processor.pluginParameters[i]->normalisedValue.load(); }

        void process (juce::AudioBuffer<float>& buffer, float bpm)
        {
            offset = -offset;

            const bool sync = (int) real (P::syncIndex) != 0;
            const float division = (float) (int) real (P::divisionIndex);
            const bool pingOut = (int) real (P::pingOutIndex) != 0;
            const float depth = norm (P::cutoffModDepthIndex);
            const int mode = (int) real (P::rateModeIndex);
            const float modRate = real (P::modulationRateIndex) * (mode == 0 ? 1.0f : mode == 1 ? 0.1f : 10.0f);
            const float amount = norm (P::modulationAmountIndex);
            const float separation = 1.0f + norm (P::stereoSeparationIndex);
            const float proportion = norm (P::stutterProportionIndex);
            float speed = 4.0f * norm (P::stutterSpeedIndex);
            if ((int) real (P::stutterReverseIndex) != 0)
                speed = -speed;
            const float mix = norm (P::stutterMixIndex);

            mainDelay[0].setDelayMs (sync ? (60000.0f / bpm) * 4.0f / division : real (P::timeIndex));
            const float left = mainDelay[0].targetDelay;
            mainDelay[1].setDelaySamples (left * separation);
            const float stutterLength = (0.5f + 0.5f * proportion) * left;
            mainDelay[0].setGlideSamples ((int) (2.0f * left));
            mainDelay[1].setGlideSamples ((int) (2.0f * left * separation));
            stutter[0].setLoopLength ((int) stutterLength);
            stutter[1].setLoopLength ((int) (separation * stutterLength));
            const int repeats = (int) ((1.0f - proportion) * 15.0f + 1.0f);

            for (int c = 0; c < 2; ++c)
            {
                mainDelay[c].setFeedback (norm (P::feedbackIndex));
                modDelay[c].setFeedback (0.1f * amount);
                cutoffLfo[c].setFrequency (real (P::cutoffModRateIndex));
                modulationLfo[c].setFrequency (modRate);
                filter[c].setResonance (1.9f * norm (P::resonanceIndex));
                stutter[c].setRepeats (repeats);
                stutter[c].setSpeed (speed);
            }

            for (int i = 0; i < buffer.getNumSamples(); ++i)
            {
                for (int c = 0; c < 2; ++c)
                {
                    const int o = 1 - c;
                    input[c] = buffer.getSample (c, i) + offset;

                    if (c == 0)
                    {
                        floorState = floorState * smoother.coefficient + real (P::cutoffFloorIndex) * smoother.complement;
                        dryWetState = dryWetState * smoother.coefficient + norm (P::dryWetIndex) * smoother.complement;
                        const float level = real (P::outLevelIndex);
                        gainState = gainState * smoother.coefficient
                                    + (level <= -100.0f ? 0.0f : std::pow (10.0f, 0.05f * level)) * smoother.complement;
                    }

                    const float cutoffValue = 0.5f * cutoffLfo[c].getSample (false) + 0.5f;
                    const float modValue = 0.5f * modulationLfo[c].getSample (false) + 0.5f;
                    filter[c].setCutoff (depth * 3000.0f * cutoffValue + floorState);
                    modDelay[c].setDelayMs (10.0f + 20.0f * modValue);

                    wet[c] = 0.0f;
                    const float d = mainDelay[c].process (&input[c], feedback[c]);
                    loop[c] = d;
                    if (pingOut)
                        wet[c] += d;
                    const float s = stutter[c].process (&loop[c]);
                    loop[c] = mix * s + (1.0f - mix) * d;
                    filter[c].process (&loop[c]);
                    loop[c] = (float) filter[c].low;
                    const float m = modDelay[c].process (&loop[o], modOutput[c]);
                    modOutput[c] = m;
                    const float a = 0.9f * amount;
                    feedback[o] = a * m + (1.0f - a) * loop[o];
                    wet[c] += a * m;
                    const float out = dryWetState * wet[c] + (1.0f - dryWetState) * input[c];
                    buffer.setSample (c, i, juce::jlimit (-1.0f, 1.0f, out) * gainState);
                }
            }
        }

        P& processor;
        velmoLib::SyncDelayNoFeed mainDelay[2], modDelay[2];
        velmoLib::Svf filter[2];
        velmoLib::Lfo cutoffLfo[2], modulationLfo[2];
        velmoLib::Stutter stutter[2];
        ParameterSmoother smoother;
        float offset = 1.0e-25f, floorState = 0, dryWetState = 0, gainState = 0;
        float input[2] {}, loop[2] {}, feedback[2] {}, modOutput[2] {}, wet[2] {};
    };

    void fillNoise (juce::AudioBuffer<float>& buffer, juce::Random& random)
    {
        for (int c = 0; c < buffer.getNumChannels(); ++c)
            for (int i = 0; i < buffer.getNumSamples(); ++i)
                buffer.setSample (c, i, random.nextFloat() * 2.0f - 1.0f);
    }

    bool bitIdentical (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
    {
        for (int c = 0; c < 2; ++c)
            if (std::memcmp (a.getReadPointer (c), b.getReadPointer (c), sizeof (float) * (size_t) a.getNumSamples()) != 0)
                return false;
        return true;
    }
}

TEST (SignalChain, MatchesThePlainChainBitForBit)
{
    struct Setting { int index; float value; };
    const std::vector<std::vector<Setting>> settings =
    {
        {},                                                           // defaults
        { { P::syncIndex, 1.0f }, { P::feedbackIndex, 0.9f }, { P::modulationAmountIndex, 1.0f },
          { P::stutterMixIndex, 1.0f }, { P::resonanceIndex, 1.0f } }, // busy
        { { P::stutterReverseIndex, 1.0f }, { P::stutterSpeedIndex, 1.0f }, { P::rateModeIndex, 1.0f },
          { P::timeIndex, 0.02f }, { P::pingOutIndex, 0.0f }, { P::stereoSeparationIndex, 1.0f } },
    };

    for (size_t k = 0; k < settings.size(); ++k)
    {
        P processor;
        ReferenceChain reference (processor);

        for (const auto& s : settings[k])
            processor.setParameter (s.index, s.value);

        juce::Random random (1234);
        juce::AudioBuffer<float> buffer (2, 333), expected (2, 333);
        juce::MidiBuffer midi;

        for (int block = 0; block < 400; ++block)
        {
            if (block == 200)   // automation between blocks, including a smoothed parameter
            {
                processor.setParameter (P::cutoffFloorIndex, 0.9f);
                processor.setParameter (P::outLevelIndex, 1.0f);
                processor.setParameter (P::timeIndex, 0.7f);
            }

            fillNoise (buffer, random);
            expected.makeCopyOf (buffer);

            processor.processBlock (buffer, midi);
            reference.process (expected, 120.0f);

            ASSERT_TRUE (bitIdentical (buffer, expected)) << "setting " << k << ", block " << block;
        }
    }
}

TEST (SignalChain, SyncedSixteenthSetsDelayGlideAndStutterLengthsInSamples)
{
    P processor;
    processor.setParameter (P::syncIndex, 1.0f);
    processor.setParameter (P::divisionIndex, 0.0f);   // Division at its real value 128 first

    // Division 16 on the square-root curve from 128 down to 1: n = ((128 - 16) / 127)^2,
    // nudged so that rounding cannot land just below 16.
    const float n16 = std::pow ((128.0f - 16.01f) / 127.0f, 2.0f);
    processor.setParameter (P::divisionIndex, n16);
    ASSERT_EQ ((int) processor.pluginParameters[P::divisionIndex]->realValue.load(), 16);

    processor.setParameter (P::stereoSeparationIndex, 0.5f);
    processor.setParameter (P::stutterProportionIndex, 0.5f);
    // A block of 0 samples still takes the settings.
    juce::AudioBuffer<float> empty (2, 0);
    juce::MidiBuffer midi;
    processor.processBlock (empty, midi);

    EXPECT_FLOAT_EQ (processor.mainDelay[0]->targetDelay, 5512.5f);
    EXPECT_EQ (processor.mainDelay[0]->glideCount, 11025);
    EXPECT_FLOAT_EQ (processor.mainDelay[1]->targetDelay, 8268.75f);
    EXPECT_EQ (processor.mainDelay[1]->glideCount, 16537);
    EXPECT_EQ (processor.stutterUnit[0]->loopLength, 4134);
    EXPECT_EQ (processor.stutterUnit[1]->loopLength, 6201);
    EXPECT_FLOAT_EQ (processor.stutterUnit[0]->requestedHoldLength, 4134.0f * 8.0f);
}

TEST (SignalChain, SlowTempoWholeNoteIsHalvedToFit)
{
    corvanteelTest::TempoPlayHead head (10.0);

    P processor;
    processor.setPlayHead (&head);
    processor.setParameter (P::syncIndex, 1.0f);
    processor.setParameter (P::divisionIndex, 1.0f);   // a whole note: 24 s at 10 BPM
    processor.setParameter (P::stereoSeparationIndex, 1.0f);

    juce::AudioBuffer<float> empty (2, 0);
    juce::MidiBuffer midi;
    processor.processBlock (empty, midi);

    EXPECT_EQ (processor.currentBpm, 10.0f);
    EXPECT_FLOAT_EQ (processor.mainDelay[0]->targetDelay, 529200.0f);
    EXPECT_LT (processor.mainDelay[1]->targetDelay, (float) processor.mainDelay[1]->length);

    head.bpm = 0.0;   // no usable tempo falls back to 120
    processor.processBlock (empty, midi);
    EXPECT_EQ (processor.currentBpm, 120.0f);
    processor.setPlayHead (nullptr);
    processor.processBlock (empty, midi);
    EXPECT_EQ (processor.currentBpm, 120.0f);
}

TEST (SignalChain, DenormalOffsetAlternatesFromTheFirstBlock)
{
    P processor;
    juce::AudioBuffer<float> empty (2, 0);
    juce::MidiBuffer midi;

    processor.processBlock (empty, midi);
    EXPECT_EQ (processor.denormalOffset, -1.0e-25f);
    processor.processBlock (empty, midi);
    EXPECT_EQ (processor.denormalOffset, 1.0e-25f);
}

TEST (SignalChain, DryPathAndGainWithoutWetSignal)
{
    P processor;
    processor.setParameter (P::pingOutIndex, 0.0f);
    processor.setParameter (P::modulationAmountIndex, 0.0f);
    processor.setParameter (P::outLevelIndex, 1.0f);   // +6 dB
    processor.setParameter (P::dryWetIndex, 0.0f);

    // Let the smoothers settle on full scale input.
    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    for (int block = 0; block < 600; ++block)
    {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 512; ++i)
                buffer.setSample (c, i, (i % 2) == 0 ? 1.0f : -1.0f);
        processor.processBlock (buffer, midi);
    }

    const float gain = processor.smoothedOutputGain;
    EXPECT_NEAR (gain, std::pow (10.0f, 0.3f), 1.0e-3f);
    EXPECT_NEAR (buffer.getMagnitude (0, 512), 1.995f, 2.0e-3f);

    // Settled: the dry input alone, clipped to full scale, then +6 dB.
    EXPECT_NEAR (buffer.getSample (0, 510), 1.9953f, 1.0e-3f);
    EXPECT_NEAR (buffer.getSample (1, 511), -1.9953f, 1.0e-3f);
}

TEST (SignalChain, ScopeTakesEveryThirtySecondSampleAcrossBlocks)
{
    P processor;
    juce::AudioBuffer<float> buffer (2, 48);
    juce::MidiBuffer midi;
    std::vector<float> means;   // the mean of the two outputs at every running sample

    for (int block = 0; block < 8; ++block)
    {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 48; ++i)
                buffer.setSample (c, i, c == 0 ? 0.5f : -0.25f);

        processor.processBlock (buffer, midi);

        for (int i = 0; i < 48; ++i)
            means.push_back ((buffer.getSample (0, i) + buffer.getSample (1, i)) * 0.5f);
    }

    // 384 samples: values taken at 0, 32, ... 352, newest first.
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ (processor.scopeHistory[(size_t) k].load(), means[(size_t) (352 - 32 * k)]) << k;

    EXPECT_EQ (processor.scopeHistory[12].load(), 0.0f);
    EXPECT_EQ (processor.scopeSampleCounter, 0);
}

TEST (SignalChain, ImpulseEchoesAtTheDelaysAndDecays)
{
    P processor;
    processor.setParameter (P::dryWetIndex, 1.0f);
    processor.setParameter (P::stutterMixIndex, 0.0f);
    processor.setParameter (P::cutoffFloorIndex, 1.0f);   // open the loop filter
    processor.setParameter (P::cutoffModDepthIndex, 0.0f);
    processor.setParameter (P::timeIndex, 0.3f);         // 5 + 995 * 0.09 = 94.55 ms
    processor.setParameter (P::stereoSeparationIndex, 0.0f);

    // Settle the smoothers and the glide toward the set time on silence.
    corvanteelTest::processSilence (processor, 44100 * 12, 512);

    const float delay = processor.mainDelay[0]->currentDelay;
    ASSERT_EQ (delay, processor.mainDelay[0]->targetDelay);

    const int length = 3 * (int) delay + 64;
    juce::AudioBuffer<float> buffer (2, length);
    buffer.clear();
    buffer.setSample (0, 0, 1.0f);
    buffer.setSample (1, 0, 1.0f);
    juce::MidiBuffer midi;
    processor.processBlock (buffer, midi);

    auto peakNear = [&] (int channel, int centre)
    {
        float peak = 0.0f;
        int where = -1;
        for (int i = centre - 3; i <= centre + 3; ++i)
            if (std::abs (buffer.getSample (channel, i)) > peak)
                peak = std::abs (buffer.getSample (channel, i)), where = i;
        return std::make_pair (where, peak);
    };

    const int first = (int) std::round (delay);
    for (int c = 0; c < 2; ++c)
    {
        const auto echo1 = peakNear (c, first);
        const auto echo2 = peakNear (c, 2 * first);
        EXPECT_NEAR (echo1.first, first, 2) << c;
        EXPECT_GT (echo1.second, 0.3f) << c;
        EXPECT_LT (echo2.second, echo1.second * 0.6f) << c;   // Feedback 0.4 through the filter
        EXPECT_GT (echo2.second, echo1.second * 0.1f) << c;

        // Silence before the first echo.
        EXPECT_LT (buffer.getMagnitude (c, 2, first - 8), 1.0e-6f) << c;
    }
}

// A second's echo at 48 kHz, and the right channel's at one and a half, come on
// the very sample the time sets, once the glide toward it has run out (as for any
// delay line here, d samples of delay return the input of d - 1 samples before).
TEST (SignalChain, LongEchoesLandOnTheSampleTheTimeSets)
{
    P processor;
    processor.prepareToPlay (48000.0, 512);
    processor.setParameter (P::timeIndex, 1.0f);   // 1000 ms
    corvanteelTest::processSilence (processor, 48000 * 20, 512);

    const int expected[] = { 48000, 72000 };        // Stereo_Separation at 50 % on the right
    for (int c = 0; c < 2; ++c)
        ASSERT_EQ (processor.mainDelay[c]->currentDelay, (float) expected[c]) << c;

    juce::AudioBuffer<float> buffer (2, 80000);
    buffer.clear();
    buffer.setSample (0, 100, 1.0f);
    buffer.setSample (1, 100, 1.0f);
    juce::MidiBuffer midi;
    processor.processBlock (buffer, midi);

    for (int c = 0; c < 2; ++c)
    {
        int first = -1;
        for (int i = 200; i < buffer.getNumSamples() && first < 0; ++i)
            if (std::abs (buffer.getSample (c, i)) > 1.0e-6f)
                first = i;

        EXPECT_EQ (first, 100 + expected[c] - 1) << c;   // the line counts the sample just written as 1
    }
}

// A NaN or an infinity from the host is taken as silence wherever the input goes:
// the output is that of a zero in its place, bit for bit, and the echo goes on.
TEST (SignalChain, NonFiniteInputSamplesActAsSilence)
{
    for (const float bad : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity() })
    {
        SCOPED_TRACE (bad);
        P withBad, withZero;
        for (auto* p : { &withBad, &withZero })
        {
            p->prepareToPlay (48000.0, 256);
            p->setParameter (P::feedbackIndex, 0.9f);
            p->setParameter (P::modulationAmountIndex, 1.0f);
        }

        juce::Random random (21);
        juce::AudioBuffer<float> a (2, 256), b (2, 256);
        juce::MidiBuffer midi;
        float loudestLate = 0.0f;

        for (int block = 0; block < 1500; ++block)
        {
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < 256; ++i)
                    a.setSample (c, i, block < 1000 && block % 50 < 5 ? random.nextFloat() - 0.5f : 0.0f);

            b.makeCopyOf (a);
            if (block == 3 || block == 400)
            {
                a.setSample (0, 17, bad);
                a.setSample (1, 255, bad);
                b.setSample (0, 17, 0.0f);
                b.setSample (1, 255, 0.0f);
            }

            withBad.processBlock (a, midi);
            withZero.processBlock (b, midi);

            for (int c = 0; c < 2; ++c)
            {
                for (int i = 0; i < 256; ++i)
                    ASSERT_TRUE (std::isfinite (a.getSample (c, i))) << "block " << block;
                ASSERT_EQ (std::memcmp (a.getReadPointer (c), b.getReadPointer (c), 256 * sizeof (float)), 0)
                    << "block " << block;
            }

            if (block > 1000)
                loudestLate = juce::jmax (loudestLate, a.getMagnitude (0, 256));
        }

        EXPECT_GT (loudestLate, 0.01f) << "the echo rings on after the input stopped";
    }
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
