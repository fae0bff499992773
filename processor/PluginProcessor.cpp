#include "PluginProcessor.h"

#include "editor/PluginEditor.h"
#include "editor/PresetFile.h"
#include "lib/velmo_juce_numberText.h"
#include "lib/velmo_juce_safeText.h"
#include "processor/CrashLog.h"

#include <cmath>
#include <cstring>
#include <type_traits>

// The processor implements JUCE's index-based parameter interface, which JUCE
// marks deprecated; hosts, sessions and presets rely on its indices.
JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

const juce::String ZentovaAudioProcessor::versionNumber ("v 1.1");

namespace
{
    struct ParameterSpec
    {
        const char* name;
        float min, max, defaultValue;
        bool stepped;
        const char* unit;
        bool curved, curveSqrt;
    };

    // Index order is fixed: hosts, sessions, presets and MIDI learn address by it.
    const ParameterSpec parameterSpecs[ZentovaAudioProcessor::numParameters] =
    {
        { "Time",               5.0f,    1000.0f, 120.0f,  true,  "Ms", true,  false },
        { "Sync",               0.0f,    1.0f,    0.0f,    true,  "",   false, false },
        { "Division",           128.0f,  1.0f,    16.0f,   true,  " ",  true,  true  },
        { "Feedback",           0.0f,    100.0f,  40.0f,   false, "%",  false, false },
        { "Ping_Out",           0.0f,    1.0f,    1.0f,    true,  "",   false, false },
        { "Cutoff_Floor",       20.0f,   6000.0f, 600.0f,  false, "Hz", true,  false },
        { "Cutoff_Mod_Depth",   0.0f,    100.0f,  100.0f,  false, "%",  false, false },
        { "Cutoff_Mod_Rate",    0.001f,  20.0f,   1.0f,    false, "Hz", true,  false },
        { "Resonance",          0.0f,    100.0f,  50.0f,   false, "%",  false, false },
        { "Modulation_Rate",    0.001f,  600.0f,  1.0f,    false, "Hz", true,  false },
        { "Rate_Mode",          0.0f,    2.0f,    0.0f,    true,  "",   false, false },
        { "Modulation_Amount",  0.0f,    100.0f,  0.0f,    false, "%",  false, false },
        { "Stereo_Separation",  0.0f,    100.0f,  50.0f,   false, "%",  false, false },
        { "Stutter_Proportion", 0.0f,    100.0f,  50.0f,   false, "%",  false, false },
        { "Stutter_Speed",      0.0f,    400.0f,  100.0f,  false, "%",  false, false },
        { "Stutter_Reverse",    0.0f,    1.0f,    0.0f,    true,  "",   false, false },
        { "Stutter_Mix",        0.0f,    100.0f,  50.0f,   false, "%",  false, false },
        { "Dry_Wet",            0.0f,    100.0f,  50.0f,   false, "%",  false, false },
        { "Randomize",          0.0f,    1.0f,    0.0f,    true,  "",   false, false },
        { "Out_Level",          -70.0f,  6.0f,    0.0f,    false, "dB", true,  true  },
    };

    constexpr uint32_t stateMagicNumber = 0x21324356; // "VC2!" in little-endian bytes
    const char* const stateTag = "ZENTOVA_STATE";
    const juce::String ccSuffix ("CC");

    bool isSwitchIndex (int index) noexcept
    {
        return index == ZentovaAudioProcessor::syncIndex
            || index == ZentovaAudioProcessor::pingOutIndex
            || index == ZentovaAudioProcessor::stutterReverseIndex;
    }

    int truncated (float value) noexcept    { return (int) value; }

    // The entry of a list of size presets that a preset index asks for, -1 for none:
    // a program number beyond the list picks the last preset.
    int listEntryFor (int index, int size) noexcept
    {
        const int entry = index >= size ? size - 1 : index;
        return juce::isPositiveAndBelow (entry, size) ? entry : -1;
    }

    // What JUCE's PropertiesFile will read without tripping over its input: XML
    // that its parser reads safely, or its binary forms (plain or GZIP) whose key and value
    // texts are well-formed UTF-8.
    bool isReadablePropertiesFile (const juce::File& file)
    {
        constexpr juce::int64 largestSensibleFile = 1 << 20;
        juce::MemoryBlock content;

        if (file.getSize() > largestSensibleFile || ! file.loadFileAsData (content))
            return false;

        const auto* bytes = static_cast<const uint8_t*> (content.getData());
        const auto magic = content.getSize() >= 4 ? juce::ByteOrder::littleEndianInt (bytes) : 0u;

        if (magic == juce::ByteOrder::makeInt ('C', 'P', 'R', 'P'))
        {
            juce::MemoryInputStream compressed (bytes + 4, content.getSize() - 4, false);
            juce::GZIPDecompressorInputStream gzip (compressed);
            juce::MemoryBlock plain ("PROP", 4);
            {
                juce::MemoryOutputStream out (plain, true);
                out.writeFromInputStream (gzip, largestSensibleFile);
            }
            content = std::move (plain);
            bytes = static_cast<const uint8_t*> (content.getData());
        }
        else if (magic != juce::ByteOrder::makeInt ('P', 'R', 'O', 'P'))
        {
            return velmoLib::isSafeXmlText (static_cast<const char*> (content.getData()), content.getSize());
        }

        // Binary: a value count, then zero-terminated key and value texts.
        for (size_t start = juce::jmin ((size_t) 8, content.getSize()); start < content.getSize();)
        {
            const auto* zero = static_cast<const uint8_t*> (std::memchr (bytes + start, 0, content.getSize() - start));
            const size_t end = zero != nullptr ? (size_t) (zero - bytes) : content.getSize();

            if (! velmoLib::isValidUtf8 (bytes + start, end - start))
                return false;

            start = end + 1;
        }

        return true;
    }
}

