// Loads the built plug-in binaries the way hosts do and checks what a host sees:
// VST3 and LV2 through JUCE's own plug-in hosting, VST 2.4 through Vst2Host.

#include "Vst2Host.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace
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

    constexpr int numParameters = 20;
    constexpr double sampleRate = 44100.0;
    constexpr int blockSize = 512;
    constexpr float sixDecimals = 0.5e-6f;

    const juce::String pluginName ("Corvanteel");
    const juce::String lv2Uri ("https://pendrawquiller.example/plugins/corvanteel");

    juce::File vst3Bundle()
    {
        // The VST3 binary lives in Corvanteel.vst3/Contents/<architecture>/.
        return juce::File (CORVANTEEL_VST3_BINARY).getParentDirectory().getParentDirectory().getParentDirectory();
    }

    juce::File lv2Bundle()      { return juce::File (CORVANTEEL_LV2_PATH); }
    juce::File vst2Binary()     { return juce::File (CORVANTEEL_VST2_PATH); }

    juce::File preferencesFile()
    {
        return juce::File::getSpecialLocation (juce::File::userHomeDirectory)
                   .getChildFile ("Library/Application Support/Pendrawquiller/Corvanteel.prefs");
    }

    /** Runs a shell command and returns what it printed, or nothing if it could not run. */
    std::optional<std::string> commandOutput (const std::string& command)
    {
        FILE* pipe = popen (command.c_str(), "r");

        if (pipe == nullptr)
            return std::nullopt;

        std::string output;
        char chunk[4096];

        for (size_t n; (n = std::fread (chunk, 1, sizeof (chunk), pipe)) > 0;)
            output.append (chunk, n);

        if (pclose (pipe) != 0)
            return std::nullopt;

        return output;
    }

    std::string shellQuoted (const juce::String& text)
    {
        return "'" + text.replace ("'", "'\\''").toStdString() + "'";
    }

    //==============================================================================
    enum class Format { vst3, lv2, vst2 };

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

    // How GoogleTest shows a format in test names and messages.
    void PrintTo (Format format, std::ostream* stream)
    {
        *stream << formatName (format);
    }

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

        virtual void process (juce::AudioBuffer<float>&, const juce::MidiBuffer&) = 0;
        virtual juce::MemoryBlock getState() = 0;
        virtual void setState (const juce::MemoryBlock&) = 0;

        void processSilence()
        {
            juce::AudioBuffer<float> buffer (2, blockSize);
            buffer.clear();
            process (buffer, {});
        }
    };

    /** How a host finds the plug-in's parameter of an index: VST3 by its
        numeric ID, LV2 by its URI (JUCE's LV2 host sorts them by URI).
    */
    bool isParameterOfIndex (Format format, const juce::HostedAudioProcessorParameter& parameter, int index)
    {
        const auto id = parameter.getParameterID();

        if (format == Format::vst3)
            return id == juce::String (index);

        return id.endsWith (lv2Uri + ":" + expectedParameters[(size_t) index].name);
    }

    /** A VST3 or LV2 instance, hosted by JUCE. */
    class JuceHostedPlugin final : public HostedPlugin
    {
    public:
        JuceHostedPlugin (std::unique_ptr<juce::AudioPluginInstance> instanceToUse, Format formatToUse)
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

        ~JuceHostedPlugin() override
        {
            instance->releaseResources();
        }

        juce::String getName() const override                   { return instance->getName(); }
        int getNumInputs() const override                       { return instance->getTotalNumInputChannels(); }
        int getNumOutputs() const override                      { return instance->getTotalNumOutputChannels(); }
        bool acceptsMidi() const override                       { return instance->acceptsMidi(); }
        int getNumParameters() const override                   { return numOwnParameters; }
        juce::String getParameterName (int index) const override { return parameter (index).getName (1024); }
        float getParameterValue (int index) const override      { return parameter (index).getValue(); }
        void setParameterValue (int index, float value) override { parameter (index).setValue (value); }

        std::optional<juce::String> getParameterText (int index) const override
        {
            // JUCE's LV2 host shows numbers only: the LV2 wrapper exports no texts.
            if (format == Format::lv2)
                return std::nullopt;

            return parameter (index).getCurrentValueAsText();
        }

        void process (juce::AudioBuffer<float>& buffer, const juce::MidiBuffer& midi) override
        {
            juce::MidiBuffer events (midi);
            instance->processBlock (buffer, events);
        }

        juce::MemoryBlock getState() override
        {
            juce::MemoryBlock state;
            instance->getStateInformation (state);
            return state;
        }

        void setState (const juce::MemoryBlock& state) override
        {
            instance->setStateInformation (state.getData(), (int) state.getSize());
        }

    private:
        juce::AudioProcessorParameter& parameter (int index) const
        {
            auto* found = parameters[(size_t) index];

            if (found == nullptr)
                throw std::runtime_error ("the host finds no parameter for " + std::string (expectedParameters[(size_t) index].name));

            return *found;
        }

        std::unique_ptr<juce::AudioPluginInstance> instance;
        Format format;
        int numOwnParameters = 0;
        std::vector<juce::HostedAudioProcessorParameter*> parameters;
    };

    /** A VST 2.4 instance in our own minimal host. */
    class Vst2HostedPlugin final : public HostedPlugin
    {
    public:
        explicit Vst2HostedPlugin (std::unique_ptr<Vst2Host> hostToUse) : host (std::move (hostToUse))
        {
            host->resume (sampleRate, blockSize);
        }

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

        void process (juce::AudioBuffer<float>& buffer, const juce::MidiBuffer& midi) override
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
            buffer.makeCopyOf (output);
        }

        juce::MemoryBlock getState() override
        {
            const auto chunk = host->getChunk();
            return { chunk.data(), chunk.size() };
        }

        void setState (const juce::MemoryBlock& state) override
        {
            const auto* bytes = static_cast<const char*> (state.getData());
            host->setChunk ({ bytes, bytes + state.getSize() });
        }

        Vst2Host::IntPtr lastMidiAnswer = 0;

    private:
        std::unique_ptr<Vst2Host> host;
    };

    //==============================================================================
    /** Loads instances of the built binaries as a host would. */
    class PluginLoader
    {
    public:
        PluginLoader()
        {
            formatManager.addDefaultFormats();
        }

        std::unique_ptr<juce::AudioPluginInstance> createJuceInstance (Format format, juce::String& error)
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

        std::unique_ptr<HostedPlugin> create (Format format)
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

    private:
        juce::AudioPluginFormatManager formatManager;
    };

    //==============================================================================
    class PluginHosting : public ::testing::TestWithParam<Format>
    {
    protected:
        PluginLoader loader;
    };

    /** Values for a state: distinct, exact in a float, all below 1 so that no
        switch, Randomize included, is turned on.
    */
    float stateTestValue (int index)
    {
        return 0.0625f + 0.125f * (float) (index % 7) + 0.015625f * (float) (index / 7);
    }
}

