#include "TestHelpers.h"

#include <gtest/gtest.h>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
    using P = ZentovaAudioProcessor;

    juce::MidiBuffer controller (int number, int value, int channel = 1, int position = 0)
    {
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::controllerEvent (channel, number, value), position);
        return midi;
    }

    void sendController (P& p, int number, int value, int channel = 1)
    {
        corvanteelTest::processWithMidi (p, controller (number, value, channel));
    }

    void bind (P& p, int index, int number)   { p.pluginParameters.getUnchecked (index)->midiCC = number; }
    int boundTo (P& p, int index)              { return p.pluginParameters.getUnchecked (index)->midiCC.load(); }
    float value (P& p, int index)              { return p.getParameter (index); }

    // What the parameter display shows after its next refresh, which turns the
    // render thread's last controller touch into the texts.
    juce::String shownName (P& p)              { p.takeControllerTouch(); return p.lastTouchedParameterName.get(); }
    juce::String shownText (P& p)              { p.takeControllerTouch(); return p.lastTouchedParameterText.get(); }
}

TEST (Midi, LearnBindsEveryArmedParameterWithOneMessage)
{
    P p;
    p.setMidiLearn (true);
    p.applyLearnModes (P::timeIndex);
    p.applyLearnModes (P::feedbackIndex);

    sendController (p, 20, 64);

    for (const int index : { (int) P::timeIndex, (int) P::feedbackIndex })
    {
        EXPECT_EQ (boundTo (p, index), 20);
        EXPECT_FALSE (p.pluginParameters[index]->learnArmed.load());
        EXPECT_EQ (value (p, index), 64.0f / 127.0f);
    }

    EXPECT_TRUE (p.midiLearnActive.load());   // learn mode itself stays on
    EXPECT_EQ (boundTo (p, P::syncIndex), -1);
}

TEST (Midi, ControllersDriveTheirParameters)
{
    struct Case
    {
        const char* what;
        int index, number, value;
        float expected;
        const char* text;
    };

    const Case cases[] =
    {
        { "value 0",                P::feedbackIndex, 7, 0,   0.0f,          "0.00 %" },
        { "value 127",              P::feedbackIndex, 7, 127, 1.0f,          "100.00 %" },
        { "switch below 127 is off", P::syncIndex,    9, 126, 126.0f / 127,  "Off" },
        { "switch at 127 is on",    P::syncIndex,     9, 127, 1.0f,          "On" },
        { "rate mode 63",           P::rateModeIndex, 5, 63,  63.0f / 127,   "Default" },
        { "rate mode 64",           P::rateModeIndex, 5, 64,  64.0f / 127,   "/ 10" },
        { "rate mode 126",          P::rateModeIndex, 5, 126, 126.0f / 127,  "/ 10" },
        { "rate mode 127",          P::rateModeIndex, 5, 127, 1.0f,          "x 10" },
        { "controller 120 works",   P::feedbackIndex, 120, 10, 10.0f / 127,  "7.87 %" },
        { "controller 127 works",   P::feedbackIndex, 127, 10, 10.0f / 127,  "7.87 %" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        P p;
        bind (p, c.index, c.number);
        corvanteelTest::RecordingListener host (p);

        sendController (p, c.number, c.value, 16);   // the channel is ignored

        EXPECT_EQ (value (p, c.index), c.expected);
        EXPECT_EQ (p.getParameterText (c.index), c.text);
        EXPECT_EQ (shownName (p), p.getParameterName (c.index));
        EXPECT_EQ (shownText (p), c.text);
        EXPECT_EQ (host.countValueChanges(), 1);
    }
}

// A controller acts at its own sample, not at the start of its block: Dry_Wet held
// fully wet, then a controller sets it to 0 at sample 256. Up to there the output is
// what the same processor gives without the message; from 256 the dry signal enters.
TEST (Midi, ControllerTakesEffectAtItsSample)
{
    P withController, without;
    juce::Random random (21);
    juce::AudioBuffer<float> input (2, 512);

    for (auto* p : { &withController, &without })
    {
        p->prepareToPlay (44100.0, 512);
        p->setParameter (P::dryWetIndex, 1.0f);
        bind (*p, P::dryWetIndex, 30);
        p->parameterSmoothers[1]->state = 1.0f;   // output gain, settled at 0 dB
        p->parameterSmoothers[2]->state = 1.0f;   // dry/wet, settled fully wet
    }

    juce::AudioBuffer<float> outputs[2];
    for (int block = 0; block < 12; ++block)
    {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 512; ++i)
                input.setSample (c, i, 0.5f * (random.nextFloat() - 0.5f));

        int k = 0;
        for (auto* p : { &withController, &without })
        {
            juce::MidiBuffer midi;
            if (block == 11 && p == &withController)
                midi.addEvent (juce::MidiMessage::controllerEvent (1, 30, 0), 256);

            outputs[k].makeCopyOf (input);
            p->processBlock (outputs[k++], midi);
        }
    }

    for (int c = 0; c < 2; ++c)
    {
        int firstDifference = -1;
        for (int i = 0; i < 512 && firstDifference < 0; ++i)
            if (outputs[0].getSample (c, i) != outputs[1].getSample (c, i))
                firstDifference = i;

        EXPECT_EQ (firstDifference, 256) << "channel " << c;
    }

    EXPECT_EQ (withController.getParameter (P::dryWetIndex), 0.0f);
}

