#pragma once

#include "velmo_juce_sharedValue.h"

#include <juce_core/juce_core.h>

namespace velmoLib
{

/** Where this product's preset files live, their extension, and the presets
    found in the folder. It never reads a preset file itself.

    presetNames is read by the render thread (program changes) while the editor
    may rescan it, so it is exchanged whole through SharedValue; presetPaths
    likewise, entry for entry beside it.
*/
class PresetManager
{
public:
    PresetManager() = default;

    /** Builds presetFolderPath from presetRootPath, creates the folder when it
        is missing and stores the extension (without its dot). */
    void setPresetFolder (const juce::String& folderName, const juce::String& extension);

    /** Appends the presets directly in the folder to presetNames and presetPaths. */
    void scanPresets();

    /** Lists the folder again in place of both lists, each exchanged whole. */
    void rescanPresets();

    /** The preset files directly in the folder, sorted by preset name as the Finder
        sorts (see the .cpp); a name whose bytes are not well-formed UTF-8 is skipped. */
    juce::Array<juce::File> findPresetFiles() const;

    /** The name a preset file is listed under: its name without the extension;
        a name that is only the dot and the extension is kept whole. */
    static juce::String presetNameOf (const juce::File&);

    juce::String presetRootPath;
    juce::String presetFolderPath;
    juce::String presetExtension;
    SharedValue<juce::StringArray> presetNames;

    /** The full path of each listed file, in the order of presetNames: a preset
        is loaded from the very file the scan found, whatever the case of its
        extension. */
    SharedValue<juce::StringArray> presetPaths;

private:
    void listPresets (juce::StringArray names, juce::StringArray paths);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetManager)
};

} // namespace velmoLib
