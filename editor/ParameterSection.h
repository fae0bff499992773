#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class ZentovaAudioProcessor;

/** What the knob sections (STUTTER, FILTER, MOD FX, DELAY, OUT) do alike: they paint
    their title bar and answer their knobs and toggles with the host-notifying
    parameter protocol. A knob's drag is one gesture whose every value goes to the
    host; a toggle's click is one complete gesture. Which parameter a control drives
    is each section's to say, from its own table of controls.
*/
class ParameterSection : public juce::Component,
                         public juce::Slider::Listener,
                         public juce::Button::Listener
{
public:
    ~ParameterSection() override;

    /** The title bar; a section that draws more paints it first. */
    void paint (juce::Graphics&) override;

    void sliderDragStarted (juce::Slider*) override;
    void sliderDragEnded (juce::Slider*) override;
    void sliderValueChanged (juce::Slider*) override;
    void buttonClicked (juce::Button*) override;

    ZentovaAudioProcessor* ownerProcessor = nullptr;

    /** True until the first refresh, which gives the knobs their double-click values. */
    bool firstUpdate = true;

protected:
    explicit ParameterSection (const char* title);

    /** The parameter one of the section's knobs drives at this moment, or sectionControls::noParameter. */
    virtual int knobParameter (const juce::Slider&) const = 0;

    /** The parameter one of the section's toggles drives, or sectionControls::noParameter (the default). */
    virtual int toggleParameter (const juce::Button&) const;

private:
    const char* const title;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ParameterSection)
};
