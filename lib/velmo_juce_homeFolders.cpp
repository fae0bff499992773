#include "velmo_juce_homeFolders.h"

namespace velmoLib
{

juce::File userLibraryFolder()
{
    return juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("Library");
}

juce::File userLibraryFile (juce::StringRef relativePath)
{
    return userLibraryFolder().getChildFile (relativePath);
}

} // namespace velmoLib
