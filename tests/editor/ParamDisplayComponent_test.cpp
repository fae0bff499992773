#include "tests/TestHelpers.h"

#include "editor/ParamDisplayComponent.h"

#include <gtest/gtest.h>

namespace
{
    const juce::Colour grey { 0xffaeaeae };

    /** The rows of the snapshot at column x that are black. */
    std::vector<int> blackRows (juce::Component& component, int x)
    {
        const auto image = component.createComponentSnapshot (component.getLocalBounds(), true, 1.0f);
        std::vector<int> rows;

        for (int y = 0; y < image.getHeight(); ++y)
        {
            const auto pixel = image.getPixelAt (x, y);
            if (pixel == juce::Colours::black)
                rows.push_back (y);
            else
                EXPECT_EQ (pixel, grey) << "x " << x << ", y " << y;
        }

        return rows;
    }
} // namespace

TEST (ParamDisplayComponent, ConstructionScalesForItsOwnSize)
{
    ParamDisplayComponent display;

    EXPECT_EQ (display.getBounds(), juce::Rectangle<int> (0, 0, 200, 70));
    EXPECT_FLOAT_EQ (display.fontHeight, 24.0f);
    EXPECT_FLOAT_EQ (display.lastHeight, 70.0f);
    EXPECT_EQ (display.nameLabel->getName(), "name label");
    EXPECT_EQ (display.valueLabel->getName(), "value label");
    EXPECT_EQ (display.getChildComponent (0), display.nameLabel.get());
    EXPECT_EQ (display.getChildComponent (1), display.valueLabel.get());
    EXPECT_TRUE (display.nameLabel->getText().isEmpty());
    EXPECT_EQ (display.nameLabel->getJustificationType(), juce::Justification (juce::Justification::centred));
    EXPECT_EQ (display.nameLabel->findColour (juce::Label::textColourId), juce::Colours::black);
}

TEST (ParamDisplayComponent, LayoutAndTextHeightFollowTheHeight)
{
    struct Case { int height; int labelHeight; float textHeight; int lineY; int lineThickness; };
    const Case cases[] = {
        { 50, 25, 24.0f * 50.0f / 70.0f, 24, 1 },
        { 100, 50, 2.0f * 24.0f * 50.0f / 70.0f, 49, 2 },
        { 50, 25, 24.0f * 50.0f / 70.0f, 24, 1 },
    };

    ParamDisplayComponent display;

    for (const auto& c : cases)
    {
        display.setSize (230, c.height);

        EXPECT_EQ (display.nameLabel->getBounds(), juce::Rectangle<int> (0, 0, 230, c.labelHeight)) << c.height;
        EXPECT_EQ (display.valueLabel->getBounds(), juce::Rectangle<int> (0, c.labelHeight, 230, c.labelHeight)) << c.height;
        EXPECT_NEAR (display.nameLabel->getFont().getHeight(), c.textHeight, 1.0e-4f) << c.height;
        EXPECT_NEAR (display.valueLabel->getFont().getHeight(), c.textHeight, 1.0e-4f) << c.height;

        std::vector<int> line;
        for (int i = 0; i < c.lineThickness; ++i)
            line.push_back (c.lineY + i);

        for (int x : { 0, 115, 229 })
            EXPECT_EQ (blackRows (display, x), line) << c.height << " x " << x;
    }

    EXPECT_NEAR (display.fontHeight, 17.142857f, 1.0e-4f);
}

TEST (ParamDisplayComponent, RefreshShowsTheLastTouchedParameter)
{
    corvanteelTest::TemporaryHome home;
    ZentovaAudioProcessor processor;
    ParamDisplayComponent display;
    display.ownerProcessor = &processor;

    display.refreshFromProcessor();
    EXPECT_EQ (display.nameLabel->getText(), "v 1.1");
    EXPECT_TRUE (display.valueLabel->getText().isEmpty());

    corvanteelTest::setParameter (processor, ZentovaAudioProcessor::feedbackIndex, 0.5f);
    processor.updateLastTouched (ZentovaAudioProcessor::feedbackIndex);
    display.refreshFromProcessor();
    EXPECT_EQ (display.nameLabel->getText(), "Feedback");
    EXPECT_EQ (display.valueLabel->getText(), processor.getParameterText (ZentovaAudioProcessor::feedbackIndex));
}
