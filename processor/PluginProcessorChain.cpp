// The signal chain: preparation, the block and its settings, the sample loop.
#include "PluginProcessor.h"

#include <cmath>

//==============================================================================
void ZentovaAudioProcessor::prepareToPlay (double sampleRate, int)
{
    // A rate that is no rate (NaN, infinite, zero or below) would poison the
    // smoothers and everything that divides by currentSampleRate; such a call
    // only clears, as a new preparation at the current rate does.
    const bool usableRate = std::isfinite (sampleRate) && sampleRate > 0.0;

    if (usableRate && ! (sampleRate == currentSampleRate))
    {
        currentSampleRate = sampleRate;

        for (int channel = 0; channel < numChannels; ++channel)
        {
            mainDelay[channel]->setSampleRate (sampleRate);
            modDelay[channel]->setSampleRate (sampleRate);
            feedbackFilter[channel]->setSampleRate (sampleRate);
            cutoffLfo[channel]->setSampleRate (sampleRate);
            modulationLfo[channel]->setSampleRate (sampleRate);
            stutterUnit[channel]->setSampleRate (sampleRate);
        }

        for (auto* smoother : parameterSmoothers)
            smoother->setSampleRate (sampleRate);

        feedbackDcCoefficient = dcCoefficientFor (sampleRate);
    }

    clearEchoLoop();
}

void ZentovaAudioProcessor::clearEchoLoop() noexcept
{
    for (int channel = 0; channel < numChannels; ++channel)
    {
        mainDelay[channel]->clearBuffer();
        modDelay[channel]->clearBuffer();
        stutterUnit[channel]->clearBuffer();
    }

    clearEchoLoopState();
    echoClearPosition = noEchoClear;
}

void ZentovaAudioProcessor::clearEchoLoopState() noexcept
{
    for (int channel = 0; channel < numChannels; ++channel)
    {
        feedbackFilter[channel]->clearState();
        lastModDelayMs[channel] = std::numeric_limits<float>::quiet_NaN();   // set the short lines' times afresh
    }

    // The samples carried from one sample to the next hold the old signal too;
    // left alone they would feed it back into the cleared loop.
    for (auto* state : channelStates())
        state->clear ((size_t) numChannels);
}

std::array<ZentovaAudioProcessor::EchoBuffer, 6> ZentovaAudioProcessor::echoBuffers() noexcept
{
    const auto line = [] (velmoLib::SyncDelayNoFeed& d) { return EchoBuffer { d.buffer.get(), (size_t) d.length }; };
    const auto stutter = [] (velmoLib::Stutter& s) { return EchoBuffer { s.buffer.get(), (size_t) s.capacity }; };

    return { line (*mainDelay[0]), line (*mainDelay[1]), line (*modDelay[0]), line (*modDelay[1]),
             stutter (*stutterUnit[0]), stutter (*stutterUnit[1]) };
}

void ZentovaAudioProcessor::startEchoClear() noexcept
{
    // Zeroing the six long buffers at once takes milliseconds at high rates, more
    // than a short block lasts. They are cleared a slice per block instead, and
    // until the last slice the chain stands still: nothing is read from them and
    // nothing written, so the old echo can neither sound nor survive. The heads
    // go back to the start as a full clear leaves them.
    for (int channel = 0; channel < numChannels; ++channel)
    {
        mainDelay[channel]->rewind();
        modDelay[channel]->rewind();
        stutterUnit[channel]->rewind();
    }

    clearEchoLoopState();
    echoClearPosition = 0;
}

void ZentovaAudioProcessor::continueEchoClear (int numSamples) noexcept
{
    // A fixed number of buffer samples per block sample keeps each block's share
    // of the work in proportion to its length, at any rate and block size: the
    // whole clear lasts 6 x 12 s / echoClearSamplesPerSample of audio (about 70 ms).
    auto budget = (size_t) numSamples * echoClearSamplesPerSample;
    auto skip = echoClearPosition;

    for (const auto& span : echoBuffers())
    {
        if (skip >= span.size)
        {
            skip -= span.size;
            continue;
        }

        const auto count = juce::jmin (span.size - skip, budget);
        std::fill (span.data + skip, span.data + skip + count, 0.0f);
        echoClearPosition += count;
        budget -= count;
        skip = 0;

        if (budget == 0)
            return;
    }

    // Every buffer is silent: the chain runs again from the next block on.
    echoClearPosition = noEchoClear;
}

