#include "tests/TestHelpers.h"

#include "processor/PresetFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace
{
    constexpr int numParameters = ZentovaAudioProcessor::numParameters;
    constexpr int feedbackIndex = ZentovaAudioProcessor::feedbackIndex;

    juce::String readBytes (const juce::File& file)
    {
        juce::MemoryBlock bytes;
        file.loadFileAsData (bytes);
        return bytes.toString();
    }

    // The value text as the file stores it: %.20g in the C locale, the float widened.
    std::string storedText (float value)
    {
        char text[64];
        std::snprintf (text, sizeof (text), "%.20g", (double) value);
        return text;
    }

    /** The file text for the given attribute pairs, built from the layout rules
        (declaration, an empty line, a line with one space, attributes wrapped once a
        line holds more than 60 characters, 15-space indent, CR LF). Values must not
        need escaping. */
    std::string expectedFileText (const std::vector<std::pair<std::string, std::string>>& attributes)
    {
        std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n \r\n<ZENTOVA_PRESET";
        size_t lineLength = 0;

        for (const auto& [name, value] : attributes)
        {
            if (lineLength > 60)
            {
                text += "\r\n" + std::string (15, ' ');
                lineLength = 0;
            }

            const auto attribute = " " + name + "=\"" + value + "\"";
            text += attribute;
            lineLength += attribute.size();
        }

        return text + "/>\r\n";
    }

    class PresetFileTest : public ::testing::Test
    {
    protected:
        juce::File presetFile (const juce::String& name) const { return home.presetFolder().getChildFile (name); }

        float defaultOf (int index) const { return processor.pluginParameters[index]->defaultNormalisedValue; }

        // What SAVE writes for the file chosen in its dialog.
        bool saveChosenFile (const juce::File& chosen)
        {
            return PresetFile::write (PresetFile::targetFileFor (chosen, processor.presetManager.presetExtension),
                                      PresetFile::presetNameFor (chosen), processor);
        }

        corvanteelTest::TemporaryHome home;
        ZentovaAudioProcessor processor;
    };
} // namespace

TEST_F (PresetFileTest, SavingWritesTheDocumentByteForByte)
{
    corvanteelTest::setParameter (processor, feedbackIndex, 0.123f);
    corvanteelTest::setParameter (processor, ZentovaAudioProcessor::timeIndex, 0.0001f);
    corvanteelTest::setParameter (processor, ZentovaAudioProcessor::syncIndex, 1.0f);

    ASSERT_TRUE (saveChosenFile (presetFile ("Bass.tqz")));

    std::vector<std::pair<std::string, std::string>> attributes { { "PresetName", "Bass" } };
    for (int i = 0; i < numParameters; ++i)
        attributes.emplace_back (processor.pluginParameters[i]->paramName.toStdString(),
                                 storedText (processor.getParameter (i)));

    const auto written = readBytes (presetFile ("Bass.tqz"));
    EXPECT_EQ (written.toStdString(), expectedFileText (attributes));

    EXPECT_TRUE (written.contains (" Time=\"9.9999997473787516356e-05\""));
    EXPECT_TRUE (written.contains (" Sync=\"1\""));
    EXPECT_TRUE (written.contains (" Feedback=\"0.1230000033974647522\""));
}

TEST_F (PresetFileTest, SavedValuesReadBackAsTheSameFloats)
{
    for (int i = 0; i < numParameters; ++i)
        corvanteelTest::setParameter (processor, i, (float) (i + 1) * 0.0473f);

    ASSERT_TRUE (PresetFile::write (presetFile ("Values.tqz"), "Values", processor));

    std::vector<float> saved;
    for (int i = 0; i < numParameters; ++i)
    {
        // A Randomize press is served by the next block, never stored (see below).
        saved.push_back (i == ZentovaAudioProcessor::randomizeIndex ? 0.0f : processor.getParameter (i));
        corvanteelTest::setParameter (processor, i, 0.0f);
    }

    ASSERT_TRUE (PresetFile::read (presetFile ("Values.tqz"), processor));

    for (int i = 0; i < numParameters; ++i)
        EXPECT_EQ (processor.getParameter (i), saved[(size_t) i]) << i;
}

