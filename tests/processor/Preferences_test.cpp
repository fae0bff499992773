#include "tests/TestHelpers.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

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

//==============================================================================
namespace
{
    using P = ZentovaAudioProcessor;

    void bind (P& processor, int index, int controller)
    {
        processor.pluginParameters.getUnchecked (index)->midiCC.store (controller);
    }

    void clearAllBindings (P& processor)
    {
        processor.clearMidiRequested.store (true);
        corvanteelTest::processSilence (processor, 8, 8);
        ASSERT_FALSE (processor.clearMidiRequested.load());
    }
}

TEST (Preferences, InstancesOpenAtOnceKeepEachOthersLearntBindings)
{
    // Each instance used to write its whole set when destroyed: the last one won.
    corvanteelTest::TemporaryHome home;

    for (bool firstClosesFirst : { true, false })
    {
        SCOPED_TRACE (firstClosesFirst ? "A closes first" : "B closes first");
        home.preferencesFile().deleteFile();

        auto a = std::make_unique<P>();
        auto b = std::make_unique<P>();
        bind (*a, P::feedbackIndex, 20);
        bind (*b, P::resonanceIndex, 21);

        if (firstClosesFirst) { a.reset(); b.reset(); }
        else                  { b.reset(); a.reset(); }

        auto expected = unbound();
        expected[P::feedbackIndex] = 20;
        expected[P::resonanceIndex] = 21;
        EXPECT_EQ (bindingsOfNewInstance(), expected);
    }
}

TEST (Preferences, EachInstanceWritesOnlyWhatItChangedItself)
{
    corvanteelTest::TemporaryHome home;

    {
        P first;
        bind (first, P::feedbackIndex, 20);
        bind (first, P::timeIndex, 74);
    }

    // B starts with Feedback on 20 and Time on 74, and CLEARs; A, opened after,
    // learns Resonance on 21 and moves Time to 75, unlearns Feedback and learns it
    // again on 20; A closes before B.
    auto b = std::make_unique<P>();
    clearAllBindings (*b);

    auto a = std::make_unique<P>();
    bind (*a, P::resonanceIndex, 21);
    bind (*a, P::timeIndex, 75);
    bind (*a, P::feedbackIndex, -1);
    bind (*a, P::feedbackIndex, 20);
    a.reset();
    b.reset();

    // B's CLEAR removed what B had (Feedback; Time on 74), and kept what A learnt
    // afterwards (Resonance, and Time on 75).
    auto expected = unbound();
    expected[P::resonanceIndex] = 21;
    expected[P::timeIndex] = 75;
    EXPECT_EQ (bindingsOfNewInstance(), expected);
}

// Run by the test below, in processes of its own; skipped when run otherwise.
TEST (Preferences, ChildProcessLearnsAndWritesWhenTold)
{
    const char* task = std::getenv ("CORVANTEEL_PREFERENCES_CHILD");
    if (task == nullptr)
        GTEST_SKIP() << "run by TwoProcessesWritingAtOnceKeepBoth";

    // "<home>|<parameter index>|<controller>"
    const auto parts = juce::StringArray::fromTokens (juce::String::fromUTF8 (task), "|", "");
    ASSERT_EQ (parts.size(), 3);
    const juce::File shared (parts[0]);

    const std::string previousHome = std::getenv ("HOME");
    ::setenv ("HOME", parts[0].toRawUTF8(), 1);
    {
        P processor;
        const int index = parts[1].getIntValue();
        ASSERT_TRUE (juce::isPositiveAndBelow (index, (int) P::numParameters));
        processor.pluginParameters.getUnchecked (index)->midiCC = parts[2].getIntValue();

        // Ready; then all write at the same moment.
        shared.getChildFile ("ready-" + parts[1]).create();
        while (! shared.getChildFile ("go").exists())
            juce::Thread::sleep (1);
    }
    ::setenv ("HOME", previousHome.c_str(), 1);
}

TEST (Preferences, TwoProcessesWritingAtOnceKeepBoth)
{
    corvanteelTest::TemporaryHome home;
    const auto shared = home.folder();
    const std::string self = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName().toStdString();

    constexpr int numProcesses = 8;
    const int first = P::timeIndex;

    for (int round = 0; round < 3; ++round)
    {
        SCOPED_TRACE (round);
        home.preferencesFile().deleteFile();
        shared.getChildFile ("go").deleteFile();

        std::vector<pid_t> children;
        for (int i = 0; i < numProcesses; ++i)
        {
            const auto task = shared.getFullPathName() + "|" + juce::String (first + i) + "|" + juce::String (30 + i + round);
            ::setenv ("CORVANTEEL_PREFERENCES_CHILD", task.toRawUTF8(), 1);

            std::string filter = "--gtest_filter=Preferences.ChildProcessLearnsAndWritesWhenTold";
            char* argv[] = { const_cast<char*> (self.c_str()), filter.data(), nullptr };
            posix_spawn_file_actions_t quiet;
            ::posix_spawn_file_actions_init (&quiet);
            ::posix_spawn_file_actions_addopen (&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

            pid_t pid = 0;
            const int spawned = ::posix_spawn (&pid, self.c_str(), &quiet, nullptr, argv, environ);
            ::posix_spawn_file_actions_destroy (&quiet);
            ASSERT_EQ (spawned, 0);
            children.push_back (pid);
        }
        ::unsetenv ("CORVANTEEL_PREFERENCES_CHILD");

        for (int i = 0; i < numProcesses; ++i)
            while (! shared.getChildFile ("ready-" + juce::String (first + i)).exists())
                juce::Thread::sleep (1);

        shared.getChildFile ("go").create();

        for (auto pid : children)
        {
            int status = 0;
            ASSERT_EQ (::waitpid (pid, &status, 0), pid);
            EXPECT_TRUE (WIFEXITED (status) && WEXITSTATUS (status) == 0);
        }
        for (int i = 0; i < numProcesses; ++i)
            shared.getChildFile ("ready-" + juce::String (first + i)).deleteFile();

        auto expected = unbound();
        for (int i = 0; i < numProcesses; ++i)
            expected[(size_t) (first + i)] = 30 + i + round;
        EXPECT_EQ (bindingsOfNewInstance(), expected);
    }
}
