#include "TestHelpers.h"

#include <cstdlib>
#include <ctime>

// Plug-in builds permit no modal loops, so MessageManager::runDispatchLoopUntil does
// not exist; JUCE's own Linux plug-in message thread dispatches through this.
namespace juce { bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages); }

namespace corvanteelTest
{

//==============================================================================
TemporaryTimeZone::TemporaryTimeZone (const char* zone)
{
    if (const char* existing = std::getenv ("TZ"))
    {
        previousZone = existing;
        hadPreviousZone = true;
    }

    ::setenv ("TZ", zone, 1);
    ::tzset();
}

TemporaryTimeZone::~TemporaryTimeZone()
{
    if (hadPreviousZone)
        ::setenv ("TZ", previousZone.toRawUTF8(), 1);
    else
        ::unsetenv ("TZ");

    ::tzset();
}

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

void runMessageLoop (int milliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) milliseconds;

    while (juce::Time::getMillisecondCounter() < end)
        if (! juce::dispatchNextMessageOnSystemQueue (true))
            juce::Thread::sleep (1);
}

void click (juce::Button& button)
{
    button.triggerClick();
    runMessageLoop();
}

void dispatchPendingMessages()
{
    for (int i = 0; i < 1000 && juce::dispatchNextMessageOnSystemQueue (true); ++i)
    {}
}

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
void setParameter (ZentovaAudioProcessor& processor, int index, float value)
{
    processor.setParameter (index, value);
}
JUCE_END_IGNORE_WARNINGS_GCC_LIKE

//==============================================================================

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


namespace
{
    void check (juce::StringArray& faults, bool ok, const char* what)
    {
        if (! ok)
            faults.add (what);
    }
} // namespace

juce::String knobSetUpFaults (juce::Slider& knob, juce::Colour accent)
{
    juce::StringArray faults;
    check (faults, knob.getName().isEmpty(), "name");
    check (faults, knob.getMinimum() == 0.0 && knob.getMaximum() == 1.0, "range");
    check (faults, knob.getInterval() == 0.001, "interval");
    check (faults, knob.getSliderStyle() == juce::Slider::RotaryVerticalDrag, "style");
    check (faults, knob.getTextBoxPosition() == juce::Slider::NoTextBox, "text box");
    check (faults, knob.getTextBoxWidth() == 80 && knob.getTextBoxHeight() == 20, "text box size");
    check (faults, knob.isTextBoxEditable(), "text box read-only");
    const auto rotary = knob.getRotaryParameters();
    check (faults, juce::approximatelyEqual (rotary.startAngleRadians, 1.2f * juce::MathConstants<float>::pi)
                    && juce::approximatelyEqual (rotary.endAngleRadians, 2.8f * juce::MathConstants<float>::pi), "angles");
    check (faults, knob.findColour (juce::Slider::backgroundColourId) == juce::Colour (0xff000000), "background");
    check (faults, knob.findColour (juce::Slider::thumbColourId) == accent, "thumb");
    check (faults, knob.findColour (juce::Slider::trackColourId) == accent, "track");
    check (faults, knob.findColour (juce::Slider::rotarySliderFillColourId) == accent, "fill");
    check (faults, knob.findColour (juce::Slider::rotarySliderOutlineColourId) == juce::Colour (0xffaeaeae), "outline");
    check (faults, ! knob.isDoubleClickReturnEnabled(), "double-click return before the first refresh");
    return faults.joinIntoString (", ");
}

juce::String captionSetUpFaults (juce::Label& caption, const juce::String& text)
{
    juce::StringArray faults;
    check (faults, caption.getName().isEmpty(), "name");
    check (faults, caption.getText() == text, "text");
    check (faults, juce::approximatelyEqual (caption.getFont().getHeight(), 12.0f) && caption.getFont().getStyleFlags() == 0, "font");
    check (faults, caption.getJustificationType() == juce::Justification (juce::Justification::centred), "justification");
    check (faults, ! caption.isEditableOnSingleClick() && ! caption.isEditableOnDoubleClick(), "editable");
    check (faults, ! caption.getWantsKeyboardFocus(), "focus");
    check (faults, caption.findColour (juce::Label::textColourId) == juce::Colour (0xffaeaeae), "text colour");
    check (faults, caption.findColour (juce::TextEditor::textColourId) == juce::Colour (0xff000000), "editor text");
    check (faults, caption.findColour (juce::TextEditor::backgroundColourId) == juce::Colour (0x00000000), "editor background");
    return faults.joinIntoString (", ");
}

juce::String toggleSetUpFaults (juce::Button& toggle, const juce::String& componentName, const juce::String& text)
{
    juce::StringArray faults;
    check (faults, toggle.getName() == componentName, "name");
    check (faults, toggle.getButtonText() == text, "text");
    check (faults, toggle.getTooltip().isEmpty(), "tooltip");
    check (faults, toggle.getClickingTogglesState(), "clicking toggles");
    check (faults, ! toggle.getWantsKeyboardFocus(), "focus");
    check (faults, toggle.findColour (juce::TextButton::buttonColourId) == juce::Colour (0xffaeaeae), "button colour");
    check (faults, toggle.findColour (juce::TextButton::buttonOnColourId) == juce::Colour (0xffaeaeae), "on colour");
    check (faults, toggle.findColour (juce::TextButton::textColourOnId) == juce::Colour (0xff000000), "text on");
    check (faults, toggle.findColour (juce::TextButton::textColourOffId) == juce::Colour (0xffaeaeae), "text off");
    return faults.joinIntoString (", ");
}

bool noParameterLearnt (ZentovaAudioProcessor& processor, int expectedController)
{
    for (auto* parameter : processor.pluginParameters)
        if (parameter->learnArmed.load() || parameter->midiCC.load() != expectedController)
            return false;

    return true;
}


bool nearColour (juce::Colour actual, juce::Colour expected, int tolerance)
{
    auto near = [tolerance] (int a, int b) { return std::abs (a - b) <= tolerance; };
    return near (actual.getAlpha(), expected.getAlpha()) && near (actual.getRed(), expected.getRed())
        && near (actual.getGreen(), expected.getGreen()) && near (actual.getBlue(), expected.getBlue());
}

float knobHubExtent (const juce::Image& image, juce::Point<int> knobCentre, float knobRadius)
{
    const float hubBrightness = juce::Colour (0xffaeaeae).getBrightness();

    // At either end of its travel the pointer runs 36 degrees off straight down and
    // crosses this column within 0.2 r of the centre, where the hub is solid anyway;
    // the rows summed end inside the black body, well short of the outer ring.
    const int firstRow = (int) std::ceil (0.25f * knobRadius);
    auto extent = (float) firstRow;

    for (int row = firstRow; row < (int) (0.7f * knobRadius); ++row)
        extent += image.getPixelAt (knobCentre.x, knobCentre.y + row).getBrightness() / hubBrightness;

    return extent;
}

juce::Image paintSectionOnly (juce::Component& section)
{
    juce::Image image (juce::Image::ARGB, section.getWidth(), section.getHeight(), true);
    juce::Graphics g (image);
    section.paint (g);
    return image;
}

} // namespace corvanteelTest
