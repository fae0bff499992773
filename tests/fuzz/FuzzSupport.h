#pragma once

#include "TemporaryHome.h"

#include <juce_events/juce_events.h>

#include <cstdint>

// libFuzzer's entry points.
extern "C" int LLVMFuzzerInitialize (int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size);

namespace fuzzing
{

/** A temporary HOME for the whole run, removed at exit, and JUCE set up once. */
inline void initialise()
{
    static const corvanteelTest::TemporaryHome home;

    // Kept for the whole run and never torn down: libFuzzer ends the process
    // through exit(), where JUCE's shutdown would race the other statics.
    static const auto* juce = new juce::ScopedJuceInitialiser_GUI();
    juce::ignoreUnused (home, juce);
}

} // namespace fuzzing
