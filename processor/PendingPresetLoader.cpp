#include "PendingPresetLoader.h"

namespace
{
    /** Carries a loader to the message thread and deletes it there; a message
        the queue drops undelivered (the message loop ending) deletes it as it
        goes. A template only because the loader's class is private to the
        processor. */
    template <typename Loader>
    struct DeletionOnMessageThread : public juce::CallbackMessage
    {
        explicit DeletionOnMessageThread (std::unique_ptr<Loader> l) : loader (std::move (l)) {}

        void messageCallback() override   { loader.reset(); }

        std::unique_ptr<Loader> loader;
    };
}

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
    {
        const juce::ScopedLock lock (loading);
        stopping = true;
    }

    pause();
}

void ZentovaAudioProcessor::PendingPresetLoader::release (std::unique_ptr<PendingPresetLoader> loader)
{
    if (loader == nullptr)
        return;

    // A host may destroy the processor on another thread while a load runs on
    // the message thread: wait for that load to end, and let none start after.
    {
        const juce::ScopedLock lock (loader->loading);
        loader->stopping = true;
    }

    loader->pause();

    // Callbacks run only on the message thread and only while it dispatches:
    // on that thread, with its lock held or with no message manager, none can
    // be under way, and the loader goes now.
    const auto* messageManager = juce::MessageManager::getInstanceWithoutCreating();

    if (messageManager == nullptr || messageManager->currentThreadHasLockedMessageManager())
        return;

    // A message that cannot be posted is deleted at once, and the loader with it.
    (new DeletionOnMessageThread<PendingPresetLoader> (std::move (loader)))->post();
}

void ZentovaAudioProcessor::PendingPresetLoader::resume()
{
    startTimer (pollIntervalMs);
}

void ZentovaAudioProcessor::PendingPresetLoader::pause()
{
    cancelPendingUpdate();
    stopTimer();
}

void ZentovaAudioProcessor::PendingPresetLoader::handleAsyncUpdate()
{
    const juce::ScopedLock lock (loading);

    if (! stopping && processor.openEditors == 0)
        resume();
}

void ZentovaAudioProcessor::PendingPresetLoader::timerCallback()
{
    const juce::ScopedLock lock (loading);

    if (! stopping)
        processor.loadPendingPresetFile();
}