//==============================================================================
void ZentovaAudioProcessor::processBlock (juce::AudioSampleBuffer& buffer, juce::MidiBuffer& midiMessages)
{
    const juce::ScopedNoDenormals noDenormals;

    denormalOffset = -denormalOffset;

    applyPendingRequests();
    readTempo();

    blockSettings = readBlockSettings();
    applyUnitSettings (blockSettings);

    const int numSamples = buffer.getNumSamples();
    const int numInputs = juce::jmin (getTotalNumInputChannels(), buffer.getNumChannels(), (int) numChannels);

    midiCursor = midiMessages.cbegin();
    lastOutLevel = std::numeric_limits<float>::quiet_NaN();

    // Only the stereo layout is offered, so every wrapper hands over two channels;
    // a caller that hands over fewer gets its buffer back as it was.
    if (numInputs == numChannels)
    {
        silenceNonFiniteInput (buffer, numSamples);

        if (echoClearPosition == noEchoClear)
        {
            processStereo (buffer, midiMessages, numSamples);
        }
        else
        {
            processDryOnly (buffer, midiMessages, numSamples);
            continueEchoClear (numSamples);
        }
    }

    for (int channel = getTotalNumInputChannels(); channel < getTotalNumOutputChannels(); ++channel)
        if (channel < buffer.getNumChannels())
            buffer.clear (channel, 0, numSamples);

    // Whatever is left in the buffer goes out to the host (LV2 writes it to its
    // output port); the plug-in produces no MIDI, so nothing is left.
    midiMessages.clear();
}

void ZentovaAudioProcessor::silenceNonFiniteInput (juce::AudioSampleBuffer& buffer, int numSamples) noexcept
{
    // One NaN or infinity from the host or an upstream plug-in would circulate in
    // the echo loop for good: such a sample is taken as silence, on the dry path
    // too. Every finite sample passes as it is.
    for (int channel = 0; channel < numChannels; ++channel)
    {
        auto* samples = buffer.getWritePointer (channel);

        for (int i = 0; i < numSamples; ++i)
            if (! std::isfinite (samples[i]))
                samples[i] = 0.0f;
    }
}

int ZentovaAudioProcessor::beginChunk (const juce::MidiBuffer& midi, int start, int numSamples)
{
    // MIDI at its sample. Events before start are skipped and those at start
    // handled, so the next one, if any, lies beyond start and ends the chunk.
    handleMidiAt (midi, start);

    const int end = juce::jmin (numSamples, start + aheadLength);
    return midiCursor != midi.cend() ? juce::jmin (end, (*midiCursor).samplePosition) : end;
}

void ZentovaAudioProcessor::processDryOnly (juce::AudioSampleBuffer& buffer, const juce::MidiBuffer& midi, int numSamples)
{
    // The output stage with an empty loop's wet sum; the smoothers, the LFOs and
    // MIDI run on as in the chain.
    float* const left = buffer.getWritePointer (0);
    float* const right = buffer.getWritePointer (1);
    const float offset = denormalOffset;
    AheadValues ahead;

    for (int start = 0; start < numSamples;)
    {
        const int end = beginChunk (midi, start, numSamples);
        computeAhead (end - start, ahead);

        for (int i = start; i < end; ++i)
        {
            const float dryWet = ahead.dryWet[i - start];
            const float gain = ahead.outputGain[i - start];
            left[i] = outputSample (0.0f, left[i] + offset, dryWet, gain);
            right[i] = outputSample (0.0f, right[i] + offset, dryWet, gain);
            advanceScope (left[i], right[i]);
        }

        start = end;
    }
}

void ZentovaAudioProcessor::processStereo (juce::AudioSampleBuffer& buffer, const juce::MidiBuffer& midi, int numSamples)
{
    // The SSE2 lanes take one pass count for both filters.
    if (portableFilterPair || ! velmoLib::Svf::canRunAsVector (*feedbackFilter.getUnchecked (0),
                                                               *feedbackFilter.getUnchecked (1)))
        runStereoChain<velmoLib::Svf::PortablePair> (buffer, midi, numSamples);
    else
        runStereoChain<velmoLib::Svf::FastPair> (buffer, midi, numSamples);
}

