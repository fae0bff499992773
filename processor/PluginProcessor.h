#pragma once

#include "lib/velmo_juce_lfo.h"
#include "lib/velmo_juce_parameters.h"
#include "lib/velmo_juce_presetManager.h"
#include "lib/velmo_juce_sharedValue.h"
#include "lib/velmo_juce_stutter.h"
#include "lib/velmo_juce_svf.h"
#include "lib/velmo_juce_syncDelayNoFeed.h"
#include "processor/ParameterSmoother.h"
#include "processor/StandaloneTermination.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_data_structures/juce_data_structures.h>

#include <array>
#include <atomic>

/** The plug-in's audio processor: the 20 parameters and the host parameter
    interface, the echo chain, MIDI control and learn, the host state, preset
    requests, the preferences file and the crash log.

    It uses JUCE's index-based parameter interface, which hosts and stored
    sessions address by index; its deprecation warnings are silenced only where
    it is used.

    The definitions are split by concern: PluginProcessor.cpp (construction, host
    answers, parameters), PluginProcessorChain.cpp (the signal chain),
    PluginProcessorControl.cpp (MIDI and the other requests),
    PluginProcessorState.cpp (host state and preferences) and the nested
    PendingPresetLoader's own pair.
*/
class ZentovaAudioProcessor : public juce::AudioProcessor
{
public:
    /** Parameter indices, fixed: hosts, sessions, presets and MIDI learn use them. */
    enum ParameterIndex
    {
        timeIndex = 0, syncIndex, divisionIndex, feedbackIndex, pingOutIndex,
        cutoffFloorIndex, cutoffModDepthIndex, cutoffModRateIndex, resonanceIndex,
        modulationRateIndex, rateModeIndex, modulationAmountIndex, stereoSeparationIndex,
        stutterProportionIndex, stutterSpeedIndex, stutterReverseIndex, stutterMixIndex,
        dryWetIndex, randomizeIndex, outLevelIndex,
        numParameters
    };

    static constexpr int numChannels = 2;
    static constexpr int scopeHistorySize = 128;

    ZentovaAudioProcessor();
    ~ZentovaAudioProcessor() override;

    static const juce::String versionNumber;

    //==============================================================================
    const juce::String getName() const override;
    void prepareToPlay (double sampleRate, int estimatedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioSampleBuffer&, juce::MidiBuffer&) override;
    using juce::AudioProcessor::processBlock;

    const juce::String getInputChannelName (int channelIndex) const override;
    const juce::String getOutputChannelName (int channelIndex) const override;
    bool isInputChannelStereoPair (int index) const override;
    bool isOutputChannelStereoPair (int index) const override;
    bool isBusesLayoutSupported (const BusesLayout&) const override;
    bool silenceInProducesSilenceOut() const override;
    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    int getNumParameters() override;
    const juce::String getParameterName (int index) override;
    float getParameter (int index) override;
    const juce::String getParameterText (int index) override;
    void setParameter (int index, float value) override;
    float getParameterDefaultValue (int index) override;
    juce::String getParameterID (int index) override;
    using juce::AudioProcessor::getParameterName;
    using juce::AudioProcessor::getParameterText;
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    /** Asks for the preset file at path to be loaded (message thread): by the
        editor's next refresh, or without an editor by the processor's own loader. */
    void loadPresetFromFile (juce::String path);

    /** Asks for the listed preset at index in presetNames (an index beyond the list
        names the last one) to be loaded; the next block serves it. Any thread: the
        preset box asks on the message thread, a MIDI program change on the render
        thread. Never allocates. */
    void requestPresetIndex (int index) noexcept;

    /** The MIDI section's modes (message thread). While learn is on, a parameter
        the editor touches is armed to take the next controller; while unlearn is
        on, it loses its controller. */
    void setMidiLearn (bool active) noexcept;
    void setMidiUnlearn (bool active) noexcept;

    /** Applies the learn and unlearn modes to a parameter the editor touched
        (message thread): learn arms it first, then unlearn unbinds it, so with
        both modes on it ends up armed and without a controller. */
    void applyLearnModes (int index) noexcept;

    /** Asks for every controller binding to be removed; the next block serves it. */
    void requestClearMidi() noexcept;

    /** Lists the preset folder again and hands the names to the preset box. */
    void rescanPresets();

    /** The path of the listed preset file at index in presetNames (an index beyond
        the list names the last one), or empty. Message thread. */
    juce::String presetPathForIndex (int index) const;

    /** The full path of the file the pending request names, or empty. Message thread. */
    juce::String pendingPresetFilePath() const;

    /** Loads and applies the pending preset file, if any, and lowers the request
        whatever the outcome. Message thread: the editor's refresh calls it, and
        the processor itself while no editor is open. Returns whether a file was applied. */
    bool loadPendingPresetFile();

    /** Told by each editor as it opens and closes (message thread): while one is
        open its refresh loads pending preset files, otherwise the processor does. */
    void editorOpened();
    void editorClosed();

    /** Copies the parameter's name and display text into the last-touched strings. */
    void updateLastTouched (int index);

