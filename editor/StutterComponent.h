#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class ZentovaAudioProcessor;

/** The STUTTER section: loop size, playback speed and mix of the stutter stage
    in the feedback loop, and its reverse switch. */
class StutterComponent : public juce::Component,
                         public juce::Button::Listener,
                         public juce::Slider::Listener
{
public:
    StutterComponent();
    ~StutterComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    void sliderDragStarted (juce::Slider*) override;
    void sliderDragEnded (juce::Slider*) override;
    void buttonClicked (juce::Button*) override;
    void sliderValueChanged (juce::Slider*) override;

    /** Brings the controls into line with the processor, without notification. */
    void refreshFromProcessor();

    ZentovaAudioProcessor* ownerProcessor = nullptr;
    bool firstUpdate = true;

    std::unique_ptr<juce::TextButton> reverseButton;
    std::unique_ptr<juce::Slider> sizeSlider;
    std::unique_ptr<juce::Label> sizeLabel;
    std::unique_ptr<juce::Slider> speedSlider;
    std::unique_ptr<juce::Label> speedLabel;
    std::unique_ptr<juce::Slider> mixSlider;
    std::unique_ptr<juce::Label> mixLabel;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StutterComponent)
};