//==============================================================================
// The one channel configuration, stereo in and out, active from the start so
// the processor also runs outside a wrapper.
ZentovaAudioProcessor::ZentovaAudioProcessor()
    : juce::AudioProcessor (BusesProperties().withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                             .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    presetManager.presetRootPath = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getFullPathName()
                                       + "/Library/Audio/Presets/Pendrawquiller";
    randomGenerator.setSeedRandomly();

   #if ! CORVANTEEL_NO_CRASH_HANDLER
    installCrashHandler();
   #endif

    createParameters();

    for (int i = 0; i < 3; ++i)
        parameterSmoothers.add (new ParameterSmoother());

    for (auto* state : channelStates())
        state->calloc (numChannels);

    createSignalUnits();

    presetManager.setPresetFolder ("Corvanteel", "tqz");
    presetManager.scanPresets();
    presetMenuNames.set (presetManager.presetNames.get());
    pendingPresetLoader = std::make_unique<PendingPresetLoader> (*this);

    readPreferences();

    for (auto& value : scopeHistory)
        value.store (0.0f, std::memory_order_relaxed);

    if (wrapperType == wrapperType_Standalone)
        standaloneTermination = std::make_unique<StandaloneTermination>();
}

ZentovaAudioProcessor::~ZentovaAudioProcessor()
{
    pendingPresetLoader.reset();   // stopped first: a load uses the parameters and strings below
    writePreferences();
}

void ZentovaAudioProcessor::createParameters()
{
    for (int i = 0; i < numParameters; ++i)
        pluginParameters.add (new velmoLib::PluginParameter());

    for (int i = 0; i < numParameters; ++i)
    {
        const auto& spec = parameterSpecs[i];
        pluginParameters[i]->init (spec.min, spec.max, spec.defaultValue, spec.stepped,
                                   spec.name, spec.unit, spec.curved, spec.curveSqrt);
    }
}

void ZentovaAudioProcessor::createSignalUnits()
{
    for (int channel = 0; channel < numChannels; ++channel)
    {
        auto* delay = mainDelay.add (new velmoLib::SyncDelayNoFeed());
        delay->setSampleRate (currentSampleRate);
        delay->setMaxLength (12.0f);
        delay->setGlideSamples ((int) (currentSampleRate * 0.25));

        auto* shortDelay = modDelay.add (new velmoLib::SyncDelayNoFeed());
        shortDelay->setSampleRate (currentSampleRate);
        shortDelay->setMaxLength (12.0f);
        shortDelay->setGlideSamples (0);
        shortDelay->setFeedback (0.0f);

        auto* filter = feedbackFilter.add (new velmoLib::Svf());
        filter->setSampleRate (currentSampleRate);
        filter->setOversampling (4);

        for (auto* lfos : { &cutoffLfo, &modulationLfo })
        {
            auto* lfo = lfos->add (new velmoLib::Lfo());
            lfo->setSampleRate (currentSampleRate);
            lfo->setShape (0);
        }

        stutterUnit.add (new velmoLib::Stutter())->setCapacity (delay->length);
    }
}

//==============================================================================
const juce::String ZentovaAudioProcessor::getName() const                        { return "Corvanteel"; }
const juce::String ZentovaAudioProcessor::getInputChannelName (int channelIndex) const  { return juce::String (channelIndex + 1); }
const juce::String ZentovaAudioProcessor::getOutputChannelName (int channelIndex) const { return juce::String (channelIndex + 1); }
bool ZentovaAudioProcessor::isInputChannelStereoPair (int) const                 { return true; }
bool ZentovaAudioProcessor::isOutputChannelStereoPair (int) const                { return true; }
bool ZentovaAudioProcessor::isBusesLayoutSupported (const BusesLayout& layout) const
{
    return layout.getMainInputChannelSet() == juce::AudioChannelSet::stereo()
        && layout.getMainOutputChannelSet() == juce::AudioChannelSet::stereo();
}

bool ZentovaAudioProcessor::silenceInProducesSilenceOut() const                  { return false; }
double ZentovaAudioProcessor::getTailLengthSeconds() const                       { return 0.0; }
bool ZentovaAudioProcessor::acceptsMidi() const                                  { return true; }
bool ZentovaAudioProcessor::producesMidi() const                                 { return false; }
bool ZentovaAudioProcessor::hasEditor() const                                    { return true; }

