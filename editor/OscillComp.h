#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class ZentovaAudioProcessor;

/** The small oscilloscope of the OUT section: a white trace of the processor's
    scope history, oldest value at the left edge, newest at the right. */
class OscillComp : public juce::Component
{
public:
    OscillComp();
    ~OscillComp() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    /** Rebuilds the trace from the scope history in the current size and repaints. */
    void refreshFromProcessor();

    ZentovaAudioProcessor* ownerProcessor = nullptr;
    juce::Path scopePath;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OscillComp)
};
