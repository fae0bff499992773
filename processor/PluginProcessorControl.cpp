// Control requests: MIDI (controllers, learn, program change), randomize, PANIC,
// CLEAR and the preset requests.
#include "PluginProcessor.h"

#include "processor/PendingPresetLoader.h"
#include "processor/PresetFile.h"

// The processor implements JUCE's index-based parameter interface, which JUCE
// marks deprecated; hosts, sessions and presets rely on its indices.
JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
    // The entry of a list of size presets that a preset index asks for, -1 for none:
    // a program number beyond the list picks the last preset.
    int listEntryFor (int index, int size) noexcept
    {
        const int entry = index >= size ? size - 1 : index;
        return juce::isPositiveAndBelow (entry, size) ? entry : -1;
    }

}

//==============================================================================
void ZentovaAudioProcessor::applyPendingRequests()
{
    applyPresetIndexRequest();
    applyClearRequest();
    applyRandomize();
    applyPanicRequest();
}

void ZentovaAudioProcessor::applyPresetIndexRequest()
{
    // The flag is taken first: a request raised while this one is served (a program
    // change, the preset box) then waits for the next block instead of being lost.
    if (! presetIndexPending.exchange (false))
        return;

    const int entry = presetListEntryFor (currentPresetIndex.load());
    if (entry < 0)
        return;

    // Only the entry crosses over: building its path would allocate, and replacing
    // pendingPresetPath could free the old one here. The entry before the flag, as
    // the reader takes the flag first.
    pendingPresetListIndex.store (entry);
    presetFilePending.store (true);
}

void ZentovaAudioProcessor::requestPresetIndex (int index) noexcept
{
    // The index first: applyPresetIndexRequest reads it once it has taken the flag.
    currentPresetIndex.store (index);
    presetIndexPending.store (true);
}

int ZentovaAudioProcessor::presetListEntryFor (int index) const
{
    return presetManager.presetNames.read ([index] (const juce::StringArray& names)
    {
        return listEntryFor (index, names.size());
    });
}

juce::String ZentovaAudioProcessor::presetPathForIndex (int index) const
{
    return presetManager.presetPaths.read ([index] (const juce::StringArray& paths)
    {
        const int entry = listEntryFor (index, paths.size());
        return entry >= 0 ? paths.getReference (entry) : juce::String();
    });
}

void ZentovaAudioProcessor::loadPresetFromFile (juce::String path)
{
    pendingPresetPath.set (std::move (path));
    pendingPresetListIndex.store (-1);
    presetFilePending.store (true);
}

juce::String ZentovaAudioProcessor::pendingPresetFilePath() const
{
    const int entry = pendingPresetListIndex.load();
    return entry >= 0 ? presetPathForIndex (entry) : pendingPresetPath.get();
}

bool ZentovaAudioProcessor::loadPendingPresetFile()
{
    // Lowered before the path is read: a request that arrives during the load
    // raises the flag again and is served next time instead of being lost.
    if (! presetFilePending.exchange (false))
        return false;

    const auto path = pendingPresetFilePath();
    return juce::File::isAbsolutePath (path) && PresetFile::read (juce::File (path), *this);
}

void ZentovaAudioProcessor::rescanPresets()
{
    presetManager.rescanPresets();
    presetMenuNames.set (presetManager.presetNames.get());
    presetListGeneration.fetch_add (1);
    presetListChanged.store (true);
}

//==============================================================================
void ZentovaAudioProcessor::editorOpened()
{
    if (openEditors++ == 0)
        pendingPresetLoader->pause();
}

void ZentovaAudioProcessor::editorClosed()
{
    if (--openEditors == 0)
        pendingPresetLoader->resume();
}

void ZentovaAudioProcessor::requestClearMidi() noexcept
{
    clearMidiRequested.store (true);
}

void ZentovaAudioProcessor::setMidiLearn (bool active) noexcept
{
    midiLearnActive.store (active);
}