    /** Message thread: turns the parameter a MIDI controller changed last, if any
        since the last call, into the last-touched strings. */
    void takeControllerTouch();

    /** Whether PANIC's clear of the echo loop is still under way (render thread):
        until it ends, the blocks play the dry signal only. */
    bool isClearingEchoLoop() const noexcept     { return echoClearPosition != noEchoClear; }

    /** The normalised value the host state and preset files store for a parameter.
        Randomize is a momentary press that only the next block serves: a press still
        pending when the state is saved must not randomize every later restore. */
    float storedParameterValue (int index) const noexcept;

    /** The options of the preferences file; its location is given explicitly. */
    static juce::PropertiesFile::Options preferencesOptions();

    //==============================================================================
    juce::OwnedArray<velmoLib::PluginParameter> pluginParameters;
    double currentSampleRate = 44100.0;
    float currentBpm = 120.0f;
    float denormalOffset = 1.0e-25f;

    juce::OwnedArray<velmoLib::Svf> feedbackFilter;
    juce::OwnedArray<velmoLib::Lfo> cutoffLfo;
    juce::OwnedArray<velmoLib::Lfo> modulationLfo;
    juce::OwnedArray<velmoLib::SyncDelayNoFeed> mainDelay;
    juce::OwnedArray<velmoLib::SyncDelayNoFeed> modDelay;
    juce::OwnedArray<velmoLib::Stutter> stutterUnit;

    // Per-channel sample state, index = channel; carried across samples and blocks.
    juce::HeapBlock<float> channelInput, channelOutput, cutoffLfoValue, modulationLfoValue,
                           feedbackInput, loopSample, modDelayOutput, wetSum;

    // The slow mean of what re-enters each main line, and the coefficient that
    // follows it (a one-pole at dcBlockHz): the chain's DC block takes it out while
    // the loop's gain at DC is unity or more.
    juce::HeapBlock<float> feedbackDcLevel;
    static constexpr double dcBlockHz = 3.0;
    static float dcCoefficientFor (double sampleRate) noexcept
    {
        return (float) (1.0 - std::exp (-2.0 * juce::MathConstants<double>::pi * dcBlockHz / sampleRate));
    }
    float feedbackDcCoefficient = dcCoefficientFor (44100.0);

    float smoothedCutoffFloor = 0.0f;
    float smoothedDryWet = 0.0f;

    velmoLib::SharedValue<juce::String> lastTouchedParameterName { versionNumber };
    velmoLib::SharedValue<juce::String> lastTouchedParameterText;
    std::atomic<int> lastTouchedByController { -1 };   // set by the render thread, -1 for none

    velmoLib::PresetManager presetManager;
    velmoLib::SharedValue<juce::StringArray> presetMenuNames;
    velmoLib::SharedValue<juce::String> currentPresetName { juce::String ("Init") };
    std::atomic<bool> presetListChanged { true };

    // Counts the rescans of the preset list. Every open editor keeps the count it
    // last showed, so each one notices every change, not only the first to refresh.
    std::atomic<int> presetListGeneration { 0 };
    std::atomic<bool> presetFilePending { false };
    velmoLib::SharedValue<juce::String> pendingPresetPath;
    std::atomic<bool> midiLearnActive { false };
    std::atomic<bool> midiUnlearnActive { false };
    std::atomic<bool> clearMidiRequested { false };
    std::atomic<bool> presetIndexPending { false };
    std::atomic<int> currentPresetIndex { -1 };

    // The listed preset a pending file request names (its entry in presetNames),
    // or -1 when the request is the file at pendingPresetPath. The render thread
    // serves an index by storing the entry only; the path is looked up on the
    // message thread, so a block never builds or releases a string.
    std::atomic<int> pendingPresetListIndex { -1 };
    bool randomizeActive = false;
    juce::Random randomGenerator;
    std::atomic<bool> panicRequested { false };
    std::unique_ptr<juce::PropertiesFile> preferencesFile;
    float smoothedOutputGain = 0.0f;
    juce::OwnedArray<ParameterSmoother> parameterSmoothers;

    // The three smoothers by what they smooth; parameterSmoothers owns them.
    ParameterSmoother* cutoffFloorSmoother = nullptr;
    ParameterSmoother* outputGainSmoother = nullptr;
    ParameterSmoother* dryWetSmoother = nullptr;

    // Newest first; written by the render thread, drawn by the editor.
    std::array<std::atomic<float>, scopeHistorySize> scopeHistory;
    int scopeSampleCounter = 0;

    // Runs the two filters through the portable pair instead of the SSE2 one, so a
    // test can check that both give the same bits. Read once per block.
    bool portableFilterPair = false;

private:
    struct BlockSettings
    {
        float freeDelayMs = 0.0f;
        bool sync = false;
        float division = 1.0f;
        float feedback = 0.0f;
        bool pingOut = false;
        float cutoffDepth = 0.0f;
        float cutoffLfoRate = 0.0f;
        float resonance = 0.0f;
        float modulationRate = 0.0f;
        float modulationAmount = 0.0f;
        float separation = 1.0f;
        float stutterProportion = 0.0f;
        float stutterSpeed = 0.0f;
        float stutterMix = 0.0f;
    };

