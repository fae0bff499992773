#include "tests/TestHelpers.h"

#include "editor/PresetComponent.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>


namespace
{
    using corvanteelTest::click;
    using corvanteelTest::runMessageLoop;

    /** A browser on a processor whose preset folder holds the given presets
        (written before the processor is built, so its scan finds them). */
    class PresetComponentTest : public ::testing::Test
    {
    protected:
        void create (const juce::StringArray& presetNames = {})
        {
            home.presetFolder().createDirectory();

            for (const auto& name : presetNames)
                home.presetFolder().getChildFile (name + ".tqz")
                    .replaceWithText ("<ZENTOVA_PRESET PresetName=\"" + name + "\"/>");

            processor = std::make_unique<ZentovaAudioProcessor>();
            browser = std::make_unique<PresetComponent>();
            browser->ownerProcessor = processor.get();
        }

        void expectIndexRequest (int index, const char* label) const
        {
            EXPECT_TRUE (processor->presetIndexPending.load()) << label;
            EXPECT_EQ (processor->currentPresetIndex.load(), index) << label;
        }

        corvanteelTest::TemporaryHome home;
        std::unique_ptr<ZentovaAudioProcessor> processor;
        std::unique_ptr<PresetComponent> browser;
    };

    /** A folder in which no file can be written: a tiny file system of its own,
        filled up, where the test may mount one (as root, in a mount namespace of its
        own), else a folder without write permission, which stops everyone but root.
        Whichever it is, a probe write is made to see that it really fails. */
    class FolderThatRefusesWrites
    {
    public:
        explicit FolderThatRefusesWrites (const juce::File& folderToUse) : folder (folderToUse)
        {
            folder.createDirectory();
            const auto path = folder.getFullPathName().toStdString();

            if (::unshare (CLONE_NEWNS) == 0
                && ::mount (nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
                && ::mount ("corvanteel-test", path.c_str(), "tmpfs", 0, "size=16k,nr_inodes=64") == 0)
            {
                mounted = true;
                kind = "a full file system";
                std::ofstream filler (path + "/filler", std::ios::binary);
                const std::vector<char> block (1024, 'x');
                while (filler.write (block.data(), (std::streamsize) block.size()) && filler.flush()) {}
            }
            else
            {
                folder.setReadOnly (true);
                kind = "a read-only folder";
            }

            std::ofstream probe (path + "/probe.tqz", std::ios::binary);
            const std::vector<char> bytes (4096, 'x');
            probe.write (bytes.data(), (std::streamsize) bytes.size());
            probe.flush();
            refuses = ! probe.good();
            probe.close();
            ::unlink ((path + "/probe.tqz").c_str());
        }

        ~FolderThatRefusesWrites()
        {
            if (mounted)
                ::umount2 (folder.getFullPathName().toRawUTF8(), MNT_DETACH);
            else
                folder.setReadOnly (false);
        }

        juce::File folder;
        bool mounted = false;
        bool refuses = false;
        const char* kind = "";
    };
} // namespace

TEST_F (PresetComponentTest, ConstructionStateAndBounds)
{
    create();

    EXPECT_EQ (browser->getBounds(), juce::Rectangle<int> (0, 0, 250, 140));
    EXPECT_TRUE (browser->firstUpdate);

    struct Expected { juce::Component* control; const char* name; juce::Rectangle<int> bounds; };
    const Expected expected[] = {
        { browser->randomButton.get(),   "random button", { 170, 110, 60, 20 } },
        { browser->loadButton.get(),     "",              { 95, 110, 60, 20 } },
        { browser->saveButton.get(),     "save button",   { 20, 110, 60, 20 } },
        { browser->presetBox.get(),      "Preset Box",    { 20, 35, 210, 20 } },
        { browser->previousButton.get(), "",              { 20, 68, 30, 20 } },
        { browser->nextButton.get(),     "",              { 200, 68, 30, 20 } },
    };

    for (int i = 0; i < (int) std::size (expected); ++i)
    {
        EXPECT_EQ (browser->getChildComponent (i), expected[i].control) << i;
        EXPECT_EQ (expected[i].control->getName(), expected[i].name) << i;
        EXPECT_EQ (expected[i].control->getBounds(), expected[i].bounds) << i;
        EXPECT_FALSE (expected[i].control->getWantsKeyboardFocus()) << i;
    }

    EXPECT_EQ (browser->randomButton->getButtonText(), "RANDOM");
    EXPECT_EQ (browser->loadButton->getButtonText(), "LOAD");
    EXPECT_TRUE (browser->saveButton->getClickingTogglesState());
    EXPECT_FALSE (browser->loadButton->getClickingTogglesState());
    EXPECT_EQ (browser->presetBox->getTextWhenNothingSelected(), "Init");
    EXPECT_EQ (browser->presetBox->getTextWhenNoChoicesAvailable(), "(no choices)");
    EXPECT_EQ (browser->presetBox->getNumItems(), 0);
}

TEST_F (PresetComponentTest, SteppingWrapsOnThePresetList)
{
    struct Case { int presets; int start; bool forward; int expected; };
    const Case cases[] = {
        { 3, -1, true, 0 },  { 3, -1, false, 2 },
        { 3, 0, false, 2 },  { 3, 2, true, 0 },
        { 3, 1, true, 2 },   { 3, 1, false, 0 },
        { 5, 100, false, 99 }, { 5, 100, true, 0 },
        { 0, -1, false, -1 }, { 0, -1, true, 0 },
    };

    for (const auto& c : cases)
    {
        juce::StringArray names;
        for (int i = 0; i < c.presets; ++i)
            names.add ("P" + juce::String (i));

        home.presetFolder().deleteRecursively();
        create (names);

        processor->currentPresetIndex.store (c.start);
        click (c.forward ? *browser->nextButton : *browser->previousButton);

        const auto label = juce::String (c.presets) + " presets from " + juce::String (c.start)
                         + (c.forward ? " >" : " <");
        expectIndexRequest (c.expected, label.toRawUTF8());
        EXPECT_TRUE ((c.forward ? browser->nextButton : browser->previousButton)->getToggleState());
    }
}

TEST_F (PresetComponentTest, EveryClickRaisesItsOwnRequest)
{
    create ({ "A", "B", "C" });

    click (*browser->nextButton);
    processor->presetIndexPending.store (false);
    click (*browser->nextButton);

    expectIndexRequest (1, "second >");
}

TEST_F (PresetComponentTest, SteppedRequestReachesTheProcessor)
{
    create ({ "Only" });

    click (*browser->nextButton);
    processor->prepareToPlay (44100.0, 64);
    corvanteelTest::processSilence (*processor, 64, 64);

    EXPECT_FALSE (processor->presetIndexPending.load());
    EXPECT_TRUE (processor->presetFilePending.load());
    EXPECT_EQ (juce::File (processor->pendingPresetFilePath()), home.presetFolder().getChildFile ("Only.tqz"));
}

TEST_F (PresetComponentTest, DropLoadsOnlyTheFirstFileWithExactlyTqz)
{
    create();
    const auto folder = home.folder();

    struct Case { juce::StringArray files; const char* loaded; };
    const Case cases[] = {
        { { folder.getChildFile ("a.tqz").getFullPathName(), folder.getChildFile ("b.tqz").getFullPathName() }, "a.tqz" },
        { { folder.getChildFile ("a.TQZ").getFullPathName() }, nullptr },
        { { folder.getChildFile ("a.txt").getFullPathName(), folder.getChildFile ("b.tqz").getFullPathName() }, nullptr },
        { { folder.getChildFile ("tqz").getFullPathName() }, nullptr },
        { {}, nullptr },
    };

    EXPECT_TRUE (browser->isInterestedInFileDrag ({ "anything.wav" }));

    for (const auto& c : cases)
    {
        processor->presetFilePending.store (false);
        processor->pendingPresetPath.set ({});

        browser->filesDropped (c.files, 10, 10);

        const auto label = c.files.joinIntoString (", ");
        EXPECT_EQ (processor->presetFilePending.load(), c.loaded != nullptr) << label;
        if (c.loaded != nullptr)
        {
            EXPECT_EQ (processor->pendingPresetPath.get(), folder.getChildFile (c.loaded).getFullPathName()) << label;
        }
    }
}

TEST_F (PresetComponentTest, LoadDialogResultRequestsTheFile)
{
    create();

    browser->loadChosenFile ({});
    EXPECT_FALSE (processor->presetFilePending.load());

    const auto chosen = home.folder().getChildFile ("Any.tqz");
    browser->loadChosenFile (chosen);
    EXPECT_TRUE (processor->presetFilePending.load());
    EXPECT_EQ (processor->pendingPresetPath.get(), chosen.getFullPathName());
}

TEST_F (PresetComponentTest, RandomSetsRandomizeWithoutGestureAndRunsTheLearnHooks)
{
    create();
    auto& randomize = *processor->pluginParameters[ZentovaAudioProcessor::randomizeIndex];
    randomize.midiCC.store (20);
    processor->lastTouchedParameterName.set ("Feedback");

    corvanteelTest::RecordingListener host (*processor);
    processor->setMidiLearn (true);
    click (*browser->randomButton);

    ASSERT_EQ (host.events.size(), 1u);
    EXPECT_EQ (host.events[0].kind, corvanteelTest::RecordingListener::Event::value);
    EXPECT_EQ (host.events[0].index, ZentovaAudioProcessor::randomizeIndex);
    EXPECT_EQ (processor->getParameter (ZentovaAudioProcessor::randomizeIndex), 1.0f);
    EXPECT_TRUE (randomize.learnArmed.load());
    EXPECT_EQ (randomize.midiCC.load(), 20);
    EXPECT_EQ (processor->lastTouchedParameterName.get(), "Feedback");

    processor->setMidiLearn (false);
    processor->setMidiUnlearn (true);
    click (*browser->randomButton);

    EXPECT_EQ (processor->getParameter (ZentovaAudioProcessor::randomizeIndex), 0.0f);
    EXPECT_EQ (randomize.midiCC.load(), -1);
    EXPECT_EQ (host.countValueChanges(), 2);
}

TEST_F (PresetComponentTest, RefreshFillsTheBoxAndShowsTheState)
{
    create ({ "Alpha", "Beta" });
    processor->currentPresetName.set ("Beta");
    const auto expectedNames = processor->presetMenuNames.get();

    browser->saveButton->setToggleState (true, juce::dontSendNotification);
    browser->nextButton->setToggleState (true, juce::dontSendNotification);
    corvanteelTest::setParameter (*processor, ZentovaAudioProcessor::randomizeIndex, 1.0f);

    browser->refreshFromProcessor();
    runMessageLoop();

    ASSERT_EQ (browser->presetBox->getNumItems(), 2);
    for (int i = 0; i < 2; ++i)
    {
        EXPECT_EQ (browser->presetBox->getItemText (i), expectedNames[i]);
        EXPECT_EQ (browser->presetBox->getItemId (i), i + 1);
    }

    EXPECT_FALSE (browser->firstUpdate);
    EXPECT_FALSE (processor->presetListChanged.load());
    EXPECT_EQ (browser->presetBox->getText(), "Beta");
    EXPECT_EQ (browser->presetBox->getSelectedId(), expectedNames.indexOf ("Beta") + 1);
    EXPECT_FALSE (browser->saveButton->getToggleState());
    EXPECT_FALSE (browser->nextButton->getToggleState());
    EXPECT_TRUE (browser->randomButton->getToggleState());

    // The first fill of an empty box posts no change notice, so nothing is requested.
    EXPECT_FALSE (processor->presetIndexPending.load());

    processor->currentPresetName.set ("Not listed");
    browser->refreshFromProcessor();
    EXPECT_EQ (browser->presetBox->getText(), "Not listed");
    EXPECT_EQ (browser->presetBox->getSelectedId(), 0);
}

TEST_F (PresetComponentTest, ChoosingInTheBoxRequestsThatPreset)
{
    create ({ "Alpha", "Beta", "Gamma" });
    browser->refreshFromProcessor();

    browser->presetBox->setSelectedItemIndex (2, juce::sendNotificationSync);

    expectIndexRequest (2, "third item");
    EXPECT_EQ (processor->currentPresetName.get(), browser->presetBox->getItemText (2));
}

TEST_F (PresetComponentTest, SaveDialogRefillsKeepTheShownPresetWithoutRequestingIt)
{
    create ({ "Alpha", "Beta" });
    processor->currentPresetName.set ("Beta");
    browser->refreshFromProcessor();
    runMessageLoop();
    ASSERT_FALSE (processor->presetIndexPending.load());

    const auto expectShown = [this] (const char* name, const char* label)
    {
        const auto names = processor->presetManager.presetNames.get();
        EXPECT_EQ (browser->presetBox->getNumItems(), names.size()) << label;
        EXPECT_EQ (browser->presetBox->getText(), name) << label;
        EXPECT_EQ (browser->presetBox->getSelectedId(), names.indexOf (name) + 1) << label;
        EXPECT_EQ (processor->currentPresetName.get(), name) << label;

        // A request would load the file again over the unsaved edits.
        EXPECT_FALSE (processor->presetIndexPending.load()) << label;
    };

    // A cancelled save writes nothing and keeps the name, but still rescans.
    home.presetFolder().getChildFile ("Added.tqz").replaceWithText ("<ZENTOVA_PRESET/>");
    browser->saveChosenFile ({});

    EXPECT_EQ (processor->currentPresetName.get(), "Beta");
    EXPECT_TRUE (processor->presetListChanged.load());
    EXPECT_TRUE (processor->presetManager.presetNames.get().contains ("Added"));
    EXPECT_EQ (processor->presetMenuNames.get(), processor->presetManager.presetNames.get());

    browser->refreshFromProcessor();
    runMessageLoop();
    EXPECT_EQ (browser->presetBox->getNumItems(), 3);
    expectShown ("Beta", "after cancelled save");

    // A confirmed save of a new name: listed, shown and selected, not read back.
    browser->saveChosenFile (home.presetFolder().getChildFile ("Bass"));
    browser->refreshFromProcessor();
    runMessageLoop();
    ASSERT_TRUE (processor->presetManager.presetNames.get().contains ("Bass"));
    expectShown ("Bass", "after save");

    // A name that is not listed is shown with nothing selected, and requests nothing.
    processor->currentPresetName.set ("Gone");
    browser->saveChosenFile ({});
    browser->refreshFromProcessor();
    runMessageLoop();
    expectShown ("Gone", "unlisted name");
}

TEST_F (PresetComponentTest, APickWinsOverARefreshBeforeItsChangeNotice)
{
    // The box reports a pick asynchronously; a refresh tick, with or without a refill
    // of the box, may come between the pick and the notice.
    for (bool refillBetween : { false, true })
    {
        home.presetFolder().deleteRecursively();
        create ({ "Alpha", "Beta", "Gamma" });
        processor->currentPresetName.set ("Alpha");
        browser->refreshFromProcessor();
        runMessageLoop();

        const auto gamma = processor->presetMenuNames.get().indexOf ("Gamma");
        browser->presetBox->setSelectedItemIndex (gamma, juce::sendNotificationAsync);

        processor->presetListChanged.store (refillBetween);
        browser->refreshFromProcessor();
        corvanteelTest::dispatchPendingMessages();

        expectIndexRequest (gamma, refillBetween ? "refill between" : "tick between");
        EXPECT_EQ (processor->currentPresetName.get(), "Gamma") << refillBetween;

        browser->refreshFromProcessor();
        EXPECT_EQ (browser->presetBox->getText(), "Gamma") << refillBetween;
        EXPECT_EQ (browser->presetBox->getSelectedItemIndex(), gamma) << refillBetween;
    }
}

TEST_F (PresetComponentTest, OfSeveralItemsWithTheShownNameTheLastIsSelected)
{
    create();
    processor->presetMenuNames.set ({ "Bass", "Lead", "Bass", "Pad" });
    processor->currentPresetName.set ("Bass");

    struct Step { const char* name; bool refill; int selectedIndex; };
    const Step steps[] = {
        { "Bass", true, 2 },    // the first refresh fills the box
        { "Lead", false, 1 },
        { "Bass", false, 2 },   // the name changed back
        { "Bass", true, 2 },    // a refill keeps it
        { "Pad", false, 3 },
    };

    for (const auto& step : steps)
    {
        processor->currentPresetName.set (step.name);
        processor->presetListChanged.store (step.refill);
        browser->refreshFromProcessor();
        runMessageLoop();

        EXPECT_EQ (browser->presetBox->getSelectedItemIndex(), step.selectedIndex) << step.name;
        EXPECT_EQ (browser->presetBox->getText(), step.name);
        EXPECT_FALSE (processor->presetIndexPending.load()) << step.name;
    }
}

TEST_F (PresetComponentTest, SaveProposesTheCurrentNameInThePresetFolder)
{
    create();

    processor->currentPresetName.set ("Init");
    EXPECT_EQ (browser->proposedSaveFile(), home.presetFolder().getChildFile ("Init.tqz"));

    // After a preset file without PresetName the name is one space.
    processor->currentPresetName.set (" ");
    EXPECT_EQ (browser->proposedSaveFile(), home.presetFolder().getChildFile (" .tqz"));
}

TEST_F (PresetComponentTest, ASaveThatCannotBeWrittenIsReportedAndChangesNothing)
{
    create ({ "Alpha" });

    std::vector<juce::MessageBoxOptions> shown;
    browser->showMessageBox = [&shown] (const juce::MessageBoxOptions& options) { shown.push_back (options); };

    FolderThatRefusesWrites full (home.folder().getChildFile ("Full"));
    if (! full.refuses)
        GTEST_SKIP() << "neither a file system of its own nor a read-only folder stops writes here";

    // A sub-folder that exists, so that the "/" is refused before anything is written.
    home.presetFolder().getChildFile ("Drums").createDirectory();

    struct Case { const char* label; juce::File chosen; const char* reason; };
    const Case cases[] = {
        { full.kind,                 full.folder.getChildFile ("Lead"),                             "could not be written" },
        { "a 245-character name",    home.presetFolder().getChildFile (juce::String::repeatedString ("n", 245)), "too long" },
        { "a 240-byte accented name", home.presetFolder().getChildFile (juce::String::repeatedString (juce::String::fromUTF8 ("\xC3\xA9"), 120)), "too long" },
        { "a name with /",           home.presetFolder().getChildFile ("Drums/Kick"),               "cannot hold \"/\"" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.label);
        shown.clear();
        processor->currentPresetName.set ("Before");
        browser->refreshFromProcessor();
        runMessageLoop();
        const int generation = processor->presetListGeneration.load();
        processor->presetListChanged.store (false);

        browser->saveChosenFile (c.chosen);
        browser->refreshFromProcessor();
        runMessageLoop();

        // Told, asynchronously and once, that nothing was saved, and why.
        ASSERT_EQ (shown.size(), 1u);
        EXPECT_EQ (shown[0].getTitle(), "Preset not saved");
        EXPECT_EQ (shown[0].getIconType(), juce::MessageBoxIconType::WarningIcon);
        EXPECT_EQ (shown[0].getNumButtons(), 1);
        EXPECT_TRUE (shown[0].getMessage().contains ("was not saved")) << shown[0].getMessage();
        EXPECT_TRUE (shown[0].getMessage().contains (c.reason)) << shown[0].getMessage();

        // The name and the list as they were.
        EXPECT_EQ (processor->currentPresetName.get(), "Before");
        EXPECT_EQ (browser->presetBox->getText(), "Before");
        EXPECT_EQ (processor->presetManager.presetNames.get(), juce::StringArray ("Alpha"));
        EXPECT_EQ (processor->presetListGeneration.load(), generation);
        EXPECT_FALSE (processor->presetListChanged.load());
        EXPECT_FALSE (processor->presetIndexPending.load());

        // Nothing written, not even the writer's temporary file.
        EXPECT_EQ (home.presetFolder().getNumberOfChildFiles (juce::File::findFiles), 1);
        EXPECT_EQ (home.presetFolder().getChildFile ("Drums").getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);
    }
}

TEST_F (PresetComponentTest, ANameThatCanBeWrittenStillSaves)
{
    create();

    int messages = 0;
    browser->showMessageBox = [&messages] (const juce::MessageBoxOptions&) { ++messages; };

    // The longest: 255 bytes with "_temp", eight hex digits and ".tqz" added.
    const auto longest = juce::String::repeatedString ("n", 255 - 13 - 4);
    for (const auto& name : { juce::String ("Bass"), longest, juce::String::fromUTF8 ("Caf\xC3\xA9 & \"Co\"") })
    {
        SCOPED_TRACE (name.length());
        browser->saveChosenFile (home.presetFolder().getChildFile (name));

        EXPECT_EQ (messages, 0);
        EXPECT_EQ (processor->currentPresetName.get(), name);
        EXPECT_TRUE (home.presetFolder().getChildFile (name + ".tqz").existsAsFile());
        EXPECT_TRUE (processor->presetManager.presetNames.get().contains (name));
    }
}
