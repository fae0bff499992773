#include "TestHelpers.h"

#include <cstdlib>

namespace testing
{

TemporaryHome::TemporaryHome()
{
    if (const char* existing = std::getenv ("HOME"))
    {
        previousHome = existing;
        hadPreviousHome = true;
    }

    home = juce::File::createTempFile ("home");
    home.createDirectory();
    ::setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
}

TemporaryHome::~TemporaryHome()
{
    if (hadPreviousHome)
        ::setenv ("HOME", previousHome.toRawUTF8(), 1);
    else
        ::unsetenv ("HOME");

    home.deleteRecursively();
}

juce::File TemporaryHome::presetFolder() const     { return home.getChildFile ("Library/Audio/Presets/Pendrawquiller/Corvanteel"); }
juce::File TemporaryHome::preferencesFile() const  { return home.getChildFile ("Library/Application Support/Pendrawquiller/Corvanteel.prefs"); }
juce::File TemporaryHome::crashLogFile() const     { return home.getChildFile ("Library/Logs/Pendrawquiller/CorvanteelLog.txt"); }

//==============================================================================
void RecordingListener::audioProcessorParameterChanged (juce::AudioProcessor*, int index, float newValue)
{
    events.push_back ({ Event::value, index, newValue });
}

void RecordingListener::audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index)
{
    events.push_back ({ Event::gestureStart, index, 0.0f });
}

void RecordingListener::audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index)
{
    events.push_back ({ Event::gestureEnd, index, 0.0f });
}

int RecordingListener::countValueChanges() const
{
    int count = 0;
    for (const auto& e : events)
        count += e.kind == Event::value ? 1 : 0;
    return count;
}

//==============================================================================
void processBlocks (juce::AudioProcessor& processor, juce::AudioBuffer<float>& buffer, int numBlocks)
{
    juce::MidiBuffer midi;
    for (int i = 0; i < numBlocks; ++i)
        processor.processBlock (buffer, midi);
}

void processSilence (juce::AudioProcessor& processor, int numSamples, int blockSize)
{
    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;

    for (int done = 0; done < numSamples; done += blockSize)
    {
        buffer.clear();
        processor.processBlock (buffer, midi);
    }
}

void processWithMidi (juce::AudioProcessor& processor, const juce::MidiBuffer& midi, int numSamples)
{
    juce::AudioBuffer<float> buffer (2, numSamples);
    buffer.clear();
    auto copy = midi;
    processor.processBlock (buffer, copy);
}

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
void setParameter (ZentovaAudioProcessor& processor, int index, float value)
{
    processor.setParameter (index, value);
}
JUCE_END_IGNORE_WARNINGS_GCC_LIKE

} // namespace testing