    void createParameters();
    void createSignalUnits();

    /** The parameters that are on/off switches. */
    static bool isSwitchIndex (int index) noexcept
    {
        return index == syncIndex || index == pingOutIndex || index == stutterReverseIndex;
    }

    /** A stepped parameter's step, as its real value holds it. */
    static int truncated (float value) noexcept    { return (int) value; }

    /** Every block of per-channel sample state, for allocating and clearing them alike. */
    std::array<juce::HeapBlock<float>*, 9> channelStates() noexcept
    {
        return { &channelInput, &channelOutput, &cutoffLfoValue, &modulationLfoValue,
                 &feedbackInput, &loopSample, &modDelayOutput, &wetSum, &feedbackDcLevel };
    }
    void readPreferences();
    void writePreferences();

    // The binding of each parameter as read from the preferences file (-1 when
    // absent): the destructor writes only the bindings that differ from it, so
    // what other instances wrote meanwhile stays.
    std::array<int, numParameters> preferencesAsRead {};

    /** The requests raised since the last block, in their fixed order: a preset
        index, CLEAR, Randomize, PANIC. */
    void applyPendingRequests();
    void applyPresetIndexRequest();
    int presetListEntryFor (int index) const;
    void applyClearRequest();
    void applyRandomize();
    void applyPanicRequest();
    void clearEchoLoop() noexcept;
    void clearEchoLoopState() noexcept;

    /** PANIC's clear of the echo loop, spread over the blocks that follow it. */
    void startEchoClear() noexcept;
    void continueEchoClear (int numSamples) noexcept;

    struct EchoBuffer { float* data; size_t size; };
    std::array<EchoBuffer, 6> echoBuffers() noexcept;

    static constexpr size_t noEchoClear = std::numeric_limits<size_t>::max();
    static constexpr size_t echoClearSamplesPerSample = 1024;

    // How far the clear has come through echoBuffers() taken end to end, or
    // noEchoClear while the chain runs. Render thread only.
    size_t echoClearPosition = noEchoClear;
    void readTempo();
    BlockSettings readBlockSettings() const;
    void applyUnitSettings (const BlockSettings&);

    /** The most samples whose chain-independent values are worked out in one go. */
    static constexpr int aheadLength = 64;

    /** Per-sample values that do not depend on the echo chain, worked out ahead of it. */
    struct AheadValues
    {
        float dryWet[aheadLength];
        float outputGain[aheadLength];
        double filterCoefficient[numChannels][aheadLength];
        float modDelaySamples[numChannels][aheadLength];
    };

    /** The dry/wet mix and the output level. Clipped before the gain: above 0 dB
        the output may exceed full scale. */
    static forcedinline float outputSample (float wet, float input, float dryWet, float gain) noexcept
    {
        return juce::jlimit (-1.0f, 1.0f, dryWet * wet + (1.0f - dryWet) * input) * gain;
    }

    static void silenceNonFiniteInput (juce::AudioSampleBuffer&, int numSamples) noexcept;
    /** Handles the MIDI at start and returns where the chunk from there ends. */
    int beginChunk (const juce::MidiBuffer&, int start, int numSamples);
    void processDryOnly (juce::AudioSampleBuffer&, const juce::MidiBuffer&, int numSamples);
    void processStereo (juce::AudioSampleBuffer&, const juce::MidiBuffer&, int numSamples);
    template <typename FilterPair>
    void runStereoChain (juce::AudioSampleBuffer&, const juce::MidiBuffer&, int numSamples);
    void computeAhead (int numAhead, AheadValues&);
    float updateOutputGainTarget() noexcept;
    float loopGainAtDc() const noexcept;

    /** Every 32nd output sample, counted across blocks, the mean of the two
        channels goes into the scope history. */
    forcedinline void advanceScope (float left, float right) noexcept
    {
        if (scopeSampleCounter == 0)
            pushScopeValue ((left + right) * 0.5f);

        scopeSampleCounter = scopeSampleCounter > 30 ? 0 : scopeSampleCounter + 1;
    }

    void handleMidiAt (const juce::MidiBuffer&, int samplePosition);
    void handleMidiMessage (const juce::uint8* data, int numBytes);
    void handleControllerChange (int controllerNumber, int value);
    void pushScopeValue (float value) noexcept;

    juce::String formatStateXml() const;

    std::unique_ptr<StandaloneTermination> standaloneTermination;
    BlockSettings blockSettings;
    juce::MidiBufferIterator midiCursor;
    float lastOutLevel = 0.0f;
    float lastModDelayMs[numChannels] { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::quiet_NaN() };
    float outputGainTarget = 0.0f;

    // Loads pending preset files on the message thread while no editor is open.
    class PendingPresetLoader;
    std::unique_ptr<PendingPresetLoader> pendingPresetLoader;
    int openEditors = 0;   // message thread only

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZentovaAudioProcessor)
};
