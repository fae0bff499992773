#pragma once

#include "editor/ParameterSection.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** The FILTER section: the feedback filter's cutoff floor and resonance, and the
    two small knobs of the LFO that sweeps its cutoff. */
class FilterComponent : public ParameterSection
{
public:
    FilterComponent();
    ~FilterComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    /** Brings the knobs into line with the processor, without notification. */
    void refreshFromProcessor();

    std::unique_ptr<juce::Slider> floorSlider;
    std::unique_ptr<juce::Label> floorLabel;
    std::unique_ptr<juce::Slider> resSlider;
    std::unique_ptr<juce::Label> resLabel;
    std::unique_ptr<juce::Slider> modSlider;
    std::unique_ptr<juce::Label> modLabel;
    std::unique_ptr<juce::Slider> rateSlider;
    std::unique_ptr<juce::Label> rateLabel;

private:
    int knobParameter (const juce::Slider&) const override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FilterComponent)
};