TEST_F (PresetFileTest, ChosenFileNameGivesPresetNameAndTarget)
{
    struct Case { const char* chosen; const char* written; const char* name; };
    const Case cases[] = {
        { "Bass",       "Bass.tqz",   "Bass" },
        { "My.Preset",  "My.tqz",     "My" },
        { "Lead.TQZ",   "Lead.TQZ",   "Lead" },
        { "Pad.tqz",    "Pad.tqz",    "Pad" },
        { "Two.Dots.x", "Two.Dots.tqz", "Two.Dots" },
    };

    for (const auto& c : cases)
    {
        ASSERT_TRUE (saveChosenFile (presetFile (c.chosen)));

        const auto written = presetFile (c.written);
        EXPECT_TRUE (written.existsAsFile()) << c.chosen;

        const auto root = juce::XmlDocument::parse (written);
        ASSERT_NE (root, nullptr) << c.chosen;
        EXPECT_EQ (root->getStringAttribute ("PresetName"), c.name) << c.chosen;
    }

    EXPECT_FALSE (presetFile ("My.Preset").exists());
    EXPECT_FALSE (presetFile ("Lead.TQZ.tqz").exists());
}

TEST_F (PresetFileTest, NameWithMarkupAndNonAsciiIsEscapedAndReadsBack)
{
    const auto name = juce::String::fromUTF8 ("R\xc3\xa9 \"A&B\" <1>");
    ASSERT_TRUE (saveChosenFile (presetFile (name + ".tqz")));

    const auto file = presetFile (name + ".tqz");
    EXPECT_TRUE (readBytes (file).contains ("PresetName=\"R&#233; &quot;A&amp;B&quot; &lt;1&gt;\""));

    processor.currentPresetName.set ("Other");
    ASSERT_TRUE (PresetFile::read (file, processor));
    EXPECT_EQ (processor.currentPresetName.get(), name);
}

TEST_F (PresetFileTest, ReaderRules)
{
    enum class Expect { unchanged, defaultValue, value };
    struct Case { const char* label; const char* text; bool applied; Expect feedback; float value; const char* name; };

    const Case cases[] = {
        { "upper-case root",   "<ZENTOVA_PRESET PresetName=\"A\" Feedback=\"0.25\"/>", true,  Expect::value, 0.25f, "A" },
        { "lower-case root",   "<zentova_preset PresetName=\"A\" Feedback=\"0.25\"/>", true,  Expect::value, 0.25f, "A" },
        { "state root",        "<ZENTOVA_STATE PresetName=\"A\" Feedback=\"0.25\"/>",  false, Expect::unchanged, 0, "Before" },
        { "missing Feedback",  "<ZENTOVA_PRESET PresetName=\"A\"/>",                   true,  Expect::defaultValue, 0, "A" },
        { "lower-case name",   "<ZENTOVA_PRESET PresetName=\"A\" feedback=\"0.25\"/>", true,  Expect::defaultValue, 0, "A" },
        { "not a number",      "<ZENTOVA_PRESET PresetName=\"A\" Feedback=\"abc\"/>",  true,  Expect::value, 0.0f, "A" },
        { "number then text",  "<ZENTOVA_PRESET PresetName=\"A\" Feedback=\" 0.5x\"/>", true, Expect::value, 0.5f, "A" },
        { "above range",       "<ZENTOVA_PRESET PresetName=\"A\" Feedback=\"1.5\"/>",  true,  Expect::unchanged, 0, "A" },
        { "below range",       "<ZENTOVA_PRESET PresetName=\"A\" Feedback=\"-0.1\"/>", true,  Expect::unchanged, 0, "A" },
        { "no PresetName",     "<ZENTOVA_PRESET Feedback=\"0.25\"/>",                  true,  Expect::value, 0.25f, " " },
        { "children ignored",  "<ZENTOVA_PRESET PresetName=\"A\" Feedback=\"0.25\"><X Feedback=\"0.5\"/></ZENTOVA_PRESET>",
                                                                                        true,  Expect::value, 0.25f, "A" },
        { "not XML",           "this is not a preset",                                  false, Expect::unchanged, 0, "Before" },
    };

    const auto file = presetFile ("case.tqz");

    for (const auto& c : cases)
    {
        corvanteelTest::setParameter (processor, feedbackIndex, 0.77f);
        processor.currentPresetName.set ("Before");
        file.replaceWithText (c.text);

        EXPECT_EQ (PresetFile::read (file, processor), c.applied) << c.label;

        const float expected = c.feedback == Expect::unchanged    ? 0.77f
                             : c.feedback == Expect::defaultValue ? defaultOf (feedbackIndex)
                                                                  : c.value;
        EXPECT_EQ (processor.getParameter (feedbackIndex), expected) << c.label;
        EXPECT_EQ (processor.currentPresetName.get(), c.name) << c.label;
    }

    processor.currentPresetName.set ("Before");
    EXPECT_FALSE (PresetFile::read (presetFile ("missing.tqz"), processor));
    EXPECT_EQ (processor.currentPresetName.get(), "Before");
}