//==============================================================================
TEST_P (PluginHosting, ReportsNameChannelsAndMidiInput)
{
    auto plugin = loader.create (GetParam());
    ASSERT_NE (plugin, nullptr);

    EXPECT_EQ (plugin->getName(), pluginName);
    EXPECT_EQ (plugin->getNumInputs(), 2);
    EXPECT_EQ (plugin->getNumOutputs(), 2);
    EXPECT_TRUE (plugin->acceptsMidi());
}

TEST_P (PluginHosting, ListsTwentyParametersWithTheirNamesAndDefaults)
{
    auto plugin = loader.create (GetParam());
    ASSERT_NE (plugin, nullptr);
    ASSERT_EQ (plugin->getNumParameters(), numParameters);

    // JUCE's LV2 host shows the bundle's declared defaults (0, the framework's
    // default value for every parameter) until the plug-in has run once and
    // reported its real values.
    plugin->processSilence();

    for (int i = 0; i < numParameters; ++i)
    {
        const auto& expected = expectedParameters[(size_t) i];
        SCOPED_TRACE (expected.name);

        EXPECT_EQ (plugin->getParameterName (i), juce::String (expected.name));
        EXPECT_NEAR (plugin->getParameterValue (i), expected.defaultValue, sixDecimals);

        if (const auto text = plugin->getParameterText (i))
        {
            EXPECT_EQ (*text, juce::String (expected.defaultText));
        }
    }
}

