#include "lib/velmo_juce_stutter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

using velmoLib::Stutter;

// Feeds 1, 2, 3, ... so every output names the input it came from.
std::vector<float> runCounting (Stutter& unit, int samples, int firstValue = 1)
{
    std::vector<float> out;
    for (int n = 0; n < samples; ++n)
    {
        auto in = static_cast<float> (firstValue + n);
        out.push_back (unit.process (&in));
    }
    return out;
}

void configure (Stutter& unit, int capacity, int loop, int repeats, float speed)
{
    unit.setCapacity (capacity);
    unit.setLoopLength (loop);
    unit.setRepeats (repeats);
    unit.setSpeed (speed);
}

TEST (Stutter, ConstructedUnitRecordsAndIsSafeToRun)
{
    Stutter unit;
    EXPECT_EQ (unit.capacity, 4410);
    EXPECT_EQ (unit.recordLength, 1);
    EXPECT_EQ (unit.holdLength, 44100.0f);
    EXPECT_FALSE (unit.playing);

    float in = 0.5f;
    EXPECT_EQ (unit.process (&in), 0.5f);
}

TEST (Stutter, RecordsThenHoldsThenRecordsAgain)
{
    // Loop of 4 held for 8 samples: four recorded (and heard while written), played
    // once more, then a fresh stretch of four.
    Stutter unit;
    configure (unit, 16, 4, 2, 1.0f);
    ASSERT_EQ (unit.holdLength, 8.0f);

    const auto out = runCounting (unit, 20);
    const std::vector<float> expected = { 1, 2, 3, 4,   1, 2, 3, 4,
                                          9, 10, 11, 12, 9, 10, 11, 12,
                                          17, 18, 19, 20 };
    EXPECT_EQ (out, expected);
}

TEST (Stutter, RecordingStateFollowsTheCounter)
{
    Stutter unit;
    configure (unit, 16, 4, 3, 1.0f);   // hold 12

    std::vector<bool> playingAfter;
    float in = 0.0f;
    for (int n = 0; n < 14; ++n)
    {
        unit.process (&in);
        playingAfter.push_back (unit.playing);
    }

    const std::vector<bool> expected = { false, false, false, true, true, true, true,
                                         true, true, true, true, false, false, false };
    EXPECT_EQ (playingAfter, expected);
    EXPECT_EQ (unit.counter, 2);
}

TEST (Stutter, HalfSpeedInterpolatesAndWrapsToSlotZeroAtTheBufferEnd)
{
    // The loop fills the whole buffer, so its last slot is the buffer's last slot.
    Stutter unit;
    configure (unit, 4, 4, 10, 0.5f);

    const auto out = runCounting (unit, 10);
    const std::vector<float> expected = { 1.0f, 1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 4.0f,
                                          2.5f,   // halfway from slot 3 (4) back to slot 0 (1)
                                          1.0f, 1.5f };
    EXPECT_EQ (out, expected);
}

TEST (Stutter, ReverseSpeedWrapsBelowZero)
{
    Stutter unit;
    configure (unit, 16, 4, 100, 1.0f);
    runCounting (unit, 4);   // records 1..4, head back at 0

    unit.setSpeed (-1.0f);
    const auto out = runCounting (unit, 6);
    const std::vector<float> expected = { 1, 4, 3, 2, 1, 4 };
    EXPECT_EQ (out, expected);
}

TEST (Stutter, HeadOutsideTheLoopIsBroughtBackOneLoopPerSample)
{
    struct Case { float startHead; float speed; std::vector<float> expectedHeads; };
    const std::vector<Case> cases = {
        // negative: one addition of the loop length per sample
        { -10.0f, 1.0f,  { -5.0f, 0.0f, 1.0f } },
        // beyond a shortened loop: one subtraction per sample
        { 11.0f,  1.0f,  { 8.0f, 5.0f, 2.0f, 3.0f } },
        { 11.5f,  -1.0f, { 6.5f, 1.5f, 0.5f, -0.5f } },
    };

    for (const auto& c : cases)
    {
        Stutter unit;
        configure (unit, 16, 16, 100, c.speed);
        runCounting (unit, 16);   // the buffer holds 1..16
        unit.setLoopLength (4);
        unit.readPosition = c.startHead;

        for (const float expectedHead : c.expectedHeads)
        {
            float in = 0.0f;
            const float out = unit.process (&in);
            EXPECT_EQ (unit.readPosition, expectedHead) << "start " << c.startHead;
            EXPECT_GE (out, 1.0f);
            EXPECT_LE (out, 16.0f);
        }
    }
}

TEST (Stutter, HeadBeyondAShortenedLoopReadsTheOldRecording)
{
    Stutter unit;
    configure (unit, 16, 16, 100, 1.0f);
    runCounting (unit, 14);   // head at 14

    unit.setLoopLength (5);
    const auto out = runCounting (unit, 4, 100);
    const std::vector<float> expected = { 10, 6, 2, 3 };  // slots 9, 5, 1, 2
    EXPECT_EQ (out, expected);
}

TEST (Stutter, LoopLengthIsClampedToTheBuffer)
{
    struct Case { int request; int expected; };
    const Case cases[] = { { 0, 1 }, { -3, 1 }, { 7, 7 }, { 100, 100 }, { 105, 100 } };

    for (const auto& c : cases)
    {
        Stutter unit;
        unit.setCapacity (100);
        unit.setLoopLength (c.request);
        EXPECT_EQ (unit.loopLength, c.expected) << c.request;
        EXPECT_EQ (unit.recordLength, c.expected) << c.request;
    }
}

