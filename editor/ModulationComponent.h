#pragma once

#include "editor/ParameterSection.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** The MOD FX section: rate and depth of the cross-modulated short delay, and
    the mode box that scales the rate by 1, 1/10 or 10. */
class ModulationComponent : public ParameterSection,
                            public juce::ComboBox::Listener
{
public:
    ModulationComponent();
    ~ModulationComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    void comboBoxChanged (juce::ComboBox*) override;

    /** Brings the knobs and the mode box into line with the processor, without notification. */
    void refreshFromProcessor();

    std::unique_ptr<juce::ComboBox> modeBox;
    std::unique_ptr<juce::Slider> modFxRateSlider;
    std::unique_ptr<juce::Label> modFxRateLabel;
    std::unique_ptr<juce::Slider> depthSlider;
    std::unique_ptr<juce::Label> depthLabel;

private:
    int knobParameter (const juce::Slider&) const override;

    // The mode position the box was last set to by the refresh, or picked by the user;
    // -1 before the first refresh. The refresh touches the box only when the processor's
    // mode differs from it: a pick whose change notice is still on its way would
    // otherwise be overwritten, and the notice would send the old mode.
    int lastShownMode = -1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ModulationComponent)
};
