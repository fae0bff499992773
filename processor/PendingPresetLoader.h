#pragma once

#include "processor/PluginProcessor.h"

/** Loads the preset file a program change asks for while no editor is open. On
    stage the window is usually closed, and without an editor nothing else would
    load it. It polls as often as the editor refreshes; with an editor open,
    the editor's refresh does the load and this one pauses.

    Its callbacks run on the message thread, while hosts destroy processors on
    threads of their own: the processor hands its loader to release(), which
    may outlive the processor until the message thread deletes it. */
class ZentovaAudioProcessor::PendingPresetLoader : private juce::Timer,
                                                   private juce::AsyncUpdater
{
public:
    explicit PendingPresetLoader (ZentovaAudioProcessor& owner);
    ~PendingPresetLoader() override;

    void resume();
    void pause();

    /** Ends the loader as its processor goes, on any thread: a load under way
        is waited for and no callback touches the processor after this returns.
        Off the message thread the object itself is deleted later on the message
        thread, since JUCE may already have dispatched a callback to it there
        that stopping the timer or cancelling the update no longer holds back. */
    static void release (std::unique_ptr<PendingPresetLoader> loader);

private:
    // The editor's refresh interval: a program change loads as soon with the
    // window closed as with it open.
    static constexpr int pollIntervalMs = 50;

    void handleAsyncUpdate() override;
    void timerCallback() override;

    ZentovaAudioProcessor& processor;
    juce::CriticalSection loading;
    bool stopping = false; // under loading: the processor is going, touch nothing of it

    JUCE_DECLARE_NON_COPYABLE (PendingPresetLoader)
};
