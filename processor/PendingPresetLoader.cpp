#include "PendingPresetLoader.h"

#include "editor/PluginEditor.h"

ZentovaAudioProcessor::PendingPresetLoader::PendingPresetLoader (ZentovaAudioProcessor& owner)
    : processor (owner)
{
    // Some hosts build the processor off the message thread; the timer is
    // then started from there.
    if (juce::MessageManager::existsAndIsCurrentThread())
        resume();
    else if (juce::MessageManager::getInstanceWithoutCreating() != nullptr)
        triggerAsyncUpdate();
}

ZentovaAudioProcessor::PendingPresetLoader::~PendingPresetLoader()
{
    // A host may destroy the processor on another thread while a load runs on
    // the message thread: wait for that load to end, and let none start after.
    {
        const juce::ScopedLock lock (loading);
        stopping = true;
    }

    pause();
}

void ZentovaAudioProcessor::PendingPresetLoader::resume()
{
    startTimer (ZentovaAudioProcessorEditor::refreshIntervalMs);
}

void ZentovaAudioProcessor::PendingPresetLoader::pause()
{
    cancelPendingUpdate();
    stopTimer();
}

void ZentovaAudioProcessor::PendingPresetLoader::handleAsyncUpdate()
{
    if (processor.openEditors == 0)
        resume();
}

void ZentovaAudioProcessor::PendingPresetLoader::timerCallback()
{
    const juce::ScopedLock lock (loading);

    if (! stopping)
        processor.loadPendingPresetFile();
}