juce::AudioProcessorEditor* ZentovaAudioProcessor::createEditor()
{
    return new ZentovaAudioProcessorEditor (*this);
}

int ZentovaAudioProcessor::getNumPrograms()                                      { return 0; }
int ZentovaAudioProcessor::getCurrentProgram()                                   { return 0; }
void ZentovaAudioProcessor::setCurrentProgram (int)                              {}
const juce::String ZentovaAudioProcessor::getProgramName (int)                   { return {}; }
void ZentovaAudioProcessor::changeProgramName (int, const juce::String&)         {}

void ZentovaAudioProcessor::releaseResources() {}

//==============================================================================
int ZentovaAudioProcessor::getNumParameters()                  { return numParameters; }
const juce::String ZentovaAudioProcessor::getParameterName (int index) { return pluginParameters.getUnchecked (index)->paramName; }
float ZentovaAudioProcessor::getParameter (int index)          { return pluginParameters.getUnchecked (index)->normalisedValue.load (std::memory_order_relaxed); }

// LV2 turns parameter IDs into port symbols; digit-only IDs would all collapse
// into one symbol, so the names serve as IDs there. VST3 keeps the legacy
// numeric IDs (see the build definitions).
juce::String ZentovaAudioProcessor::getParameterID (int index)
{
    return juce::isPositiveAndBelow (index, (int) numParameters) ? pluginParameters.getUnchecked (index)->paramName
                                                                 : juce::String (index);
}

// Every wrapper asks this for a host's "reset" and its first display; JUCE's
// own answer would be 0, which mutes the output and turns the dry path off.
float ZentovaAudioProcessor::getParameterDefaultValue (int index)
{
    return juce::isPositiveAndBelow (index, (int) numParameters) ? pluginParameters.getUnchecked (index)->defaultNormalisedValue
                                                                 : 0.0f;
}

void ZentovaAudioProcessor::setParameter (int index, float value)
{
    // The comparison also rejects NaN.
    if (juce::isPositiveAndBelow (index, (int) numParameters) && value >= 0.0f && value <= 1.0f)
        pluginParameters.getUnchecked (index)->setNormalisedValue (value);
}

const juce::String ZentovaAudioProcessor::getParameterText (int index)
{
    const auto& parameter = *pluginParameters.getUnchecked (index);
    const float real = parameter.realValue.load (std::memory_order_relaxed);

    if (! parameter.isStepped)
        return velmoLib::formatTwoDecimals ((double) real) + " " + parameter.paramUnit;

    const int steps = truncated (real);

    if (isSwitchIndex (index))
        return steps == 1 ? "On" : "Off";

    if (index == rateModeIndex)
        return steps == 0 ? "Default" : (steps == 1 ? "/ 10" : "x 10");

    return juce::String (steps) + " " + parameter.paramUnit;
}

void ZentovaAudioProcessor::updateLastTouched (int index)
{
    // A controller touch published before this one is older: it must not
    // overwrite this one at the next refresh.
    lastTouchedByController.store (-1);
    lastTouchedParameterName.set (getParameterName (index));
    lastTouchedParameterText.set (getParameterText (index));
}

void ZentovaAudioProcessor::takeControllerTouch()
{
    const int index = lastTouchedByController.exchange (-1);

    if (juce::isPositiveAndBelow (index, (int) numParameters))
    {
        lastTouchedParameterName.set (getParameterName (index));
        lastTouchedParameterText.set (getParameterText (index));
    }
}

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
    }

    clearEchoLoop();
}

void ZentovaAudioProcessor::clearEchoLoop() noexcept
{
    for (int channel = 0; channel < numChannels; ++channel)
    {
        mainDelay[channel]->clearBuffer();
        modDelay[channel]->clearBuffer();
        feedbackFilter[channel]->clearState();
        stutterUnit[channel]->clearBuffer();
        lastModDelayMs[channel] = std::numeric_limits<float>::quiet_NaN();   // set the short lines' times afresh
    }

    // The samples carried from one sample to the next hold the old signal too;
    // left alone they would feed it back into the cleared loop.
    for (auto* state : channelStates())
        state->clear ((size_t) numChannels);
}

//==============================================================================
void ZentovaAudioProcessor::processBlock (juce::AudioSampleBuffer& buffer, juce::MidiBuffer& midiMessages)
{
    const juce::ScopedNoDenormals noDenormals;

    denormalOffset = -denormalOffset;

    applyPresetIndexRequest();
    applyClearRequest();
    applyRandomize();
    applyPanicRequest();
    readTempo();

    blockSettings = readBlockSettings();
    applyUnitSettings (blockSettings);

    const int numSamples = buffer.getNumSamples();
    const int numInputs = juce::jmin (getTotalNumInputChannels(), buffer.getNumChannels(), (int) numChannels);

    midiCursor = midiMessages.cbegin();
    lastOutLevel = std::numeric_limits<float>::quiet_NaN();

    if (numInputs == numChannels)
        processStereo (buffer, midiMessages, numSamples);
    else if (numInputs == 1)
        processMono (buffer, midiMessages, numSamples);

    for (int channel = getTotalNumInputChannels(); channel < getTotalNumOutputChannels(); ++channel)
        if (channel < buffer.getNumChannels())
            buffer.clear (channel, 0, numSamples);

    // Whatever is left in the buffer goes out to the host (LV2 writes it to its
    // output port); the plug-in produces no MIDI, so nothing is left.
    midiMessages.clear();
}

