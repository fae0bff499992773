#include "HostedPlugin.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace corvanteelHost
{
    const std::vector<ExpectedParameter> expectedParameters
    {
        { "Time",               "120 Ms",    0.339967f },
        { "Sync",               "Off",       0.0f },
        { "Division",           "128  ",     0.0f },
        { "Feedback",           "40.00 %",   0.4f },
        { "Ping_Out",           "On",        1.0f },
        { "Cutoff_Floor",       "600.00 Hz", 0.311432f },
        { "Cutoff_Mod_Depth",   "100.00 %",  1.0f },
        { "Cutoff_Mod_Rate",    "1.00 Hz",   0.223501f },
        { "Resonance",          "50.00 %",   0.5f },
        { "Modulation_Rate",    "1.00 Hz",   0.040804f },
        { "Rate_Mode",          "Default",   0.0f },
        { "Modulation_Amount",  "0.00 %",    0.0f },
        { "Stereo_Separation",  "50.00 %",   0.5f },
        { "Stutter_Proportion", "50.00 %",   0.5f },
        { "Stutter_Speed",      "100.00 %",  0.25f },
        { "Stutter_Reverse",    "Off",       0.0f },
        { "Stutter_Mix",        "50.00 %",   0.5f },
        { "Dry_Wet",            "50.00 %",   0.5f },
        { "Randomize",          "0 ",        0.0f },
        { "Out_Level",          "-0.00 dB",  0.848338f },
    };

    const juce::String pluginName ("Corvanteel");
    const juce::String lv2Uri ("https://pendrawquiller.example/plugins/corvanteel");

    juce::File vst3Bundle()
    {
        // The VST3 binary lives in Corvanteel.vst3/Contents/<architecture>/.
        return juce::File (CORVANTEEL_VST3_BINARY).getParentDirectory().getParentDirectory().getParentDirectory();
    }

    juce::File lv2Bundle()      { return juce::File (CORVANTEEL_LV2_PATH); }
    juce::File vst2Binary()     { return juce::File (CORVANTEEL_VST2_PATH); }

    std::string formatName (Format format)
    {
        switch (format)
        {
            case Format::vst3: return "VST3";
            case Format::lv2:  return "LV2";
            case Format::vst2: return "VST2";
        }

        return {};
    }

    void PrintTo (Format format, std::ostream* stream)
    {
        *stream << formatName (format);
    }

    void HostedPlugin::processSilence()
    {
        juce::AudioBuffer<float> buffer (2, blockSize);
        buffer.clear();
        process (buffer, {});
    }

    bool isParameterOfIndex (Format format, const juce::HostedAudioProcessorParameter& parameter, int index)
    {
        const auto id = parameter.getParameterID();

        if (format == Format::vst3)
            return id == juce::String (index);

        return id.endsWith (lv2Uri + ":" + expectedParameters[(size_t) index].name);
    }

    //==============================================================================
    JuceHostedPlugin::JuceHostedPlugin (std::unique_ptr<juce::AudioPluginInstance> instanceToUse, Format formatToUse)
        : instance (std::move (instanceToUse)), format (formatToUse)
    {
        // Wrappers add parameters of their own (a bypass, JUCE's VST3
        // MIDI-controller parameters); hosts list the automatable ones.
        for (auto* parameter : instance->getParameters())
            if (parameter != instance->getBypassParameter() && parameter->isAutomatable())
                ++numOwnParameters;

        for (int index = 0; index < numParameters; ++index)
        {
            parameters.push_back (nullptr);

            for (auto* parameter : instance->getParameters())
                if (auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (parameter))
                    if (isParameterOfIndex (format, *hosted, index))
                        parameters.back() = hosted;
        }

        instance->enableAllBuses();
        instance->prepareToPlay (sampleRate, blockSize);
    }

    JuceHostedPlugin::~JuceHostedPlugin()
    {
        instance->releaseResources();
    }

    std::optional<juce::String> JuceHostedPlugin::getParameterText (int index) const
    {
        // JUCE's LV2 host shows numbers only: the LV2 wrapper exports no texts.
        if (format == Format::lv2)
            return std::nullopt;

        return parameter (index).getCurrentValueAsText();
    }

    void JuceHostedPlugin::prepare (double newSampleRate, int maximumBlockSize)
    {
        instance->releaseResources();
        instance->prepareToPlay (newSampleRate, maximumBlockSize);
    }

    void JuceHostedPlugin::process (juce::AudioBuffer<float>& buffer, const juce::MidiBuffer& midi)
    {
        juce::MidiBuffer events (midi);
        instance->processBlock (buffer, events);
    }

    juce::MemoryBlock JuceHostedPlugin::getState()
    {
        juce::MemoryBlock state;
        instance->getStateInformation (state);
        return state;
    }

    void JuceHostedPlugin::setState (const juce::MemoryBlock& state)
    {
        instance->setStateInformation (state.getData(), (int) state.getSize());
    }

    juce::AudioProcessorParameter& JuceHostedPlugin::parameter (int index) const
    {
        auto* found = parameters[(size_t) index];

        if (found == nullptr)
            throw std::runtime_error ("the host finds no parameter for " + std::string (expectedParameters[(size_t) index].name));

        return *found;
    }

    //==============================================================================
    Vst2HostedPlugin::Vst2HostedPlugin (std::unique_ptr<Vst2Host> hostToUse) : host (std::move (hostToUse))
    {
        host->resume (sampleRate, blockSize);
    }

    void Vst2HostedPlugin::process (juce::AudioBuffer<float>& buffer, const juce::MidiBuffer& midi)
    {
        std::vector<Vst2Host::MidiMessage> messages;

        for (const auto metadata : midi)
        {
            if (metadata.numBytes <= 3)
            {
                Vst2Host::MidiMessage message;
                message.sampleOffset = metadata.samplePosition;
                message.status = metadata.data[0];
                message.data1 = metadata.numBytes > 1 ? metadata.data[1] : 0;
                message.data2 = metadata.numBytes > 2 ? metadata.data[2] : 0;
                messages.push_back (message);
            }
        }

        if (! messages.empty())
            lastMidiAnswer = host->sendMidi (messages);

        // Hosts hand processReplacing separate input and output buffers.
        juce::AudioBuffer<float> output (buffer.getNumChannels(), buffer.getNumSamples());
        output.clear();
        host->processReplacing (const_cast<float**> (buffer.getArrayOfWritePointers()),
                                const_cast<float**> (output.getArrayOfWritePointers()),
                                buffer.getNumSamples());

        // Copied channel by channel: the buffer may refer to a part of the host's.
        for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
            buffer.copyFrom (channel, 0, output, channel, 0, buffer.getNumSamples());
    }

    juce::MemoryBlock Vst2HostedPlugin::getState()
    {
        const auto chunk = host->getChunk();
        return { chunk.data(), chunk.size() };
    }

    void Vst2HostedPlugin::setState (const juce::MemoryBlock& state)
    {
        const auto* bytes = static_cast<const char*> (state.getData());
        host->setChunk ({ bytes, bytes + state.getSize() });
    }

    //==============================================================================
    PluginLoader::PluginLoader()
    {
        formatManager.addDefaultFormats();
    }

    std::unique_ptr<juce::AudioPluginInstance> PluginLoader::createJuceInstance (Format format, juce::String& error)
    {
        const auto wanted = format == Format::vst3 ? juce::VST3PluginFormat::getFormatName()
                                                   : juce::LV2PluginFormat::getFormatName();
        const auto location = format == Format::vst3 ? vst3Bundle().getFullPathName() : lv2Uri;

        for (auto* pluginFormat : formatManager.getFormats())
        {
            if (pluginFormat->getName() != wanted)
                continue;

            juce::OwnedArray<juce::PluginDescription> found;
            pluginFormat->findAllTypesForFile (found, location);

            if (found.isEmpty())
            {
                error = "the " + wanted + " host finds no plug-in at " + location;
                return {};
            }

            return formatManager.createPluginInstance (*found.getFirst(), sampleRate, blockSize, error);
        }

        error = "no " + wanted + " hosting in this build of JUCE";
        return {};
    }

    std::unique_ptr<HostedPlugin> PluginLoader::create (Format format)
    {
        if (format == Format::vst2)
        {
            auto host = std::make_unique<Vst2Host> (vst2Binary().getFullPathName().toStdString());

            if (! host->isLoaded())
            {
                ADD_FAILURE() << host->getError();
                return {};
            }

            return std::make_unique<Vst2HostedPlugin> (std::move (host));
        }

        juce::String error;
        auto instance = createJuceInstance (format, error);

        if (instance == nullptr)
        {
            ADD_FAILURE() << "cannot load the " << formatName (format) << " plug-in: " << error;
            return {};
        }

        return std::make_unique<JuceHostedPlugin> (std::move (instance), format);
    }
}
