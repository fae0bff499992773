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

// Each unit as the chain runs it: its running values taken for a block of samples
// (the chain's chunk), one call per sample on the copies, and put back after.

// The main echo line as the chain sets it up: 12 s, gliding toward a new delay.
void BM_SyncDelayNoFeedProcess (benchmark::State& state)
{
    const auto input = makeInputBlock();
    velmoLib::SyncDelayNoFeed line;
    line.setSampleRate (benchRate);
    line.setMaxLength (12.0f);
    line.setGlideSamples (static_cast<int> (benchRate * 0.25));
    line.setFeedback (0.7f);
    line.setDelayMs (375.0f);

    float feedback = 0.0f;
    for (auto _ : state)
    {
        auto running = line.running();

        for (const auto sample : input)
        {
            feedback = running.process (sample, feedback);
            benchmark::DoNotOptimize (feedback);
        }

        line.resume (running);
    }
    countSamples (state);
}
BENCHMARK (BM_SyncDelayNoFeedProcess);

// The short modulated line: its delay worked out ahead for every sample from a new
// time in milliseconds, then set on the running copy sample by sample.
void BM_SyncDelayNoFeedProcessWithDelayMs (benchmark::State& state)
{
    const auto input = makeInputBlock();
    velmoLib::SyncDelayNoFeed line;
    line.setSampleRate (benchRate);
    line.setMaxLength (12.0f);
    line.setGlideSamples (0);
    line.setFeedback (0.05f);

    std::array<float, blockSize> delays {};
    float out = 0.0f;
    float sweep = 0.0f;
    for (auto _ : state)
    {
        for (auto& delay : delays)
        {
            sweep = sweep >= 1.0f ? 0.0f : sweep + 0.0001f;
            line.setDelayMs (10.0f + 20.0f * sweep);
            delay = line.currentDelay;
        }

        auto running = line.running();

        for (std::size_t n = 0; n < blockSize; ++n)
        {
            running.currentDelay = delays[n];
            out = running.process (input[n], out);
            benchmark::DoNotOptimize (out);
        }

        line.resume (running);
    }
    countSamples (state);
}
BENCHMARK (BM_SyncDelayNoFeedProcessWithDelayMs);

void BM_StutterProcess (benchmark::State& state)
{
    const auto input = makeInputBlock();
    velmoLib::Stutter unit;
    unit.setCapacity (576002);
    unit.setLoopLength (9000);
    unit.setRepeats (8);
    unit.setSpeed (-2.7f);

    for (auto _ : state)
    {
        auto running = unit.running();

        for (const auto sample : input)
            benchmark::DoNotOptimize (running.process (sample));

        unit.resume (running);
    }
    countSamples (state);
}
BENCHMARK (BM_StutterProcess);

void BM_LfoNext (benchmark::State& state)
{
    velmoLib::Lfo lfo;
    lfo.setSampleRate (benchRate);
    lfo.setFrequency (3.3f);

    for (auto _ : state)
    {
        auto running = lfo.running();

        for (std::size_t n = 0; n < blockSize; ++n)
            benchmark::DoNotOptimize (running.next());

        lfo.resume (running);
    }
    countSamples (state);
}
BENCHMARK (BM_LfoNext);

velmoLib::Svf makeChainFilter()
{
    velmoLib::Svf filter;
    filter.setSampleRate (benchRate);
    filter.setOversampling (4);
    filter.setResonance (1.2f);
    filter.setCutoff (2500.0f);
    return filter;
}

// Both channels' filters as the chain runs them: an LFO moves the cutoffs, whose
// coefficients are worked out ahead, then one pair runs both side by side. The
// argument picks the SSE2 pair (0) or the portable one (1); per stereo frame.
template <typename Pair>
void runFilterPair (benchmark::State& state)
{
    const auto input = makeInputBlock();
    auto first = makeChainFilter();
    auto second = makeChainFilter();
    velmoLib::Lfo lfo;
    lfo.setSampleRate (benchRate);
    lfo.setFrequency (0.8f);

    std::array<double, blockSize> coefficients {};
    for (auto _ : state)
    {
        for (auto& f : coefficients)
        {
            first.setCutoff (500.0f + 3000.0f * (0.5f * lfo.getSample (false) + 0.5f));
            f = first.f;
        }

        auto pair = Pair::take (first, second);

        for (std::size_t n = 0; n < blockSize; ++n)
        {
            pair.process (input[n], coefficients[n], -input[n], coefficients[n]);
            benchmark::DoNotOptimize (pair.firstLow());
            benchmark::DoNotOptimize (pair.secondLow());
        }

        pair.put (first, second);
    }
    countSamples (state);
}

void BM_SvfProcessPair (benchmark::State& state)
{
    if (state.range (0) == 0)
        runFilterPair<velmoLib::Svf::FastPair> (state);
    else
        runFilterPair<velmoLib::Svf::PortablePair> (state);
}
BENCHMARK (BM_SvfProcessPair)->Arg (0)->Arg (1);

} // namespace