// The block runs in chunks of at most aheadLength samples, cut at MIDI events, the
// only thing within the block that moves the smoothers' targets (automation from
// another thread mid-block is taken at the next chunk, as if it came a little
// later). For each chunk, what does not depend on the echo chain is worked out
// first (computeAhead); then the chain runs with the units' running values and the
// carried samples in locals, channel 0 then channel 1, sample by sample.
//
// Channel 1's filter only feeds channel 0's cross-feed of the next sample, so it
// waits for that sample and runs side by side with channel 0's filter there (the
// filters are long chains of divisions and square roots that overlap well); the
// block's first sample runs channel 0's filter alone, its end channel 1's.
template <typename FilterPair>
void ZentovaAudioProcessor::runStereoChain (juce::AudioSampleBuffer& buffer, const juce::MidiBuffer& midi, int numSamples)
{
    float* const left = buffer.getWritePointer (0);
    float* const right = buffer.getWritePointer (1);

    const float offset = denormalOffset;
    const bool pingOut = blockSettings.pingOut;
    const float stutterMix = blockSettings.stutterMix;
    const float delayMix = 1.0f - stutterMix;
    const float crossFeed = 0.9f * blockSettings.modulationAmount;
    const float loopKeep = 1.0f - crossFeed;

    auto& filter0 = *feedbackFilter.getUnchecked (0);
    auto& filter1 = *feedbackFilter.getUnchecked (1);

    float input0 = channelInput[0], input1 = channelInput[1];
    float output0 = channelOutput[0], output1 = channelOutput[1];
    float wet0 = wetSum[0], wet1 = wetSum[1];
    float loop0 = loopSample[0], loop1 = loopSample[1];
    float feedback0 = feedbackInput[0], feedback1 = feedbackInput[1];
    float modulated0 = modDelayOutput[0], modulated1 = modDelayOutput[1];
    float dcMean0 = feedbackDcLevel[0], dcMean1 = feedbackDcLevel[1];

    // Channel 1's filter input and coefficient, waiting for the next sample's pair.
    bool filter1Waiting = false;
    float filter1Input = 0.0f;
    double filter1Coefficient = 0.0;

    AheadValues ahead;

    // The named steps of one channel's chain, in signal order.

    // The main line: the input (with the denormal offset) and the feedback in, the echo out.
    const auto mainLineStep = [offset] (auto& line, float inputSample, float feedback, float& input)
    {
        input = inputSample + offset;
        return line.process (input, feedback);
    };

    // The stutter and its mix with the main line: the filter's input.
    const auto stutterStep = [stutterMix, delayMix] (auto& stutter, float delayed)
    {
        const float stuttered = stutter.process (delayed);
        return stutterMix * stuttered + delayMix * delayed;
    };

    // The cross-feed: a channel's short line carries the other channel's filtered
    // loop, and the mix of the two feeds back into the other channel's main line.
    const auto crossFeedStep = [crossFeed, loopKeep] (auto& shortLine, float delaySamples, float otherLoop,
                                                      float& modulated, float& otherFeedback)
    {
        shortLine.currentDelay = delaySamples;
        modulated = shortLine.process (otherLoop, modulated);
        otherFeedback = crossFeed * modulated + loopKeep * otherLoop;
    };

    // With Feedback and Modulation_Amount near full the loop's gain at DC reaches
    // unity and beyond: any offset the loop picks up grows on every pass until it
    // holds the output at a constant. Only there does what re-enters each main
    // line lose its slowest part (a gentle high-pass), which takes the loop's gain
    // below unity up to a few hertz; below unity the loop lets every offset die
    // away by itself and is left as it is. The mean is followed all along, so the
    // high-pass starts from the loop's own level when the settings reach unity.
    const float dcCoefficient = feedbackDcCoefficient;
    const bool blockDc = loopGainAtDc() >= 1.0f;
    const auto dcBlockStep = [dcCoefficient, blockDc] (float& feedback, float& mean)
    {
        mean += dcCoefficient * (feedback - mean);
        if (blockDc)
            feedback -= mean;
    };

    // The wet sum, then the output stage.
    const auto outputStep = [pingOut, crossFeed] (float delayed, float modulated, float input,
                                                  float dryWet, float gain, float& wet)
    {
        wet = 0.0f;
        if (pingOut)
            wet += delayed;
        wet += crossFeed * modulated;

        return outputSample (wet, input, dryWet, gain);
    };

    for (int start = 0; start < numSamples;)
    {
        const int end = beginChunk (midi, start, numSamples);

        // The smoothers and LFOs of the chunk, and what the chain takes from them.
        const int count = end - start;
        computeAhead (count, ahead);

        auto main0 = mainDelay.getUnchecked (0)->running();
        auto main1 = mainDelay.getUnchecked (1)->running();
        auto short0 = modDelay.getUnchecked (0)->running();
        auto short1 = modDelay.getUnchecked (1)->running();
        auto stutter0 = stutterUnit.getUnchecked (0)->running();
        auto stutter1 = stutterUnit.getUnchecked (1)->running();
        auto filters = FilterPair::take (filter0, filter1);

        for (int j = 0; j < count; ++j)
        {
            const int i = start + j;

            // Channel 0 up to its filter.
            const float delayed0 = mainLineStep (main0, left[i], feedback0, input0);
            const float filterInput0 = stutterStep (stutter0, delayed0);

            // Channel 0's filter of this sample, beside channel 1's of the last one.
            if (filter1Waiting)
            {
                filters.process (filterInput0, ahead.filterCoefficient[0][j], filter1Input, filter1Coefficient);
                loop1 = (float) filters.secondLow();
            }
            else
            {
                filters.processFirst (filterInput0, ahead.filterCoefficient[0][j]);
            }

            loop0 = (float) filters.firstLow();

            // Channel 0 after its filter.
            crossFeedStep (short0, ahead.modDelaySamples[0][j], loop1, modulated0, feedback1);
            dcBlockStep (feedback1, dcMean1);
            output0 = outputStep (delayed0, modulated0, input0, ahead.dryWet[j], ahead.outputGain[j], wet0);
            left[i] = output0;

            // Channel 1; its filter waits for the next sample's pair.
            const float delayed1 = mainLineStep (main1, right[i], feedback1, input1);
            filter1Input = stutterStep (stutter1, delayed1);
            filter1Coefficient = ahead.filterCoefficient[1][j];
            filter1Waiting = true;

            crossFeedStep (short1, ahead.modDelaySamples[1][j], loop0, modulated1, feedback0);
            dcBlockStep (feedback0, dcMean0);
            output1 = outputStep (delayed1, modulated1, input1, ahead.dryWet[j], ahead.outputGain[j], wet1);
            right[i] = output1;
        }

        // The block's last sample: channel 1's filter alone.
        if (end == numSamples && filter1Waiting)
        {
            filters.processSecond (filter1Input, filter1Coefficient);
            loop1 = (float) filters.secondLow();
        }

        mainDelay.getUnchecked (0)->resume (main0);
        mainDelay.getUnchecked (1)->resume (main1);
        modDelay.getUnchecked (0)->resume (short0);
        modDelay.getUnchecked (1)->resume (short1);
        stutterUnit.getUnchecked (0)->resume (stutter0);
        stutterUnit.getUnchecked (1)->resume (stutter1);
        filters.put (filter0, filter1);

        for (int i = start; i < end; ++i)
            advanceScope (left[i], right[i]);

        start = end;
    }

    const auto keep = [] (juce::HeapBlock<float>& state, float channel0, float channel1)
    {
        state[0] = channel0;
        state[1] = channel1;
    };

    keep (channelInput, input0, input1);
    keep (channelOutput, output0, output1);
    keep (wetSum, wet0, wet1);
    keep (loopSample, loop0, loop1);
    keep (feedbackInput, feedback0, feedback1);
    keep (modDelayOutput, modulated0, modulated1);
    keep (feedbackDcLevel, dcMean0, dcMean1);
}

