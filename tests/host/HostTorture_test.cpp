// Drives the built binaries the way demanding hosts do: every block size from
// none to 4096 frames and sizes that change from block to block, sample rates
// from 22.05 to 192 kHz, several instances of every format processing side by
// side, automation of every parameter between blocks and inside them, state
// saved and restored while playing, and host control from the message thread
// while the audio thread runs. Whatever happens, the output stays finite and
// within +-2: the plug-in clips to +-1 before its output gain of at most +6 dB.
// The host's choices come from fixed seeds; only Randomize, when switched on,
// draws from the plug-in's own generator.

#include "HostedPlugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace
{
    using namespace corvanteelHost;

    constexpr float outputLimit = 2.0f;
    constexpr int largestBlock = 4096;

    const std::vector<int> blockSizes { 0, 1, 7, 64, 512, largestBlock };

    // Up and down in big steps, ending where a fresh instance starts.
    const std::vector<double> sampleRates { 192000.0, 22050.0, 96000.0, 48000.0, 88200.0, 44100.0 };

    const std::vector<Format> allFormats { Format::vst3, Format::lv2, Format::vst2 };

    /** What is wrong with a parameter's display text, or nothing. */
    std::string textFault (const juce::String& text)
    {
        if (text.trim().isEmpty())
            return "empty text";

        const auto lower = text.toLowerCase();

        if (lower.contains ("nan") || lower.contains ("inf"))
            return "not a number: \"" + text.toStdString() + "\"";

        if (text.length() > 64)
            return "overlong text: \"" + text.toStdString() + "\"";

        for (auto character : text)
            if (character < 0x20 || character == 0x7f)
                return "control character in \"" + text.toStdString() + "\"";

        return {};
    }

    /** One instance at play: feeds it noise and tone, automates it, sends it
        MIDI, and keeps the first output sample that is not finite or beyond
        the limit.
    */
    class Player
    {
    public:
        struct Options
        {
            bool automate = true;          // parameter changes before each block
            bool splitBlocks = false;      // and at one point inside it, where the host splits the block
            bool includeRandomize = true;  // the Randomize switch among the changes
            bool checkTexts = false;       // read back the display text of every change
        };

        Player (HostedPlugin& pluginToPlay, juce::int64 seed, std::string nameToShow, Options optionsToUse)
            : plugin (pluginToPlay), random (seed), name (std::move (nameToShow)), options (optionsToUse)
        {
        }

        void play (int numSamples)
        {
            juce::AudioBuffer<float> block (2, numSamples);
            fillInput (block);

            if (options.automate)
                automateSome();

            const bool split = options.automate && options.splitBlocks && numSamples > 1 && random.nextBool();
            const int first = split ? 1 + random.nextInt (numSamples - 1) : numSamples;

            processPart (block, 0, first);

            if (first < numSamples)
            {
                automateSome();
                processPart (block, first, numSamples - first);
            }

            check (block);
            lastOutput.makeCopyOf (block);
            ++blocksPlayed;
        }

        /** A size between 0 and largest, the listed sizes among them more often. */
        int nextBlockSize (int largest)
        {
            if (random.nextBool())
            {
                const int listed = blockSizes[(size_t) random.nextInt ((int) blockSizes.size())];

                if (listed <= largest)
                    return listed;
            }

            return random.nextInt (largest + 1);
        }

        /** Sets one to four parameters: ends of the range as often as values inside. */
        void automateSome()
        {
            for (int count = 1 + random.nextInt (4); --count >= 0;)
            {
                const int index = random.nextInt (numParameters);

                if (index == randomizeIndex && ! options.includeRandomize)
                    continue;

                const float pick = random.nextFloat();
                const float value = pick < 0.25f ? 0.0f : (pick < 0.5f ? 1.0f : random.nextFloat());
                plugin.setParameterValue (index, value);

                if (options.checkTexts && fault.empty())
                    if (const auto text = plugin.getParameterText (index))
                        if (const auto problem = textFault (*text); ! problem.empty())
                            fault = name + ": " + expectedParameters[(size_t) index].name + " at " + std::to_string (value) + ": " + problem;
            }
        }

        HostedPlugin& plugin;
        juce::Random random;
        std::string name;
        Options options;
        std::string fault;
        juce::AudioBuffer<float> lastOutput;
        int blocksPlayed = 0;
        float peak = 0.0f;

    private:
        void fillInput (juce::AudioBuffer<float>& block)
        {
            // Some silent blocks, some hotter than full scale.
            const float gain = random.nextFloat() < 0.1f ? 0.0f : 1.25f * random.nextFloat();
            const float step = 0.01f + 0.2f * random.nextFloat();

            for (int i = 0; i < block.getNumSamples(); ++i)
            {
                const float tone = std::sin (phase);
                phase = std::fmod (phase + step, juce::MathConstants<float>::twoPi);

                for (int channel = 0; channel < 2; ++channel)
                    block.setSample (channel, i, gain * (0.5f * tone + 0.5f * (2.0f * random.nextFloat() - 1.0f)));
            }
        }

        void processPart (juce::AudioBuffer<float>& block, int start, int numSamples)
        {
            juce::AudioBuffer<float> part (block.getArrayOfWritePointers(), 2, start, numSamples);
            juce::MidiBuffer midi;

            // Controllers, program changes (there are no presets to load) and notes.
            if (numSamples > 0 && random.nextFloat() < 0.25f)
            {
                for (int count = 1 + random.nextInt (3); --count >= 0;)
                {
                    const int position = random.nextInt (numSamples);
                    const int channel = 1 + random.nextInt (16);

                    switch (random.nextInt (3))
                    {
                        case 0:  midi.addEvent (juce::MidiMessage::controllerEvent (channel, random.nextInt (128), random.nextInt (128)), position); break;
                        case 1:  midi.addEvent (juce::MidiMessage::programChange (channel, random.nextInt (128)), position); break;
                        default: midi.addEvent (juce::MidiMessage::noteOn (channel, random.nextInt (128), (juce::uint8) (1 + random.nextInt (127))), position); break;
                    }
                }
            }

            plugin.process (part, midi);
        }

        void check (const juce::AudioBuffer<float>& block)
        {
            for (int channel = 0; channel < block.getNumChannels(); ++channel)
            {
                for (int i = 0; i < block.getNumSamples(); ++i)
                {
                    const float sample = block.getSample (channel, i);

                    if (std::isfinite (sample))
                        peak = std::max (peak, std::abs (sample));

                    if ((! std::isfinite (sample) || std::abs (sample) > outputLimit) && fault.empty())
                        fault = name + ": block " + std::to_string (blocksPlayed) + " of " + std::to_string (block.getNumSamples())
                              + " frames, channel " + std::to_string (channel) + ", frame " + std::to_string (i)
                              + ": " + std::to_string (sample);
                }
            }
        }

        float phase = 0.0f;
    };

    /** Where two states differ, or nothing. */
    std::string stateDifference (const juce::MemoryBlock& actual, const juce::MemoryBlock& expected)
    {
        if (actual == expected)
            return {};

        const auto* a = static_cast<const char*> (actual.getData());
        const auto* b = static_cast<const char*> (expected.getData());
        size_t offset = 0;

        while (offset < actual.getSize() && offset < expected.getSize() && a[offset] == b[offset])
            ++offset;

        auto excerpt = [offset] (const char* bytes, size_t size)
        {
            std::string text;

            for (size_t i = offset - std::min (offset, (size_t) 40); i < std::min (size, offset + 40); ++i)
                text += (bytes[i] >= 0x20 && bytes[i] < 0x7f) ? bytes[i] : '.';

            return text;
        };

        return std::to_string (actual.getSize()) + " bytes instead of " + std::to_string (expected.getSize())
             + ", first difference at byte " + std::to_string (offset) + ": \"" + excerpt (a, actual.getSize())
             + "\" instead of \"" + excerpt (b, expected.getSize()) + "\"";
    }

    juce::int64 seedFor (Format format, int test)
    {
        return 1000 * (juce::int64) format + test;
    }

    //==============================================================================
    class HostTorture : public ::testing::TestWithParam<Format>
    {
    protected:
        std::unique_ptr<HostedPlugin> createPlugin()
        {
            auto plugin = loader.create (GetParam());

            if (plugin != nullptr && plugin->getNumParameters() != numParameters)
            {
                ADD_FAILURE() << "the host sees " << plugin->getNumParameters() << " parameters";
                return {};
            }

            return plugin;
        }

        std::string name() const    { return formatName (GetParam()); }

        PluginLoader loader;
    };
}

