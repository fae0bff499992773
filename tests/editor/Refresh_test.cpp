#include "tests/TestHelpers.h"

#include "editor/PluginEditor.h"

#include <gtest/gtest.h>

#include <memory>


namespace
{
    using P = ZentovaAudioProcessor;

    /** Runs the message loop: timers (the editor's 50 ms refresh) and async notices. */
    using corvanteelTest::runMessageLoop;

    // Long enough for several refreshes of the editor's timer.
    constexpr int severalRefreshesMs = 300;

    class RefreshTest : public ::testing::Test
    {
    protected:
        /** A processor whose preset folder already holds these presets, each a file
            whose PresetName is its own name and whose Feedback is the given value. */
        void createProcessor (const std::vector<std::pair<juce::String, float>>& presets = {})
        {
            home.presetFolder().createDirectory();

            for (const auto& [name, feedback] : presets)
                home.presetFolder().getChildFile (name + ".tqz")
                    .replaceWithText ("<ZENTOVA_PRESET PresetName=\"" + name + "\" Feedback=\""
                                      + juce::String (feedback) + "\"/>");

            processor = std::make_unique<P>();
            processor->prepareToPlay (44100.0, 64);
        }

        void openEditor() { editor = std::make_unique<ZentovaAudioProcessorEditor> (*processor); }

        MainPanel& panel() { return editor->mainPanel; }
        PresetComponent& presets() { return *panel().presetComponent; }

        void processOneBlock() { corvanteelTest::processSilence (*processor, 64, 64); }

        corvanteelTest::TemporaryHome home;
        std::unique_ptr<P> processor;
        std::unique_ptr<ZentovaAudioProcessorEditor> editor;
    };
} // namespace

TEST_F (RefreshTest, NothingTheRefreshDoesReachesTheHostOrArmsLearning)
{
    createProcessor ({ { "A", 0.25f } });
    openEditor();

    processor->setMidiLearn (true);
    processor->setMidiUnlearn (true);
    for (auto* parameter : processor->pluginParameters)
        parameter->midiCC.store (7);
    processor->lastTouchedParameterName.set ("Untouched");

    corvanteelTest::RecordingListener host (*processor);

    for (int round = 0; round < 3; ++round)
    {
        for (int i = 0; i < P::numParameters; ++i)
            if (i != P::randomizeIndex)
                corvanteelTest::setParameter (*processor, i, (float) ((i + round) % 4) / 3.0f);

        panel().updateFromPlugin();
        runMessageLoop (20);
    }

    EXPECT_TRUE (host.events.empty());
    for (int i = 0; i < P::numParameters; ++i)
    {
        EXPECT_FALSE (processor->pluginParameters[i]->learnArmed.load()) << i;
        EXPECT_EQ (processor->pluginParameters[i]->midiCC.load(), 7) << i;
    }
    EXPECT_EQ (processor->lastTouchedParameterName.get(), "Untouched");
}

TEST_F (RefreshTest, RateModeSelectsTheModeBoxItem)
{
    createProcessor();
    openEditor();

    struct Case { float value; const char* shown; };
    const Case cases[] = { { 0.25f, "x 1" }, { 0.5f, "/ 10" }, { 0.7f, "/ 10" }, { 1.0f, "x 10" }, { 0.0f, "x 1" } };

    for (const auto& c : cases)
    {
        corvanteelTest::setParameter (*processor, P::rateModeIndex, c.value);
        panel().updateFromPlugin();
        EXPECT_EQ (panel().modulationComponent->modeBox->getText(), c.shown) << c.value;
    }
}

TEST_F (RefreshTest, RequestButtonsStayLitUntilABlockHasRun)
{
    createProcessor();
    openEditor();

    processor->panicRequested.store (true);
    processor->requestClearMidi();
    corvanteelTest::setParameter (*processor, P::randomizeIndex, 1.0f);

    const auto lit = [this]
    {
        return std::make_tuple (panel().outComponent->panicButton->getToggleState(),
                                panel().midiComponent->clearButton->getToggleState(),
                                presets().randomButton->getToggleState());
    };

    for (int tick = 0; tick < 3; ++tick)
    {
        panel().updateFromPlugin();
        EXPECT_EQ (lit(), std::make_tuple (true, true, true)) << tick;
    }

    processOneBlock();
    EXPECT_EQ (lit(), std::make_tuple (true, true, true));   // only the refresh changes them

    panel().updateFromPlugin();
    EXPECT_EQ (lit(), std::make_tuple (false, false, false));
}

