#include "TestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
    struct DefaultCase
    {
        const char* name;
        float normalised;
        const char* text;
    };

    const DefaultCase defaults[] =
    {
        { "Time",               0.339967f, "120 Ms" },
        { "Sync",               0.0f,      "Off" },
        { "Division",           0.0f,      "128  " },
        { "Feedback",           0.4f,      "40.00 %" },
        { "Ping_Out",           1.0f,      "On" },
        { "Cutoff_Floor",       0.311432f, "600.00 Hz" },
        { "Cutoff_Mod_Depth",   1.0f,      "100.00 %" },
        { "Cutoff_Mod_Rate",    0.223501f, "1.00 Hz" },
        { "Resonance",          0.5f,      "50.00 %" },
        { "Modulation_Rate",    0.040804f, "1.00 Hz" },
        { "Rate_Mode",          0.0f,      "Default" },
        { "Modulation_Amount",  0.0f,      "0.00 %" },
        { "Stereo_Separation",  0.5f,      "50.00 %" },
        { "Stutter_Proportion", 0.5f,      "50.00 %" },
        { "Stutter_Speed",      0.25f,     "100.00 %" },
        { "Stutter_Reverse",    0.0f,      "Off" },
        { "Stutter_Mix",        0.5f,      "50.00 %" },
        { "Dry_Wet",            0.5f,      "50.00 %" },
        { "Randomize",          0.0f,      "0 " },
        { "Out_Level",          0.848338f, "-0.00 dB" },
    };
}

TEST (ParameterTable, NewInstanceHasEveryDefaultNameAndText)
{
    ZentovaAudioProcessor processor;
    ASSERT_EQ (processor.getNumParameters(), 20);

    for (int i = 0; i < 20; ++i)
    {
        SCOPED_TRACE (defaults[i].name);
        EXPECT_EQ (processor.getParameterName (i), defaults[i].name);
        EXPECT_NEAR (processor.getParameter (i), defaults[i].normalised, 1.0e-6f);
        EXPECT_EQ (processor.getParameter (i), processor.pluginParameters[i]->defaultNormalisedValue);
        EXPECT_EQ (processor.getParameterText (i), defaults[i].text);

        // A host's reset goes to the parameter's own default; for everything
        // else the processor leaves alone hosts get JUCE's answers.
        EXPECT_EQ (processor.getParameterDefaultValue (i), processor.pluginParameters[i]->defaultNormalisedValue);
        EXPECT_EQ (processor.getParameterNumSteps (i), 2147483647);
        EXPECT_TRUE (processor.getParameterLabel (i).isEmpty());
        EXPECT_TRUE (processor.isParameterAutomatable (i));
    }
}

TEST (ParameterTable, DisplayTextsAcrossTheRange)
{
    struct TextCase { int index; float value; const char* text; };
    const TextCase cases[] =
    {
        { ZentovaAudioProcessor::timeIndex,     0.5f,   "253 Ms" },   // 253.75 truncated
        { ZentovaAudioProcessor::divisionIndex, 0.25f,  "64  " },     // 64.5 truncated
        { ZentovaAudioProcessor::divisionIndex, 1.0f,   "1  " },
        { ZentovaAudioProcessor::syncIndex,     0.999f, "Off" },
        { ZentovaAudioProcessor::syncIndex,     1.0f,   "On" },
        { ZentovaAudioProcessor::rateModeIndex, 0.49f,  "Default" },
        { ZentovaAudioProcessor::rateModeIndex, 0.5f,   "/ 10" },
        { ZentovaAudioProcessor::rateModeIndex, 1.0f,   "x 10" },
        { ZentovaAudioProcessor::outLevelIndex, 1.0f,   "6.00 dB" },
        { ZentovaAudioProcessor::outLevelIndex, 0.0f,   "-70.00 dB" },
        { ZentovaAudioProcessor::feedbackIndex, 1.0f,   "100.00 %" },
        { ZentovaAudioProcessor::feedbackIndex, 0.0f,   "0.00 %" },
        { ZentovaAudioProcessor::randomizeIndex, 1.0f,  "1 " },
    };

    ZentovaAudioProcessor processor;

    for (const auto& c : cases)
    {
        processor.setParameter (c.index, c.value);
        EXPECT_EQ (processor.getParameterText (c.index), c.text) << c.index << " at " << c.value;
    }

    processor.setParameter (ZentovaAudioProcessor::feedbackIndex, 1.0f);
    EXPECT_EQ (processor.pluginParameters[ZentovaAudioProcessor::feedbackIndex]->realValue.load(), 100.0f);
}

