#include "tests/TestHelpers.h"

#include "editor/FilterComponent.h"
#include "editor/ZentovaLook.h"

#include <gtest/gtest.h>

namespace
{
    using Filter = corvanteelTest::SectionFixture<FilterComponent>;

    using corvanteelTest::paintSectionOnly;
} // namespace

TEST (FilterComponent, PaintsTheTitleBarOneLineAndOneDot)
{
    Filter f;
    const auto image = paintSectionOnly (f.section);
    const juce::Colour grey (0xffaeaeae);

    const juce::Rectangle<int> titleBar (0, 0, 250, 26), line (75, 55, 30, 1), dot (70, 52, 6, 6);

    // Everything lit outside the bar and the line is the dot, and it fills its 6 x 6 box.
    juce::Rectangle<int> rest;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
        {
            const juce::Point<int> p (x, y);
            const bool lit = image.getPixelAt (x, y).getAlpha() > 0;

            if (titleBar.contains (p) || line.contains (p))
                EXPECT_TRUE (lit) << x << "," << y;
            else if (lit)
                rest = rest.isEmpty() ? juce::Rectangle<int> (x, y, 1, 1) : rest.getUnion ({ x, y, 1, 1 });
        }

    EXPECT_EQ (rest, dot);

    for (int x = line.getX(); x < line.getRight(); ++x)
        EXPECT_TRUE (corvanteelTest::nearColour (image.getPixelAt (x, 55), grey)) << x;   // the dot's edge blends in

    EXPECT_EQ (image.getPixelAt (72, 54), grey);
    EXPECT_EQ (image.getPixelAt (0, 25), grey);
}

TEST (FilterComponent, SmallKnobsDrawTheSmallVariant)
{
    // The look picks its variant by radius: 30 pixels square (r = 13) is small, hub 0.45 r;
    // 40 pixels (r = 18) is large, hub 0.5 r. Measured as the hub's grey coverage below the centre.
    Filter f;
    ZentovaLook look;
    f.section.setLookAndFeel (&look);
    f.section.refreshFromProcessor();

    struct Case { juce::Slider* knob; float radius; float hubScale; };
    for (const auto& c : { Case { f.section.floorSlider.get(), 18.0f, 0.5f }, Case { f.section.modSlider.get(), 13.0f, 0.45f },
                           Case { f.section.rateSlider.get(), 13.0f, 0.45f } })
    {
        const auto image = corvanteelTest::snapshot (*c.knob);
        const int centre = c.knob->getWidth() / 2;
        const float hub = corvanteelTest::knobHubExtent (image, { centre, centre }, c.radius);

        EXPECT_NEAR (hub, c.hubScale * c.radius, 0.2f) << c.knob->getWidth();
    }

    f.section.setLookAndFeel (nullptr);
}