TEST_F (RefreshTest, ParameterDisplayInThePanel)
{
    createProcessor();
    openEditor();
    auto& display = *panel().paramDisplayComponent;

    EXPECT_EQ (display.getBounds(), juce::Rectangle<int> (260, 290, 230, 50));
    EXPECT_EQ (display.nameLabel->getBounds(), juce::Rectangle<int> (0, 0, 230, 25));
    EXPECT_EQ (display.valueLabel->getBounds(), juce::Rectangle<int> (0, 25, 230, 25));
    EXPECT_NEAR (display.nameLabel->getFont().getHeight(), 24.0f * 50.0f / 70.0f, 1.0e-4f);

    const auto snapshot = display.createComponentSnapshot (display.getLocalBounds(), false, 1.0f);
    for (int y : { 23, 24, 25 })
        EXPECT_EQ (snapshot.getPixelAt (0, y), y == 24 ? juce::Colours::black : juce::Colour (0xffaeaeae)) << y;

    panel().updateFromPlugin();
    EXPECT_EQ (display.nameLabel->getText(), "v 1.1");
    EXPECT_TRUE (display.valueLabel->getText().isEmpty());

    corvanteelTest::setParameter (*processor, P::feedbackIndex, 0.5f);
    processor->updateLastTouched (P::feedbackIndex);
    panel().updateFromPlugin();
    EXPECT_EQ (display.nameLabel->getText(), "Feedback");
    EXPECT_EQ (display.valueLabel->getText(), processor->getParameterText (P::feedbackIndex));
}

TEST_F (RefreshTest, ProgramChangeWithoutAnEditorIsAppliedBeforeTheNextEditorOpens)
{
    createProcessor ({ { "Only", 0.25f } });

    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::programChange (1, 5), 0);
    corvanteelTest::processWithMidi (*processor, midi, 64);   // noted in this block
    processOneBlock();                                 // turned into a file request at the next

    EXPECT_TRUE (processor->presetFilePending.load());
    runMessageLoop (severalRefreshesMs);               // the processor loads it itself

    EXPECT_FALSE (processor->presetFilePending.load());
    EXPECT_EQ (processor->getParameter (P::feedbackIndex), 0.25f);
    EXPECT_EQ (processor->currentPresetName.get(), "Only");

    openEditor();
    panel().updateFromPlugin();
    EXPECT_EQ (presets().presetBox->getText(), "Only");
}

TEST_F (RefreshTest, WhileAnEditorIsOpenItsRefreshAloneLoadsThePresetOnce)
{
    createProcessor ({ { "Only", 0.25f } });
    openEditor();
    editor->stopTimer();   // refreshes by hand only, to see who loads
    corvanteelTest::RecordingListener host (*processor);

    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::programChange (1, 0), 0);
    corvanteelTest::processWithMidi (*processor, midi, 64);
    processOneBlock();

    runMessageLoop (severalRefreshesMs);   // the processor's own loader stays idle
    EXPECT_TRUE (processor->presetFilePending.load());
    EXPECT_EQ (host.countValueChanges(), 0);

    panel().updateFromPlugin();
    panel().updateFromPlugin();
    runMessageLoop (severalRefreshesMs);
    EXPECT_FALSE (processor->presetFilePending.load());
    EXPECT_EQ (processor->getParameter (P::feedbackIndex), 0.25f);
    EXPECT_EQ (host.countValueChanges(), (int) P::numParameters);

    // Once the last editor has closed, the processor loads again on its own.
    editor.reset();
    corvanteelTest::setParameter (*processor, P::feedbackIndex, 0.1f);
    processor->presetIndexPending = true;
    processOneBlock();
    runMessageLoop (severalRefreshesMs);
    EXPECT_EQ (processor->getParameter (P::feedbackIndex), 0.25f);
}

TEST_F (RefreshTest, SaveDialogsKeepTheEditsAndNotifyTheHostOfNothing)
{
    createProcessor ({ { "A", 0.25f }, { "B", 0.5f } });
    openEditor();
    runMessageLoop (severalRefreshesMs);

    ASSERT_EQ (presets().presetBox->getNumItems(), 2);
    EXPECT_EQ (presets().presetBox->getText(), "Init");
    EXPECT_FALSE (processor->presetIndexPending.load());

    const auto indexOf = [this] (const char* name) { return processor->presetManager.presetNames.get().indexOf (name); };

    // Choosing B: requested, turned into a file by the next block, applied by the refresh.
    presets().presetBox->setSelectedItemIndex (indexOf ("B"), juce::sendNotificationSync);
    processOneBlock();
    runMessageLoop (severalRefreshesMs);
    EXPECT_EQ (processor->currentPresetName.get(), "B");
    EXPECT_EQ (processor->getParameter (P::feedbackIndex), 0.5f);
    EXPECT_FALSE (processor->presetIndexPending.load());

    // An edit, then SAVE twice: cancelled, then confirmed under a new name. Each rescan
    // refills the box, which keeps showing the current name; nothing is read from disk.
    corvanteelTest::setParameter (*processor, P::feedbackIndex, 0.1f);
    corvanteelTest::RecordingListener host (*processor);

    struct Save { juce::File chosen; const char* shown; int items; };
    const Save saves[] = { { {}, "B", 2 }, { home.presetFolder().getChildFile ("C"), "C", 3 } };

    for (const auto& save : saves)
    {
        presets().saveChosenFile (save.chosen);
        runMessageLoop (severalRefreshesMs);
        processOneBlock();
        runMessageLoop (severalRefreshesMs);

        EXPECT_EQ (presets().presetBox->getNumItems(), save.items) << save.shown;
        EXPECT_EQ (presets().presetBox->getText(), save.shown);
        EXPECT_EQ (presets().presetBox->getSelectedId(), indexOf (save.shown) + 1) << save.shown;
        EXPECT_EQ (processor->currentPresetName.get(), save.shown);
        EXPECT_FALSE (processor->presetIndexPending.load()) << save.shown;
        EXPECT_FALSE (processor->presetFilePending.load()) << save.shown;
        EXPECT_EQ (processor->getParameter (P::feedbackIndex), 0.1f) << save.shown;
        EXPECT_EQ (corvanteelTest::outline (host), "") << save.shown;
    }
}

