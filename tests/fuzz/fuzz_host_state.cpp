// Host state bytes straight into setStateInformation, then a save of the result.
#include "FuzzSupport.h"
#include "processor/PluginProcessor.h"

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    fuzzing::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static ZentovaAudioProcessor processor;

    processor.setStateInformation (data, (int) size);

    juce::MemoryBlock saved;
    processor.getStateInformation (saved);
    return 0;
}