TEST_P (PluginHosting, ProcessesStereoAudioWithMidi)
{
    auto plugin = loader.create (GetParam());
    ASSERT_NE (plugin, nullptr);

    // Long enough for the 120 ms echo of the default settings to come back.
    constexpr int numBlocks = 16;
    double inputEnergy = 0.0, outputEnergy[2] = {};
    bool differsFromInput = false;

    for (int block = 0; block < numBlocks; ++block)
    {
        juce::AudioBuffer<float> buffer (2, blockSize), input (2, blockSize);

        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < blockSize; ++i)
                input.setSample (channel, i, 0.5f * std::sin (2.0f * juce::MathConstants<float>::pi * 440.0f
                                                               * (float) (block * blockSize + i) / (float) sampleRate));

        buffer.makeCopyOf (input);

        juce::MidiBuffer midi;

        if (block == 0)
        {
            midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
            midi.addEvent (juce::MidiMessage::noteOff (1, 60), 256);
        }

        plugin->process (buffer, midi);

        for (int channel = 0; channel < 2; ++channel)
        {
            for (int i = 0; i < blockSize; ++i)
            {
                const float sample = buffer.getSample (channel, i);
                ASSERT_TRUE (std::isfinite (sample)) << "channel " << channel << ", block " << block << ", sample " << i;
                outputEnergy[channel] += (double) sample * sample;
                inputEnergy += channel == 0 ? (double) input.getSample (0, i) * input.getSample (0, i) : 0.0;
                differsFromInput = differsFromInput || std::abs (sample - input.getSample (channel, i)) > 1.0e-4f;
            }
        }
    }

    EXPECT_GT (outputEnergy[0], 0.01 * inputEnergy);
    EXPECT_GT (outputEnergy[1], 0.01 * inputEnergy);
    EXPECT_TRUE (differsFromInput) << "the output is the input: nothing was processed";

    if (auto* vst2 = dynamic_cast<Vst2HostedPlugin*> (plugin.get()))
    {
        EXPECT_EQ (vst2->lastMidiAnswer, 1) << "effProcessEvents did not take the MIDI events";
    }
}

TEST_P (PluginHosting, FreshInstanceRestoresSavedState)
{
    juce::MemoryBlock state;
    std::vector<float> savedValues;
    std::vector<std::optional<juce::String>> savedTexts;

    {
        auto original = loader.create (GetParam());
        ASSERT_NE (original, nullptr);
        ASSERT_EQ (original->getNumParameters(), numParameters);

        for (int i = 0; i < numParameters; ++i)
            original->setParameterValue (i, stateTestValue (i));

        // Some hosts hand parameter changes to the plug-in with the next block.
        original->processSilence();

        for (int i = 0; i < numParameters; ++i)
        {
            EXPECT_FLOAT_EQ (original->getParameterValue (i), stateTestValue (i)) << expectedParameters[(size_t) i].name;
            savedValues.push_back (original->getParameterValue (i));
            savedTexts.push_back (original->getParameterText (i));
        }

        state = original->getState();
        ASSERT_GT (state.getSize(), 0u);
    }

    auto restored = loader.create (GetParam());
    ASSERT_NE (restored, nullptr);
    ASSERT_EQ (restored->getNumParameters(), numParameters);
    restored->setState (state);
    restored->processSilence();

    for (int i = 0; i < numParameters; ++i)
    {
        SCOPED_TRACE (expectedParameters[(size_t) i].name);
        EXPECT_FLOAT_EQ (restored->getParameterValue (i), savedValues[(size_t) i]);
        EXPECT_EQ (restored->getParameterText (i), savedTexts[(size_t) i]);
    }
}