TEST_F (RefreshTest, APickWinsOverATickBetweenItAndItsChangeNotice)
{
    createProcessor ({ { "A", 0.25f }, { "B", 0.5f }, { "C", 0.75f } });
    openEditor();
    panel().updateFromPlugin();
    corvanteelTest::dispatchPendingMessages();

    corvanteelTest::RecordingListener host (*processor);
    auto& modeBox = *panel().modulationComponent->modeBox;

    // A pick reports itself asynchronously, as from the box's list; the panel's tick
    // comes before the notice.
    struct ModePick { int itemId; const char* sent; };
    const ModePick modePicks[] = { { 2, "<10 10=0.5 >10" }, { 3, "<10 10=1 >10" }, { 1, "<10 10=0 >10" } };

    for (const auto& pick : modePicks)
    {
        host.events.clear();
        modeBox.setSelectedId (pick.itemId, juce::sendNotificationAsync);
        panel().updateFromPlugin();
        corvanteelTest::dispatchPendingMessages();

        EXPECT_EQ (corvanteelTest::outline (host), pick.sent) << pick.itemId;
        panel().updateFromPlugin();
        EXPECT_EQ (modeBox.getSelectedId(), pick.itemId);
    }

    // A host change still shows at the next tick.
    corvanteelTest::setParameter (*processor, P::rateModeIndex, 1.0f);
    panel().updateFromPlugin();
    EXPECT_EQ (modeBox.getText(), "x 10");

    auto& presetBox = *presets().presetBox;
    const auto c = processor->presetManager.presetNames.get().indexOf ("C");
    presetBox.setSelectedItemIndex (c, juce::sendNotificationAsync);
    panel().updateFromPlugin();
    corvanteelTest::dispatchPendingMessages();

    EXPECT_TRUE (processor->presetIndexPending.load());
    EXPECT_EQ (processor->currentPresetIndex.load(), c);
    EXPECT_EQ (processor->currentPresetName.get(), "C");

    processOneBlock();
    panel().updateFromPlugin();
    EXPECT_EQ (processor->getParameter (P::feedbackIndex), 0.75f);
    EXPECT_EQ (presetBox.getText(), "C");
}

TEST_F (RefreshTest, EveryOpenEditorShowsEveryChangeOfThePresetList)
{
    // A host may show two editors of one instance (a generic and the plug-in's own
    // window, or two views); the first to refresh used to take the change for all.
    createProcessor ({ { "Alpha", 0.25f } });
    openEditor();
    auto second = std::make_unique<ZentovaAudioProcessorEditor> (*processor);
    auto& secondBox = *second->mainPanel.presetComponent->presetBox;

    const auto items = [] (juce::ComboBox& box)
    {
        juce::StringArray texts;
        for (int i = 0; i < box.getNumItems(); ++i)
            texts.add (box.getItemText (i));
        return texts;
    };

    runMessageLoop (severalRefreshesMs);
    ASSERT_EQ (items (*presets().presetBox), juce::StringArray ("Alpha"));
    ASSERT_EQ (items (secondBox), juce::StringArray ("Alpha"));

    // Saved in the first editor, then in the second; each time both refresh in turn.
    presets().saveChosenFile (home.presetFolder().getChildFile ("Beta"));
    runMessageLoop (severalRefreshesMs);
    EXPECT_EQ (items (*presets().presetBox), juce::StringArray ({ "Alpha", "Beta" }));
    EXPECT_EQ (items (secondBox), juce::StringArray ({ "Alpha", "Beta" }));

    second->mainPanel.presetComponent->saveChosenFile (home.presetFolder().getChildFile ("Gamma"));
    panel().updateFromPlugin();
    second->mainPanel.updateFromPlugin();
    EXPECT_EQ (items (*presets().presetBox), juce::StringArray ({ "Alpha", "Beta", "Gamma" }));
    EXPECT_EQ (items (secondBox), juce::StringArray ({ "Alpha", "Beta", "Gamma" }));

    // A list that did not change is not refilled again.
    secondBox.addItem ("Marker", 99);
    second->mainPanel.updateFromPlugin();
    EXPECT_EQ (secondBox.getNumItems(), 4);
}
