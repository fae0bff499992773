#include "tests/TestHelpers.h"

#include "editor/PluginEditor.h"

#include <gtest/gtest.h>


namespace
{
    using P = ZentovaAudioProcessor;
    const juce::Colour grey (0xffaeaeae), black (0xff000000);

    struct Editor
    {
        Editor()
            : created (processor.createEditor()),
              editor (dynamic_cast<ZentovaAudioProcessorEditor*> (created.get()))
        {
        }

        ZentovaAudioProcessor processor;
        std::unique_ptr<juce::AudioProcessorEditor> created;
        ZentovaAudioProcessorEditor* editor;
    };

    using corvanteelTest::runMessageLoop;
} // namespace

TEST (PluginEditor, IsBuiltAsTheHostExpects)
{
    Editor e;
    ASSERT_NE (e.editor, nullptr);
    auto& editor = *e.editor;
    auto& panel = editor.mainPanel;

    EXPECT_EQ (editor.getBounds(), juce::Rectangle<int> (0, 0, 750, 350));
    EXPECT_EQ (editor.ownerProcessor, &e.processor);
    EXPECT_EQ (&editor.getLookAndFeel(), &editor.look);
    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), &editor.look);
    EXPECT_TRUE (editor.isTimerRunning());
    EXPECT_EQ (editor.getTimerInterval(), 50);

    ASSERT_EQ (editor.getNumChildComponents(), 1);
    EXPECT_EQ (editor.getChildComponent (0), &panel);
    EXPECT_EQ (panel.getBounds(), juce::Rectangle<int> (0, 0, 750, 420));

    struct Colour { int id; juce::uint32 argb; };
    const Colour colours[] = {
        { juce::PopupMenu::backgroundColourId, 0xff000000 }, { juce::PopupMenu::textColourId, 0xffaeaeae },
        { juce::PopupMenu::highlightedBackgroundColourId, 0xffaeaeae }, { juce::PopupMenu::highlightedTextColourId, 0xff000000 },
        { juce::Label::textColourId, 0xffaeaeae }, { juce::ComboBox::textColourId, 0xffaeaeae },
        { juce::ComboBox::backgroundColourId, 0xff000000 }, { juce::ComboBox::outlineColourId, 0xffaeaeae },
        { juce::ComboBox::buttonColourId, 0xffaeaeae }, { juce::ComboBox::arrowColourId, 0xff000000 },
    };
    for (const auto& c : colours)
        EXPECT_EQ (editor.look.findColour (c.id), juce::Colour (c.argb)) << std::hex << c.id;

    // The eight children, in member order, at their fixed places, with the processor in hand.
    struct Child { juce::Component* component; ZentovaAudioProcessor* owner; juce::Rectangle<int> bounds; };
    const Child children[] = {
        { panel.stutterComponent.get(), panel.stutterComponent->ownerProcessor, { 0, 0, 250, 140 } },
        { panel.filterComponent.get(), panel.filterComponent->ownerProcessor, { 250, 0, 250, 140 } },
        { panel.modulationComponent.get(), panel.modulationComponent->ownerProcessor, { 500, 0, 250, 140 } },
        { panel.presetComponent.get(), panel.presetComponent->ownerProcessor, { 250, 140, 250, 140 } },
        { panel.delayComponent.get(), panel.delayComponent->ownerProcessor, { 0, 140, 250, 140 } },
        { panel.outComponent.get(), panel.outComponent->ownerProcessor, { 500, 140, 250, 140 } },
        { panel.paramDisplayComponent.get(), panel.paramDisplayComponent->ownerProcessor, { 260, 290, 230, 50 } },
        { panel.midiComponent.get(), panel.midiComponent->ownerProcessor, { 0, 280, 250, 70 } },
    };

    ASSERT_EQ (panel.getNumChildComponents(), 8);
    EXPECT_EQ (panel.ownerProcessor, &e.processor);
    EXPECT_EQ (panel.outComponent->oscillComp->ownerProcessor, &e.processor);

    for (int i = 0; i < 8; ++i)
    {
        EXPECT_EQ (panel.getChildComponent (i), children[i].component) << i;
        EXPECT_EQ (children[i].owner, &e.processor) << i;
        EXPECT_EQ (children[i].component->getBounds(), children[i].bounds) << i;
    }
}

TEST (PluginEditor, TimerRefreshesThePanelWithinOnePeriod)
{
    Editor e;
    auto& panel = e.editor->mainPanel;
    corvanteelTest::setParameter (e.processor, P::cutoffFloorIndex, 0.9f);
    ASSERT_TRUE (panel.filterComponent->firstUpdate);

    runMessageLoop (120);

    EXPECT_FALSE (panel.stutterComponent->firstUpdate);
    EXPECT_FALSE (panel.filterComponent->firstUpdate);
    EXPECT_FALSE (panel.modulationComponent->firstUpdate);
    EXPECT_FALSE (panel.delayComponent->firstUpdate);
    EXPECT_FALSE (panel.outComponent->firstUpdate);
    EXPECT_DOUBLE_EQ (panel.filterComponent->floorSlider->getValue(), 0.9);
}

TEST (PluginEditor, EveryFontResolvesToTheEditorsTypeface)
{
    Editor e;
    for (int style : { (int) juce::Font::plain, (int) juce::Font::bold, (int) juce::Font::italic, juce::Font::bold | juce::Font::italic })
    {
        EXPECT_EQ (juce::Font (16.0f, style).getTypefacePtr(), e.editor->look.embeddedTypeface) << style;
        EXPECT_EQ (juce::Font ("Courier", 12.0f, style).getTypefacePtr(), e.editor->look.embeddedTypeface) << style;
    }
}