void ZentovaAudioProcessor::processStereo (juce::AudioSampleBuffer& buffer, const juce::MidiBuffer& midi, int numSamples)
{
    // The main lines' delays are set for the block; reading ahead is exact unless
    // one of them is a few samples short.
    const bool readAhead = ! plainChainOrder
                           && mainDelay.getUnchecked (0)->readsClearOfWrites()
                           && mainDelay.getUnchecked (1)->readsClearOfWrites();

    // The SSE2 lanes take one pass count for both filters.
    const bool portableFilters = portableFilterPair
                                 || ! velmoLib::Svf::canRunAsVector (*feedbackFilter.getUnchecked (0),
                                                                     *feedbackFilter.getUnchecked (1));

    if (readAhead)
    {
        if (portableFilters)
            runStereoChain<true, true> (buffer, midi, numSamples);
        else
            runStereoChain<false, true> (buffer, midi, numSamples);
    }
    else
    {
        if (portableFilters)
            runStereoChain<true, false> (buffer, midi, numSamples);
        else
            runStereoChain<false, false> (buffer, midi, numSamples);
    }
}

// The block runs in chunks of at most aheadLength samples, cut at MIDI events, the
// only thing within the block that moves the smoothers' targets (automation from
// another thread mid-block is taken at the next chunk, as if it came a little
// later). For each chunk, what does not depend on
// the echo chain is worked out first (computeAhead); then the chain runs with the
// units' running values and the carried samples in locals.
//
// Channel 1's filter only feeds channel 0's cross-feed of the next sample, and
// channel 0's filter never waits on it, so channel 1's filter of sample i runs
// side by side with channel 0's filter of sample i + 1, across chunks too.
//
// The filters are one long chain of divisions and square roots. With readAhead,
// the work that does not wait for them is placed right after them, so the
// processor runs it in their shadow: channel 1's main-line read and stutter of
// this sample and channel 0's of the next; each line's write of that sample
// follows once the cross-feed is known. A read before its own sample's write is
// exact while the delay keeps it clear of that slot (readsClearOfWrites).
//
// Either way, every value is computed from the same inputs as in the plain order
// (channel 0 then 1, step by step).
template <bool portableFilters, bool readAhead>
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
    using FilterPair = std::conditional_t<portableFilters, velmoLib::Svf::PortablePair, velmoLib::Svf::FastPair>;

    float input0 = channelInput[0], input1 = channelInput[1];
    float output0 = channelOutput[0], output1 = channelOutput[1];
    float wet0 = wetSum[0], wet1 = wetSum[1];
    float loop0 = loopSample[0], loop1 = loopSample[1];
    float feedback0 = feedbackInput[0], feedback1 = feedbackInput[1];
    float modulated0 = modDelayOutput[0], modulated1 = modDelayOutput[1];

    // Channel 0's main-line output and filter input of the coming sample, once read ahead.
    bool channel0Ready = false;
    float delayed0 = 0.0f, filterInput0 = 0.0f;

    // Channel 1's filter input and coefficient, waiting for the next sample's pair.
    bool filter1Waiting = false;
    float filter1Input = 0.0f;
    double filter1Coefficient = 0.0;

    AheadValues ahead;

    // What the stutter makes of a main-line sample: the filter's input.
    const auto loopInput = [stutterMix, delayMix] (auto& stutter, float delayed)
    {
        const float stuttered = stutter.process (delayed);
        return stutterMix * stuttered + delayMix * delayed;
    };

    for (int start = 0; start < numSamples;)
    {
        // Events before start are skipped and those at start handled, so the next
        // one, if any, lies beyond start.
        handleMidiAt (midi, start);

        int end = juce::jmin (numSamples, start + aheadLength);
        if (midiCursor != midi.cend())
            end = juce::jmin (end, (*midiCursor).samplePosition);

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
            const float dryWet = ahead.dryWet[j];
            const float gain = ahead.outputGain[j];

            // Channel 0 up to its filter, unless read ahead at the last sample.
            if (! channel0Ready)
            {
                input0 = left[i] + offset;
                delayed0 = main0.process (input0, feedback0);
                filterInput0 = loopInput (stutter0, delayed0);
            }

            // Channel 0's filter of this sample, with channel 1's of the last one.
            if (filter1Waiting)
            {
                filters.process (filterInput0, ahead.filterCoefficient[0][j], filter1Input, filter1Coefficient);
            }
            else
            {
                // The block's first sample: channel 0's filter alone, on the object.
                filters.put (filter0, filter1);
                const double chunkCoefficient = filter0.f;
                filter0.f = ahead.filterCoefficient[0][j];
                filter0.process (&filterInput0);
                filter0.f = chunkCoefficient;
                filters = FilterPair::take (filter0, filter1);
            }

            // In the filters' shadow: the main-line reads and stutters that do not wait for them.
            std::int32_t slot1 = 0, nextSlot0 = 0;
            float delayed1 = 0.0f, nextDelayed0 = 0.0f, nextFilterInput0 = 0.0f;
            const bool readNext0 = readAhead && i + 1 < numSamples;

            if constexpr (readAhead)
            {
                delayed1 = main1.readAhead (slot1);
                filter1Input = loopInput (stutter1, delayed1);

                if (readNext0)
                {
                    nextDelayed0 = main0.readAhead (nextSlot0);
                    nextFilterInput0 = loopInput (stutter0, nextDelayed0);
                }
            }

            if (filter1Waiting)
                loop1 = (float) filters.secondLow();
            loop0 = (float) filters.firstLow();

            // Channel 0's short line carries channel 1's loop (the cross-feed).
            short0.currentDelay = ahead.modDelaySamples[0][j];
            modulated0 = short0.process (loop1, modulated0);
            feedback1 = crossFeed * modulated0 + loopKeep * loop1;

            wet0 = 0.0f;
            if (pingOut)
                wet0 += delayed0;
            wet0 += crossFeed * modulated0;

            // Clip before the gain: above 0 dB the output may exceed full scale.
            output0 = juce::jlimit (-1.0f, 1.0f, dryWet * wet0 + (1.0f - dryWet) * input0) * gain;
            left[i] = output0;

            // Channel 1; its filter waits for the next sample's pair.
            input1 = right[i] + offset;

            if constexpr (readAhead)
            {
                main1.write (slot1, input1, feedback1);
            }
            else
            {
                delayed1 = main1.process (input1, feedback1);
                filter1Input = loopInput (stutter1, delayed1);
            }

            filter1Coefficient = ahead.filterCoefficient[1][j];
            filter1Waiting = true;

            short1.currentDelay = ahead.modDelaySamples[1][j];
            modulated1 = short1.process (loop0, modulated1);
            feedback0 = crossFeed * modulated1 + loopKeep * loop0;

            wet1 = 0.0f;
            if (pingOut)
                wet1 += delayed1;
            wet1 += crossFeed * modulated1;

            output1 = juce::jlimit (-1.0f, 1.0f, dryWet * wet1 + (1.0f - dryWet) * input1) * gain;
            right[i] = output1;

            // Channel 0's write of the next sample, now that its feedback is known.
            if (readNext0)
            {
                input0 = left[i + 1] + offset;
                main0.write (nextSlot0, input0, feedback0);
                delayed0 = nextDelayed0;
                filterInput0 = nextFilterInput0;
            }

            channel0Ready = readNext0;
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

    // The filters' coefficients are those of their last cutoffs (computeAhead), so
    // channel 1's waiting filter has its own.
    if (filter1Waiting)
    {
        filter1.process (&filter1Input);
        loop1 = (float) filter1.low;
    }

    channelInput[0] = input0;
    channelInput[1] = input1;
    channelOutput[0] = output0;
    channelOutput[1] = output1;
    wetSum[0] = wet0;
    wetSum[1] = wet1;
    loopSample[0] = loop0;
    loopSample[1] = loop1;
    feedbackInput[0] = feedback0;
    feedbackInput[1] = feedback1;
    modDelayOutput[0] = modulated0;
    modDelayOutput[1] = modulated1;
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

    auto floorSmoother = *parameterSmoothers.getUnchecked (0);
    auto gainSmoother = *parameterSmoothers.getUnchecked (1);
    auto dryWetSmoother = *parameterSmoothers.getUnchecked (2);

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
        const float cutoffFloor = floorSmoother.process (floorTarget);
        ahead.dryWet[i] = dryWetSmoother.process (dryWetTarget);
        ahead.outputGain[i] = gainSmoother.process (gainTarget);

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

    *parameterSmoothers.getUnchecked (0) = floorSmoother;
    *parameterSmoothers.getUnchecked (1) = gainSmoother;
    *parameterSmoothers.getUnchecked (2) = dryWetSmoother;
    smoothedCutoffFloor = floorSmoother.state;
    smoothedOutputGain = gainSmoother.state;
    smoothedDryWet = dryWetSmoother.state;
}