TEST (Midi, SharedControllerShowsTheHigherIndex)
{
    P p;
    bind (p, P::timeIndex, 30);
    bind (p, P::stutterMixIndex, 30);
    sendController (p, 30, 100);

    EXPECT_EQ (value (p, P::timeIndex), 100.0f / 127.0f);
    EXPECT_EQ (value (p, P::stutterMixIndex), 100.0f / 127.0f);
    EXPECT_EQ (shownName (p), "Stutter_Mix");
}

TEST (Midi, AllNotesOffControllerIsIgnored)
{
    P p;
    p.setMidiLearn (true);
    p.applyLearnModes (P::timeIndex);
    bind (p, P::feedbackIndex, 123);
    const float before = value (p, P::feedbackIndex);

    sendController (p, 123, 100);

    EXPECT_EQ (boundTo (p, P::timeIndex), -1);
    EXPECT_TRUE (p.pluginParameters[P::timeIndex]->learnArmed.load());
    EXPECT_EQ (value (p, P::feedbackIndex), before);
    EXPECT_EQ (shownName (p), "v 1.1");
}

TEST (Midi, RandomizeControllerStartsOnlyAtFullValueAndLeavesTheDisplay)
{
    P p;
    bind (p, P::randomizeIndex, 40);

    sendController (p, 40, 126);
    corvanteelTest::processSilence (p, 64, 64);
    EXPECT_EQ (value (p, P::randomizeIndex), 126.0f / 127.0f);
    EXPECT_EQ (shownName (p), "v 1.1");

    const float timeBefore = value (p, P::timeIndex);
    sendController (p, 40, 127);
    EXPECT_EQ (value (p, P::randomizeIndex), 1.0f);
    corvanteelTest::processSilence (p, 64, 64);   // the next block randomizes
    EXPECT_EQ (value (p, P::randomizeIndex), 0.0f);
    EXPECT_NE (value (p, P::timeIndex), timeBefore);
    EXPECT_EQ (shownName (p), "v 1.1");
}

TEST (Midi, ProgramChangeIsRequestedForTheNextBlock)
{
    P p;
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::programChange (10, 5), 3);
    corvanteelTest::processWithMidi (p, midi);

    EXPECT_EQ (p.currentPresetIndex.load(), 5);
    EXPECT_TRUE (p.presetIndexPending.load());   // carried out at the next block start

    corvanteelTest::processSilence (p, 16, 16);
    EXPECT_FALSE (p.presetIndexPending.load());
    EXPECT_FALSE (p.presetFilePending.load());   // the preset list is empty
}

TEST (Midi, EventsOutsideTheBlockAreNeverHandled)
{
    P p;
    bind (p, P::feedbackIndex, 7);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::controllerEvent (1, 7, 100), -1);
    midi.addEvent (juce::MidiMessage::controllerEvent (1, 7, 90), 64);   // block of 64: positions 0 to 63
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 0.5f), 10);
    corvanteelTest::processWithMidi (p, midi, 64);

    EXPECT_EQ (value (p, P::feedbackIndex), 0.4f);
}

TEST (Midi, ClearForgetsBindingsButKeepsArming)
{
    P p;
    for (int i = 0; i < 20; ++i)
        bind (p, i, i + 1);
    p.setMidiLearn (true);
    p.applyLearnModes (P::resonanceIndex);
    p.requestClearMidi();

    corvanteelTest::processSilence (p, 16, 16);

    for (int i = 0; i < 20; ++i)
        EXPECT_EQ (boundTo (p, i), -1);
    EXPECT_FALSE (p.clearMidiRequested.load());
    EXPECT_TRUE (p.pluginParameters[P::resonanceIndex]->learnArmed.load());

    sendController (p, 50, 1);
    EXPECT_EQ (boundTo (p, P::resonanceIndex), 50);
}