// The smoothers, the four LFOs, the filters' cutoffs and coefficients and the short
// lines' delays of the next numAhead samples: none of them depends on the chain.
void ZentovaAudioProcessor::computeAhead (int numAhead, AheadValues& ahead)
{
    // Taken once for the chunk: a chunk ends at each MIDI event, the block's only
    // source of changes to them.
    const float floorTarget = pluginParameters.getUnchecked (cutoffFloorIndex)->realValue.load (std::memory_order_relaxed);
    const float dryWetTarget = pluginParameters.getUnchecked (dryWetIndex)->normalisedValue.load (std::memory_order_relaxed);

    const float gainTarget = updateOutputGainTarget();
    const float cutoffDepth = blockSettings.cutoffDepth * 3000.0f;

    auto floorRunning = *cutoffFloorSmoother;
    auto gainRunning = *outputGainSmoother;
    auto dryWetRunning = *dryWetSmoother;

    auto cutoffOscillator0 = cutoffLfo.getUnchecked (0)->running();
    auto cutoffOscillator1 = cutoffLfo.getUnchecked (1)->running();
    auto modulationOscillator0 = modulationLfo.getUnchecked (0)->running();
    auto modulationOscillator1 = modulationLfo.getUnchecked (1)->running();

    // The smoothers and oscillators first, all in one loop so that their
    // sample-to-sample chains overlap.
    float cutoffHz[numChannels][aheadLength], modDelayMs[numChannels][aheadLength];
    float cutoffLfo0 = 0.0f, cutoffLfo1 = 0.0f, modulationLfo0 = 0.0f, modulationLfo1 = 0.0f;

    for (int i = 0; i < numAhead; ++i)
    {
        const float cutoffFloor = floorRunning.process (floorTarget);
        ahead.dryWet[i] = dryWetRunning.process (dryWetTarget);
        ahead.outputGain[i] = gainRunning.process (gainTarget);

        cutoffLfo0 = 0.5f * cutoffOscillator0.next() + 0.5f;
        cutoffLfo1 = 0.5f * cutoffOscillator1.next() + 0.5f;
        modulationLfo0 = 0.5f * modulationOscillator0.next() + 0.5f;
        modulationLfo1 = 0.5f * modulationOscillator1.next() + 0.5f;

        cutoffHz[0][i] = cutoffDepth * cutoffLfo0 + cutoffFloor;
        cutoffHz[1][i] = cutoffDepth * cutoffLfo1 + cutoffFloor;
        modDelayMs[0][i] = 10.0f + 20.0f * modulationLfo0;
        modDelayMs[1][i] = 10.0f + 20.0f * modulationLfo1;
    }

    cutoffLfoValue[0] = cutoffLfo0;
    cutoffLfoValue[1] = cutoffLfo1;
    modulationLfoValue[0] = modulationLfo0;
    modulationLfoValue[1] = modulationLfo1;

    cutoffLfo.getUnchecked (0)->resume (cutoffOscillator0);
    cutoffLfo.getUnchecked (1)->resume (cutoffOscillator1);
    modulationLfo.getUnchecked (0)->resume (modulationOscillator0);
    modulationLfo.getUnchecked (1)->resume (modulationOscillator1);

    // The values the chain's own units take from them.
    for (int c = 0; c < numChannels; ++c)
    {
        auto& filter = *feedbackFilter.getUnchecked (c);
        auto& shortLine = *modDelay.getUnchecked (c);
        float lastMs = lastModDelayMs[c];

        // The stepped LFO repeats its value for many samples, and the smoothed floor
        // settles. Setting the cutoff the last call set changes nothing (only the
        // chunk's first call can pick up a new resonance), and neither does setting
        // the same time on a line without glide. Without glide, too, a sample's delay
        // is the one set for it.
        filter.setCutoff (cutoffHz[c][0]);
        float lastHz = cutoffHz[c][0];

        for (int i = 0; i < numAhead; ++i)
        {
            if (! (cutoffHz[c][i] == lastHz))
            {
                filter.setCutoff (cutoffHz[c][i]);
                lastHz = cutoffHz[c][i];
            }
            ahead.filterCoefficient[c][i] = filter.f;

            if (! (modDelayMs[c][i] == lastMs))
            {
                shortLine.setDelayMs (modDelayMs[c][i]);
                lastMs = modDelayMs[c][i];
            }
            ahead.modDelaySamples[c][i] = shortLine.currentDelay;
        }

        lastModDelayMs[c] = lastMs;
    }

    *cutoffFloorSmoother = floorRunning;
    *outputGainSmoother = gainRunning;
    *dryWetSmoother = dryWetRunning;
    smoothedCutoffFloor = floorRunning.state;
    smoothedOutputGain = gainRunning.state;
    smoothedDryWet = dryWetRunning.state;
}

