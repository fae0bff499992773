#include "tests/TestHelpers.h"

#include "editor/OscillComp.h"

#include <gtest/gtest.h>

namespace
{
    struct Scope
    {
        Scope()
        {
            scope.ownerProcessor = &processor;
            scope.setBounds (75, 45, 100, 26);   // as the OUT section places it
        }

        void fillHistory (float value)
        {
            for (auto& v : processor.scopeHistory)
                v.store (value);
        }

        /** For each of the 26 rows, whether any pixel in it is lit. */
        std::vector<bool> litRows()
        {
            const auto image = corvanteelTest::snapshot (scope);
            std::vector<bool> rows;
            for (int y = 0; y < image.getHeight(); ++y)
            {
                bool lit = false;
                for (int x = 0; x < image.getWidth(); ++x)
                    lit = lit || image.getPixelAt (x, y).getAlpha() > 0;
                rows.push_back (lit);
            }
            return rows;
        }

        ZentovaAudioProcessor processor;
        OscillComp scope;
    };

    std::vector<bool> onlyRows (std::initializer_list<int> lit)
    {
        std::vector<bool> rows (26, false);
        for (auto row : lit)
            rows[(size_t) row] = true;
        return rows;
    }
} // namespace

TEST (OscillComp, DrawsNothingBeforeTheFirstRefresh)
{
    Scope s;
    OscillComp fresh;
    EXPECT_EQ (fresh.getBounds(), juce::Rectangle<int> (0, 0, 200, 80));
    EXPECT_TRUE (s.scope.scopePath.isEmpty());
    EXPECT_EQ (s.litRows(), onlyRows ({}));
}

TEST (OscillComp, TraceHas128PointsFromOldestToNewest)
{
    Scope s;
    for (int i = 0; i < 128; ++i)
        s.processor.scopeHistory[(size_t) i].store (i == 0 ? 1.0f : (i == 127 ? -1.0f : 0.0f));

    s.scope.refreshFromProcessor();

    std::vector<juce::Point<float>> points;
    for (juce::Path::Iterator it (s.scope.scopePath); it.next();)
        if (it.elementType != juce::Path::Iterator::closePath)
            points.push_back ({ it.x1, it.y1 });

    ASSERT_EQ (points.size(), 128u);
    EXPECT_EQ (points.front(), juce::Point<float> (0.0f, 26.0f));             // oldest, -1: bottom edge
    EXPECT_EQ (points[1], juce::Point<float> (100.0f - 126.0f * 0.78125f, 13.0f)); // no point at x = step
    EXPECT_EQ (points.back(), juce::Point<float> (100.0f, 0.0f));             // newest, +1: top edge
}

TEST (OscillComp, SilenceIsAFlatLineAcrossTheMiddle)
{
    Scope s;
    s.scope.refreshFromProcessor();

    // y = 13 exactly: the 1-pixel stroke covers half of rows 12 and 13, across the full width.
    EXPECT_EQ (s.litRows(), onlyRows ({ 12, 13 }));

    const auto image = corvanteelTest::snapshot (s.scope);
    for (int x = 0; x < 100; ++x)
    {
        EXPECT_NEAR (image.getPixelAt (x, 12).getAlpha(), 128, 3) << x;
        EXPECT_NEAR (image.getPixelAt (x, 13).getAlpha(), 128, 3) << x;
        EXPECT_GT (image.getPixelAt (x, 13).getBrightness(), 0.95f) << x;   // white, half covered
    }
}

TEST (OscillComp, ValuesOutsideTheRangeClipToTheEdges)
{
    struct Case { float value; int row; };
    for (const auto& c : { Case { 2.5f, 0 }, Case { 1.0f, 0 }, Case { -4.0f, 25 }, Case { -1.0f, 25 } })
    {
        Scope s;
        s.fillHistory (c.value);
        s.scope.refreshFromProcessor();
        EXPECT_EQ (s.litRows(), onlyRows ({ c.row })) << c.value;
    }
}
