#pragma once

#include "velmo_juce_sharedValue.h"

#include <juce_core/juce_core.h>

namespace velmoLib
{

/** Where this product's preset files live, their extension, and the names of
    the presets found in the folder. It never reads a preset file itself.

    presetNames is read by the render thread (program changes) while the editor
    may rescan it, so it is exchanged whole through SharedValue.
*/
class PresetManager
{
public:
    PresetManager() = default;

    /** Builds presetFolderPath from presetRootPath, creates the folder when it
        is missing and stores the extension (without its dot). */
    void setPresetFolder (const juce::String& folderName, const juce::String& extension);

    /** Appends the names of the preset files directly in the folder. */
    void scanPresets();

    /** The names of the preset files directly in the folder, in the file
        system's order, each without its extension. */
    juce::StringArray listPresetFiles() const;

    juce::String presetRootPath;
    juce::String presetFolderPath;
    juce::String presetExtension;
    SharedValue<juce::StringArray> presetNames;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetManager)
};

} // namespace velmoLib
