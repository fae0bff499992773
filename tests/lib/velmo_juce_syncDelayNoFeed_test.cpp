#include "lib/velmo_juce_syncDelayNoFeed.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

using velmoLib::SyncDelayNoFeed;

// A line of exactly 100 samples: 99 Hz times one second plus the one slot of slack.
void makeHundredSampleLine (SyncDelayNoFeed& line)
{
    line.setSampleRate (99.0);
    line.setMaxLength (1.0f);
    ASSERT_EQ (line.length, 100);
}

std::vector<float> impulseResponse (SyncDelayNoFeed& line, int samples)
{
    std::vector<float> out;
    const float noFeedback = 0.0f;

    for (int n = 0; n < samples; ++n)
    {
        float in = (n == 0) ? 1.0f : 0.0f;
        out.push_back (line.process (&in, noFeedback));
    }

    return out;
}

TEST (SyncDelayNoFeed, ConstructedDefaults)
{
    SyncDelayNoFeed line;
    EXPECT_EQ (line.length, 4410);
    EXPECT_EQ (line.targetDelay, 441.0f);
    EXPECT_EQ (line.currentDelay, 441.0f);
    EXPECT_EQ (line.sampleRate, 44100.0);

    for (int i = 0; i < line.length; ++i)
        ASSERT_EQ (line.buffer[static_cast<std::size_t> (i)], 0.0f);
}

TEST (SyncDelayNoFeed, DelayRequestsAreClampedIntoTheBuffer)
{
    struct Case { float request; float expectedTarget; };
    const Case cases[] = {
        { -5.0f,   1.0f },   // nothing below one sample...
        { 0.0f,    1.0f },
        { 0.5f,    0.5f },   // ...but a sub-sample request in (0, 1) is kept
        { 50.0f,   50.0f },
        { 99.5f,   99.5f },
        { 100.0f,  50.0f },  // at the length: halved until it fits
        { 250.0f,  62.5f },  // 2.5 times the length -> 0.625 times
        { 1000.0f, 62.5f },
        { std::nanf (""), 33.0f },   // not a number: previous target stays
        { INFINITY, 33.0f },
    };

    for (const auto& c : cases)
    {
        SyncDelayNoFeed line;
        makeHundredSampleLine (line);
        line.setDelaySamples (33.0f);
        line.setDelaySamples (c.request);
        EXPECT_EQ (line.targetDelay, c.expectedTarget) << "request " << c.request;
        EXPECT_EQ (line.currentDelay, c.expectedTarget) << "no glide: jumps at once";
    }
}

TEST (SyncDelayNoFeed, DelayInMillisecondsFollowsTheLineRate)
{
    struct Case { double rate; float ms; float expectedSamples; };
    const Case cases[] = {
        { 44100.0, 10.0f,  441.0f },
        { 44100.0, 125.0f, 5512.5f },   // a sixteenth note at 120 BPM
        { 48000.0, 1.5f,   72.0f },
        { 96000.0, 30.0f,  2880.0f },
    };

    for (const auto& c : cases)
    {
        SyncDelayNoFeed line;
        line.setSampleRate (c.rate);
        line.setMaxLength (12.0f);
        line.setDelayMs (c.ms);
        EXPECT_EQ (line.targetDelay, c.expectedSamples) << c.ms << " ms at " << c.rate;
    }
}

TEST (SyncDelayNoFeed, FeedbackGainIsScaledAndCapped)
{
    struct Case { float value; float expectedGain; };
    const Case cases[] = {
        { 2.0f,  0.96f },
        { 1.0f,  0.96f },
        { 0.5f,  0.48f },
        { 0.0f,  0.0f },
        { -0.5f, -0.48f },   // no lower clamp
    };

    for (const auto& c : cases)
    {
        SyncDelayNoFeed line;
        line.setFeedback (c.value);
        EXPECT_FLOAT_EQ (line.feedbackGain, c.expectedGain) << "value " << c.value;
    }

    SyncDelayNoFeed line;
    line.setFeedback (0.5f);
    line.setFeedback (std::nanf (""));
    EXPECT_FLOAT_EQ (line.feedbackGain, 0.48f) << "NaN is ignored";
}

TEST (SyncDelayNoFeed, ImpulseLandsWhereTheDelaySays)
{
    // An integer delay d returns the input of d - 1 samples earlier (1 is the sample
    // just written); a fractional one splits the impulse between its two neighbours.
    struct Case { float delay; std::vector<std::pair<int, float>> expectedNonZero; };
    const std::vector<Case> cases = {
        { 1.0f,     { { 0, 1.0f } } },
        { 2.0f,     { { 1, 1.0f } } },
        { 441.0f,   { { 440, 1.0f } } },
        { 4409.0f,  { { 4408, 1.0f } } },
        { 10.25f,   { { 9, 0.75f }, { 10, 0.25f } } },
        { 100.5f,   { { 99, 0.5f }, { 100, 0.5f } } },
    };

    for (const auto& c : cases)
    {
        SyncDelayNoFeed line; // 4410 samples
        line.setDelaySamples (c.delay);
        const auto out = impulseResponse (line, 2 * line.length);

        std::vector<float> expected (out.size(), 0.0f);
        for (const auto& [at, value] : c.expectedNonZero)
            expected[static_cast<std::size_t> (at)] = value;

        for (std::size_t n = 0; n < out.size(); ++n)
            ASSERT_FLOAT_EQ (out[n], expected[n]) << "delay " << c.delay << ", sample " << n;
    }
}

