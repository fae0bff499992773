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
    // JUCE's own reader overflows on the absurd exponents, so it is asked only
    // about the ordinary cases.
    struct Case { const char* text; double expected; bool ordinary; };
    const Case cases[] =
    {
        { "0.25", 0.25, true }, { "  -1.5e2", -150.0, true }, { "+3", 3.0, true }, { "2abc", 2.0, true },
        { "abc", 0.0, true }, { "", 0.0, true }, { "1e5x", 1.0e5, true }, { ".5", 0.5, true },
        { "1e400", std::numeric_limits<double>::infinity(), true },
        { "0.339e96695280075073242", std::numeric_limits<double>::infinity(), false },
        { "5e-99999999999999", 0.0, false },
    };

    for (const auto& c : cases)
    {
        EXPECT_EQ (velmoLib::readStoredDecimal (c.text), c.expected) << c.text;

        if (c.ordinary)
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
