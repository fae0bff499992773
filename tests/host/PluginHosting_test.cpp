// Loads the built plug-in binaries the way hosts do and checks what a host sees:
// VST3 and LV2 through JUCE's own plug-in hosting, VST 2.4 through Vst2Host.

#include "HostedPlugin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace
{
    using namespace corvanteelHost;

    constexpr float sixDecimals = 0.5e-6f;

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

    // What a host shows once the plug-in has run; before that, see
    // HostDefaults.NewInstanceShowsEachParametersOwnDefault.
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

// A NaN or an infinity that an upstream plug-in hands over is taken as silence:
// the output stays finite, and a click played afterwards still echoes.
TEST_P (PluginHosting, NonFiniteInputLeavesTheEchoWorking)
{
    auto plugin = loader.create (GetParam());
    ASSERT_NE (plugin, nullptr);

    const float bad[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity() };
    constexpr int clickBlock = 8;
    double echoEnergy = 0.0;

    for (int block = 0; block < 40; ++block)
    {
        juce::AudioBuffer<float> buffer (2, blockSize);
        buffer.clear();
        if (block < 3)
        {
            buffer.setSample (0, 10, bad[block]);
            buffer.setSample (1, 300, bad[(block + 1) % 3]);
        }
        if (block == clickBlock)
        {
            buffer.setSample (0, 0, 1.0f);
            buffer.setSample (1, 0, 1.0f);
        }

        plugin->process (buffer, {});

        for (int channel = 0; channel < 2; ++channel)
        {
            for (int i = 0; i < blockSize; ++i)
            {
                const float sample = buffer.getSample (channel, i);
                ASSERT_TRUE (std::isfinite (sample)) << "channel " << channel << ", block " << block << ", sample " << i;
                if (block > clickBlock + 1)
                    echoEnergy += (double) sample * sample;
            }
        }
    }

    EXPECT_GT (echoEnergy, 0.01) << "the click's echo never came";
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

        // Randomize is a momentary press: the state always stores it released.
        if (i == randomizeIndex)
        {
            EXPECT_EQ (restored->getParameterValue (i), 0.0f);
            continue;
        }

        EXPECT_FLOAT_EQ (restored->getParameterValue (i), savedValues[(size_t) i]);
        EXPECT_EQ (restored->getParameterText (i), savedTexts[(size_t) i]);
    }
}

TEST_P (PluginHosting, ControllerBindingsTravelWithTheSavedState)
{
    // Bindings reach an instance through the preferences file; a host cannot set
    // them. The saved state must carry them to an instance that has none.
    const auto prefs = preferencesFile();
    prefs.getParentDirectory().createDirectory();
    ASSERT_TRUE (prefs.replaceWithText ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n"
                                        "  <VALUE name=\"TimeCC\" val=\"21\"/>\n  <VALUE name=\"Out_LevelCC\" val=\"7\"/>\n"
                                        "</PROPERTIES>\n"));
    juce::MemoryBlock bound;
    {
        auto original = loader.create (GetParam());
        ASSERT_NE (original, nullptr);
        original->processSilence();
        bound = original->getState();
    }

    ASSERT_TRUE (prefs.deleteFile());   // the next instance starts with no bindings

    auto restored = loader.create (GetParam());
    ASSERT_NE (restored, nullptr);
    restored->processSilence();
    EXPECT_NE (restored->getState(), bound) << "the saved state does not carry the bindings";

    restored->setState (bound);
    restored->processSilence();
    EXPECT_EQ (restored->getState(), bound);
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
// VST 2.4 has no default value in its interface; VST3 and LV2 hosts take each
// parameter's default from the plug-in, for their first display and for a reset.
namespace
{
    class HostDefaults : public ::testing::TestWithParam<Format>
    {
    protected:
        /** A new instance as JUCE hosts it, and its parameters in index order. */
        std::unique_ptr<JuceHostedPlugin> create (std::vector<juce::AudioProcessorParameter*>& parameters)
        {
            juce::String error;
            auto instance = loader.createJuceInstance (GetParam(), error);

            if (instance == nullptr)
            {
                ADD_FAILURE() << error;
                return {};
            }

            for (int index = 0; index < numParameters; ++index)
            {
                parameters.push_back (nullptr);

                for (auto* parameter : instance->getParameters())
                    if (auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (parameter))
                        if (isParameterOfIndex (GetParam(), *hosted, index))
                            parameters.back() = parameter;

                if (parameters.back() == nullptr)
                {
                    ADD_FAILURE() << "no parameter for " << expectedParameters[(size_t) index].name;
                    return {};
                }
            }

            return std::make_unique<JuceHostedPlugin> (std::move (instance), GetParam());
        }

        PluginLoader loader;
    };