TEST (SyncDelayNoFeed, FeedbackSampleIsMixedIntoTheWrite)
{
    SyncDelayNoFeed line;
    line.setDelaySamples (1.0f);
    line.setFeedback (0.5f);

    float in = 0.25f;
    EXPECT_FLOAT_EQ (line.process (&in, 1.0f), 0.25f + 0.48f);
}

TEST (SyncDelayNoFeed, LastSlotInterpolatesWithTheFirst)
{
    SyncDelayNoFeed line;
    makeHundredSampleLine (line);
    line.setDelaySamples (1.5f);

    // First write lands in slot 0; the read sits halfway between slot 99 and slot 0.
    float in = 1.0f;
    const float out = line.process (&in, 0.0f);

    EXPECT_EQ (line.readIndex, 99);
    EXPECT_FLOAT_EQ (line.fraction, 0.5f);
    EXPECT_FLOAT_EQ (line.nextSample, 1.0f);
    EXPECT_FLOAT_EQ (out, 0.5f);
}

TEST (SyncDelayNoFeed, WriteIndexWrapsAtTheLength)
{
    SyncDelayNoFeed line;
    makeHundredSampleLine (line);

    float in = 0.0f;
    for (int n = 0; n < 99; ++n)
        line.process (&in, 0.0f);

    EXPECT_EQ (line.writeIndex, 99);
    line.process (&in, 0.0f);
    EXPECT_EQ (line.writeIndex, 0);
}

TEST (SyncDelayNoFeed, GlideMovesOneStepPerSampleAndStopsAtTheTarget)
{
    struct Case { float from; float to; int glide; };
    const Case cases[] = {
        { 100.0f, 110.0f, 4 },    // exact steps of 2.5
        { 100.0f, 110.0f, 3 },    // inexact steps: may overshoot by less than one step
        { 100.0f, 90.0f,  7 },    // downward
        { 500.0f, 20.25f, 64 },
    };

    for (const auto& c : cases)
    {
        SyncDelayNoFeed line;
        line.setDelaySamples (c.from);
        line.setGlideSamples (c.glide);
        line.setDelaySamples (c.to);

        const float step = line.glideStep;
        EXPECT_FLOAT_EQ (step, (c.to - c.from) / static_cast<float> (c.glide));
        EXPECT_EQ (line.currentDelay, c.from) << "a glide does not jump";

        const bool upward = c.to > c.from;
        float in = 0.0f;
        int moves = 0;

        for (int n = 0; n < 4 * c.glide; ++n)
        {
            const float before = line.currentDelay;
            const bool shortOfTarget = upward ? before < c.to : before > c.to;
            line.process (&in, 0.0f);

            if (shortOfTarget)
            {
                EXPECT_EQ (line.currentDelay, before + step);
                ++moves;
            }
            else
            {
                EXPECT_EQ (line.currentDelay, before) << "the glide rests once it reached the target";
            }
        }

        EXPECT_GE (moves, c.glide);
        EXPECT_LE (moves, c.glide + 1);
        EXPECT_LT (std::abs (line.currentDelay - c.to), std::abs (step));
    }
}

// The processor sets a main line's delay and glide again for every block, so the
// step is taken afresh from the distance left and shrinks with it. On a long delay
// it ends below half the float spacing of the current delay, where adding it
// changes nothing: from that sample on the delay must creep on by one float per
// sample and land on the target exactly, within one delay length.
TEST (SyncDelayNoFeed, LongGlidesSetEveryBlockLandOnTheTarget)
{
    struct Case { double rate; float ms; };
    const Case cases[] = {
        { 44100.0, 1000.0f }, { 48000.0, 1000.0f }, { 96000.0, 1000.0f }, { 192000.0, 1000.0f },
        { 48000.0, 12000.0f }, { 192000.0, 12000.0f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.ms) + " ms at " + juce::String (c.rate) + " Hz");

        SyncDelayNoFeed line;
        line.setSampleRate (c.rate);
        line.setMaxLength (12.0f);
        line.setGlideSamples ((int) (c.rate * 0.25));

        constexpr int blockSize = 512;
        const auto target = (float) (c.rate * c.ms / 1000.0);
        int64_t stalled = -1, landed = -1;
        float in = 0.0f;

        const auto giveUp = 40 * (int64_t) target;

        for (int64_t n = 0; n < giveUp && (stalled < 0 || n < stalled + 2 * (int64_t) target); ++n)
        {
            if (n % blockSize == 0)
            {
                line.setDelayMs (c.ms);
                line.setGlideSamples ((int) (2.0f * line.targetDelay));
            }

            const float before = line.currentDelay;
            if (stalled < 0 && before < line.targetDelay && before + line.glideStep == before)
                stalled = n;

            line.process (&in, 0.0f);

            if (landed < 0 && line.currentDelay == line.targetDelay)
                landed = n;
            if (landed >= 0)
            {
                ASSERT_EQ (line.currentDelay, line.targetDelay) << "left the target at sample " << n;
            }
        }

        EXPECT_EQ (line.targetDelay, target);
        ASSERT_GE (stalled, 0) << "the step never fell below the float spacing";
        ASSERT_GE (landed, 0);
        EXPECT_LE (landed, stalled + (int64_t) target) << "stalled at " << stalled;
    }
}

