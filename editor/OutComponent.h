#pragma once

#include "editor/OscillComp.h"
#include "editor/ParameterSection.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** The OUT section: dry/wet and output level, the PANIC request that stops the
    echo at once, and the oscilloscope of the output. */
class OutComponent : public ParameterSection
{
public:
    OutComponent();
    ~OutComponent() override;

    void resized() override;

    void buttonClicked (juce::Button*) override;

    /** Brings the knobs, PANIC and the trace into line with the processor, without notification. */
    void refreshFromProcessor();

    std::unique_ptr<juce::TextButton> panicButton;
    std::unique_ptr<juce::Slider> dryWetSlider;
    std::unique_ptr<juce::Label> dryWetLabel;
    std::unique_ptr<juce::Slider> levelSlider;
    std::unique_ptr<juce::Label> levelLabel;
    std::unique_ptr<OscillComp> oscillComp;

private:
    int knobParameter (const juce::Slider&) const override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OutComponent)
};
