#include "tests/TestHelpers.h"

#include "editor/PresetComponent.h"

#include <gtest/gtest.h>

#include <memory>


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
    processor->midiLearnActive.store (true);
    click (*browser->randomButton);

    ASSERT_EQ (host.events.size(), 1u);
    EXPECT_EQ (host.events[0].kind, corvanteelTest::RecordingListener::Event::value);
    EXPECT_EQ (host.events[0].index, ZentovaAudioProcessor::randomizeIndex);
    EXPECT_EQ (processor->getParameter (ZentovaAudioProcessor::randomizeIndex), 1.0f);
    EXPECT_TRUE (randomize.learnArmed.load());
    EXPECT_EQ (randomize.midiCC.load(), 20);
    EXPECT_EQ (processor->lastTouchedParameterName.get(), "Feedback");

    processor->midiLearnActive.store (false);
    processor->midiUnlearnActive.store (true);
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
