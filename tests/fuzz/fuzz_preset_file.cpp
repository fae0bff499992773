// A preset file as the editor's refresh or the preset loader reads and applies it.
#include "FuzzSupport.h"
#include "processor/PresetFile.h"
#include "processor/PluginProcessor.h"

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    fuzzing::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static ZentovaAudioProcessor processor;
    static const auto file = juce::File::createTempFile (".tqz");

    file.replaceWithData (data, size);
    PresetFile::read (file, processor);
    return 0;
}