TEST (Randomize, FollowsItsRulesOverManySeeds)
{
    P p;
    const float dryWet = value (p, P::dryWetIndex);
    const float outLevel = value (p, P::outLevelIndex);
    int modes[3] {};
    const int runs = 2000;

    for (int run = 0; run < runs; ++run)
    {
        p.randomGenerator.setSeed (run);
        p.setParameter (P::randomizeIndex, 1.0f);
        corvanteelTest::RecordingListener host (p);
        corvanteelTest::processSilence (p, 1, 1);

        ASSERT_EQ (host.countValueChanges(), 19);
        EXPECT_EQ (value (p, P::dryWetIndex), dryWet);
        EXPECT_EQ (value (p, P::outLevelIndex), outLevel);
        EXPECT_EQ (value (p, P::randomizeIndex), 0.0f);
        EXPECT_LE (value (p, P::feedbackIndex), 0.9f);
        EXPECT_LE (value (p, P::modulationAmountIndex), 0.6f);

        for (const int sw : { (int) P::syncIndex, (int) P::pingOutIndex, (int) P::stutterReverseIndex })
            EXPECT_TRUE (value (p, sw) == 0.0f || value (p, sw) == 1.0f);

        ++modes[(int) p.pluginParameters[P::rateModeIndex]->realValue.load()];
    }

    EXPECT_EQ (shownName (p), "v 1.1");
    EXPECT_NEAR (modes[0] / (double) runs, 0.5, 0.05);
    EXPECT_NEAR (modes[1] / (double) runs, 0.25, 0.05);
    EXPECT_NEAR (modes[2] / (double) runs, 0.25, 0.05);
}

TEST (Randomize, PanicInTheSameBlockWins)
{
    P p;
    p.randomGenerator.setSeed (7);
    p.setParameter (P::randomizeIndex, 1.0f);
    p.panicRequested = true;
    corvanteelTest::processSilence (p, 16, 16);

    EXPECT_EQ (value (p, P::feedbackIndex), 0.0f);
    EXPECT_EQ (value (p, P::modulationAmountIndex), 0.0f);
    EXPECT_EQ (p.mainDelay[0]->feedbackGain, 0.0f);   // already in force in that block
    EXPECT_FALSE (p.panicRequested.load());
}

TEST (Panic, ClearsEveryPartOfTheEchoLoop)
{
    P p;
    p.setParameter (P::feedbackIndex, 0.9f);
    p.setParameter (P::modulationAmountIndex, 1.0f);

    juce::AudioBuffer<float> noise (2, 512);
    juce::Random random (3);
    juce::MidiBuffer midi;
    for (int block = 0; block < 40; ++block)
    {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 512; ++i)
                noise.setSample (c, i, random.nextFloat() - 0.5f);
        p.processBlock (noise, midi);
    }

    auto bufferEnergy = [] (const float* data, int length)
    {
        double sum = 0;
        for (int i = 0; i < length; ++i)
            sum += (double) data[i] * data[i];
        return sum;
    };

    const double stutterBefore = bufferEnergy (p.stutterUnit[0]->buffer.get(), p.stutterUnit[0]->capacity);
    ASSERT_GT (stutterBefore, 0.0);

    corvanteelTest::RecordingListener host (p);
    p.panicRequested = true;
    juce::AudioBuffer<float> empty (2, 0);
    p.processBlock (empty, midi);

    EXPECT_EQ (value (p, P::feedbackIndex), 0.0f);
    EXPECT_EQ (value (p, P::modulationAmountIndex), 0.0f);
    EXPECT_EQ (host.countValueChanges(), 2);

    // The long buffers are cleared over the blocks that follow, which play dry.
    juce::AudioBuffer<float> silence (2, 512);
    for (int block = 0; p.isClearingEchoLoop(); ++block)
    {
        ASSERT_LT (block, 20) << "the clear takes about 70 ms of audio";
        silence.clear();
        p.processBlock (silence, midi);
    }

    for (int c = 0; c < 2; ++c)
    {
        for (auto* line : { p.mainDelay[c], p.modDelay[c] })
        {
            EXPECT_EQ (bufferEnergy (line->buffer.get(), line->length), 0.0);
            EXPECT_EQ (line->writeIndex, 0);
        }

        EXPECT_EQ (bufferEnergy (p.stutterUnit[c]->buffer.get(), p.stutterUnit[c]->capacity), 0.0);
        const auto& filter = *p.feedbackFilter[c];
        for (const double state : { filter.band, filter.saturatedBand, filter.lowState, filter.low })
            EXPECT_EQ (state, 0.0);
        EXPECT_EQ (p.loopSample[c], 0.0f);
        EXPECT_EQ (p.feedbackInput[c], 0.0f);
    }
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
