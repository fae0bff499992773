#pragma once

#include "editor/ParameterSection.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** The DELAY section: sync and ping-out switches, feedback, stereo separation,
    and the TIME knob, which sets the note division while synced and the free
    delay time otherwise. */
class DelayComponent : public ParameterSection
{
public:
    DelayComponent();
    ~DelayComponent() override;

    void resized() override;

    /** Brings the controls into line with the processor, without notification. */
    void refreshFromProcessor();

    std::unique_ptr<juce::TextButton> syncButton;
    std::unique_ptr<juce::TextButton> pingOutButton;
    std::unique_ptr<juce::Slider> timeSlider;
    std::unique_ptr<juce::Label> timeLabel;
    std::unique_ptr<juce::Slider> feedSlider;
    std::unique_ptr<juce::Label> feedLabel;
    std::unique_ptr<juce::Slider> sepSlider;
    std::unique_ptr<juce::Label> sepLabel;

private:
    /** TIME asks the processor whether Sync is on. */
    int knobParameter (const juce::Slider&) const override;
    int toggleParameter (const juce::Button&) const override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DelayComponent)
};
