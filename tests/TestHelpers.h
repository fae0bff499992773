#pragma once

#include "processor/PluginProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <vector>

namespace testing
{

/** Points HOME at a new empty folder for its lifetime and restores it after. */
class TemporaryHome
{
public:
    TemporaryHome();
    ~TemporaryHome();

    juce::File folder() const { return home; }
    juce::File presetFolder() const;
    juce::File preferencesFile() const;
    juce::File crashLogFile() const;

private:
    juce::File home;
    juce::String previousHome;
    bool hadPreviousHome = false;
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
void processBlocks (juce::AudioProcessor&, juce::AudioBuffer<float>& buffer, int numBlocks = 1);
void processSilence (juce::AudioProcessor&, int numSamples, int blockSize = 512);
void processWithMidi (juce::AudioProcessor&, const juce::MidiBuffer& midi, int numSamples = 64);

/** A parameter index as an int for the processor's legacy interface. */
void setParameter (ZentovaAudioProcessor&, int index, float value);

} // namespace testing

//==============================================================================
// Editor input without a window: synthesised mouse events delivered straight to a
// component, as the framework would deliver a user's press, drag and release.
namespace testing
{

/** Press and release at the component's centre without moving (a click). */
void pressAndRelease (juce::Component&);

/** Press at the centre, drag to each vertical offset in turn (negative is up), release. */
void dragVertically (juce::Component&, std::initializer_list<float> offsets);

/** The double-click that the framework sends after a second press. */
void doubleClick (juce::Component&);

/** The component and its children painted into an image of its own size. */
juce::Image snapshot (juce::Component&);

} // namespace testing

namespace testing
{

/** The recorded host traffic in short: "<i" gesture start, "i=v" value, ">i" gesture end,
    separated by spaces; e.g. "<15 15=1 >15" for a toggle switched on. */
juce::String outline (const RecordingListener&);

} // namespace testing
