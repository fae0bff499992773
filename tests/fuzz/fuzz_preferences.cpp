// A preferences file read by a new instance, then written back by its destructor.
#include "FuzzSupport.h"
#include "processor/PluginProcessor.h"

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    fuzzing::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto file = juce::File::getSpecialLocation (juce::File::userHomeDirectory)
                          .getChildFile ("Library/Application Support/Pendrawquiller/Corvanteel.prefs");
    file.getParentDirectory().createDirectory();
    file.replaceWithData (data, size);

    const ZentovaAudioProcessor processor;
    return 0;
}
