#include "velmo_juce_presetManager.h"

namespace velmoLib
{

void PresetManager::setPresetFolder (const juce::String& folderName, const juce::String& extension)
{
    presetFolderPath = presetRootPath + "/" + folderName + "/";

    const juce::File folder (presetFolderPath);
    if (! folder.isDirectory())
        folder.createDirectory();

    presetExtension = extension;
}

juce::StringArray PresetManager::listPresetFiles() const
{
    juce::StringArray names;

    // The extension is matched ignoring case on every platform (JUCE's own
    // wildcard follows the file system's case rule, which differs on Linux).
    const auto wildcard = "*." + presetExtension;

    for (const auto& entry : juce::RangedDirectoryIterator (juce::File (presetFolderPath), false, "*",
                                                            juce::File::findFiles,
                                                            juce::File::FollowSymlinks::yes))
    {
        if (! entry.getFile().getFileName().matchesWildcard (wildcard, true))
            continue;

        // The text after the last "/" up to its last "."; a name that is only
        // the dot and the extension is kept whole.
        const auto fileName = entry.getFile().getFileName();
        const auto lastDot = fileName.lastIndexOfChar ('.');
        names.add (lastDot > 0 ? fileName.substring (0, lastDot) : fileName);
    }

    return names;
}

void PresetManager::scanPresets()
{
    auto names = presetNames.get();
    names.addArray (listPresetFiles());
    presetNames.set (std::move (names));
}

} // namespace velmoLib
