#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class ZentovaAudioProcessor;

/** The MIDI-learn strip: LEARN and UNLEARN switch the processor's learn modes, CLEAR
    asks it to forget every controller binding. The modes live in the processor. */
class MidiComponent : public juce::Component,
                      public juce::Button::Listener
{
public:
    MidiComponent();
    ~MidiComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void buttonClicked (juce::Button*) override;

    /** The strip's step of the panel's refresh: CLEAR stays lit while its request waits.
        LEARN and UNLEARN are left alone: their own state is the mode. */
    void refreshFromProcessor();

    ZentovaAudioProcessor* ownerProcessor = nullptr;

    std::unique_ptr<juce::TextButton> clearButton;
    std::unique_ptr<juce::TextButton> unlearnButton;
    std::unique_ptr<juce::TextButton> learnButton;
    std::unique_ptr<juce::Label> learnLabel;
    std::unique_ptr<juce::Label> unlearnLabel;
    std::unique_ptr<juce::Label> clearLabel;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiComponent)
};
