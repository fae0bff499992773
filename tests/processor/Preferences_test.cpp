#include "tests/TestHelpers.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

namespace
{
    constexpr int numParameters = ZentovaAudioProcessor::numParameters;

    // The keys as the preferences file names them, in parameter index order.
    const char* const expectedKeys[numParameters] =
    {
        "TimeCC", "SyncCC", "DivisionCC", "FeedbackCC", "Ping_OutCC", "Cutoff_FloorCC",
        "Cutoff_Mod_DepthCC", "Cutoff_Mod_RateCC", "ResonanceCC", "Modulation_RateCC",
        "Rate_ModeCC", "Modulation_AmountCC", "Stereo_SeparationCC", "Stutter_ProportionCC",
        "Stutter_SpeedCC", "Stutter_ReverseCC", "Stutter_MixCC", "Dry_WetCC", "RandomizeCC",
        "Out_LevelCC"
    };

    using Bindings = std::array<int, numParameters>;

    Bindings unbound()
    {
        Bindings bindings;
        bindings.fill (-1);
        return bindings;
    }

    Bindings bindingsOf (const ZentovaAudioProcessor& processor)
    {
        Bindings bindings;
        for (int i = 0; i < numParameters; ++i)
            bindings[(size_t) i] = processor.pluginParameters.getUnchecked (i)->midiCC.load();
        return bindings;
    }

    /** The bindings a new instance starts with (it is destroyed again at once). */
    Bindings bindingsOfNewInstance()
    {
        ZentovaAudioProcessor processor;
        return bindingsOf (processor);
    }

    void writePreferencesFile (const juce::File& file, const juce::String& content)
    {
        ASSERT_TRUE (file.getParentDirectory().createDirectory());
        ASSERT_TRUE (file.replaceWithText (content));
    }

    juce::String propertiesDocument (const juce::String& values)
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n" + values + "\n</PROPERTIES>\n";
    }
}

TEST (Preferences, FirstUseCreatesTheFileWithEveryBindingUnbound)
{
    corvanteelTest::TemporaryHome home;
    const auto file = home.preferencesFile();
    ASSERT_FALSE (file.getParentDirectory().exists());

    {
        ZentovaAudioProcessor processor;
        EXPECT_EQ (bindingsOf (processor), unbound());
        EXPECT_FALSE (file.exists()) << "the file is written only when the instance is destroyed";
    }

    const auto xml = juce::parseXML (file);
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (xml->hasTagName ("PROPERTIES"));
    ASSERT_EQ (xml->getNumChildElements(), numParameters);

    for (int i = 0; i < numParameters; ++i)
    {
        const auto* value = xml->getChildElement (i);
        SCOPED_TRACE (expectedKeys[i]);
        EXPECT_TRUE (value->hasTagName ("VALUE"));
        EXPECT_EQ (value->getStringAttribute ("name"), expectedKeys[i]);
        EXPECT_EQ (value->getStringAttribute ("val"), "-1");
    }
}

TEST (Preferences, ANewInstanceReadsItsBindingsFromTheFile)
{
    struct Case
    {
        const char* description;
        const char* content;
        std::vector<std::pair<int, int>> bound; // parameter index, controller; the rest stay -1
    };

    const Case cases[] =
    {
        { "a bound key",                  "<VALUE name=\"TimeCC\" val=\"74\"/>",       { { 0, 74 } } },
        { "keys are case-sensitive",      "<VALUE name=\"timecc\" val=\"74\"/>",       {} },
        { "text without digits reads 0",  "<VALUE name=\"TimeCC\" val=\"abc\"/>",      { { 0, 0 } } },
        { "leading blanks and digits",    "<VALUE name=\"FeedbackCC\" val=\" 20x\"/>", { { 3, 20 } } },
        { "an optional sign",             "<VALUE name=\"TimeCC\" val=\"+74\"/><VALUE name=\"SyncCC\" val=\"-1\"/>", { { 0, 74 } } },
        { "an entry without a name",      "<VALUE val=\"5\"/><VALUE name=\"Out_LevelCC\" val=\"7\"/>", { { 19, 7 } } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.description);
        corvanteelTest::TemporaryHome home;
        writePreferencesFile (home.preferencesFile(), propertiesDocument (c.content));

        auto expected = unbound();
        for (const auto& [index, controller] : c.bound)
            expected[(size_t) index] = controller;

        EXPECT_EQ (bindingsOfNewInstance(), expected);
    }
}

TEST (Preferences, AnUnreadableFileLeavesEveryBindingUnbound)
{
    const char* const contents[] =
    {
        "<PROPERTIES><VALUE name=\"TimeCC\" val=\"74\"/>",                  // cut short
        "<SETTINGS><VALUE name=\"TimeCC\" val=\"74\"/></SETTINGS>",         // another root
        "TimeCC=74",                                                        // not XML at all
    };

    for (const auto* content : contents)
    {
        SCOPED_TRACE (content);
        corvanteelTest::TemporaryHome home;
        writePreferencesFile (home.preferencesFile(), content);
        EXPECT_EQ (bindingsOfNewInstance(), unbound());
    }
}

TEST (Preferences, AnUnchangedSetLeavesTheFileUntouched)
{
    corvanteelTest::TemporaryHome home;
    const auto file = home.preferencesFile();

    juce::String values;
    for (int i = 0; i < numParameters; ++i)
        values << "<VALUE name=\"" << expectedKeys[i] << "\" val=\"" << (i == 3 ? "20" : "-1") << "\"/>";

    // Hand-written, so that a rewrite by JUCE would change the bytes, and dated
    // in the past, so that any write would change the modification time.
    writePreferencesFile (file, propertiesDocument (values));
    const juce::Time past (2001, 0, 1, 12, 0);
    ASSERT_TRUE (file.setLastModificationTime (past));

    juce::MemoryBlock before;
    ASSERT_TRUE (file.loadFileAsData (before));

    auto expected = unbound();
    expected[3] = 20;
    EXPECT_EQ (bindingsOfNewInstance(), expected);

    juce::MemoryBlock after;
    ASSERT_TRUE (file.loadFileAsData (after));
    EXPECT_EQ (after, before);
    EXPECT_EQ (file.getLastModificationTime(), past);
}

TEST (Preferences, BindingsLearntInOneInstanceReachTheNext)
{
    corvanteelTest::TemporaryHome home;

    {
        ZentovaAudioProcessor processor;
        processor.pluginParameters[ZentovaAudioProcessor::feedbackIndex]->midiCC = 20;
    }

    auto expected = unbound();
    expected[ZentovaAudioProcessor::feedbackIndex] = 20;
    EXPECT_EQ (bindingsOfNewInstance(), expected);
}
