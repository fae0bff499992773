#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class ZentovaAudioProcessor;

/** The DELAY section: sync and ping-out switches, feedback, stereo separation,
    and the TIME knob, which sets the note division while synced and the free
    delay time otherwise. */
class DelayComponent : public juce::Component,
                       public juce::Button::Listener,
                       public juce::Slider::Listener
{
public:
    DelayComponent();
    ~DelayComponent() override;

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

    std::unique_ptr<juce::TextButton> syncButton;
    std::unique_ptr<juce::TextButton> pingOutButton;
    std::unique_ptr<juce::Slider> timeSlider;
    std::unique_ptr<juce::Label> timeLabel;
    std::unique_ptr<juce::Slider> feedSlider;
    std::unique_ptr<juce::Label> feedLabel;
    std::unique_ptr<juce::Slider> sepSlider;
    std::unique_ptr<juce::Label> sepLabel;

private:
    /** The parameter a knob drives at this moment: TIME asks the processor whether Sync is on. */
    int drivenIndex (const juce::Slider*) const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DelayComponent)
};
