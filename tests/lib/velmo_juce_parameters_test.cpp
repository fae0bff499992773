#include "lib/velmo_juce_parameters.h"

#include <gtest/gtest.h>

namespace
{
    enum class Curve { none, squared, squareRoot };

    struct CurveCase
    {
        float min, max, defaultValue;
        Curve curve;
        float expectedDefaultNormalised;
        float expectedRealAfterInit;
        float tolerance;
    };

    void initWith (velmoLib::PluginParameter& p, const CurveCase& c)
    {
        p.init (c.min, c.max, c.defaultValue, false, "P", "", c.curve != Curve::none, c.curve == Curve::squareRoot);
    }
}

TEST (PluginParameter, NewParameterHoldsItsConstructionState)
{
    velmoLib::PluginParameter p;
    EXPECT_EQ (p.normalisedValue.load(), 0.0f);
    EXPECT_EQ (p.realValue.load(), 0.0f);
    EXPECT_EQ (p.rangeMin, 0.0f);
    EXPECT_EQ (p.rangeMax, 1.0f);
    EXPECT_EQ (p.midiCC.load(), -1);
    EXPECT_FALSE (p.learnArmed.load());
    EXPECT_EQ (p.paramName, "Parameter");
    EXPECT_TRUE (p.paramUnit.isEmpty());
}

TEST (PluginParameter, DefaultsMapBackThroughEachCurve)
{
    const CurveCase cases[] =
    {
        { 5.0f,   1000.0f, 120.0f, Curve::squared,    0.339967f, 120.0f, 1.0e-4f },
        { -70.0f, 6.0f,    0.0f,   Curve::squareRoot, 0.848338f, 0.0f,   1.0e-6f },
        { 0.0f,   100.0f,  40.0f,  Curve::none,       0.4f,      40.0f,  1.0e-5f },
        { 128.0f, 1.0f,    16.0f,  Curve::squareRoot, 0.0f,      128.0f, 0.0f },   // downward range keeps 0
        { 0.0f,   100.0f,  0.0f,   Curve::none,       0.0f,      0.0f,   0.0f },   // default at min
        { 0.0f,   100.0f,  100.0f, Curve::squared,    1.0f,      100.0f, 0.0f },   // default at max
    };

    for (const auto& c : cases)
    {
        velmoLib::PluginParameter p;
        initWith (p, c);
        EXPECT_NEAR (p.defaultNormalisedValue, c.expectedDefaultNormalised, 1.0e-6f) << c.min << ".." << c.max;
        EXPECT_NEAR (p.realValue.load(), c.expectedRealAfterInit, c.tolerance) << c.min << ".." << c.max;
        EXPECT_EQ (p.normalisedValue.load(), p.defaultNormalisedValue);
    }
}

TEST (PluginParameter, SquareRootCurveIsEvaluatedInDouble)
{
    // Out_Level's default lands a hair below 0 dB, not on it: the double sum of
    // -70 and 76 * sqrt(0.848338...) narrowed to float.
    velmoLib::PluginParameter p;
    p.init (-70.0f, 6.0f, 0.0f, false, "Out_Level", "dB", true, true);

    const float n = p.normalisedValue.load();
    const float expected = (float) (-70.0 + (double) 76.0f * std::sqrt ((double) n));
    EXPECT_EQ (p.realValue.load(), expected);
    EXPECT_LT (p.realValue.load(), 0.0f);
    EXPECT_GT (p.realValue.load(), -1.0e-6f);
}

TEST (PluginParameter, EndsOfTheRangeForEveryCurve)
{
    for (const auto curve : { Curve::none, Curve::squared, Curve::squareRoot })
    {
        for (const auto& range : { std::pair<float, float> { 5.0f, 1000.0f }, { 128.0f, 1.0f }, { -70.0f, 6.0f } })
        {
            velmoLib::PluginParameter p;
            p.init (range.first, range.second, range.first, false, "P", "", curve != Curve::none, curve == Curve::squareRoot);

            p.setNormalisedValue (0.0f);
            EXPECT_EQ (p.realValue.load(), range.first);
            p.setNormalisedValue (1.0f);
            EXPECT_EQ (p.realValue.load(), range.second);
            EXPECT_EQ (p.atomicValue.get(), 1.0f);
        }
    }
}
