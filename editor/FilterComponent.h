#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class ZentovaAudioProcessor;

/** The FILTER section: the feedback filter's cutoff floor and resonance, and the
    two small knobs of the LFO that sweeps its cutoff. */
class FilterComponent : public juce::Component,
                        public juce::Slider::Listener
{
public:
    FilterComponent();
    ~FilterComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    void sliderDragStarted (juce::Slider*) override;
    void sliderDragEnded (juce::Slider*) override;
    void sliderValueChanged (juce::Slider*) override;

    /** Brings the knobs into line with the processor, without notification. */
    void refreshFromProcessor();

    ZentovaAudioProcessor* ownerProcessor = nullptr;
    bool firstUpdate = true;

    std::unique_ptr<juce::Slider> floorSlider;
    std::unique_ptr<juce::Label> floorLabel;
    std::unique_ptr<juce::Slider> resSlider;
    std::unique_ptr<juce::Label> resLabel;
    std::unique_ptr<juce::Slider> modSlider;
    std::unique_ptr<juce::Label> modLabel;
    std::unique_ptr<juce::Slider> rateSlider;
    std::unique_ptr<juce::Label> rateLabel;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FilterComponent)
};