//==============================================================================
TEST_P (HostTorture, EveryBlockSizeAndSizesChangingBetweenBlocks)
{
    auto plugin = createPlugin();
    ASSERT_NE (plugin, nullptr);

    // Prepared for the largest block; then 300 blocks of each size.
    plugin->prepare (sampleRate, largestBlock);
    Player player (*plugin, seedFor (GetParam(), 1), name(), {});

    for (const int size : blockSizes)
    {
        for (int block = 0; block < 300 && player.fault.empty(); ++block)
            player.play (size);

        EXPECT_EQ (player.fault, "") << "with blocks of " << size;
    }

    for (int block = 0; block < 300 && player.fault.empty(); ++block)
        player.play (player.nextBlockSize (largestBlock));

    EXPECT_EQ (player.fault, "") << "with changing block sizes";
    EXPECT_GT (player.peak, 0.01f) << "no output at all";
}

TEST_P (HostTorture, EverySampleRate)
{
    auto plugin = createPlugin();
    ASSERT_NE (plugin, nullptr);

    Player player (*plugin, seedFor (GetParam(), 2), name(), {});

    for (const double rate : sampleRates)
    {
        plugin->prepare (rate, blockSize);

        for (int block = 0; block < 200 && player.fault.empty(); ++block)
            player.play (player.nextBlockSize (blockSize));

        EXPECT_EQ (player.fault, "") << "at " << rate << " Hz";
    }
}