TEST_F (PresetFileTest, HandEditedFileSavedAsUtf16IsApplied)
{
    // A text editor's "Unicode" save: UTF-16 with a byte order mark, as JUCE writes it.
    const auto file = presetFile ("edited.tqz");
    const auto name = juce::String::fromUTF8 ("Caf\xc3\xa9 Dub");
    ASSERT_TRUE (file.replaceWithText ("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<ZENTOVA_PRESET PresetName=\""
                                       + name + "\" Feedback=\"0.25\"/>\r\n", true, true));
    ASSERT_EQ (file.getSize() % 2, 0);
    ASSERT_NE (juce::parseXML (file), nullptr);   // JUCE's own parser reads it

    corvanteelTest::setParameter (processor, feedbackIndex, 0.77f);
    EXPECT_TRUE (PresetFile::read (file, processor));
    EXPECT_EQ (processor.getParameter (feedbackIndex), 0.25f);
    EXPECT_EQ (processor.currentPresetName.get(), name);
}

TEST_F (PresetFileTest, NameOnlyResetsEveryParameterWithTwentyNotificationsAndNoGesture)
{
    for (int i = 0; i < numParameters; ++i)
        corvanteelTest::setParameter (processor, i, 1.0f);

    const auto file = presetFile ("NameOnly.tqz");
    file.replaceWithText ("<ZENTOVA_PRESET PresetName=\"NameOnly\"/>");

    corvanteelTest::RecordingListener host (processor);
    ASSERT_TRUE (PresetFile::read (file, processor));

    ASSERT_EQ (host.events.size(), (size_t) numParameters);
    for (int i = 0; i < numParameters; ++i)
    {
        EXPECT_EQ (host.events[(size_t) i].kind, corvanteelTest::RecordingListener::Event::value);
        EXPECT_EQ (host.events[(size_t) i].index, i);
        EXPECT_EQ (processor.getParameter (i), defaultOf (i)) << i;
    }
}

// Pressed while the host is not processing, RANDOM waits for the next block; a
// preset saved meanwhile must not randomize every time it is loaded.
TEST_F (PresetFileTest, APendingRandomizePressIsNotSaved)
{
    corvanteelTest::setParameter (processor, feedbackIndex, 0.2f);
    corvanteelTest::setParameter (processor, ZentovaAudioProcessor::randomizeIndex, 1.0f);
    ASSERT_TRUE (saveChosenFile (presetFile ("Pressed.tqz")));

    EXPECT_TRUE (readBytes (presetFile ("Pressed.tqz")).contains (" Randomize=\"0\""));

    ZentovaAudioProcessor loaded;
    ASSERT_TRUE (PresetFile::read (presetFile ("Pressed.tqz"), loaded));
    corvanteelTest::processSilence (loaded, 64, 64);
    EXPECT_EQ (loaded.getParameter (feedbackIndex), 0.2f);
}

TEST_F (PresetFileTest, RandomizeInAFileTriggersARandomizeAtTheNextBlock)
{
    const auto file = presetFile ("Dice.tqz");
    file.replaceWithText ("<ZENTOVA_PRESET PresetName=\"Dice\" Time=\"0.5\" Randomize=\"1\"/>");

    ASSERT_TRUE (PresetFile::read (file, processor));
    EXPECT_EQ (processor.getParameter (ZentovaAudioProcessor::randomizeIndex), 1.0f);

    processor.prepareToPlay (44100.0, 64);
    corvanteelTest::processSilence (processor, 64, 64);

    EXPECT_EQ (processor.getParameter (ZentovaAudioProcessor::randomizeIndex), 0.0f);
    EXPECT_NE (processor.getParameter (ZentovaAudioProcessor::timeIndex), 0.5f);
}