// The linear gain of one pass round a channel's loop at DC: the main line's
// feedback times the cross-feed through the short line (with its own feedback)
// plus the part kept; the stutter and the filter's low-pass pass DC unchanged.
float ZentovaAudioProcessor::loopGainAtDc() const noexcept
{
    const float crossFeed = 0.9f * blockSettings.modulationAmount;
    return mainDelay[0]->feedbackGain * (crossFeed / (1.0f - modDelay[0]->feedbackGain) + 1.0f - crossFeed);
}

float ZentovaAudioProcessor::updateOutputGainTarget() noexcept
{
    // 10^(level / 20) only changes when the level does; caching it is exact.
    const float level = pluginParameters.getUnchecked (outLevelIndex)->realValue.load (std::memory_order_relaxed);
    if (! (level == lastOutLevel))
    {
        lastOutLevel = level;
        outputGainTarget = level <= -100.0f ? 0.0f : std::pow (10.0f, 0.05f * level);
    }

    return outputGainTarget;
}

void ZentovaAudioProcessor::pushScopeValue (float value) noexcept
{
    for (int k = scopeHistorySize - 1; k > 0; --k)
        scopeHistory[(size_t) k].store (scopeHistory[(size_t) k - 1].load (std::memory_order_relaxed), std::memory_order_relaxed);

    scopeHistory[0].store (value, std::memory_order_relaxed);
}