TEST (Stutter, RepeatsSetTheHoldLength)
{
    struct Case { int repeats; float expectedHold; };
    const Case cases[] = { { 1, 250.0f }, { 16, 4000.0f }, { 0, 44100.0f }, { -2, 44100.0f } };

    for (const auto& c : cases)
    {
        Stutter unit;
        unit.setCapacity (1000);
        unit.setLoopLength (250);
        unit.setRepeats (c.repeats);
        EXPECT_EQ (unit.holdLength, c.expectedHold) << c.repeats;
        EXPECT_EQ (unit.requestedHoldLength, c.expectedHold) << c.repeats;
    }
}

TEST (Stutter, SpeedIsStoredInBothFields)
{
    Stutter unit;
    unit.setSpeed (-2.5f);
    EXPECT_EQ (unit.speed, -2.5f);
    EXPECT_EQ (unit.requestedSpeed, -2.5f);

    unit.setSpeed (std::nanf (""));
    EXPECT_EQ (unit.speed, -2.5f);
}

TEST (Stutter, CapacityChangeReplacesTheBufferOnlyWhenItDiffers)
{
    Stutter unit;
    configure (unit, 64, 8, 4, 1.0f);
    runCounting (unit, 5);
    const float* before = unit.buffer.get();

    unit.setCapacity (64);
    EXPECT_EQ (unit.buffer.get(), before);
    EXPECT_EQ (unit.writePosition, 5);
    EXPECT_EQ (unit.counter, 5);

    unit.setCapacity (0);   // ignored
    EXPECT_EQ (unit.capacity, 64);

    unit.setCapacity (32);
    EXPECT_EQ (unit.capacity, 32);
    EXPECT_EQ (unit.writePosition, 0);
    EXPECT_EQ (unit.counter, 0);
    EXPECT_EQ (unit.readPosition, 0.0f);
    EXPECT_EQ (unit.recordLength, 8) << "loop settings survive";
    for (int i = 0; i < 32; ++i)
        ASSERT_EQ (unit.buffer[static_cast<std::size_t> (i)], 0.0f);
}

TEST (Stutter, SampleRateScalesTheCapacity)
{
    struct Case { double rate; int expectedCapacity; };
    const Case cases[] = {
        { 48000.0, 576001 },   // no slot of slack, unlike the delay line
        { 44100.0, 529201 },
        { 0.0,     529201 },   // ignored
    };

    for (const auto& c : cases)
    {
        Stutter unit;
        unit.setCapacity (529201);
        unit.setSampleRate (c.rate);
        EXPECT_EQ (unit.capacity, c.expectedCapacity) << c.rate;
    }
}

TEST (Stutter, ClearSilencesAndRewinds)
{
    Stutter unit;
    configure (unit, 32, 8, 4, 1.0f);
    runCounting (unit, 11);
    const bool wasPlaying = unit.playing;

    unit.clearBuffer();
    EXPECT_EQ (unit.counter, 0);
    EXPECT_EQ (unit.writePosition, 0);
    EXPECT_EQ (unit.readPosition, 0.0f);
    EXPECT_EQ (unit.playing, wasPlaying);
    EXPECT_EQ (unit.recordLength, 8);
    for (int i = 0; i < 32; ++i)
        ASSERT_EQ (unit.buffer[static_cast<std::size_t> (i)], 0.0f);
}

// Whatever the loop and speed, every output is a blend of buffer slots (recorded
// inputs or silence) and the head stays near the loop: a read outside the buffer
// would show up as garbage here (and under the address sanitizer).
TEST (Stutter, ReadsStayInsideTheBufferForTinyLoopsAndFastHeads)
{
    struct Case { int capacity; int loop; float speed; };
    const Case cases[] = {
        { 8, 1, 4.0f },   { 8, 1, -4.0f },   { 8, 2, 3.99f },  { 8, 3, -3.7f },
        { 8, 4, 4.0f },   { 8, 8, -0.3f },   { 1, 1, 4.0f },   { 5000, 1, 4.0f },
        { 5000, 2, -4.0f }, { 5000, 3, 3.3f }, { 5000, 5000, -0.3f }, { 5000, 5000, 0.7f },
    };

    for (const auto& c : cases)
    {
        Stutter unit;
        configure (unit, c.capacity, c.loop, 3, c.speed);

        for (int n = 0; n < 20000; ++n)
        {
            auto in = 0.25f + 0.75f * static_cast<float> ((n * 7919) % 1000) / 1000.0f;
            const float out = unit.process (&in);

            ASSERT_TRUE (out >= 0.0f && out <= 1.0f)
                << "capacity " << c.capacity << " loop " << c.loop << " speed " << c.speed << " at " << n;
            ASSERT_LE (std::abs (unit.readPosition), static_cast<float> (c.capacity) + 4.0f)
                << "the head must not drift away";
        }
    }
}

TEST (Stutter, BufferShrunkBelowTheLoopStaysInside)
{
    Stutter unit;
    configure (unit, 1000, 1000, 2, -4.0f);
    unit.setCapacity (10);   // the loop stays 1000 until the owner sets it again

    for (int n = 0; n < 5000; ++n)
    {
        float in = 0.5f;
        const float out = unit.process (&in);
        ASSERT_TRUE (out == 0.0f || out == 0.5f) << n;
        ASSERT_LT (unit.writePosition, unit.capacity);
    }
}

} // namespace