TEST (PluginEditor, EachEditorHasItsOwnLookAndSections)
{
    Editor first;
    Editor second;

    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), &second.editor->look);   // the last one built
    EXPECT_NE (first.editor->look.embeddedTypeface, second.editor->look.embeddedTypeface);

    second.editor->timerCallback();
    EXPECT_FALSE (second.editor->mainPanel.stutterComponent->firstUpdate);
    EXPECT_TRUE (first.editor->mainPanel.stutterComponent->firstUpdate);   // only its own panel

    second.created.reset();
    Editor reopened;
    EXPECT_TRUE (reopened.editor->mainPanel.stutterComponent->firstUpdate);
}

TEST (PluginEditor, SnapshotShowsTheFrameSectionsAndControls)
{
    Editor e;
    corvanteelTest::setParameter (e.processor, P::syncIndex, 1.0f);
    corvanteelTest::setParameter (e.processor, P::pingOutIndex, 0.0f);
    e.editor->timerCallback();

    const auto image = corvanteelTest::snapshot (*e.editor);
    ASSERT_EQ (image.getWidth(), 750);
    ASSERT_EQ (image.getHeight(), 350);
    auto isGrey = [&] (int x, int y) { return corvanteelTest::nearColour (image.getPixelAt (x, y), grey); };

    for (int y = 0; y < 350; ++y)
    {
        EXPECT_TRUE (isGrey (0, y)) << y;
        EXPECT_TRUE (isGrey (749, y)) << y;
        EXPECT_EQ (isGrey (250, y), y <= 280 || y == 349) << y;   // 280 and 349: crossed by the horizontals
        EXPECT_EQ (isGrey (500, y), y <= 280 || y == 349) << y;
    }

    for (int x = 0; x < 750; ++x)
        for (int y : { 0, 139, 280, 349 })
            EXPECT_TRUE (isGrey (x, y)) << x << "," << y;

    // Title bars of the sections: half-transparent grey over black, a grey line under them.
    for (auto origin : { juce::Point<int> (0, 0), { 250, 0 }, { 500, 0 }, { 0, 140 }, { 500, 140 } })
    {
        EXPECT_TRUE (corvanteelTest::nearColour (image.getPixelAt (origin.x + 5, origin.y + 5), juce::Colour (0xff575757))) << origin.toString();
        EXPECT_TRUE (isGrey (origin.x + 5, origin.y + 25)) << origin.toString();
        EXPECT_EQ (image.getPixelAt (origin.x + 5, origin.y + 26), black) << origin.toString();
    }

    // FILTER's FLOOR knob (r = 18) in the large variant, its MOD knob (r = 13) in the small one.
    EXPECT_NEAR (corvanteelTest::knobHubExtent (image, { 250 + 45, 55 }, 18.0f), 9.0f, 0.2f);
    EXPECT_NEAR (corvanteelTest::knobHubExtent (image, { 250 + 125, 55 }, 13.0f), 0.45f * 13.0f, 0.2f);

    // SYNC is on (filled), PING->O off (a 2-pixel frame round a black inside).
    EXPECT_TRUE (isGrey (15 + 3, 250 + 3));
    EXPECT_TRUE (isGrey (175, 260));
    EXPECT_TRUE (isGrey (176, 260));
    EXPECT_EQ (image.getPixelAt (177, 260), black);
    EXPECT_EQ (image.getPixelAt (178, 252), black);
}

TEST (PluginEditor, NothingOnThePanelReachesBelowTheEditor)
{
    Editor e;
    e.editor->timerCallback();
    const auto image = corvanteelTest::snapshot (e.editor->mainPanel);
    ASSERT_EQ (image.getHeight(), 420);

    for (int y = 350; y < 420; ++y)
        for (int x = 0; x < 750; ++x)
            ASSERT_EQ (image.getPixelAt (x, y), (x == 0 || x == 749) ? grey : black) << x << "," << y;
}

TEST (PluginEditor, AnOpenEditorKeepsItsTypefaceWhateverOtherEditorsDo)
{
    Editor first;
    first.editor->timerCallback();
    const auto before = corvanteelTest::snapshot (*first.editor);

    // Another instance's editor, built and closed without ever being painted: the
    // faces cached so far are dropped when it opens, and none come through its look.
    {
        Editor second;
        EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), &second.editor->look);
    }

    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), &first.editor->look);
    for (int style : { (int) juce::Font::plain, (int) juce::Font::bold })
        EXPECT_EQ (juce::Font (16.0f, style).getTypefacePtr(), first.editor->look.embeddedTypeface) << style;

    // Every text the editor paints with a font made afresh (the section titles among
    // them) looks as it did.
    const auto after = corvanteelTest::snapshot (*first.editor);
    int differing = 0;
    for (int y = 0; y < before.getHeight(); ++y)
        for (int x = 0; x < before.getWidth(); ++x)
            differing += before.getPixelAt (x, y) != after.getPixelAt (x, y) ? 1 : 0;
    EXPECT_EQ (differing, 0);

    // Closing the editor that is not the default leaves the default alone.
    {
        Editor third;
        first.created.reset();
        EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), &third.editor->look);
        EXPECT_EQ (juce::Font (16.0f, juce::Font::plain).getTypefacePtr(), third.editor->look.embeddedTypeface);
    }
}
