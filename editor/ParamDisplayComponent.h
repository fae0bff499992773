#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class ZentovaAudioProcessor;

/** The grey plate showing the name and display text of the parameter changed last.
    Its text height follows the component's height: 24 pixels per 70 pixels. */
class ParamDisplayComponent : public juce::Component
{
public:
    ParamDisplayComponent();
    ~ParamDisplayComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    /** The display's step of the panel's refresh: shows the processor's last-touched
        name and text, without notification. */
    void refreshFromProcessor();

    ZentovaAudioProcessor* ownerProcessor = nullptr;

    juce::Font displayFont;
    float fontHeight = 24.0f;
    float lastHeight = 70.0f;

    std::unique_ptr<juce::Label> nameLabel;
    std::unique_ptr<juce::Label> valueLabel;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ParamDisplayComponent)
};
