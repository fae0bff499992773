#pragma once

#include <juce_core/juce_core.h>

namespace velmoLib
{

/** The per-user Library folder that macOS gives presets, preferences and logs,
    kept under the home folder on every platform so that one user's files live in
    one known place: ~/Library. */
juce::File userLibraryFolder();

/** A file or folder under userLibraryFolder(), e.g. "Logs/Pendrawquiller". */
juce::File userLibraryFile (juce::StringRef relativePath);

} // namespace velmoLib
