#include "lib/velmo_juce_numberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST (NumberText, StoredValuesReadBackBitForBit)
{
    juce::Random random (17);
    for (int i = 0; i < 10000; ++i)
    {
        const float value = i < 3 ? (float) i * 0.5f : random.nextFloat() * std::pow (10.0f, (float) random.nextInt ({ -12, 2 }));
        EXPECT_EQ ((float) velmoLib::readStoredDecimal (velmoLib::formatStoredValue (value)), value) << value;
    }
}

TEST (NumberText, DecimalsAreReadAsJuceReadsThem)
{
    struct Case { const char* text; double expected; };
    const Case cases[] =
    {
        { "0.25", 0.25 }, { "  -1.5e2", -150.0 }, { "+3", 3.0 }, { "2abc", 2.0 }, { "abc", 0.0 }, { "", 0.0 },
        { "1e5x", 1.0e5 }, { ".5", 0.5 },
        { "0.339e96695280075073242", std::numeric_limits<double>::infinity() },   // far beyond any double
        { "5e-99999999999999", 0.0 },
    };

    for (const auto& c : cases)
    {
        EXPECT_EQ (velmoLib::readStoredDecimal (c.text), c.expected) << c.text;

        if (std::isfinite (c.expected))
        {
            EXPECT_EQ (velmoLib::readStoredDecimal (c.text), juce::String (c.text).getDoubleValue()) << c.text;
        }
    }
}

TEST (NumberText, IntegersAreReadAsJuceReadsThem)
{
    struct Case { const char* text; int expected; };
    const Case cases[] =
    {
        { "74", 74 }, { " -1", -1 }, { "abc", 0 }, { "20x", 20 }, { "", 0 }, { "+5", 0 },
        { "2147483647", 2147483647 }, { "-2147483648", std::numeric_limits<int>::min() }, { "4294967297", 1 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (velmoLib::readStoredInteger (c.text), c.expected) << c.text;
}
