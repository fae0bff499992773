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

juce::Array<juce::File> PresetManager::findPresetFiles() const
{
    juce::Array<juce::File> files;

    // The iterator hands the single wildcard to the system's own matcher, which
    // ignores case here, and never builds a string from a name that does not
    // match: juce::String's wildcard match reads past a name that ends in a
    // broken UTF-8 sequence.
    for (const auto& entry : juce::RangedDirectoryIterator (juce::File (presetFolderPath), false,
                                                            "*." + presetExtension,
                                                            juce::File::findFiles,
                                                            juce::File::FollowSymlinks::yes))
        files.add (entry.getFile());

    return files;
}

juce::String PresetManager::presetNameOf (const juce::File& file)
{
    // The text after the last "/" up to its last "."; the dot right after the
    // "/" is not an extension's.
    const auto fileName = file.getFileName();
    const auto lastDot = fileName.lastIndexOfChar ('.');
    return lastDot > 0 ? fileName.substring (0, lastDot) : fileName;
}

void PresetManager::scanPresets()
{
    listPresets (presetNames.get(), presetPaths.get());
}

void PresetManager::rescanPresets()
{
    // Built apart and exchanged whole: a request never sees a half-filled list.
    listPresets ({}, {});
}

void PresetManager::listPresets (juce::StringArray names, juce::StringArray paths)
{
    for (const auto& file : findPresetFiles())
    {
        names.add (presetNameOf (file));
        paths.add (file.getFullPathName());
    }

    presetPaths.set (std::move (paths));
    presetNames.set (std::move (names));
}

} // namespace velmoLib