void ZentovaAudioProcessor::readTempo()
{
    currentBpm = 120.0f;

    if (auto* head = getPlayHead())
        if (const auto position = head->getPosition())
            if (const auto bpm = position->getBpm())
                if (*bpm > 0.0)
                    currentBpm = (float) *bpm;
}

ZentovaAudioProcessor::BlockSettings ZentovaAudioProcessor::readBlockSettings() const
{
    auto real = [this] (int index) { return pluginParameters.getUnchecked (index)->realValue.load (std::memory_order_relaxed); };
    auto norm = [this] (int index) { return pluginParameters.getUnchecked (index)->normalisedValue.load (std::memory_order_relaxed); };

    BlockSettings s;
    s.freeDelayMs = real (timeIndex);
    s.sync = truncated (real (syncIndex)) != 0;
    s.division = (float) truncated (real (divisionIndex));
    s.feedback = norm (feedbackIndex);
    s.pingOut = truncated (real (pingOutIndex)) != 0;
    s.cutoffDepth = norm (cutoffModDepthIndex);
    s.cutoffLfoRate = real (cutoffModRateIndex);
    s.resonance = 1.9f * norm (resonanceIndex);

    const int rateMode = truncated (real (rateModeIndex));
    s.modulationRate = real (modulationRateIndex) * (rateMode == 0 ? 1.0f : (rateMode == 1 ? 0.1f : 10.0f));

    s.modulationAmount = norm (modulationAmountIndex);
    s.separation = 1.0f + norm (stereoSeparationIndex);
    s.stutterProportion = norm (stutterProportionIndex);
    s.stutterSpeed = 4.0f * norm (stutterSpeedIndex);
    if (truncated (real (stutterReverseIndex)) != 0)
        s.stutterSpeed = -s.stutterSpeed;
    s.stutterMix = norm (stutterMixIndex);
    return s;
}

void ZentovaAudioProcessor::applyUnitSettings (const BlockSettings& s)
{
    const float delayMs = s.sync ? (60000.0f / currentBpm) * 4.0f / s.division : s.freeDelayMs;
    mainDelay[0]->setDelayMs (delayMs);
    const float left = mainDelay[0]->targetDelay;

    mainDelay[1]->setDelaySamples (left * s.separation);

    const float stutterLength = (0.5f + 0.5f * s.stutterProportion) * left;

    mainDelay[0]->setGlideSamples ((int) (2.0f * left));
    mainDelay[1]->setGlideSamples ((int) (2.0f * left * s.separation));

    stutterUnit[0]->setLoopLength ((int) stutterLength);
    stutterUnit[1]->setLoopLength ((int) (s.separation * stutterLength));

    const int repeats = (int) ((1.0f - s.stutterProportion) * 15.0f + 1.0f);

    for (int channel = 0; channel < numChannels; ++channel)
    {
        mainDelay[channel]->setFeedback (s.feedback);
        modDelay[channel]->setFeedback (0.1f * s.modulationAmount);
        cutoffLfo[channel]->setFrequency (s.cutoffLfoRate);
        modulationLfo[channel]->setFrequency (s.modulationRate);
        feedbackFilter[channel]->setResonance (s.resonance);
        stutterUnit[channel]->setRepeats (repeats);
        stutterUnit[channel]->setSpeed (s.stutterSpeed);
    }
}
