// Whole-processor cost: how many seconds of stereo audio one core renders per
// second, with the default settings and with every costly path busy.
#include "processor/PluginProcessor.h"
#include "TemporaryHome.h"

#include <benchmark/benchmark.h>

namespace
{
    constexpr int defaultBlockSize = 512;

    // Instances read and write their preferences and preset folder under HOME:
    // the benchmark keeps them in a folder of its own, not in the user's.
    const corvanteelTest::TemporaryHome temporaryHome;

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
        const int blockSize = state.range (2) > 0 ? (int) state.range (2) : defaultBlockSize;

        ZentovaAudioProcessor processor;
        processor.prepareToPlay (sampleRate, blockSize);
        if (busy)
            applyBusySetting (processor);

        // The noise is drawn before timing starts, so only its copy into the block
        // is timed along with the processor.
        constexpr int noiseBlocks = 64;
        juce::AudioBuffer<float> noise (2, blockSize * noiseBlocks);
        juce::Random random (42);

        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < noise.getNumSamples(); ++i)
                noise.setSample (c, i, random.nextFloat() * 0.5f - 0.25f);

        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;
        int block = 0;

        for (auto _ : state)
        {
            for (int c = 0; c < 2; ++c)
                buffer.copyFrom (c, 0, noise, c, block * blockSize, blockSize);

            block = (block + 1) % noiseBlocks;
            processor.processBlock (buffer, midi);
            benchmark::DoNotOptimize (buffer.getReadPointer (0));
        }

        state.counters["x_real_time"] = benchmark::Counter (blockSize / sampleRate,
                                                            benchmark::Counter::kIsIterationInvariantRate);
    }

    // PANIC's block and the blocks after it that finish clearing the echo loop,
    // in turn: PANIC is pressed again as soon as a clear ends, so every timed
    // block is one of them. Beside it, a busy block of the same length.
    void panicBlocks (benchmark::State& state)
    {
        const juce::ScopedJuceInitialiser_GUI juce;
        const double sampleRate = (double) state.range (0);
        const int blockSize = (int) state.range (1);

        ZentovaAudioProcessor processor;
        processor.prepareToPlay (sampleRate, blockSize);
        applyBusySetting (processor);

        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;
        juce::Random random (42);

        for (auto _ : state)
        {
            if (! processor.isClearingEchoLoop())
                processor.panicRequested = true;

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

BENCHMARK (panicBlocks)
    ->ArgNames ({ "rate", "block" })
    ->Args ({ 48000, 64 })
    ->Args ({ 192000, 64 })
    ->Unit (benchmark::kMicrosecond);

BENCHMARK (processorRealTime)
    ->ArgNames ({ "rate", "busy", "block" })
    ->Args ({ 48000, 1, 64 })
    ->Args ({ 192000, 1, 64 })
    ->Unit (benchmark::kMicrosecond);

BENCHMARK (processorRealTime)
    ->ArgNames ({ "rate", "busy", "block" })
    ->ArgsProduct ({ { 44100, 48000, 96000 }, { 0, 1 }, { defaultBlockSize } })
    ->Unit (benchmark::kMicrosecond);

// The LV2 side-by-side runs 256-frame blocks: the same here, for the plug-in's own share.
BENCHMARK (processorRealTime)
    ->ArgNames ({ "rate", "busy", "block" })
    ->Args ({ 48000, 0, 256 })
    ->Args ({ 48000, 1, 256 })
    ->Unit (benchmark::kMicrosecond);