TEST (ParameterTable, TwoDecimalTextsRoundExactHalvesUp)
{
    // Feedback, Resonance and the other 0 to 100 % parameters take a real value of
    // exactly 0.125 at 0.00125; Stutter_Speed (0 to 400 %) at a quarter of that.
    struct HalfCase { int index; float value; const char* text; };
    const HalfCase cases[] =
    {
        { ZentovaAudioProcessor::feedbackIndex,     0.00125f,  "0.13 %" },
        { ZentovaAudioProcessor::resonanceIndex,    0.00125f,  "0.13 %" },
        { ZentovaAudioProcessor::dryWetIndex,       0.00375f,  "0.38 %" },
        { ZentovaAudioProcessor::stutterSpeedIndex, 0.0003125f, "0.13 %" },
        { ZentovaAudioProcessor::feedbackIndex,     std::nextafter (0.00125f, 0.0f), "0.12 %" },
        { ZentovaAudioProcessor::feedbackIndex,     std::nextafter (0.00125f, 1.0f), "0.13 %" },
    };

    ZentovaAudioProcessor processor;

    for (const auto& c : cases)
    {
        processor.setParameter (c.index, c.value);
        EXPECT_EQ (processor.getParameterText (c.index), c.text) << c.index << " at " << c.value;
    }

    // Across the whole range of every non-stepped parameter the text is JUCE's
    // two-decimal text except at exact halves, where it is the next one up.
    int halves = 0;

    for (int index = 0; index < ZentovaAudioProcessor::numParameters; ++index)
    {
        const auto& parameter = *processor.pluginParameters[index];

        if (parameter.isStepped)
            continue;

        for (int step = 0; step <= 65536; ++step)
        {
            processor.setParameter (index, (float) step / 65536.0f);
            const double real = (double) parameter.realValue.load();
            const double hundredths = std::abs (real) * 100.0;
            const bool exactHalf = hundredths - std::floor (hundredths) == 0.5;
            const double beyondHalf = std::nextafter (real, real < 0.0 ? -1.0e300 : 1.0e300);

            halves += exactHalf ? 1 : 0;
            ASSERT_EQ (processor.getParameterText (index),
                       juce::String (exactHalf ? beyondHalf : real, 2) + " " + parameter.paramUnit)
                << parameter.paramName << " at step " << step;
        }
    }

    EXPECT_GT (halves, 0);
}

TEST (ParameterTable, SetParameterRejectsWhatIsOutOfRange)
{
    ZentovaAudioProcessor processor;
    const int feedback = ZentovaAudioProcessor::feedbackIndex;
    processor.setParameter (feedback, 0.3f);

    for (const float bad : { 1.5f, -0.1f, std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity() })
    {
        processor.setParameter (feedback, bad);
        EXPECT_EQ (processor.getParameter (feedback), 0.3f) << bad;
    }

    std::vector<float> before;
    for (int i = 0; i < 20; ++i)
        before.push_back (processor.getParameter (i));

    processor.setParameter (20, 0.5f);
    processor.setParameter (-1, 0.5f);

    for (int i = 0; i < 20; ++i)
        EXPECT_EQ (processor.getParameter (i), before[(size_t) i]);
}

TEST (ParameterTable, LegacyIdsAreTheNames)
{
    ZentovaAudioProcessor processor;
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ (processor.getParameterID (i), defaults[i].name);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
