#include "tests/TestHelpers.h"

#include "editor/MainPanel.h"

#include <BinaryData.h>
#include <gtest/gtest.h>

namespace
{
    const juce::Rectangle<int> titleBox (95, 300, 140, 30), logoBox (495, 300, 250, 30);

    /** The bounds of the white artwork's pixels inside area (brighter than the grey lines), or empty. */
    juce::Rectangle<int> brightPixels (const juce::Image& image, juce::Rectangle<int> area)
    {
        juce::Rectangle<int> found;
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (image.getPixelAt (x, y).getBrightness() > 0.8f)
                    found = found.isEmpty() ? juce::Rectangle<int> (x, y, 1, 1) : found.getUnion ({ x, y, 1, 1 });
        return found;
    }
} // namespace

TEST (MainPanel, BothArtworksLoad)
{
    MainPanel panel;
    ASSERT_NE (panel.titleDrawable, nullptr);
    ASSERT_NE (panel.logoDrawable, nullptr);
    EXPECT_FALSE (panel.titleDrawable->getDrawableBounds().isEmpty());
    EXPECT_FALSE (panel.logoDrawable->getDrawableBounds().isEmpty());

    // The panel has built its children and its size before any processor exists.
    EXPECT_EQ (panel.getBounds(), juce::Rectangle<int> (0, 0, 750, 350));
    EXPECT_EQ (panel.ownerProcessor, nullptr);

    const char notAnImage[] = "<svg broken";
    EXPECT_EQ (MainPanel::loadArtwork (notAnImage, sizeof (notAnImage)), nullptr);
    EXPECT_NE (MainPanel::loadArtwork (BinaryData::resource_MainPanel_sorvique_vector_svg,
                                       (size_t) BinaryData::resource_MainPanel_sorvique_vector_svgSize), nullptr);
}

TEST (MainPanel, ArtworksAreFittedCentredIntoTheirBoxes)
{
    MainPanel panel;
    const auto image = corvanteelTest::snapshot (panel);

    for (auto box : { titleBox, logoBox })
    {
        const auto art = brightPixels (image, box.expanded (5));
        ASSERT_FALSE (art.isEmpty()) << box.toString();
        EXPECT_TRUE (box.contains (art)) << art.toString();

        // Scaled up until one dimension fills the box, centred on the other.
        const bool fillsWidth = art.getWidth() >= box.getWidth() - 6;
        const bool fillsHeight = art.getHeight() >= box.getHeight() - 6;
        EXPECT_TRUE (fillsWidth || fillsHeight) << art.toString();
        EXPECT_NEAR (art.getCentreX(), box.getCentreX(), 2) << art.toString();
        EXPECT_NEAR (art.getCentreY(), box.getCentreY(), 2) << art.toString();
    }
}

TEST (MainPanel, MissingArtworkLeavesEverythingElsePainted)
{
    MainPanel panel;
    panel.titleDrawable = nullptr;
    panel.logoDrawable = nullptr;

    const auto image = corvanteelTest::snapshot (panel);
    const juce::Colour grey (0xffaeaeae);

    EXPECT_TRUE (brightPixels (image, titleBox).isEmpty());
    EXPECT_TRUE (brightPixels (image, logoBox).isEmpty());

    for (auto p : { juce::Point<int> (0, 200), { 749, 320 }, { 250, 100 }, { 500, 200 }, { 600, 0 }, { 600, 139 },
                    { 600, 280 }, { 600, 349 } })
        EXPECT_TRUE (corvanteelTest::nearColour (image.getPixelAt (p.x, p.y), grey)) << p.toString();

    // The sections paint as before: the STUTTER title bar over the black panel.
    EXPECT_TRUE (corvanteelTest::nearColour (image.getPixelAt (5, 5), juce::Colour (0xff575757)));
}
