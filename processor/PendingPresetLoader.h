#pragma once

#include "processor/PluginProcessor.h"

/** Loads the preset file a program change asks for while no editor is open. On
    stage the window is usually closed, and without an editor nothing else would
    load it. It polls at the editor's refresh rate; with an editor open, the
    editor's refresh does the load and this one pauses. */
class ZentovaAudioProcessor::PendingPresetLoader : private juce::Timer,
                                                   private juce::AsyncUpdater
{
public:
    explicit PendingPresetLoader (ZentovaAudioProcessor& owner);
    ~PendingPresetLoader() override;

    void resume();
    void pause();

private:
    void handleAsyncUpdate() override;
    void timerCallback() override;

    ZentovaAudioProcessor& processor;
    juce::CriticalSection loading;
    bool stopping = false;

    JUCE_DECLARE_NON_COPYABLE (PendingPresetLoader)
};
