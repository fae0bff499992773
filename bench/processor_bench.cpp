// Whole-processor cost: how many seconds of stereo audio one core renders per
// second, with the default settings and with every costly path busy.
#include "processor/PluginProcessor.h"

#include <benchmark/benchmark.h>

namespace
{
    constexpr int blockSize = 512;

    // Instances read and write their preferences and preset folder under HOME:
    // the benchmark keeps them in a folder of its own, not in the user's.
    const struct TemporaryHome
    {
        TemporaryHome()
        {
            folder.createDirectory();
            ::setenv ("HOME", folder.getFullPathName().toRawUTF8(), 1);
        }

        ~TemporaryHome()   { folder.deleteRecursively(); }

        juce::File folder = juce::File::createTempFile ("bench-home");
    } temporaryHome;

    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    void applyBusySetting (ZentovaAudioProcessor& processor)
    {
        processor.setParameter (ZentovaAudioProcessor::syncIndex, 1.0f);
        processor.setParameter (ZentovaAudioProcessor::feedbackIndex, 0.9f);
        processor.setParameter (ZentovaAudioProcessor::modulationAmountIndex, 1.0f);
        processor.setParameter (ZentovaAudioProcessor::stutterMixIndex, 1.0f);
        processor.setParameter (ZentovaAudioProcessor::resonanceIndex, 1.0f);
    }
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE

    void processorRealTime (benchmark::State& state)
    {
        const juce::ScopedJuceInitialiser_GUI juce;
        const double sampleRate = (double) state.range (0);
        const bool busy = state.range (1) != 0;

        ZentovaAudioProcessor processor;
        processor.prepareToPlay (sampleRate, blockSize);
        if (busy)
            applyBusySetting (processor);

        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;
        juce::Random random (42);

        for (auto _ : state)
        {
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < blockSize; ++i)
                    buffer.setSample (c, i, random.nextFloat() * 0.5f - 0.25f);

            processor.processBlock (buffer, midi);
            benchmark::DoNotOptimize (buffer.getReadPointer (0));
        }

        state.counters["x_real_time"] = benchmark::Counter (blockSize / sampleRate,
                                                            benchmark::Counter::kIsIterationInvariantRate);
    }
}

BENCHMARK (processorRealTime)
    ->ArgNames ({ "rate", "busy" })
    ->ArgsProduct ({ { 44100, 48000, 96000 }, { 0, 1 } })
    ->Unit (benchmark::kMicrosecond);
