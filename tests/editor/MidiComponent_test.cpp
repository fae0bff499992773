#include "tests/TestHelpers.h"

#include "editor/MidiComponent.h"

#include <gtest/gtest.h>


namespace
{
    using corvanteelTest::click;

    class MidiComponentTest : public ::testing::Test
    {
    protected:
        MidiComponentTest() { strip.ownerProcessor = &processor; }

        corvanteelTest::TemporaryHome home;
        ZentovaAudioProcessor processor;
        MidiComponent strip;
    };
} // namespace

TEST_F (MidiComponentTest, ConstructionStateAndBounds)
{
    EXPECT_EQ (strip.getBounds(), juce::Rectangle<int> (0, 0, 250, 70));

    struct Expected { juce::Component* child; const char* name; const char* text; juce::Rectangle<int> bounds; };
    const Expected expected[] = {
        { strip.clearButton.get(),   "Clear Button",   "",        { 10, 49, 10, 10 } },
        { strip.unlearnButton.get(), "Unlearn Button", "",        { 10, 30, 10, 10 } },
        { strip.learnButton.get(),   "Learn button",   "",        { 10, 11, 10, 10 } },
        { strip.learnLabel.get(),    "",               "LEARN",   { 25, 10, 50, 12 } },
        { strip.unlearnLabel.get(),  "",               "UNLEARN", { 25, 28, 50, 14 } },
        { strip.clearLabel.get(),    "",               "CLEAR",   { 25, 48, 50, 12 } },
    };

    for (int i = 0; i < (int) std::size (expected); ++i)
    {
        const auto& e = expected[i];
        EXPECT_EQ (strip.getChildComponent (i), e.child) << i;
        EXPECT_EQ (e.child->getName(), e.name) << i;
        EXPECT_EQ (e.child->getBounds(), e.bounds) << i;

        if (auto* button = dynamic_cast<juce::Button*> (e.child))
        {
            EXPECT_TRUE (button->getClickingTogglesState()) << i;
            EXPECT_TRUE (button->getWantsKeyboardFocus()) << i;
            EXPECT_EQ (button->findColour (juce::TextButton::buttonOnColourId), juce::Colour (0xffaeaeae)) << i;
        }
        else if (auto* label = dynamic_cast<juce::Label*> (e.child))
        {
            EXPECT_EQ (label->getText(), e.text) << i;
            EXPECT_FLOAT_EQ (label->getFont().getHeight(), 10.0f) << i;
            EXPECT_EQ (label->getJustificationType(), juce::Justification (juce::Justification::centredLeft)) << i;
            EXPECT_FALSE (label->isEditable()) << i;
        }
    }

    // The bounds are fixed whatever the strip's size.
    strip.setSize (400, 200);
    EXPECT_EQ (strip.learnButton->getBounds(), juce::Rectangle<int> (10, 11, 10, 10));
}

TEST_F (MidiComponentTest, TogglesMirrorTheModesAndClearRequests)
{
    corvanteelTest::RecordingListener host (processor);

    click (*strip.learnButton);
    EXPECT_TRUE (processor.midiLearnActive.load());
    EXPECT_FALSE (processor.midiUnlearnActive.load());

    click (*strip.unlearnButton);
    EXPECT_TRUE (processor.midiLearnActive.load());
    EXPECT_TRUE (processor.midiUnlearnActive.load());

    click (*strip.learnButton);
    click (*strip.unlearnButton);
    EXPECT_FALSE (processor.midiLearnActive.load());
    EXPECT_FALSE (processor.midiUnlearnActive.load());

    // CLEAR raises the request whatever its own state: a second click turns the
    // button off but asks again.
    click (*strip.clearButton);
    EXPECT_TRUE (processor.clearMidiRequested.load());
    processor.clearMidiRequested.store (false);
    click (*strip.clearButton);
    EXPECT_FALSE (strip.clearButton->getToggleState());
    EXPECT_TRUE (processor.clearMidiRequested.load());

    EXPECT_TRUE (host.events.empty());
    EXPECT_EQ (processor.lastTouchedParameterName.get(), ZentovaAudioProcessor::versionNumber);
}

TEST_F (MidiComponentTest, RefreshShowsTheClearRequestAndLeavesTheModes)
{
    processor.setMidiLearn (true);
    processor.requestClearMidi();

    strip.refreshFromProcessor();
    EXPECT_TRUE (strip.clearButton->getToggleState());
    EXPECT_FALSE (strip.learnButton->getToggleState());

    processor.clearMidiRequested.store (false);
    strip.refreshFromProcessor();
    EXPECT_FALSE (strip.clearButton->getToggleState());

    // A new strip starts with LEARN off while the mode stays on; one click shows on.
    click (*strip.learnButton);
    EXPECT_TRUE (strip.learnButton->getToggleState());
    EXPECT_TRUE (processor.midiLearnActive.load());
    click (*strip.learnButton);
    EXPECT_FALSE (strip.learnButton->getToggleState());
    EXPECT_FALSE (processor.midiLearnActive.load());
}
