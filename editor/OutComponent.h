#pragma once

#include "editor/OscillComp.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class ZentovaAudioProcessor;

/** The OUT section: dry/wet and output level, the PANIC request that stops the
    echo at once, and the oscilloscope of the output. */
class OutComponent : public juce::Component,
                     public juce::Button::Listener,
                     public juce::Slider::Listener
{
public:
    OutComponent();
    ~OutComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    void sliderDragStarted (juce::Slider*) override;
    void sliderDragEnded (juce::Slider*) override;
    void buttonClicked (juce::Button*) override;
    void sliderValueChanged (juce::Slider*) override;

    /** Brings the knobs, PANIC and the trace into line with the processor, without notification. */
    void refreshFromProcessor();

    ZentovaAudioProcessor* ownerProcessor = nullptr;
    bool firstUpdate = true;

    std::unique_ptr<juce::TextButton> panicButton;
    std::unique_ptr<juce::Slider> dryWetSlider;
    std::unique_ptr<juce::Label> dryWetLabel;
    std::unique_ptr<juce::Slider> levelSlider;
    std::unique_ptr<juce::Label> levelLabel;
    std::unique_ptr<OscillComp> oscillComp;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OutComponent)
};
