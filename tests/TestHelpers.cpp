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

//==============================================================================
namespace testing
{

namespace
{
    juce::MouseEvent mouseEvent (juce::Component& component, juce::Point<float> position,
                                 juce::Point<float> downPosition, int numClicks, bool wasDragged)
    {
        const auto now = juce::Time::getCurrentTime();
        return { juce::Desktop::getInstance().getMainMouseSource(), position,
                 juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier),
                 juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                 juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                 juce::MouseInputSource::defaultTiltY, &component, &component, now, downPosition, now,
                 numClicks, wasDragged };
    }
} // namespace

void pressAndRelease (juce::Component& component)
{
    const auto centre = component.getLocalBounds().getCentre().toFloat();
    component.mouseDown (mouseEvent (component, centre, centre, 1, false));
    component.mouseUp (mouseEvent (component, centre, centre, 1, false));
}

void dragVertically (juce::Component& component, std::initializer_list<float> offsets)
{
    const auto centre = component.getLocalBounds().getCentre().toFloat();
    component.mouseDown (mouseEvent (component, centre, centre, 1, false));

    auto position = centre;
    for (auto offset : offsets)
    {
        position = centre.translated (0.0f, offset);
        component.mouseDrag (mouseEvent (component, position, centre, 1, true));
    }

    component.mouseUp (mouseEvent (component, position, centre, 1, true));
}

void doubleClick (juce::Component& component)
{
    const auto centre = component.getLocalBounds().getCentre().toFloat();
    component.mouseDoubleClick (mouseEvent (component, centre, centre, 2, false));
}

juce::Image snapshot (juce::Component& component)
{
    return component.createComponentSnapshot (component.getLocalBounds(), true, 1.0f);
}

} // namespace testing

namespace testing
{

juce::String outline (const RecordingListener& listener)
{
    juce::StringArray parts;

    for (const auto& e : listener.events)
    {
        switch (e.kind)
        {
            case RecordingListener::Event::gestureStart: parts.add ("<" + juce::String (e.index)); break;
            case RecordingListener::Event::gestureEnd:   parts.add (">" + juce::String (e.index)); break;
            case RecordingListener::Event::value:        parts.add (juce::String (e.index) + "=" + juce::String (e.newValue)); break;
        }
    }

    return parts.joinIntoString (" ");
}

} // namespace testing
