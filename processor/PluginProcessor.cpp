// Construction, the host's questions and the parameter interface with its
// display texts. The signal chain, the control requests and the stored state
// have files of their own (PluginProcessorChain, -Control, -State).
#include "PluginProcessor.h"

#include "editor/PluginEditor.h"
#include "lib/velmo_juce_homeFolders.h"
#include "lib/velmo_juce_numberText.h"
#include "processor/CrashLog.h"
#include "processor/PendingPresetLoader.h"

// The processor implements JUCE's index-based parameter interface, which JUCE
// marks deprecated; hosts, sessions and presets rely on its indices.
JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

const juce::String ZentovaAudioProcessor::versionNumber ("v 1.1");

namespace
{
    // One parameter: its name, range, default and display unit, and how its
    // normalised value maps onto the range.
    struct ParameterRow
    {
        const char* name;
        float min, max, defaultValue;
        bool stepped;
        const char* unit;
        bool curved, curveSqrt;
    };

    // Index order is fixed: hosts, sessions, presets and MIDI learn address by it.
    const ParameterRow parameterTable[ZentovaAudioProcessor::numParameters] =
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
}

//==============================================================================
// The one channel configuration, stereo in and out, active from the start so
// the processor also runs outside a wrapper.
ZentovaAudioProcessor::ZentovaAudioProcessor()
    : juce::AudioProcessor (BusesProperties().withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                             .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    presetManager.presetRootPath = velmoLib::userLibraryFile ("Audio/Presets/Pendrawquiller").getFullPathName();
    randomGenerator.setSeedRandomly();

   #if ! CORVANTEEL_NO_CRASH_HANDLER
    installCrashHandler (versionNumber);
   #endif

    createParameters();

    cutoffFloorSmoother = parameterSmoothers.add (new ParameterSmoother());
    outputGainSmoother = parameterSmoothers.add (new ParameterSmoother());
    dryWetSmoother = parameterSmoothers.add (new ParameterSmoother());

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
    PendingPresetLoader::release (std::move (pendingPresetLoader));   // first: a load uses the parameters and strings below
    writePreferences();

   #if ! CORVANTEEL_NO_CRASH_HANDLER
    uninstallCrashHandler();
   #endif
}

void ZentovaAudioProcessor::createParameters()
{
    for (int i = 0; i < numParameters; ++i)
        pluginParameters.add (new velmoLib::PluginParameter());

    for (int i = 0; i < numParameters; ++i)
    {
        const auto& row = parameterTable[i];
        pluginParameters.getUnchecked (i)->init (row.min, row.max, row.defaultValue, row.stepped,
                                                 row.name, row.unit, row.curved, row.curveSqrt);
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

JUCE_END_IGNORE_WARNINGS_GCC_LIKE

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new ZentovaAudioProcessor();
}