TEST (SyncDelayNoFeed, GlideOfZeroJumps)
{
    SyncDelayNoFeed line;
    line.setGlideSamples (100);
    line.setDelaySamples (300.0f);
    EXPECT_EQ (line.currentDelay, 441.0f);

    line.setGlideSamples (0);
    EXPECT_EQ (line.currentDelay, 300.0f);
}

TEST (SyncDelayNoFeed, MaxLengthSizesTheBufferInSeconds)
{
    struct Case { double rate; float seconds; int expectedLength; };
    const Case cases[] = {
        { 44100.0, 12.0f, 529201 },
        { 48000.0, 0.5f,  24001 },
        { 44100.0, 0.0f,  1 },
        { 44100.0, -3.0f, 1 },   // never an empty buffer
    };

    for (const auto& c : cases)
    {
        SyncDelayNoFeed line;
        line.setSampleRate (c.rate);
        line.setGlideSamples (50);
        line.setMaxLength (c.seconds);
        EXPECT_EQ (line.length, c.expectedLength) << c.seconds << " s at " << c.rate;
        EXPECT_EQ (line.glideCount, 0);
        EXPECT_EQ (line.writeIndex, 0);
        EXPECT_EQ (line.currentDelay, line.targetDelay);
    }
}

TEST (SyncDelayNoFeed, OneSampleLineStillRuns)
{
    SyncDelayNoFeed line;
    line.setMaxLength (0.0f);
    line.setDelaySamples (5.0f); // halved to 0.625

    float in = 1.0f;
    for (int n = 0; n < 8; ++n)
        EXPECT_TRUE (std::isfinite (line.process (&in, 1.0f)));
}

TEST (SyncDelayNoFeed, UnchangedRateKeepsEverything)
{
    SyncDelayNoFeed line;
    float in = 0.5f;
    for (int n = 0; n < 10; ++n)
        line.process (&in, 0.0f);

    const float* before = line.buffer.get();
    line.setSampleRate (44100.0);
    EXPECT_EQ (line.buffer.get(), before);
    EXPECT_EQ (line.writeIndex, 10);
    EXPECT_EQ (line.buffer[0], 0.5f);
}

TEST (SyncDelayNoFeed, NewRateGivesASilentRescaledBuffer)
{
    struct Case { double rate; int expectedLength; int expectedGlide; };
    const Case cases[] = {
        { 48000.0, 576002, 12000 },   // (int)(529201 * 48000/44100 + 1) in float
        { 96000.0, 1152003, 24000 },
        { 22050.0, 264601, 5512 },
    };

    for (const auto& c : cases)
    {
        SyncDelayNoFeed line;
        line.setMaxLength (12.0f);
        line.setGlideSamples (11025);

        float in = 1.0f;
        for (int n = 0; n < 100; ++n)
            line.process (&in, 0.0f);

        line.setSampleRate (c.rate);
        EXPECT_EQ (line.length, c.expectedLength) << c.rate;
        EXPECT_EQ (line.glideCount, c.expectedGlide) << c.rate;
        EXPECT_EQ (line.writeIndex, 0);
        EXPECT_EQ (line.targetDelay, 441.0f) << "delays keep their sample counts";

        for (int i = 0; i < line.length; ++i)
            ASSERT_EQ (line.buffer[static_cast<std::size_t> (i)], 0.0f);
    }
}

TEST (SyncDelayNoFeed, InvalidRateIsIgnored)
{
    for (const double rate : { 0.0, -48000.0, static_cast<double> (NAN) })
    {
        SyncDelayNoFeed line;
        line.setSampleRate (rate);
        EXPECT_EQ (line.sampleRate, 44100.0);
        EXPECT_EQ (line.length, 4410);
    }
}

TEST (SyncDelayNoFeed, ClearSilencesButKeepsTheDelays)
{
    SyncDelayNoFeed line;
    line.setGlideSamples (20);
    line.setDelaySamples (100.0f);

    float in = 1.0f;
    for (int n = 0; n < 50; ++n)
        line.process (&in, 0.0f);

    const float current = line.currentDelay;
    line.clearBuffer();

    EXPECT_EQ (line.writeIndex, 0);
    EXPECT_EQ (line.readPosition, 0.0f);
    EXPECT_EQ (line.currentDelay, current);
    EXPECT_EQ (line.targetDelay, 100.0f);
    EXPECT_EQ (line.glideCount, 20);

    in = 0.0f;
    for (int n = 0; n < line.length; ++n)
        ASSERT_EQ (line.process (&in, 0.0f), 0.0f);
}

} // namespace
