#pragma once

#include "editor/MainPanel.h"
#include "editor/ZentovaLook.h"

#include <juce_audio_processors/juce_audio_processors.h>

class ZentovaAudioProcessor;

/** The plug-in's window: a fixed 750 x 350 editor that owns the look and the
    main panel, and refreshes every control from the processor every 50 ms. */
class ZentovaAudioProcessorEditor : public juce::AudioProcessorEditor,
                                    public juce::Timer
{
public:
    explicit ZentovaAudioProcessorEditor (ZentovaAudioProcessor&);
    ~ZentovaAudioProcessorEditor() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void timerCallback() override;

    static constexpr int refreshIntervalMs = 50;

    // Declaration order is construction order: the look (with its typeface) first,
    // so the panel and every control are built and destroyed inside its lifetime.
    ZentovaAudioProcessor* ownerProcessor = nullptr;
    ZentovaLook look;
    MainPanel mainPanel;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZentovaAudioProcessorEditor)
};
