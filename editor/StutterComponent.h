#pragma once

#include "editor/ParameterSection.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** The STUTTER section: loop size, playback speed and mix of the stutter stage
    in the feedback loop, and its reverse switch. */
class StutterComponent : public ParameterSection
{
public:
    StutterComponent();
    ~StutterComponent() override;

    void resized() override;

    /** Brings the controls into line with the processor, without notification. */
    void refreshFromProcessor();

    std::unique_ptr<juce::TextButton> reverseButton;
    std::unique_ptr<juce::Slider> sizeSlider;
    std::unique_ptr<juce::Label> sizeLabel;
    std::unique_ptr<juce::Slider> speedSlider;
    std::unique_ptr<juce::Label> speedLabel;
    std::unique_ptr<juce::Slider> mixSlider;
    std::unique_ptr<juce::Label> mixLabel;

private:
    int knobParameter (const juce::Slider&) const override;
    int toggleParameter (const juce::Button&) const override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StutterComponent)
};