TEST_P (HostTorture, ParameterTextsAtBothEndsAndTheMiddleAreSane)
{
    auto plugin = createPlugin();
    ASSERT_NE (plugin, nullptr);

    if (! plugin->getParameterText (0).has_value())
        GTEST_SKIP() << name() << " hands hosts numbers, no texts";

    for (int index = 0; index < numParameters; ++index)
    {
        const auto& parameter = expectedParameters[(size_t) index];
        SCOPED_TRACE (parameter.name);
        std::vector<juce::String> texts;

        for (const float value : { 0.0f, 0.5f, 1.0f })
        {
            plugin->setParameterValue (index, value);
            const auto text = plugin->getParameterText (index).value_or ("");
            EXPECT_EQ (textFault (text), "") << "at " << value;
            texts.push_back (text);
        }

        // Every parameter's ends read differently.
        EXPECT_NE (texts.front(), texts.back());

        plugin->setParameterValue (index, parameter.defaultValue);
    }
}

TEST_P (HostTorture, AutomationOfEveryParameterBetweenAndInsideBlocks)
{
    auto plugin = createPlugin();
    ASSERT_NE (plugin, nullptr);

    Player::Options options;
    options.splitBlocks = true;
    options.checkTexts = true;
    Player player (*plugin, seedFor (GetParam(), 3), name(), options);

    // Each parameter to both ends in turn, the switches included.
    player.options.automate = false;

    for (int index = 0; index < numParameters && player.fault.empty(); ++index)
    {
        for (const float value : { 1.0f, 0.0f, expectedParameters[(size_t) index].defaultValue })
        {
            plugin->setParameterValue (index, value);
            player.play (blockSize);
        }
    }

    EXPECT_EQ (player.fault, "") << "moving one parameter at a time";

    // The whole loop at its strongest (feedback, resonance, cross-feed, wet
    // only, +6 dB), then every parameter at its lowest, a few seconds each.
    for (const float value : { 1.0f, 0.0f })
    {
        for (int index = 0; index < numParameters; ++index)
            if (index != randomizeIndex)
                plugin->setParameterValue (index, value);

        for (int block = 0; block < 300 && player.fault.empty(); ++block)
            player.play (blockSize);

        EXPECT_EQ (player.fault, "") << "with every parameter at " << value;
    }

    // Random changes before and inside blocks, Randomize among them.
    player.options.automate = true;

    for (int block = 0; block < 400 && player.fault.empty(); ++block)
        player.play (player.nextBlockSize (blockSize));

    EXPECT_EQ (player.fault, "") << "with random automation";
}

TEST_P (HostTorture, StateSavedAndRestoredDuringPlayback)
{
    auto plugin = createPlugin();
    ASSERT_NE (plugin, nullptr);

    Player player (*plugin, seedFor (GetParam(), 4), name(), {});
    plugin->processSilence();
    std::vector<juce::MemoryBlock> saved { plugin->getState() };

    for (int block = 0; block < 300 && player.fault.empty(); ++block)
    {
        player.play (player.nextBlockSize (blockSize));

        if (block % 10 != 9)
            continue;

        // Save now; restore this or an earlier state and play on without a
        // break. After a block free of automation the plug-in holds exactly
        // the restored state. Its own state is compared, not the host's
        // values: JUCE's VST3 host does not take the changes that the plug-in
        // itself makes (Randomize) into its copy of them.
        saved.push_back (plugin->getState());
        ASSERT_GT (saved.back().getSize(), 0u);

        const auto chosen = (size_t) player.random.nextInt ((int) saved.size());
        plugin->setState (saved[chosen]);

        player.options.automate = false;
        player.play (blockSize);
        player.options.automate = true;

        ASSERT_EQ (stateDifference (plugin->getState(), saved[chosen]), "")
            << "after restoring state " << chosen << " in block " << block;
    }

    EXPECT_EQ (player.fault, "");
}

