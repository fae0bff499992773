#include "tests/TestHelpers.h"

#include "editor/FilterComponent.h"
#include "editor/ZentovaLook.h"

#include <gtest/gtest.h>

namespace
{
    using P = ZentovaAudioProcessor;
    using Filter = corvanteelTest::SectionFixture<FilterComponent>;

    struct KnobCase
    {
        std::unique_ptr<juce::Slider> FilterComponent::* knob;
        std::unique_ptr<juce::Label> FilterComponent::* caption;
        const char* text;
        juce::Rectangle<int> bounds, captionBounds;
        int index;
        juce::uint32 accent;
    };

    const KnobCase knobs[] = {
        { &FilterComponent::floorSlider, &FilterComponent::floorLabel, "FLOOR", { 25, 35, 40, 40 },  { 25, 85, 40, 12 },   P::cutoffFloorIndex,    0xff0be067 },
        { &FilterComponent::resSlider,   &FilterComponent::resLabel,   "RES",   { 185, 35, 40, 40 }, { 185, 85, 40, 12 },  P::resonanceIndex,      0xff0be067 },
        { &FilterComponent::modSlider,   &FilterComponent::modLabel,   "MOD",   { 110, 40, 30, 30 }, { 105, 70, 40, 12 },  P::cutoffModDepthIndex, 0xffd02aff },
        { &FilterComponent::rateSlider,  &FilterComponent::rateLabel,  "RATE",  { 110, 88, 30, 30 }, { 105, 118, 40, 12 }, P::cutoffModRateIndex,  0xfffbff03 },
    };

    using corvanteelTest::paintSectionOnly;
} // namespace

TEST (FilterComponent, KnobsAreBuiltInOrderWithTheirOwnAccents)
{
    Filter f;
    auto& s = f.section;
    EXPECT_EQ (s.getBounds(), juce::Rectangle<int> (0, 0, 250, 140));
    EXPECT_TRUE (s.firstUpdate);
    ASSERT_EQ (s.getNumChildComponents(), 8);

    for (int i = 0; i < (int) std::size (knobs); ++i)
    {
        const auto& k = knobs[i];
        EXPECT_EQ (s.getChildComponent (2 * i), (s.*k.knob).get()) << k.text;
        EXPECT_EQ (s.getChildComponent (2 * i + 1), (s.*k.caption).get()) << k.text;
        EXPECT_EQ ((s.*k.knob)->getBounds(), k.bounds) << k.text;
        EXPECT_EQ ((s.*k.caption)->getBounds(), k.captionBounds) << k.text;
        EXPECT_EQ (corvanteelTest::knobSetUpFaults (*(s.*k.knob), juce::Colour (k.accent)), "") << k.text;
        EXPECT_EQ (corvanteelTest::captionSetUpFaults (*(s.*k.caption), k.text), "") << k.text;
    }
}

TEST (FilterComponent, EachKnobDrivesOnlyItsParameter)
{
    for (const auto& k : knobs)
    {
        Filter f;
        corvanteelTest::dragVertically (*(f.section.*k.knob), { -12.0f });

        ASSERT_EQ (f.host.events.size(), 3u) << k.text;
        for (const auto& e : f.host.events)
            EXPECT_EQ (e.index, k.index) << k.text;

        EXPECT_EQ (f.processor.lastTouchedParameterName.get(), f.processor.getParameterName (k.index));
    }
}

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