void ZentovaAudioProcessor::processMono (juce::AudioSampleBuffer& buffer, const juce::MidiBuffer& midi, int numSamples)
{
    for (int i = 0; i < numSamples; ++i)
    {
        runLoopFront (0, buffer.getSample (0, i), midi, i);
        feedbackFilter.getUnchecked (0)->process (&loopSample[0]);
        loopSample[0] = (float) feedbackFilter.getUnchecked (0)->low;
        buffer.setSample (0, i, runLoopBack (0));
        advanceScope (buffer.getSample (0, i), buffer.getNumChannels() > 1 ? buffer.getSample (1, i) : 0.0f);
    }
}

void ZentovaAudioProcessor::runLoopFront (int c, float input, const juce::MidiBuffer& midi, int samplePosition)
{
    channelInput[c] = input + denormalOffset;

    if (c == 0)
    {
        handleMidiAt (midi, samplePosition);
        stepSmoothers();
    }

    cutoffLfoValue[c] = 0.5f * cutoffLfo.getUnchecked (c)->getSample (false) + 0.5f;
    modulationLfoValue[c] = 0.5f * modulationLfo.getUnchecked (c)->getSample (false) + 0.5f;

    feedbackFilter.getUnchecked (c)->setCutoff (blockSettings.cutoffDepth * 3000.0f * cutoffLfoValue[c] + smoothedCutoffFloor);
    // The stepped LFO repeats its value for many samples; setting the same time on
    // a line without glide again would change nothing.
    const float modDelayMs = 10.0f + 20.0f * modulationLfoValue[c];
    if (! (modDelayMs == lastModDelayMs[c]))
    {
        modDelay.getUnchecked (c)->setDelayMs (modDelayMs);
        lastModDelayMs[c] = modDelayMs;
    }

    wetSum[c] = 0.0f;

    const float delayed = mainDelay.getUnchecked (c)->process (&channelInput[c], feedbackInput[c]);
    loopSample[c] = delayed;
    if (blockSettings.pingOut)
        wetSum[c] += delayed;

    const float stuttered = stutterUnit.getUnchecked (c)->process (&loopSample[c]);
    loopSample[c] = blockSettings.stutterMix * stuttered + (1.0f - blockSettings.stutterMix) * delayed;
}