TEST_P (PluginHosting, DestroyingAnInstanceRunsTheProcessorsTeardown)
{
    // The processor writes its preferences when it is destroyed.
    const auto prefs = preferencesFile();
    prefs.deleteFile();

    for (int round = 0; round < 2; ++round)
    {
        auto plugin = loader.create (GetParam());
        ASSERT_NE (plugin, nullptr);
        plugin->processSilence();
        plugin.reset();

        EXPECT_TRUE (prefs.existsAsFile()) << "no preferences written below the temporary home after round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P (Formats, PluginHosting,
                          ::testing::Values (Format::vst3, Format::lv2, Format::vst2),
                          [] (const ::testing::TestParamInfo<Format>& test) { return formatName (test.param); });

//==============================================================================
TEST (Vst3Hosting, ParameterIdsAreDistinctAndFollowTheIndex)
{
    PluginLoader loader;
    juce::String error;
    auto instance = loader.createJuceInstance (Format::vst3, error);
    ASSERT_NE (instance, nullptr) << error;

    // The wrapper lists the plug-in's parameters first, then its bypass, then
    // JUCE's MIDI-controller parameters; no two may share an ID.
    const auto& all = instance->getParameters();
    ASSERT_GT (all.size(), numParameters);

    std::set<juce::String> ids;

    for (auto* parameter : all)
    {
        auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (parameter);
        ASSERT_NE (hosted, nullptr);
        EXPECT_TRUE (ids.insert (hosted->getParameterID()).second)
            << "ID " << hosted->getParameterID() << " of " << hosted->getName (128) << " is taken twice";
    }

    for (int i = 0; i < numParameters; ++i)
    {
        auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (all[i]);
        SCOPED_TRACE (expectedParameters[(size_t) i].name);
        EXPECT_EQ (hosted->getParameterIndex(), i);
        EXPECT_EQ (hosted->getParameterID(), juce::String (i));
        EXPECT_EQ (hosted->getName (128), juce::String (expectedParameters[(size_t) i].name));
        EXPECT_TRUE (hosted->isAutomatable());
    }

    EXPECT_EQ (instance->getBypassParameter(), all[numParameters]);

    for (int i = numParameters + 1; i < all.size(); ++i)
        EXPECT_FALSE (all[i]->isAutomatable()) << all[i]->getName (128);

    // Each ID reaches the plug-in's parameter of the same index: moving one
    // changes its own display text and no other.
    instance->prepareToPlay (sampleRate, blockSize);

    for (int i = 0; i < numParameters; ++i)
    {
        SCOPED_TRACE (expectedParameters[(size_t) i].name);

        std::vector<juce::String> before;

        for (int j = 0; j < numParameters; ++j)
            before.push_back (all[j]->getCurrentValueAsText());

        all[i]->setValue (expectedParameters[(size_t) i].defaultValue < 0.5f ? 1.0f : 0.0f);

        for (int j = 0; j < numParameters; ++j)
        {
            if (j == i)
                EXPECT_NE (all[j]->getCurrentValueAsText(), before[(size_t) j]);
            else
                EXPECT_EQ (all[j]->getCurrentValueAsText(), before[(size_t) j]) << "changed with " << i;
        }
    }

    instance->releaseResources();
}

//==============================================================================
TEST (Lv2Bundle, ManifestCarriesTheAbsoluteUri)
{
    const auto manifest = lv2Bundle().getChildFile ("manifest.ttl").loadFileAsString();
    ASSERT_TRUE (manifest.isNotEmpty());
    EXPECT_TRUE (manifest.contains ("<" + lv2Uri + ">")) << manifest;
}

TEST (Lv2Bundle, DescribesTwentyDistinctParametersNamedAfterThePlugInsParameters)
{
    const auto dsp = lv2Bundle().getChildFile ("dsp.ttl").loadFileAsString().toStdString();
    ASSERT_FALSE (dsp.empty());

    // Each parameter is a subject "plug:<symbol>" of type lv2:Parameter.
    const std::regex parameterSubject (R"(plug:([A-Za-z0-9_]+)\s+a\s+lv2:Parameter)");
    std::vector<std::string> symbols;

    for (auto it = std::sregex_iterator (dsp.begin(), dsp.end(), parameterSubject); it != std::sregex_iterator(); ++it)
        symbols.push_back ((*it)[1].str());

    ASSERT_EQ (symbols.size(), (size_t) numParameters);
    EXPECT_EQ (std::set<std::string> (symbols.begin(), symbols.end()).size(), (size_t) numParameters);

    for (int i = 0; i < numParameters; ++i)
        EXPECT_EQ (symbols[(size_t) i], expectedParameters[(size_t) i].name);
}

TEST (Lv2Bundle, Lv2lsListsThePlugIn)
{
    if (! commandOutput ("command -v lv2ls >/dev/null 2>&1 && echo found"))
        GTEST_SKIP() << "lv2ls (lilv-utils) is not installed";

    const auto output = commandOutput ("LV2_PATH=" + shellQuoted (lv2Bundle().getParentDirectory().getFullPathName()) + " lv2ls");
    ASSERT_TRUE (output.has_value());
    EXPECT_NE (output->find (lv2Uri.toStdString()), std::string::npos) << *output;
}

TEST (Lv2Hosting, ParametersAreTheTwentyUrisAndTheBypass)
{
    PluginLoader loader;
    juce::String error;
    auto instance = loader.createJuceInstance (Format::lv2, error);
    ASSERT_NE (instance, nullptr) << error;

    // The wrapper's "enabled" port becomes the host's bypass; every other
    // parameter is one of the plug-in's, under its own URI.
    const auto& all = instance->getParameters();
    ASSERT_EQ (all.size(), numParameters + 1);
    ASSERT_NE (instance->getBypassParameter(), nullptr);

    for (int i = 0; i < numParameters; ++i)
    {
        SCOPED_TRACE (expectedParameters[(size_t) i].name);
        int matches = 0;

        for (auto* parameter : all)
            if (auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (parameter))
                matches += isParameterOfIndex (Format::lv2, *hosted, i) ? 1 : 0;

        EXPECT_EQ (matches, 1);
    }
}

//==============================================================================
TEST (Vst2Binary, ExportsVstPluginMain)
{
    if (! commandOutput ("command -v nm >/dev/null 2>&1 && echo found"))
        GTEST_SKIP() << "nm (binutils) is not installed";

    const auto symbols = commandOutput ("nm -D --defined-only " + shellQuoted (vst2Binary().getFullPathName()));
    ASSERT_TRUE (symbols.has_value());
    EXPECT_TRUE (std::regex_search (*symbols, std::regex (R"(\sT VSTPluginMain\n)"))) << *symbols;
}

TEST (Vst2Hosting, ReportsIdentityAndVersions)
{
    Vst2Host host (vst2Binary().getFullPathName().toStdString());
    ASSERT_TRUE (host.isLoaded()) << host.getError();

    const auto effect = host.getEffectInfo();
    EXPECT_EQ (effect.uniqueID, (std::int32_t) juce::ByteOrder::bigEndianInt ("PeCo"));
    EXPECT_EQ (effect.numParams, numParameters);
    EXPECT_TRUE (effect.canReplacing);
    EXPECT_TRUE (effect.programChunks);
    EXPECT_FALSE (effect.isSynth);
    EXPECT_EQ (host.getPlugCategory(), Vst2Host::effectCategory);

    // The effect version is the build's chunk structure version; the vendor
    // version is JUCE's encoding of 1.1.0 (0x010100).
    EXPECT_EQ (effect.version, 110);
    EXPECT_EQ (host.getVendorVersion(), 65792);
}

TEST (Vst2Hosting, ChunkIsThePlugInsStateDocument)
{
    Vst2Host host (vst2Binary().getFullPathName().toStdString());
    ASSERT_TRUE (host.isLoaded()) << host.getError();

    // A VST 2.4 host keeps the chunk as it is: the processor's state in JUCE's
    // binary XML wrapper ("VC2!", the text's length, the text, a zero byte).
    const auto chunk = host.getChunk();
    ASSERT_GT (chunk.size(), 9u);
    EXPECT_EQ (std::string (chunk.data(), 4), "VC2!");
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (chunk.data() + 4), (juce::uint32) (chunk.size() - 9));
    EXPECT_EQ (chunk.back(), 0);

    const auto xml = juce::AudioProcessor::getXmlFromBinary (chunk.data(), (int) chunk.size());
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "ZENTOVA_STATE");
    EXPECT_EQ (xml->getStringAttribute ("PresetName"), "Init");
    EXPECT_EQ (xml->getNumAttributes(), 1 + 2 * numParameters);
}
