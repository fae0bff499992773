#include "TestHelpers.h"

#include <gtest/gtest.h>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

TEST (PluginProcessor, ReportsAStereoEffectWithMidiInTwentyParametersAndNoLatency)
{
    ZentovaAudioProcessor processor;

    EXPECT_EQ (processor.getName(), "Corvanteel");
    EXPECT_EQ (processor.getNumParameters(), 20);
    EXPECT_EQ (processor.getNumPrograms(), 0);
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    EXPECT_TRUE (processor.getProgramName (0).isEmpty());
    EXPECT_EQ (processor.getTailLengthSeconds(), 0.0);
    EXPECT_TRUE (processor.acceptsMidi());
    EXPECT_FALSE (processor.producesMidi());
    EXPECT_TRUE (processor.hasEditor());
    EXPECT_FALSE (processor.silenceInProducesSilenceOut());
    EXPECT_EQ (processor.getInputChannelName (0), "1");
    EXPECT_EQ (processor.getOutputChannelName (1), "2");
    EXPECT_TRUE (processor.isInputChannelStereoPair (0));
    EXPECT_TRUE (processor.isOutputChannelStereoPair (1));
    EXPECT_EQ (processor.getTotalNumInputChannels(), 2);
    EXPECT_EQ (processor.getTotalNumOutputChannels(), 2);
    EXPECT_EQ (processor.getLatencySamples(), 0);
}

TEST (PluginProcessor, NewInstanceStartsClean)
{
    ZentovaAudioProcessor processor;

    EXPECT_EQ (processor.currentPresetName.get(), "Init");
    EXPECT_EQ (processor.lastTouchedParameterName.get(), "v 1.1");
    EXPECT_TRUE (processor.lastTouchedParameterText.get().isEmpty());
    EXPECT_EQ (processor.currentPresetIndex.load(), -1);
    EXPECT_TRUE (processor.presetListChanged.load());

    for (auto* flag : { &processor.presetFilePending, &processor.midiLearnActive, &processor.midiUnlearnActive,
                        &processor.clearMidiRequested, &processor.presetIndexPending, &processor.panicRequested })
        EXPECT_FALSE (flag->load());

    for (const auto& value : processor.scopeHistory)
        EXPECT_EQ (value.load(), 0.0f);

    EXPECT_EQ (processor.currentSampleRate, 44100.0);
    EXPECT_EQ (processor.currentBpm, 120.0f);
    EXPECT_EQ (processor.parameterSmoothers.size(), 3);
    EXPECT_EQ (processor.mainDelay.size(), 2);
    EXPECT_EQ (processor.stutterUnit.size(), 2);
}

TEST (PluginProcessor, InstancesKeepTheirOwnParameters)
{
    ZentovaAudioProcessor first, second;
    first.setParameter (ZentovaAudioProcessor::feedbackIndex, 0.9f);
    first.currentPresetIndex = 3;

    EXPECT_EQ (second.getParameter (ZentovaAudioProcessor::feedbackIndex), 0.4f);
    EXPECT_EQ (second.currentPresetIndex.load(), -1);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
