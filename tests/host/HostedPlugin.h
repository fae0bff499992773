#pragma once

// One plug-in instance as a host sees it, whatever the format: VST3 and LV2
// through JUCE's own plug-in hosting, VST 2.4 through Vst2Host. Shared by the
// host test files.

#include "Vst2Host.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace corvanteelHost
{
    //==============================================================================
    // The plug-in's parameters in index order: name, display text and normalised
    // value of a new instance.
    struct ExpectedParameter
    {
        const char* name;
        const char* defaultText;
        float defaultValue;
    };

    extern const std::vector<ExpectedParameter> expectedParameters;

    constexpr int numParameters = 20;
    constexpr int randomizeIndex = 18;

    // What a new instance is prepared with.
    constexpr double sampleRate = 44100.0;
    constexpr int blockSize = 512;

    extern const juce::String pluginName;
    extern const juce::String lv2Uri;

    juce::File vst3Bundle();
    juce::File lv2Bundle();
    juce::File vst2Binary();

    //==============================================================================
    enum class Format { vst3, lv2, vst2 };

    std::string formatName (Format);

    // How GoogleTest shows a format in test names and messages.
    void PrintTo (Format, std::ostream*);

    /** One plug-in instance as a host sees it, whatever the format. */
    class HostedPlugin
    {
    public:
        virtual ~HostedPlugin() = default;

        virtual juce::String getName() const = 0;
        virtual int getNumInputs() const = 0;
        virtual int getNumOutputs() const = 0;
        virtual bool acceptsMidi() const = 0;

        /** The plug-in's own parameters, without what the wrapper adds. */
        virtual int getNumParameters() const = 0;
        virtual juce::String getParameterName (int index) const = 0;

        /** The plug-in's display text, when the format hands it to hosts. */
        virtual std::optional<juce::String> getParameterText (int index) const = 0;
        virtual float getParameterValue (int index) const = 0;
        virtual void setParameterValue (int index, float value) = 0;

        /** Stops the instance and starts it again at this rate and largest block
            size, the way hosts do when their audio settings change.
        */
        virtual void prepare (double newSampleRate, int maximumBlockSize) = 0;

        virtual void process (juce::AudioBuffer<float>&, const juce::MidiBuffer&) = 0;
        virtual juce::MemoryBlock getState() = 0;
        virtual void setState (const juce::MemoryBlock&) = 0;

        void processSilence();
    };

    /** How a host finds the plug-in's parameter of an index: VST3 by its
        numeric ID, LV2 by its URI (JUCE's LV2 host sorts them by URI).
    */
    bool isParameterOfIndex (Format, const juce::HostedAudioProcessorParameter&, int index);

    /** A VST3 or LV2 instance, hosted by JUCE. */
    class JuceHostedPlugin final : public HostedPlugin
    {
    public:
        JuceHostedPlugin (std::unique_ptr<juce::AudioPluginInstance>, Format);
        ~JuceHostedPlugin() override;

        juce::String getName() const override                   { return instance->getName(); }
        int getNumInputs() const override                       { return instance->getTotalNumInputChannels(); }
        int getNumOutputs() const override                      { return instance->getTotalNumOutputChannels(); }
        bool acceptsMidi() const override                       { return instance->acceptsMidi(); }
        int getNumParameters() const override                   { return numOwnParameters; }
        juce::String getParameterName (int index) const override { return parameter (index).getName (1024); }
        float getParameterValue (int index) const override      { return parameter (index).getValue(); }
        void setParameterValue (int index, float value) override { parameter (index).setValue (value); }

        std::optional<juce::String> getParameterText (int index) const override;
        void prepare (double newSampleRate, int maximumBlockSize) override;
        void process (juce::AudioBuffer<float>&, const juce::MidiBuffer&) override;
        juce::MemoryBlock getState() override;
        void setState (const juce::MemoryBlock&) override;

    private:
        juce::AudioProcessorParameter& parameter (int index) const;

        std::unique_ptr<juce::AudioPluginInstance> instance;
        Format format;
        int numOwnParameters = 0;
        std::vector<juce::HostedAudioProcessorParameter*> parameters;
    };

    /** A VST 2.4 instance in our own minimal host. */
    class Vst2HostedPlugin final : public HostedPlugin
    {
    public:
        explicit Vst2HostedPlugin (std::unique_ptr<Vst2Host>);

        juce::String getName() const override                   { return host->getEffectName(); }
        int getNumInputs() const override                       { return host->getEffectInfo().numInputs; }
        int getNumOutputs() const override                      { return host->getEffectInfo().numOutputs; }
        bool acceptsMidi() const override                       { return host->canDo ("receiveVstMidiEvent") == 1; }
        int getNumParameters() const override                   { return host->getEffectInfo().numParams; }
        juce::String getParameterName (int index) const override { return host->getParameterName (index); }
        float getParameterValue (int index) const override      { return host->getParameter (index); }
        void setParameterValue (int index, float value) override { host->setParameter (index, value); }

        std::optional<juce::String> getParameterText (int index) const override
        {
            return juce::String (host->getParameterDisplay (index));
        }

        /** Suspends, sets the rate and block size, resumes. */
        void prepare (double newSampleRate, int maximumBlockSize) override
        {
            host->resume (newSampleRate, maximumBlockSize);
        }

        void process (juce::AudioBuffer<float>&, const juce::MidiBuffer&) override;
        juce::MemoryBlock getState() override;
        void setState (const juce::MemoryBlock&) override;

        Vst2Host::IntPtr lastMidiAnswer = 0;

    private:
        std::unique_ptr<Vst2Host> host;
    };

    //==============================================================================
    /** Loads instances of the built binaries as a host would. */
    class PluginLoader
    {
    public:
        PluginLoader();

        std::unique_ptr<juce::AudioPluginInstance> createJuceInstance (Format, juce::String& error);

        /** A new instance, prepared at sampleRate and blockSize; a failure is
            reported to GoogleTest and gives nothing.
        */
        std::unique_ptr<HostedPlugin> create (Format);

    private:
        juce::AudioPluginFormatManager formatManager;
    };
}
