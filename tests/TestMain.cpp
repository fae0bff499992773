#include "TestHelpers.h"

#include <gtest/gtest.h>

int main (int argc, char** argv)
{
    // Every test program runs with HOME in a fresh temporary folder, before JUCE
    // looks at it, so nothing here ever touches the real user's files.
    testing::TemporaryHome home;

    ::testing::InitGoogleTest (&argc, argv);
    const juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