void ZentovaAudioProcessor::setMidiUnlearn (bool active) noexcept
{
    midiUnlearnActive.store (active);
}

void ZentovaAudioProcessor::applyLearnModes (int index) noexcept
{
    auto& parameter = *pluginParameters.getUnchecked (index);

    if (midiLearnActive.load())
        parameter.learnArmed.store (true);

    if (midiUnlearnActive.load())
        parameter.midiCC.store (-1);
}

void ZentovaAudioProcessor::applyClearRequest()
{
    if (! clearMidiRequested.exchange (false))
        return;

    for (auto* parameter : pluginParameters)
        parameter->midiCC.store (-1);
}

void ZentovaAudioProcessor::applyRandomize()
{
    randomizeActive = truncated (pluginParameters.getUnchecked (randomizeIndex)->realValue.load()) != 0;

    if (! randomizeActive)
        return;

    for (int index = 0; index < numParameters; ++index)
    {
        if (index == dryWetIndex || index == outLevelIndex)
            continue;

        const float r = randomGenerator.nextFloat();
        float value = r;

        if (isSwitchIndex (index))
            value = r > 0.5f ? 1.0f : 0.0f;
        else if (index == feedbackIndex)
            value = 0.9f * r;
        else if (index == rateModeIndex)
            value = r > 0.75f ? 1.0f : r;
        else if (index == modulationAmountIndex)
            value = 0.6f * r;

        setParameterNotifyingHost (index, value);
    }

    setParameterNotifyingHost (randomizeIndex, 0.0f);
    randomizeActive = false;
}

void ZentovaAudioProcessor::applyPanicRequest()
{
    if (! panicRequested.exchange (false))
        return;

    setParameterNotifyingHost (feedbackIndex, 0.0f);
    setParameterNotifyingHost (modulationAmountIndex, 0.0f);

    // Everything that holds the echo goes, so the next output is the dry signal
    // only, even from a loop that was ringing at full scale.
    startEchoClear();
}

void ZentovaAudioProcessor::handleMidiAt (const juce::MidiBuffer& midi, int samplePosition)
{
    const auto end = midi.cend();

    // Events are sorted by position; those before the block or beyond it are skipped.
    while (midiCursor != end && (*midiCursor).samplePosition < samplePosition)
        ++midiCursor;

    for (; midiCursor != end && (*midiCursor).samplePosition == samplePosition; ++midiCursor)
    {
        const auto event = *midiCursor;
        handleMidiMessage (event.data, event.numBytes);
    }
}

//==============================================================================
// Read from the raw bytes: building a juce::MidiMessage would allocate for
// long messages such as SysEx on the render thread.
void ZentovaAudioProcessor::handleMidiMessage (const juce::uint8* data, int numBytes)
{
    if (numBytes < 2)
        return;

    const int kind = data[0] & 0xf0;   // the channel in the low four bits is ignored

    if (kind == 0xc0)
        requestPresetIndex (data[1] & 0x7f);
    else if (kind == 0xb0 && numBytes >= 3)
    {
        handleControllerChange (data[1] & 0x7f, data[2] & 0x7f);
    }
}

void ZentovaAudioProcessor::handleControllerChange (int controllerNumber, int value)
{
    if (controllerNumber == 123)
        return;

    const bool learning = midiLearnActive.load();

    for (int index = 0; index < numParameters; ++index)
    {
        auto& parameter = *pluginParameters.getUnchecked (index);

        // Learn before control, so the binding message also sets the value.
        if (learning && parameter.learnArmed.load())
        {
            parameter.midiCC.store (controllerNumber);
            parameter.learnArmed.store (false);
        }

        if (controllerNumber == parameter.midiCC.load())
        {
            setParameterNotifyingHost (index, (float) value / 127.0f);

            // The texts are built on the message thread (takeControllerTouch):
            // building them here would allocate on the render thread.
            if (index != randomizeIndex)
                lastTouchedByController.store (index);
        }
    }
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