float ZentovaAudioProcessor::runLoopBack (int c)
{
    const int o = 1 - c;
    const float a = 0.9f * blockSettings.modulationAmount;

    // The cross-feed: this channel's short line carries the other channel's loop.
    const float modulated = modDelay.getUnchecked (c)->process (&loopSample[o], modDelayOutput[c]);
    modDelayOutput[c] = modulated;
    feedbackInput[o] = a * modulated + (1.0f - a) * loopSample[o];
    wetSum[c] += a * modulated;

    // Clip before the gain: above 0 dB the output may exceed full scale.
    const float mixed = smoothedDryWet * wetSum[c] + (1.0f - smoothedDryWet) * channelInput[c];
    channelOutput[c] = juce::jlimit (-1.0f, 1.0f, mixed) * smoothedOutputGain;
    return channelOutput[c];
}

void ZentovaAudioProcessor::handleMidiAt (const juce::MidiBuffer& midi, int samplePosition)
{
    const auto end = midi.cend();

    // Events are sorted by position; those before the block or beyond it are skipped.
    while (midiCursor != end && (*midiCursor).samplePosition < samplePosition)
        ++midiCursor;

    for (; midiCursor != end && (*midiCursor).samplePosition == samplePosition; ++midiCursor)
    {
        const auto event = *midiCursor;
        handleMidiMessage (event.data, event.numBytes);
    }
}

