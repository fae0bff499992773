#include "tests/TestHelpers.h"

#include "editor/PluginEditor.h"

#include <gtest/gtest.h>

#include <memory>


namespace
{
    using P = ZentovaAudioProcessor;

    /** Runs the message loop: timers (the editor's 50 ms refresh) and async notices. */
    using testing::runMessageLoop;

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

        void processOneBlock() { testing::processSilence (*processor, 64, 64); }

        testing::TemporaryHome home;
        std::unique_ptr<P> processor;
        std::unique_ptr<ZentovaAudioProcessorEditor> editor;
    };
} // namespace

TEST_F (RefreshTest, NothingTheRefreshDoesReachesTheHostOrArmsLearning)
{
    createProcessor ({ { "A", 0.25f } });
    openEditor();

    processor->midiLearnActive.store (true);
    processor->midiUnlearnActive.store (true);
    for (auto* parameter : processor->pluginParameters)
        parameter->midiCC.store (7);
    processor->lastTouchedParameterName.set ("Untouched");

    testing::RecordingListener host (*processor);

    for (int round = 0; round < 3; ++round)
    {
        for (int i = 0; i < P::numParameters; ++i)
            if (i != P::randomizeIndex)
                testing::setParameter (*processor, i, (float) ((i + round) % 4) / 3.0f);

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
        testing::setParameter (*processor, P::rateModeIndex, c.value);
        panel().updateFromPlugin();
        EXPECT_EQ (panel().modulationComponent->modeBox->getText(), c.shown) << c.value;
    }
}

TEST_F (RefreshTest, RequestButtonsStayLitUntilABlockHasRun)
{
    createProcessor();
    openEditor();

    processor->panicRequested.store (true);
    processor->clearMidiRequested.store (true);
    testing::setParameter (*processor, P::randomizeIndex, 1.0f);

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

    testing::setParameter (*processor, P::feedbackIndex, 0.5f);
    processor->updateLastTouched (P::feedbackIndex);
    panel().updateFromPlugin();
    EXPECT_EQ (display.nameLabel->getText(), "Feedback");
    EXPECT_EQ (display.valueLabel->getText(), processor->getParameterText (P::feedbackIndex));
}

TEST_F (RefreshTest, ProgramChangeWithoutAnEditorIsLoadedByTheNextEditor)
{
    createProcessor ({ { "Only", 0.25f } });

    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::programChange (1, 5), 0);
    testing::processWithMidi (*processor, midi, 64);   // noted in this block
    processOneBlock();                                 // turned into a file request at the next

    EXPECT_TRUE (processor->presetFilePending.load());
    runMessageLoop (severalRefreshesMs);
    EXPECT_TRUE (processor->presetFilePending.load());
    EXPECT_NE (processor->getParameter (P::feedbackIndex), 0.25f);

    openEditor();
    panel().updateFromPlugin();

    EXPECT_FALSE (processor->presetFilePending.load());
    EXPECT_EQ (processor->getParameter (P::feedbackIndex), 0.25f);
    EXPECT_EQ (processor->currentPresetName.get(), "Only");
    EXPECT_EQ (presets().presetBox->getText(), "Only");
}

TEST_F (RefreshTest, AfterEverySaveDialogTheBoxRefillsAndRequestsTheNamedPresetAgain)
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

    // A cancelled save still rescans; the refilled box asks for B again.
    testing::setParameter (*processor, P::feedbackIndex, 0.1f);
    presets().saveChosenFile ({});
    runMessageLoop (severalRefreshesMs);

    EXPECT_EQ (presets().presetBox->getNumItems(), 2);
    EXPECT_TRUE (processor->presetIndexPending.load());
    EXPECT_EQ (processor->currentPresetIndex.load(), indexOf ("B"));

    processOneBlock();
    runMessageLoop (severalRefreshesMs);
    EXPECT_EQ (processor->getParameter (P::feedbackIndex), 0.5f);

    // A confirmed save under a new name: listed, shown and requested.
    presets().saveChosenFile (home.presetFolder().getChildFile ("C"));
    runMessageLoop (severalRefreshesMs);

    EXPECT_EQ (presets().presetBox->getNumItems(), 3);
    EXPECT_EQ (presets().presetBox->getText(), "C");
    EXPECT_TRUE (processor->presetIndexPending.load());
    EXPECT_EQ (processor->currentPresetIndex.load(), indexOf ("C"));
}
