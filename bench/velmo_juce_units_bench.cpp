#include "lib/velmo_juce_lfo.h"
#include "lib/velmo_juce_stutter.h"
#include "lib/velmo_juce_svf.h"
#include "lib/velmo_juce_syncDelayNoFeed.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>

namespace
{

constexpr double benchRate = 48000.0;
constexpr std::size_t blockSize = 512;

// A block of a 220 Hz sine, so the units see realistic, non-denormal input.
std::array<float, blockSize> makeInputBlock()
{
    std::array<float, blockSize> block {};
    for (std::size_t n = 0; n < blockSize; ++n)
        block[n] = static_cast<float> (0.5 * std::sin (6.283185307179586 * 220.0 * static_cast<double> (n) / benchRate));
    return block;
}

void countSamples (benchmark::State& state)
{
    state.SetItemsProcessed (state.iterations() * static_cast<std::int64_t> (blockSize));
}

// The main echo line as the chain sets it up: 12 s, gliding toward a new delay.
void BM_SyncDelayNoFeedProcess (benchmark::State& state)
{
    auto input = makeInputBlock();
    velmoLib::SyncDelayNoFeed line;
    line.setSampleRate (benchRate);
    line.setMaxLength (12.0f);
    line.setGlideSamples (static_cast<int> (benchRate * 0.25));
    line.setFeedback (0.7f);
    line.setDelayMs (375.0f);

    float feedback = 0.0f;
    for (auto _ : state)
    {
        for (auto& sample : input)
        {
            feedback = line.process (&sample, feedback);
            benchmark::DoNotOptimize (feedback);
        }
    }
    countSamples (state);
}
BENCHMARK (BM_SyncDelayNoFeedProcess);

// The short modulated line: a new delay time in milliseconds at every sample.
void BM_SyncDelayNoFeedProcessWithDelayMs (benchmark::State& state)
{
    auto input = makeInputBlock();
    velmoLib::SyncDelayNoFeed line;
    line.setSampleRate (benchRate);
    line.setMaxLength (12.0f);
    line.setGlideSamples (0);
    line.setFeedback (0.05f);

    float out = 0.0f;
    float sweep = 0.0f;
    for (auto _ : state)
    {
        for (auto& sample : input)
        {
            sweep = sweep >= 1.0f ? 0.0f : sweep + 0.0001f;
            line.setDelayMs (10.0f + 20.0f * sweep);
            out = line.process (&sample, out);
            benchmark::DoNotOptimize (out);
        }
    }
    countSamples (state);
}
BENCHMARK (BM_SyncDelayNoFeedProcessWithDelayMs);

void BM_StutterProcess (benchmark::State& state)
{
    auto input = makeInputBlock();
    velmoLib::Stutter unit;
    unit.setCapacity (576002);
    unit.setLoopLength (9000);
    unit.setRepeats (8);
    unit.setSpeed (-2.7f);

    for (auto _ : state)
    {
        for (auto& sample : input)
            benchmark::DoNotOptimize (unit.process (&sample));
    }
    countSamples (state);
}
BENCHMARK (BM_StutterProcess);

void BM_LfoGetSample (benchmark::State& state)
{
    velmoLib::Lfo lfo;
    lfo.setSampleRate (benchRate);
    lfo.setFrequency (3.3f);

    for (auto _ : state)
    {
        for (std::size_t n = 0; n < blockSize; ++n)
            benchmark::DoNotOptimize (lfo.getSample (false));
    }
    countSamples (state);
}
BENCHMARK (BM_LfoGetSample);

velmoLib::Svf makeChainFilter()
{
    velmoLib::Svf filter;
    filter.setSampleRate (benchRate);
    filter.setOversampling (4);
    filter.setResonance (1.2f);
    filter.setCutoff (2500.0f);
    return filter;
}

void BM_SvfProcess (benchmark::State& state)
{
    auto input = makeInputBlock();
    auto filter = makeChainFilter();

    for (auto _ : state)
    {
        for (auto& sample : input)
        {
            filter.process (&sample);
            benchmark::DoNotOptimize (filter.low);
        }
    }
    countSamples (state);
}
BENCHMARK (BM_SvfProcess);

// As the chain runs it: an LFO moves the cutoff, so the coefficients follow every sample.
void BM_SvfProcessWithCutoffPerSample (benchmark::State& state)
{
    auto input = makeInputBlock();
    auto filter = makeChainFilter();
    velmoLib::Lfo lfo;
    lfo.setSampleRate (benchRate);
    lfo.setFrequency (0.8f);

    for (auto _ : state)
    {
        for (auto& sample : input)
        {
            filter.setCutoff (500.0f + 3000.0f * (0.5f * lfo.getSample (false) + 0.5f));
            filter.process (&sample);
            benchmark::DoNotOptimize (filter.low);
        }
    }
    countSamples (state);
}
BENCHMARK (BM_SvfProcessWithCutoffPerSample);

// Both channels' filters as the chain runs them: one pair, side by side. The
// argument picks the SSE2 pair (0) or the portable one (1); per stereo frame.
void BM_SvfProcessPair (benchmark::State& state)
{
    auto input = makeInputBlock();
    auto first = makeChainFilter();
    auto second = makeChainFilter();
    const bool portable = state.range (0) != 0;

    for (auto _ : state)
    {
        for (auto& sample : input)
        {
            float other = -sample;

            if (portable)
                velmoLib::Svf::processPairPortable (first, &sample, second, &other);
            else
                velmoLib::Svf::processPair (first, &sample, second, &other);

            benchmark::DoNotOptimize (first.low);
            benchmark::DoNotOptimize (second.low);
        }
    }
    countSamples (state);
}
BENCHMARK (BM_SvfProcessPair)->Arg (0)->Arg (1);

} // namespace
