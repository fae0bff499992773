#pragma once

#include "processor/PluginProcessor.h"
#include "TemporaryHome.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <vector>

namespace corvanteelTest
{

/** Sets TZ for its lifetime, as the C library reads it (tzset), and restores it after. */
class TemporaryTimeZone
{
public:
    explicit TemporaryTimeZone (const char* zone);
    ~TemporaryTimeZone();

private:
    juce::String previousZone;
    bool hadPreviousZone = false;
};

/** Records what the processor tells its listeners (the host): value changes and gestures. */
class RecordingListener : public juce::AudioProcessorListener
{
public:
    struct Event
    {
        enum Kind { value, gestureStart, gestureEnd } kind;
        int index;
        float newValue;
    };

    explicit RecordingListener (juce::AudioProcessor& p) : processor (p) { processor.addListener (this); }
    ~RecordingListener() override { processor.removeListener (this); }

    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float newValue) override;
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index) override;
    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index) override;

    std::vector<Event> events;

    int countValueChanges() const;

private:
    juce::AudioProcessor& processor;
};

/** Runs blocks through a processor: stereo in, stereo out, optional MIDI. */
void processSilence (juce::AudioProcessor&, int numSamples, int blockSize = 512);
void processWithMidi (juce::AudioProcessor&, const juce::MidiBuffer& midi, int numSamples = 64);

/** Runs JUCE's message loop on this (the message) thread for a while: async
    updates, timers and posted calls get their turn, as in a host. */
void runMessageLoop (int milliseconds = 20);

/** Dispatches whatever messages are pending right now, without waiting. */
void dispatchPendingMessages();

/** A click as the user makes it: the button flips, then its listeners run. */
void click (juce::Button&);

/** A parameter index as an int for the processor's legacy interface. */
void setParameter (ZentovaAudioProcessor&, int index, float value);

//==============================================================================
// Editor input without a window: synthesised mouse events delivered straight to a
// component, as the framework would deliver a user's press, drag and release.

/** Press and release at the component's centre without moving (a click). */
void pressAndRelease (juce::Component&);

/** Press at the centre, drag to each vertical offset in turn (negative is up), release. */
void dragVertically (juce::Component&, std::initializer_list<float> offsets);

/** The double-click that the framework sends after a second press. */
void doubleClick (juce::Component&);

/** The component and its children painted into an image of its own size. */
juce::Image snapshot (juce::Component&);

/** A component's own painting, without its children, on transparent black. */
juce::Image paintSectionOnly (juce::Component&);


/** The recorded host traffic in short: "<i" gesture start, "i=v" value, ">i" gesture end,
    separated by spaces; e.g. "<15 15=1 >15" for a toggle switched on. */
juce::String outline (const RecordingListener&);


/** An editor section on its own, wired to a fresh processor whose host traffic is recorded. */
template <typename Section>
struct SectionFixture
{
    SectionFixture() { section.ownerProcessor = &processor; }

    ZentovaAudioProcessor processor;
    Section section;
    RecordingListener host { processor };
};

/** What differs from the common set-ups of a knob, a caption and a toggle; empty when none. */
juce::String knobSetUpFaults (juce::Slider&, juce::Colour accent);
juce::String captionSetUpFaults (juce::Label&, const juce::String& text);
juce::String toggleSetUpFaults (juce::Button&, const juce::String& componentName, const juce::String& text);

/** True when every parameter's MIDI learn state is as a fresh processor has it. */
bool noParameterLearnt (ZentovaAudioProcessor&, int expectedController = -1);


/** True when every channel, alpha included, is within tolerance of the expected colour. */
bool nearColour (juce::Colour actual, juce::Colour expected, int tolerance = 2);

/** How far a knob's grey hub reaches below its centre, from the hub's coverage of the
    pixel column right of the centre, in the knob's lower gap where the arc never is.
    The look draws the hub at 0.5 r on large knobs and 0.45 r on small ones. */
float knobHubExtent (const juce::Image&, juce::Point<int> knobCentre, float knobRadius);


/** A host's play head that reports only a tempo, which the test may change between blocks. */
struct TempoPlayHead : juce::AudioPlayHead
{
    explicit TempoPlayHead (double initialBpm = 120.0) : bpm (initialBpm) {}

    juce::Optional<PositionInfo> getPosition() const override
    {
        PositionInfo info;
        info.setBpm (bpm);
        return info;
    }

    double bpm;
};

} // namespace corvanteelTest
