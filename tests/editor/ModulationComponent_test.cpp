#include "tests/TestHelpers.h"

#include "editor/ModulationComponent.h"

#include <gtest/gtest.h>

namespace
{
    using P = ZentovaAudioProcessor;
    using Modulation = corvanteelTest::SectionFixture<ModulationComponent>;

    // A pick from the box's list arrives as setSelectedId with an asynchronous change
    // message; delivering it synchronously runs the same listener path without a message loop.
    void pick (juce::ComboBox& box, int itemId)
    {
        box.setSelectedId (itemId, juce::sendNotificationSync);
    }

    using corvanteelTest::paintSectionOnly;
} // namespace

// Its place among the children and its bounds are in the sections' table test.
TEST (ModulationComponent, ModeBoxOffersTheThreeRatesWithNothingShownYet)
{
    Modulation f;
    auto& box = *f.section.modeBox;

    EXPECT_EQ (box.getName(), "mode box");
    EXPECT_FALSE (box.isTextEditable());
    EXPECT_EQ (box.getJustificationType(), juce::Justification (juce::Justification::centred));
    EXPECT_EQ (box.getTextWhenNothingSelected(), "");
    EXPECT_EQ (box.getTextWhenNoChoicesAvailable(), "(no choices)");
    EXPECT_EQ (box.getSelectedId(), 0);
    EXPECT_EQ (box.getText(), "");
    EXPECT_FALSE (box.getWantsKeyboardFocus());
    EXPECT_EQ (box.findColour (juce::ComboBox::textColourId), juce::Colour (0xffaeaeae));

    const char* items[] = { "x 1", "/ 10", "x 10" };
    ASSERT_EQ (box.getNumItems(), 3);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ (box.getItemText (i), items[i]);
        EXPECT_EQ (box.getItemId (i), i + 1);
    }
}

TEST (ModulationComponent, PickingAModeIsOneGesture)
{
    Modulation f;
    auto& box = *f.section.modeBox;

    struct Case { int itemId; const char* outline; const char* display; };
    const Case cases[] = {
        { 2, "<10 10=0.5 >10", "/ 10" },
        { 1, "<10 10=0 >10",   "Default" },
        { 3, "<10 10=1 >10",   "x 10" },
        { 3, "",               "x 10" },   // the item already selected: nothing
    };

    for (const auto& c : cases)
    {
        f.host.events.clear();
        pick (box, c.itemId);
        EXPECT_EQ (corvanteelTest::outline (f.host), c.outline) << c.itemId;
        EXPECT_EQ (f.processor.lastTouchedParameterName.get(), "Rate_Mode");
        EXPECT_EQ (f.processor.lastTouchedParameterText.get(), c.display) << c.itemId;
    }
}

TEST (ModulationComponent, LearnAndUnlearnActOnRateMode)
{
    for (bool learn : { true, false })
    {
        Modulation f;
        for (auto* parameter : f.processor.pluginParameters)
            parameter->midiCC = 3;

        f.processor.setMidiLearn (learn);
        f.processor.setMidiUnlearn (! learn);
        pick (*f.section.modeBox, 2);

        auto& rateMode = *f.processor.pluginParameters[P::rateModeIndex];
        EXPECT_EQ (rateMode.learnArmed.load(), learn);
        EXPECT_EQ (rateMode.midiCC.load(), learn ? 3 : -1);

        rateMode.learnArmed = false;
        rateMode.midiCC = 3;
        EXPECT_TRUE (corvanteelTest::noParameterLearnt (f.processor, 3));
    }
}

TEST (ModulationComponent, RefreshShowsTheRateModeSilently)
{
    struct Case { float rateMode; const char* shown; };
    const Case cases[] = { { 0.0f, "x 1" }, { 0.25f, "x 1" }, { 0.3f, "x 1" }, { 0.5f, "/ 10" },
                           { 0.7f, "/ 10" }, { 0.75f, "/ 10" }, { 0.999f, "/ 10" }, { 1.0f, "x 10" } };

    Modulation f;
    for (const auto& c : cases)
    {
        corvanteelTest::setParameter (f.processor, P::rateModeIndex, c.rateMode);
        f.section.refreshFromProcessor();
        EXPECT_EQ (f.section.modeBox->getText(), c.shown) << c.rateMode;
    }

    corvanteelTest::setParameter (f.processor, P::modulationRateIndex, 0.2f);
    corvanteelTest::setParameter (f.processor, P::modulationAmountIndex, 0.9f);
    f.section.refreshFromProcessor();
    EXPECT_DOUBLE_EQ (f.section.modFxRateSlider->getValue(), 0.2);
    EXPECT_DOUBLE_EQ (f.section.depthSlider->getValue(), 0.9);
    EXPECT_TRUE (f.section.depthSlider->isDoubleClickReturnEnabled());
    EXPECT_EQ (corvanteelTest::outline (f.host), "");
}

TEST (ModulationComponent, PaintsTheTitleBarTwoLinesAndTwoDots)
{
    Modulation f;
    const auto image = paintSectionOnly (f.section);
    const juce::Colour grey (0xffaeaeae);

    const juce::Rectangle<int> titleBar (0, 0, 250, 26);
    const juce::Rectangle<int> lines[] = { { 124, 55, 1, 45 }, { 70, 55, 55, 1 } };
    const juce::Rectangle<int> dots[] = { { 70, 52, 6, 6 }, { 121, 100, 6, 6 } };

    juce::Rectangle<int> dotExtents[2];
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
        {
            const juce::Point<int> p (x, y);
            const auto pixel = image.getPixelAt (x, y);

            if (titleBar.contains (p))
                continue;

            if (lines[0].contains (p) || lines[1].contains (p))
            {
                EXPECT_TRUE (corvanteelTest::nearColour (pixel, grey)) << x << "," << y;   // dot edges blend in
                continue;
            }

            if (pixel.getAlpha() == 0)
                continue;

            int inDot = -1;
            for (int d = 0; d < 2; ++d)
                if (dots[d].contains (p))
                    inDot = d;

            ASSERT_GE (inDot, 0) << "stray pixel at " << x << "," << y;
            dotExtents[inDot] = dotExtents[inDot].isEmpty() ? juce::Rectangle<int> (x, y, 1, 1)
                                                            : dotExtents[inDot].getUnion ({ x, y, 1, 1 });
        }

    EXPECT_EQ (dotExtents[0], dots[0]);
    EXPECT_EQ (dotExtents[1], dots[1]);
}
