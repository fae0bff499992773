#include "processor/PresetFile.h"

#include "lib/velmo_juce_numberText.h"
#include "lib/velmo_juce_safeText.h"
#include "processor/PluginProcessor.h"

#if JUCE_LINUX || JUCE_MAC || JUCE_BSD
 #include <unistd.h>
#endif

namespace
{
// The writer's temporary file is the target's name + "_temp" + up to eight hex
// digits + the target's extension, in the target's folder (juce::TemporaryFile).
constexpr int temporarySuffixBytes = 5 + 8;

// The longest file name, in bytes, that the folder's file system takes.
int longestFileNameIn (const juce::File& folder)
{
   #if JUCE_LINUX || JUCE_MAC || JUCE_BSD
    const auto limit = ::pathconf (folder.getFullPathName().toRawUTF8(), _PC_NAME_MAX);
    if (limit > 0)
        return (int) juce::jmin (limit, (long) 4096);
   #else
    juce::ignoreUnused (folder);
   #endif
    return 255;
}

juce::juce_wchar toAsciiUpper (juce::juce_wchar c) noexcept
{
    return (c >= 'a' && c <= 'z') ? (juce::juce_wchar) (c - 'a' + 'A') : c;
}
} // namespace

std::unique_ptr<juce::XmlElement> PresetFile::createDocument (const juce::String& presetName,
                                                              ZentovaAudioProcessor& processor)
{
    auto root = std::make_unique<juce::XmlElement> (rootTag);
    root->setAttribute (nameAttribute, presetName);

    for (int index = 0; index < ZentovaAudioProcessor::numParameters; ++index)
    {
        // Stored as text of our own (20 significant digits, classic locale) rather
        // than through setAttribute (double), so reading it back gives the same float.
        root->setAttribute (processor.getParameterName (index),
                            velmoLib::formatStoredValue (processor.storedParameterValue (index)));
    }

    return root;
}

juce::XmlElement::TextFormat PresetFile::textFormat()
{
    juce::XmlElement::TextFormat format;
    format.dtd = " ";
    format.customEncoding = "UTF-8";
    format.lineWrapLength = 60;
    format.newLineChars = "\r\n";
    return format;
}

bool PresetFile::write (const juce::File& target, const juce::String& presetName,
                        ZentovaAudioProcessor& processor)
{
    return createDocument (presetName, processor)->writeTo (target, textFormat());
}

bool PresetFile::read (const juce::File& file, ZentovaAudioProcessor& processor)
{
    const auto root = velmoLib::parseXmlFile (file);

    if (root == nullptr || ! isPresetTag (root->getTagName()))
        return false;

    for (int index = 0; index < ZentovaAudioProcessor::numParameters; ++index)
    {
        const auto defaultValue = (double) processor.pluginParameters.getUnchecked (index)->defaultNormalisedValue;
        const auto name = processor.getParameterName (index);
        const auto value = root->hasAttribute (name) ? velmoLib::readStoredDecimal (root->getStringAttribute (name))
                                                     : defaultValue;

        // Passed on as read: the processor itself rejects values outside [0, 1].
        JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
        processor.setParameterNotifyingHost (index, (float) value);
        JUCE_END_IGNORE_WARNINGS_GCC_LIKE
    }

    processor.currentPresetName.set (root->getStringAttribute (nameAttribute, " "));
    return true;
}

juce::String PresetFile::presetNameFor (const juce::File& chosen)
{
    return chosen.getFileNameWithoutExtension();
}

juce::File PresetFile::targetFileFor (const juce::File& chosen, const juce::String& extension)
{
    if (chosen.getFileName().endsWithIgnoreCase ("." + extension))
        return chosen;

    return chosen.withFileExtension (extension);
}

juce::String PresetFile::refusalFor (const juce::File& target, const juce::String& givenName)
{
    if (givenName.containsChar ('/') || givenName.containsChar (juce::File::getSeparatorChar()))
        return juce::translate ("a preset name cannot hold \"/\" (a preset in a sub-folder of the preset folder is not listed).");

    // Checked here because the writer fails without saying why: its temporary
    // file's name passes the limit before the target's own does.
    const int limit = longestFileNameIn (target.getParentDirectory());
    const int extensionBytes = (int) target.getFileExtension().getNumBytesAsUTF8();
    const int nameBytes = (int) target.getFileNameWithoutExtension().getNumBytesAsUTF8();

    if (nameBytes + temporarySuffixBytes + extensionBytes > limit)
        return juce::translate ("the name is too long for the file system (at most NUMBER bytes here; "
                                "an accented letter takes two or more).")
                   .replace ("NUMBER", juce::String (limit - temporarySuffixBytes - extensionBytes));

    return {};
}

bool PresetFile::isPresetTag (const juce::String& tag)
{
    // juce::String's case-blind compare also folds non-ASCII letters (the long s
    // would match "S"), so the tag is compared letter by letter here.
    const juce::String expected (rootTag);

    if (tag.length() != expected.length())
        return false;

    for (auto a = tag.getCharPointer(), b = expected.getCharPointer(); ! a.isEmpty(); ++a, ++b)
        if (toAsciiUpper (*a) != *b)
            return false;

    return true;
}