TEST_P (HostTorture, HostControlFromTheMessageThreadWhileTheAudioThreadPlays)
{
    auto plugin = createPlugin();
    ASSERT_NE (plugin, nullptr);

    // The audio thread plays; this thread, the message thread, automates,
    // reads texts and saves and restores the state meanwhile, as a host's
    // interface and automation do.
    Player::Options options;
    options.automate = false;
    Player player (*plugin, seedFor (GetParam(), 5), name(), options);

    std::atomic<bool> finished { false };
    std::thread audioThread ([&]
    {
        for (int block = 0; block < 1000 && player.fault.empty(); ++block)
            player.play (player.nextBlockSize (blockSize));

        finished = true;
    });

    juce::Random control (seedFor (GetParam(), 6));
    std::vector<juce::MemoryBlock> states { plugin->getState() };
    std::string textProblem;
    int step = 0;

    for (; ! finished; ++step)
    {
        const int index = control.nextInt (numParameters);
        plugin->setParameterValue (index, control.nextBool() ? (float) control.nextInt (2) : control.nextFloat());

        if (const auto text = plugin->getParameterText (index); text.has_value() && textProblem.empty())
            textProblem = textFault (*text);

        if (step % 20 == 0)
            states.push_back (plugin->getState());

        if (step % 20 == 10)
            plugin->setState (states[(size_t) control.nextInt ((int) states.size())]);

        std::this_thread::sleep_for (std::chrono::microseconds (100));
    }

    audioThread.join();

    EXPECT_GT (step, 20) << "the audio thread finished before the host had done much";
    EXPECT_EQ (player.fault, "");
    EXPECT_EQ (textProblem, "");
}

INSTANTIATE_TEST_SUITE_P (Formats, HostTorture,
                          ::testing::ValuesIn (allFormats),
                          [] (const ::testing::TestParamInfo<Format>& test) { return formatName (test.param); });

//==============================================================================
TEST (HostTortureAllFormats, ThreeInstancesOfEachFormatPlayInterleaved)
{
    // Nine instances alive at once, one block each in turn. The first two of
    // each format get the same input and automation and must answer alike to
    // the bit: nothing passes between instances. The third plays its own.
    PluginLoader loader;
    std::vector<std::unique_ptr<HostedPlugin>> plugins;
    std::vector<std::unique_ptr<Player>> players;

    Player::Options options;
    options.splitBlocks = true;
    options.includeRandomize = false; // each instance draws its own random values

    for (const auto format : allFormats)
    {
        for (int copy = 0; copy < 3; ++copy)
        {
            plugins.push_back (loader.create (format));
            ASSERT_NE (plugins.back(), nullptr);
            players.push_back (std::make_unique<Player> (*plugins.back(), seedFor (format, copy == 2 ? 8 : 7),
                                                         formatName (format) + " #" + std::to_string (copy + 1), options));
        }
    }

    std::string mismatch;

    for (int round = 0; round < 200; ++round)
    {
        for (auto& player : players)
            player->play (player->nextBlockSize (blockSize));

        for (size_t first = 0; first < players.size() && mismatch.empty(); first += 3)
        {
            const auto& a = players[first]->lastOutput;
            const auto& b = players[first + 1]->lastOutput;

            for (int channel = 0; channel < 2 && mismatch.empty(); ++channel)
                for (int i = 0; i < a.getNumSamples() && mismatch.empty(); ++i)
                    if (a.getSample (channel, i) != b.getSample (channel, i))
                        mismatch = players[first]->name + " and #2 differ in round " + std::to_string (round)
                                 + ", channel " + std::to_string (channel) + ", frame " + std::to_string (i);
        }
    }

    for (const auto& player : players)
    {
        EXPECT_EQ (player->fault, "");
        EXPECT_GT (player->peak, 0.01f) << player->name << " gave no output";
    }

    EXPECT_EQ (mismatch, "");
}
