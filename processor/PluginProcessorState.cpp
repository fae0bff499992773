// The host's state and the preferences file with the MIDI controller bindings.
#include "PluginProcessor.h"

#include "lib/velmo_juce_homeFolders.h"
#include "lib/velmo_juce_numberText.h"
#include "lib/velmo_juce_safeText.h"

// The processor implements JUCE's index-based parameter interface, which JUCE
// marks deprecated; hosts, sessions and presets rely on its indices.
JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
    constexpr uint32_t stateMagicNumber = 0x21324356; // "VC2!" in little-endian bytes
    const char* const stateTag = "ZENTOVA_STATE";
    const juce::String ccSuffix ("CC");
}

//==============================================================================
float ZentovaAudioProcessor::storedParameterValue (int index) const noexcept
{
    return index == randomizeIndex ? 0.0f : pluginParameters.getUnchecked (index)->normalisedValue.load();
}

juce::String ZentovaAudioProcessor::formatStateXml() const
{
    juce::XmlElement state (stateTag);
    state.setAttribute ("PresetName", currentPresetName.get());

    for (int index = 0; index < numParameters; ++index)
    {
        const auto& parameter = *pluginParameters.getUnchecked (index);
        state.setAttribute (parameter.paramName, velmoLib::formatStoredValue (storedParameterValue (index)));
        state.setAttribute (parameter.paramName + ccSuffix, parameter.midiCC.load());
    }

    return state.toString (juce::XmlElement::TextFormat().singleLine().withoutHeader());
}

void ZentovaAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    // JUCE's copyXmlToBinary would add an XML declaration; the stored layout has
    // none, so the same wrapper is written here by hand.
    const auto text = formatStateXml();
    {
        juce::MemoryOutputStream out (destData, false);
        out.writeInt ((int) stateMagicNumber);
        out.writeInt (0);
        out.write (text.toRawUTF8(), text.getNumBytesAsUTF8());
        out.writeByte (0);
    }

    const auto length = juce::ByteOrder::swapIfBigEndian ((uint32_t) destData.getSize() - 9);
    destData.copyFrom (&length, 4, 4);
}

void ZentovaAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    // JUCE's getXmlFromBinary layout, read here with the text checked before it
    // is parsed: hosts hand over whatever bytes their session file holds.
    if (data == nullptr || sizeInBytes < 9)
        return;

    const auto* bytes = static_cast<const uint8_t*> (data);
    if (juce::ByteOrder::littleEndianInt (bytes) != stateMagicNumber)
        return;

    const auto length = (int32_t) juce::ByteOrder::littleEndianInt (bytes + 4);
    if (length <= 0)
        return;

    const auto xml = velmoLib::parseXmlText (bytes + 8, (size_t) juce::jmin (sizeInBytes - 8, (int) length));

    if (xml == nullptr || ! xml->getTagName().equalsIgnoreCase (stateTag))
        return;

    for (int index = 0; index < numParameters; ++index)
    {
        auto& parameter = *pluginParameters.getUnchecked (index);
        const auto name = getParameterName (index);

        const float value = xml->hasAttribute (name) ? (float) velmoLib::readStoredDecimal (xml->getStringAttribute (name))
                                                     : parameter.defaultNormalisedValue;
        setParameterNotifyingHost (index, value);

        const auto ccName = parameter.paramName + ccSuffix;
        parameter.midiCC.store (xml->hasAttribute (ccName) ? velmoLib::readStoredInteger (xml->getStringAttribute (ccName)) : -1);
    }

    currentPresetName.set (xml->hasAttribute ("PresetName") ? xml->getStringAttribute ("PresetName")
                                                            : juce::String (" "));
}

//==============================================================================
juce::PropertiesFile::Options ZentovaAudioProcessor::preferencesOptions()
{
    juce::PropertiesFile::Options options;
    options.applicationName = "Corvanteel";
    options.folderName = "Pendrawquiller";
    options.osxLibrarySubFolder = "Application Support";
    options.filenameSuffix = ".prefs";
    options.commonToAllUsers = false;
    options.ignoreCaseOfKeyNames = false;
    options.doNotSave = false;
    options.millisecondsBeforeSaving = 3000;
    options.storageFormat = juce::PropertiesFile::storeAsXML;
    return options;
}

void ZentovaAudioProcessor::readPreferences()
{
    const auto file = velmoLib::userLibraryFile ("Application Support/Pendrawquiller/Corvanteel.prefs");

    // A damaged file would be rewritten whole by the destructor anyway; removing
    // it first keeps JUCE's reader away from text it cannot read safely.
    if (file.existsAsFile() && ! velmoLib::isReadablePropertiesFile (file))
        file.deleteFile();
    preferencesFile = std::make_unique<juce::PropertiesFile> (file, preferencesOptions());

    // As PropertiesFile::getIntValue (key, -1), through our own integer reader.
    for (auto* parameter : pluginParameters)
    {
        const auto key = parameter->paramName + ccSuffix;
        parameter->midiCC.store (preferencesFile->containsKey (key) ? velmoLib::readStoredInteger (preferencesFile->getValue (key)) : -1);
    }
}

void ZentovaAudioProcessor::writePreferences()
{
    if (preferencesFile == nullptr)
        return;

    for (auto* parameter : pluginParameters)
        preferencesFile->setValue (parameter->paramName + ccSuffix, parameter->midiCC.load());

    preferencesFile->saveIfNeeded();
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
