#include "lib/velmo_juce_lfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

using velmoLib::Lfo;

// Reads entry `index` of a shape through getSample: a still oscillator parked there.
float entryOf (Lfo& lfo, int shape, int index)
{
    lfo.setShape (shape);
    lfo.increment = 0.0f;
    lfo.phase = static_cast<float> (index);
    return lfo.getSample (false);
}

TEST (Lfo, StandsStillOnTheSinesFirstEntryUntilAFrequencyIsSet)
{
    Lfo lfo;
    EXPECT_EQ (lfo.increment, 0.0f);

    for (int n = 0; n < 1000; ++n)
        ASSERT_EQ (lfo.getSample (false), 0.0f);
}

TEST (Lfo, TableEntries)
{
    struct Case { int shape; int index; float expected; };
    const Case cases[] = {
        { Lfo::sine,     0,    0.0f },
        { Lfo::sine,     256,  1.0f },
        { Lfo::sine,     768,  -1.0f },
        { Lfo::square,   0,    1.0f },
        { Lfo::square,   511,  1.0f },
        { Lfo::square,   512,  -1.0f },
        { Lfo::square,   1023, -1.0f },
        { Lfo::rampUp,   0,    -1.0f },
        { Lfo::rampUp,   512,  0.0f },
        { Lfo::rampUp,   1023, 1023.0f / 512.0f - 1.0f },
        { Lfo::rampDown, 0,    1.0f },
        { Lfo::rampDown, 512,  0.0f },
        { Lfo::rampDown, 1023, -1023.0f / 512.0f + 1.0f },
        { Lfo::triangle, 0,    -1.0f },
        { Lfo::triangle, 256,  0.0f },
        { Lfo::triangle, 511,  511.0f / 256.0f - 1.0f },
        { Lfo::triangle, 512,  1.0f },
        { Lfo::triangle, 1023, 3.0f - 2.0f * 1023.0f / 512.0f },
        { 6,             100,  0.0f },   // unknown shapes are silent
        { -1,            100,  0.0f },
    };

    Lfo lfo;
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ (entryOf (lfo, c.shape, c.index), c.expected) << "shape " << c.shape << " entry " << c.index;
}

TEST (Lfo, SineIsSymmetricAndBounded)
{
    Lfo lfo;
    for (int i = 0; i < 512; ++i)
    {
        const float a = entryOf (lfo, Lfo::sine, i);
        const float b = entryOf (lfo, Lfo::sine, i + 512);
        ASSERT_NEAR (a, -b, 1e-6f) << i;
        ASSERT_LE (std::abs (a), 1.0f);
    }
}

TEST (Lfo, IncrementFollowsFrequencyAndRate)
{
    Lfo lfo;
    lfo.setFrequency (1.0f);
    EXPECT_FLOAT_EQ (lfo.increment, 1024.0f / 44100.0f);

    lfo.setSampleRate (96000.0);
    EXPECT_FLOAT_EQ (lfo.increment, 1024.0f / 44100.0f) << "the rate alone does not recompute";

    lfo.setFrequency (3.0f);
    EXPECT_FLOAT_EQ (lfo.frequency, 3.0f);
    EXPECT_FLOAT_EQ (lfo.increment, 1024.0f / 96000.0f * 3.0f);

    lfo.setFrequency (std::nanf (""));
    EXPECT_FLOAT_EQ (lfo.frequency, 3.0f);
}

TEST (Lfo, FirstValueComesFromThePhaseBeforeTheAdvance)
{
    Lfo lfo;
    lfo.setFrequency (1000.0f);
    EXPECT_EQ (lfo.getSample (false), 0.0f);
    EXPECT_GT (lfo.phase, 0.0f);
}

// The ramp drops once per cycle; the spacing of the drops is the period.
TEST (Lfo, PeriodMatchesTheFrequency)
{
    struct Case { double rate; float hz; };
    const Case cases[] = { { 44100.0, 1.0f }, { 44100.0, 7.5f }, { 96000.0, 2.0f }, { 96000.0, 440.0f } };

    for (const auto& c : cases)
    {
        Lfo lfo;
        lfo.setSampleRate (c.rate);
        lfo.setShape (Lfo::rampUp);
        lfo.setFrequency (c.hz);

        std::vector<int> drops;
        float previous = lfo.getSample (false);
        const int samples = static_cast<int> (c.rate * 4.0);

        for (int n = 1; n < samples; ++n)
        {
            const float value = lfo.getSample (false);
            if (value < previous)
                drops.push_back (n);
            previous = value;
        }

        ASSERT_GE (drops.size(), 3u) << c.hz;
        const double measured = static_cast<double> (drops.back() - drops.front())
                                / static_cast<double> (drops.size() - 1);
        const double expected = c.rate / static_cast<double> (c.hz);
        EXPECT_NEAR (measured, expected, expected * 1e-3) << c.hz << " Hz at " << c.rate;
    }
}

TEST (Lfo, RandomShapeHoldsForACycleAndChangesAtTheWrap)
{
    Lfo lfo;
    lfo.setShape (Lfo::random);
    lfo.setFrequency (1000.0f);   // about 44 samples per cycle

    float held = lfo.getSample (false);
    EXPECT_EQ (lfo.randomIndex, 1) << "the first call advances";

    int changes = 0;
    for (int n = 0; n < 44100; ++n)
    {
        // the phase about to be read lies below the one read last: a new cycle
        const bool newCycle = static_cast<int> (lfo.phase) < lfo.previousIndex;
        const float value = lfo.getSample (false);

        ASSERT_GE (value, -1.0f);
        ASSERT_LT (value, 1.0f);
        ASSERT_EQ (value != held, newCycle) << "sample " << n;

        changes += newCycle ? 1 : 0;
        held = value;
    }

    EXPECT_NEAR (changes, 1000, 2);
}

TEST (Lfo, RandomTablesDifferBetweenInstances)
{
    Lfo a, b;
    int same = 0;
    for (std::size_t i = 0; i < 1024; ++i)
        same += (a.randomTable[i] == b.randomTable[i]) ? 1 : 0;

    EXPECT_LT (same, 8);
}

TEST (Lfo, OutOfRangeFrequenciesStayInsideTheTables)
{
    for (const float hz : { -3.0f, -50000.0f, 44100.0f, 200000.0f })
    {
        Lfo lfo;
        lfo.setShape (Lfo::triangle);
        lfo.setFrequency (hz);

        for (int n = 0; n < 10000; ++n)
        {
            const float value = lfo.getSample (false);
            ASSERT_GE (value, -1.0f) << hz;
            ASSERT_LE (value, 1.0f) << hz;
            ASSERT_GE (lfo.phase, 0.0f);
            ASSERT_LT (lfo.phase, 1024.0f);
        }
    }
}

TEST (Lfo, InvalidRateIsIgnored)
{
    Lfo lfo;
    lfo.setSampleRate (0.0);
    lfo.setSampleRate (-1.0);
    EXPECT_EQ (lfo.sampleRate, 44100.0);
}

} // namespace
