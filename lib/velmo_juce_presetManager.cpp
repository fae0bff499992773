#include "velmo_juce_presetManager.h"

#include "velmo_juce_safeText.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <dirent.h>

namespace velmoLib
{

namespace
{
    /** True when the name's bytes end in "." + extension, ASCII letters compared
        without regard to case, as the system's wildcard match "*.tqz" does. The
        name may be nothing but the dot and the extension. */
    bool hasExtension (const char* name, size_t nameLength, const juce::String& extension) noexcept
    {
        const auto* wanted = extension.toRawUTF8();
        const auto wantedLength = std::strlen (wanted);

        if (nameLength < wantedLength + 1 || name[nameLength - wantedLength - 1] != '.')
            return false;

        const auto lower = [] (char c) noexcept { return (c >= 'A' && c <= 'Z') ? (char) (c - 'A' + 'a') : c; };

        for (size_t i = 0; i < wantedLength; ++i)
            if (lower (name[nameLength - wantedLength + i]) != lower (wanted[i]))
                return false;

        return true;
    }

    /** A listed preset file with the name it is listed under. */
    struct FoundPreset
    {
        juce::File file;
        juce::String name;
    };

    /** The Finder's order: case-insensitive with digits by value ("Lead 2" before
        "Lead 10"); names that compare equal so are ordered by their exact text, and
        two files of one name (Bass.tqz, Bass.TQZ) by their file names. */
    bool comesBefore (const FoundPreset& a, const FoundPreset& b)
    {
        if (const int natural = a.name.compareNatural (b.name); natural != 0)
            return natural < 0;

        if (const int exact = a.name.compare (b.name); exact != 0)
            return exact < 0;

        return a.file.getFileName().compare (b.file.getFileName()) < 0;
    }
} // namespace

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
    const juce::File folder (presetFolderPath);
    const auto folderPath = juce::File::addTrailingSeparator (folder.getFullPathName());
    std::vector<FoundPreset> found;

    // Listed with the system's own calls rather than JUCE's directory iterator:
    // that one builds a juce::String from every matching name as if its bytes were
    // well-formed UTF-8, and a name that is not (a preset pack unpacked with the
    // wrong encoding) makes it copy past the end of the string. Here a name becomes
    // a string only once its bytes have passed the check; others are skipped.
    if (auto* dir = ::opendir (folder.getFullPathName().toRawUTF8()))
    {
        while (const auto* entry = ::readdir (dir))
        {
            const auto* name = entry->d_name;
            const auto length = std::strlen (name);

            if (! hasExtension (name, length, presetExtension) || ! isValidUtf8 (name, length))
                continue;

            auto fileName = juce::String::fromUTF8 (name, (int) length);
           #if JUCE_MAC
            fileName = fileName.convertToPrecomposedUnicode();
           #endif

            // Files only, as the iterator's findFiles: anything that is not a folder
            // once links are followed. The path is put together as the iterator does.
            const auto file = juce::File::createFileWithoutCheckingPath (folderPath + fileName);
            if (! file.isDirectory())
                found.push_back ({ file, presetNameOf (file) });
        }

        ::closedir (dir);
    }

    // The system lists a folder in an order of its own (on Linux a hash order that
    // differs between machines), and program changes pick presets by position, so
    // the list is sorted by name. Brought into one fixed order first, so that the
    // result never depends on the order the folder was read in.
    std::sort (found.begin(), found.end(), [] (const FoundPreset& a, const FoundPreset& b)
               { return a.file.getFileName().compare (b.file.getFileName()) < 0; });
    std::stable_sort (found.begin(), found.end(), comesBefore);

    juce::Array<juce::File> files;
    for (const auto& preset : found)
        files.add (preset.file);

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