    /** The energy of both output channels for a second of a 440 Hz sine. */
    double sineOutputEnergy (HostedPlugin& plugin)
    {
        double energy = 0.0;

        for (int block = 0; block * blockSize < (int) sampleRate; ++block)
        {
            juce::AudioBuffer<float> buffer (2, blockSize);

            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < blockSize; ++i)
                    buffer.setSample (channel, i, 0.5f * std::sin (2.0f * juce::MathConstants<float>::pi * 440.0f
                                                                    * (float) (block * blockSize + i) / (float) sampleRate));

            plugin.process (buffer, {});

            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < blockSize; ++i)
                    energy += (double) buffer.getSample (channel, i) * buffer.getSample (channel, i);
        }

        return energy;
    }
}

TEST_P (HostDefaults, NewInstanceShowsEachParametersOwnDefault)
{
    std::vector<juce::AudioProcessorParameter*> parameters;
    auto plugin = create (parameters);
    ASSERT_NE (plugin, nullptr);

    // Before any block has run.
    for (int i = 0; i < numParameters; ++i)
    {
        const auto& expected = expectedParameters[(size_t) i];
        SCOPED_TRACE (expected.name);

        EXPECT_NEAR (parameters[(size_t) i]->getDefaultValue(), expected.defaultValue, sixDecimals);
        EXPECT_NEAR (plugin->getParameterValue (i), expected.defaultValue, sixDecimals);

        if (const auto text = plugin->getParameterText (i))
        {
            EXPECT_EQ (*text, juce::String (expected.defaultText));
        }
    }
}

TEST_P (HostDefaults, AResetToTheHostsDefaultsSoundsAsANewInstance)
{
    std::vector<juce::AudioProcessorParameter*> parameters;
    auto plugin = create (parameters);
    ASSERT_NE (plugin, nullptr);

    // Everything away from its default, silence included (Out_Level and Dry_Wet
    // at 0), then back the way a host's "reset plug-in" goes.
    for (int i = 0; i < numParameters; ++i)
        if (juce::String (expectedParameters[(size_t) i].name) != "Randomize")
            plugin->setParameterValue (i, expectedParameters[(size_t) i].defaultValue < 0.5f ? 0.75f : 0.0f);

    plugin->processSilence();

    for (int i = 0; i < numParameters; ++i)
        plugin->setParameterValue (i, parameters[(size_t) i]->getDefaultValue());

    plugin->processSilence();

    for (int i = 0; i < numParameters; ++i)
    {
        SCOPED_TRACE (expectedParameters[(size_t) i].name);
        EXPECT_NEAR (plugin->getParameterValue (i), expectedParameters[(size_t) i].defaultValue, sixDecimals);
    }

    auto fresh = loader.create (GetParam());
    ASSERT_NE (fresh, nullptr);
    fresh->processSilence();

    const double resetEnergy = sineOutputEnergy (*plugin);
    const double freshEnergy = sineOutputEnergy (*fresh);
    EXPECT_GT (freshEnergy, 1000.0);
    EXPECT_NEAR (resetEnergy, freshEnergy, 0.1 * freshEnergy) << "only the glide back from the other settings may differ";

    // VST3 hands the default over as a double, so the reset values are the
    // defaults to the bit; JUCE writes LV2's with six significant digits.
    if (GetParam() == Format::vst3)
    {
        EXPECT_EQ (plugin->getState(), fresh->getState());
    }
}

INSTANTIATE_TEST_SUITE_P (Formats, HostDefaults,
                          ::testing::Values (Format::vst3, Format::lv2),
                          [] (const ::testing::TestParamInfo<Format>& test) { return formatName (test.param); });

TEST (Lv2Bundle, DeclaresEachParametersDefault)
{
    const auto dsp = lv2Bundle().getChildFile ("dsp.ttl").loadFileAsString().toStdString();
    ASSERT_FALSE (dsp.empty());

    for (int i = 0; i < numParameters; ++i)
    {
        const auto& expected = expectedParameters[(size_t) i];
        SCOPED_TRACE (expected.name);

        const std::regex declaration ("plug:" + std::string (expected.name) + R"(\s+a\s+lv2:Parameter\s*;[^.]*?lv2:default\s+([-+0-9.eE]+))");
        std::smatch match;
        ASSERT_TRUE (std::regex_search (dsp, match, declaration));
        EXPECT_NEAR (std::stod (match[1].str()), expected.defaultValue, sixDecimals);
    }
}

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

// The plug-in produces no MIDI; what comes in must not be passed on to the
// wrapper's output port, where a host would route it on.
TEST (Lv2Hosting, IncomingMidiIsNotSentBackOut)
{
    PluginLoader loader;
    juce::String error;
    auto instance = loader.createJuceInstance (Format::lv2, error);
    ASSERT_NE (instance, nullptr) << error;
    instance->prepareToPlay (48000.0, 512);

    juce::AudioBuffer<float> buffer (2, 512);
    buffer.clear();

    for (int block = 0; block < 4; ++block)
    {
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 20, 64), 100);
        midi.addEvent (juce::MidiMessage::programChange (1, 3), 200);

        instance->processBlock (buffer, midi);
        EXPECT_TRUE (midi.isEmpty()) << midi.getNumEvents() << " events came back in block " << block;
    }

    instance->releaseResources();
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