void ZentovaAudioProcessor::stepSmoothers()
{
    smoothedCutoffFloor = parameterSmoothers.getUnchecked (0)->process (pluginParameters.getUnchecked (cutoffFloorIndex)->realValue.load (std::memory_order_relaxed));
    smoothedDryWet = parameterSmoothers.getUnchecked (2)->process (pluginParameters.getUnchecked (dryWetIndex)->normalisedValue.load (std::memory_order_relaxed));

    smoothedOutputGain = parameterSmoothers.getUnchecked (1)->process (updateOutputGainTarget());
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

//==============================================================================
void ZentovaAudioProcessor::applyPresetIndexRequest()
{
    // The flag is taken first: a request raised while this one is served (a program
    // change, the preset box) then waits for the next block instead of being lost.
    if (! presetIndexPending.exchange (false))
        return;

    const int entry = presetListEntryFor (currentPresetIndex.load());
    if (entry < 0)
        return;

    // Only the entry crosses over: building its path would allocate, and replacing
    // pendingPresetPath could free the old one here. The entry before the flag, as
    // the reader takes the flag first.
    pendingPresetListIndex.store (entry);
    presetFilePending.store (true);
}

int ZentovaAudioProcessor::presetListEntryFor (int index) const
{
    return presetManager.presetNames.read ([index] (const juce::StringArray& names)
    {
        return listEntryFor (index, names.size());
    });
}

juce::String ZentovaAudioProcessor::presetPathForIndex (int index) const
{
    return presetManager.presetPaths.read ([index] (const juce::StringArray& paths)
    {
        const int entry = listEntryFor (index, paths.size());
        return entry >= 0 ? paths.getReference (entry) : juce::String();
    });
}

void ZentovaAudioProcessor::loadPresetFromFile (juce::String path)
{
    pendingPresetPath.set (std::move (path));
    pendingPresetListIndex.store (-1);
    presetFilePending.store (true);
}

juce::String ZentovaAudioProcessor::pendingPresetFilePath() const
{
    const int entry = pendingPresetListIndex.load();
    return entry >= 0 ? presetPathForIndex (entry) : pendingPresetPath.get();
}

bool ZentovaAudioProcessor::loadPendingPresetFile()
{
    // Lowered before the path is read: a request that arrives during the load
    // raises the flag again and is served next time instead of being lost.
    if (! presetFilePending.exchange (false))
        return false;

    const auto path = pendingPresetFilePath();
    return juce::File::isAbsolutePath (path) && PresetFile::read (juce::File (path), *this);
}

void ZentovaAudioProcessor::rescanPresets()
{
    presetManager.rescanPresets();
    presetMenuNames.set (presetManager.presetNames.get());
    presetListChanged.store (true);
}

//==============================================================================
// Without an editor nothing would load a program change's preset: on stage the
// window is usually closed. This polls at the editor's refresh rate while none
// is open; with one open, the editor's refresh does the load.
class ZentovaAudioProcessor::PendingPresetLoader : private juce::Timer,
                                                   private juce::AsyncUpdater
{
public:
    explicit PendingPresetLoader (ZentovaAudioProcessor& owner) : processor (owner)
    {
        // Some hosts build the processor off the message thread; the timer is
        // then started from there.
        if (juce::MessageManager::existsAndIsCurrentThread())
            resume();
        else if (juce::MessageManager::getInstanceWithoutCreating() != nullptr)
            triggerAsyncUpdate();
    }

    ~PendingPresetLoader() override
    {
        // A host may destroy the processor on another thread while a load runs on
        // the message thread: wait for that load to end, and let none start after.
        {
            const juce::ScopedLock lock (loading);
            stopping = true;
        }

        pause();
    }

    void resume()   { startTimer (ZentovaAudioProcessorEditor::refreshIntervalMs); }

    void pause()
    {
        cancelPendingUpdate();
        stopTimer();
    }

private:
    void handleAsyncUpdate() override
    {
        if (processor.openEditors == 0)
            resume();
    }

    void timerCallback() override
    {
        const juce::ScopedLock lock (loading);

        if (! stopping)
            processor.loadPendingPresetFile();
    }

    ZentovaAudioProcessor& processor;
    juce::CriticalSection loading;
    bool stopping = false;

    JUCE_DECLARE_NON_COPYABLE (PendingPresetLoader)
};

void ZentovaAudioProcessor::editorOpened()
{
    if (openEditors++ == 0)
        pendingPresetLoader->pause();
}

void ZentovaAudioProcessor::editorClosed()
{
    if (--openEditors == 0)
        pendingPresetLoader->resume();
}

void ZentovaAudioProcessor::applyClearRequest()
{
    if (! clearMidiRequested.exchange (false))
        return;

    for (auto* parameter : pluginParameters)
        parameter->midiCC.store (-1);
}

void ZentovaAudioProcessor::applyRandomize()
{
    randomizeActive = truncated (pluginParameters.getUnchecked (randomizeIndex)->realValue.load()) != 0;

    if (! randomizeActive)
        return;

    for (int index = 0; index < numParameters; ++index)
    {
        if (index == dryWetIndex || index == outLevelIndex)
            continue;

        const float r = randomGenerator.nextFloat();
        float value = r;

        if (isSwitchIndex (index))
            value = r > 0.5f ? 1.0f : 0.0f;
        else if (index == feedbackIndex)
            value = 0.9f * r;
        else if (index == rateModeIndex)
            value = r > 0.75f ? 1.0f : r;
        else if (index == modulationAmountIndex)
            value = 0.6f * r;

        setParameterNotifyingHost (index, value);
    }

    setParameterNotifyingHost (randomizeIndex, 0.0f);
    randomizeActive = false;
}

void ZentovaAudioProcessor::applyPanicRequest()
{
    if (! panicRequested.exchange (false))
        return;

    setParameterNotifyingHost (feedbackIndex, 0.0f);
    setParameterNotifyingHost (modulationAmountIndex, 0.0f);

    // Everything that holds the echo goes, so the next output is the dry signal
    // only, even from a loop that was ringing at full scale.
    clearEchoLoop();
}

//==============================================================================
// Read from the raw bytes: building a juce::MidiMessage would allocate for
// long messages such as SysEx on the render thread.
void ZentovaAudioProcessor::handleMidiMessage (const juce::uint8* data, int numBytes)
{
    if (numBytes < 2)
        return;

    const int kind = data[0] & 0xf0;   // the channel in the low four bits is ignored

    if (kind == 0xc0)
    {
        currentPresetIndex.store (data[1] & 0x7f);
        presetIndexPending.store (true);
    }
    else if (kind == 0xb0 && numBytes >= 3)
    {
        handleControllerChange (data[1] & 0x7f, data[2] & 0x7f);
    }
}

void ZentovaAudioProcessor::handleControllerChange (int controllerNumber, int value)
{
    if (controllerNumber == 123)
        return;

    const bool learning = midiLearnActive.load();

    for (int index = 0; index < numParameters; ++index)
    {
        auto& parameter = *pluginParameters.getUnchecked (index);

        // Learn before control, so the binding message also sets the value.
        if (learning && parameter.learnArmed.load())
        {
            parameter.midiCC.store (controllerNumber);
            parameter.learnArmed.store (false);
        }

        if (controllerNumber == parameter.midiCC.load())
        {
            setParameterNotifyingHost (index, (float) value / 127.0f);

            // The texts are built on the message thread (takeControllerTouch):
            // building them here would allocate on the render thread.
            if (index != randomizeIndex)
                lastTouchedByController.store (index);
        }
    }
}

//==============================================================================
juce::String ZentovaAudioProcessor::formatStateXml() const
{
    juce::XmlElement state (stateTag);
    state.setAttribute ("PresetName", currentPresetName.get());

    for (int index = 0; index < numParameters; ++index)
    {
        const auto& parameter = *pluginParameters.getUnchecked (index);
        state.setAttribute (parameter.paramName, velmoLib::formatStoredValue (parameter.normalisedValue.load()));
        state.setAttribute (parameter.paramName + ccSuffix, parameter.midiCC.load());
    }

    return state.toString (juce::XmlElement::TextFormat().singleLine().withoutHeader());
}

void ZentovaAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    // JUCE's copyXmlToBinary would add an XML declaration; the stored layout has
    // none, so the same wrapper is written here by hand.
    const auto text = formatStateXml();
    {
        juce::MemoryOutputStream out (destData, false);
        out.writeInt ((int) stateMagicNumber);
        out.writeInt (0);
        out.write (text.toRawUTF8(), text.getNumBytesAsUTF8());
        out.writeByte (0);
    }

    const auto length = juce::ByteOrder::swapIfBigEndian ((uint32_t) destData.getSize() - 9);
    destData.copyFrom (&length, 4, 4);
}

void ZentovaAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    // JUCE's getXmlFromBinary layout, read here with the text checked before it
    // is parsed: hosts hand over whatever bytes their session file holds.
    if (data == nullptr || sizeInBytes < 9)
        return;

    const auto* bytes = static_cast<const uint8_t*> (data);
    if (juce::ByteOrder::littleEndianInt (bytes) != stateMagicNumber)
        return;

    const auto length = (int32_t) juce::ByteOrder::littleEndianInt (bytes + 4);
    if (length <= 0)
        return;

    const auto xml = velmoLib::parseXmlText (bytes + 8, (size_t) juce::jmin (sizeInBytes - 8, (int) length));

    if (xml == nullptr || ! xml->getTagName().equalsIgnoreCase (stateTag))
        return;

    for (int index = 0; index < numParameters; ++index)
    {
        auto& parameter = *pluginParameters.getUnchecked (index);
        const auto name = getParameterName (index);

        const float value = xml->hasAttribute (name) ? (float) velmoLib::readStoredDecimal (xml->getStringAttribute (name))
                                                     : parameter.defaultNormalisedValue;
        setParameterNotifyingHost (index, value);

        const auto ccName = parameter.paramName + ccSuffix;
        parameter.midiCC.store (xml->hasAttribute (ccName) ? velmoLib::readStoredInteger (xml->getStringAttribute (ccName)) : -1);
    }

    currentPresetName.set (xml->hasAttribute ("PresetName") ? xml->getStringAttribute ("PresetName")
                                                            : juce::String (" "));
}

//==============================================================================
juce::PropertiesFile::Options ZentovaAudioProcessor::preferencesOptions()
{
    juce::PropertiesFile::Options options;
    options.applicationName = "Corvanteel";
    options.folderName = "Pendrawquiller";
    options.osxLibrarySubFolder = "Application Support";
    options.filenameSuffix = ".prefs";
    options.commonToAllUsers = false;
    options.ignoreCaseOfKeyNames = false;
    options.doNotSave = false;
    options.millisecondsBeforeSaving = 3000;
    options.storageFormat = juce::PropertiesFile::storeAsXML;
    return options;
}

void ZentovaAudioProcessor::readPreferences()
{
    // The macOS location, under the home folder on every platform, so one user's
    // bindings live in one known place.
    const auto file = juce::File::getSpecialLocation (juce::File::userHomeDirectory)
                          .getChildFile ("Library/Application Support/Pendrawquiller/Corvanteel.prefs");

    // A damaged file would be rewritten whole by the destructor anyway; removing
    // it first keeps JUCE's reader away from text it cannot read safely.
    if (file.existsAsFile() && ! isReadablePropertiesFile (file))
        file.deleteFile();
    preferencesFile = std::make_unique<juce::PropertiesFile> (file, preferencesOptions());

    // As PropertiesFile::getIntValue (key, -1), through our own integer reader.
    for (auto* parameter : pluginParameters)
    {
        const auto key = parameter->paramName + ccSuffix;
        parameter->midiCC.store (preferencesFile->containsKey (key) ? velmoLib::readStoredInteger (preferencesFile->getValue (key)) : -1);
    }
}

void ZentovaAudioProcessor::writePreferences()
{
    if (preferencesFile == nullptr)
        return;

    for (auto* parameter : pluginParameters)
        preferencesFile->setValue (parameter->paramName + ccSuffix, parameter->midiCC.load());

    preferencesFile->saveIfNeeded();
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new ZentovaAudioProcessor();
}
