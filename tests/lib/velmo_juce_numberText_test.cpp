#include "lib/velmo_juce_numberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

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
        { "\v\f 39e966952800570", std::numeric_limits<double>::infinity(), false },  // blanks JUCE skips too
        { "\v\f -2.5", -2.5, true },
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

TEST (NumberText, IntegersTakeBlanksAnOptionalSignAndTheLeadingDigits)
{
    struct Case { const char* text; int expected; };
    const Case cases[] =
    {
        { "74", 74 }, { " -1", -1 }, { "abc", 0 }, { "20x", 20 }, { "", 0 }, { "+5", 5 },
        { "+74", 74 }, { " \t+74", 74 }, { "+", 0 }, { "+-5", 0 }, { "-+5", 0 }, { "+ 5", 0 }, { "++5", 0 },
        { "2147483647", 2147483647 }, { "-2147483648", std::numeric_limits<int>::min() }, { "4294967297", 1 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (velmoLib::readStoredInteger (c.text), c.expected) << c.text;
}

namespace
{
    /** The same value as the standard fixed notation writes it, but with an exact
        half of a hundredth rounded away from zero: the text of the next double
        beyond the half, which the standard notation rounds that way. */
    juce::String halvesRoundedUp (float value)
    {
        const double widened = (double) value;
        const double hundredths = std::abs (widened) * 100.0;
        const bool exactHalf = hundredths - std::floor (hundredths) == 0.5;

        return juce::String (exactHalf ? std::nextafter (widened, widened < 0.0 ? -1.0e300 : 1.0e300) : widened, 2);
    }
}

TEST (NumberText, TwoDecimalsRoundHalvesAwayFromZero)
{
    struct Case { double value; const char* text; };
    const Case cases[] =
    {
        { 0.125, "0.13" }, { -0.125, "-0.13" }, { 0.375, "0.38" }, { 2.625, "2.63" }, { 99.875, "99.88" },
        { -69.875, "-69.88" }, { 5999.875, "5999.88" }, { 0.625, "0.63" },
        { (double) std::nextafter (0.125f, 0.0f), "0.12" }, { (double) std::nextafter (0.125f, 1.0f), "0.13" },
        { (double) std::nextafter (-0.125f, 0.0f), "-0.12" }, { (double) std::nextafter (-0.125f, -1.0f), "-0.13" },
        { 0.0, "0.00" }, { -0.0, "0.00" }, { -7.5e-8, "-0.00" }, { 1.0e-30, "0.00" },
        { 40.0, "40.00" }, { 600.0, "600.00" }, { -70.0, "-70.00" }, { 6.0, "6.00" }, { 1.0, "1.00" },
        { 1.0e20, "100000000000000000000.00" },
    };

    for (const auto& c : cases)
        EXPECT_EQ (velmoLib::formatTwoDecimals (c.value), c.text) << c.value;

    // What no parameter reaches keeps the standard text.
    EXPECT_EQ (velmoLib::formatTwoDecimals (std::numeric_limits<double>::infinity()),
               juce::String (std::numeric_limits<double>::infinity(), 2));
}

TEST (NumberText, TwoDecimalsDifferFromTheStandardTextOnlyAtHalves)
{
    // Every eighth is a float whose hundredths are whole or exactly half; random
    // floats of every size the parameters reach are almost never halves.
    std::vector<float> values;

    for (int eighths = -80 * 8; eighths <= 6100 * 8; ++eighths)
        values.push_back ((float) eighths / 8.0f);

    juce::Random random (23);

    for (int i = 0; i < 200000; ++i)
        values.push_back ((random.nextFloat() * 2.0f - 1.0f) * std::pow (10.0f, (float) random.nextInt ({ -9, 5 })));

    int halves = 0;

    for (const float value : values)
    {
        const auto text = velmoLib::formatTwoDecimals ((double) value);
        ASSERT_EQ (text, halvesRoundedUp (value)) << value;
        halves += text != juce::String ((double) value, 2) ? 1 : 0;
    }

    // Half of all odd eighths are ties that the standard text rounds down.
    EXPECT_GT (halves, 10000);
}
