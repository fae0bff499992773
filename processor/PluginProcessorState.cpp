// The host's state and the preferences file with the MIDI controller bindings.
#include "PluginProcessor.h"

#include "lib/velmo_juce_homeFolders.h"
#include "lib/velmo_juce_numberText.h"
#include "lib/velmo_juce_safeText.h"

#include <mutex>

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

namespace
{
    juce::File preferencesFileLocation()
    {
        return velmoLib::userLibraryFile ("Application Support/Pendrawquiller/Corvanteel.prefs");
    }

    /** The preferences file as it is on disk now. A damaged file would be rewritten
        whole anyway; removing it first keeps JUCE's reader away from text it cannot
        read safely. */
    std::unique_ptr<juce::PropertiesFile> openPreferences (const juce::File& file)
    {
        if (file.existsAsFile() && ! velmoLib::isReadablePropertiesFile (file))
            file.deleteFile();

        return std::make_unique<juce::PropertiesFile> (file, ZentovaAudioProcessor::preferencesOptions());
    }

    /** As PropertiesFile::getIntValue (key, -1), through our own integer reader. */
    int storedBinding (const juce::PropertiesFile& file, const juce::String& key)
    {
        return file.containsKey (key) ? velmoLib::readStoredInteger (file.getValue (key)) : -1;
    }

    // Instances in other processes (other hosts, sandboxed plug-in hosts) share the
    // file. The lock is the user's own: JUCE keeps its lock files in one folder
    // for all users (/var/tmp on Linux), and another user's would not open.
    juce::String preferencesLockName()
    {
        return "Corvanteel-prefs-" + juce::String::toHexString (juce::SystemStats::getLogonName().hashCode64());
    }

    // The system's file locks belong to a whole process, so they do not keep two
    // instances of one host apart: this does.
    std::mutex& preferencesMutex()
    {
        static std::mutex mutex;
        return mutex;
    }

    // Longer than any write takes; a host that hangs while holding the lock does
    // not keep the others from saving their bindings.
    constexpr int preferencesLockTimeoutMs = 5000;
}

void ZentovaAudioProcessor::readPreferences()
{
    preferencesFile = openPreferences (preferencesFileLocation());

    for (int index = 0; index < numParameters; ++index)
    {
        auto* parameter = pluginParameters.getUnchecked (index);
        const int binding = storedBinding (*preferencesFile, parameter->paramName + ccSuffix);
        parameter->midiCC.store (binding);
        preferencesAsRead[(size_t) index] = binding;
    }
}

void ZentovaAudioProcessor::writePreferences()
{
    if (preferencesFile == nullptr)
        return;

    const auto file = preferencesFileLocation();

    // Other instances may have written the file since this one read it. It is read
    // again, and only the bindings this instance changed since (learn, unlearn,
    // CLEAR, a restored state) are set, with the keys the file lacks; all under a
    // lock that every instance takes, so two writing at once lose nothing. A binding
    // that another instance has changed in the file meanwhile is left as that one
    // wrote it: a CLEAR here removes what this instance had, not what another
    // learnt.
    const std::lock_guard<std::mutex> inThisProcess (preferencesMutex());
    juce::InterProcessLock lock (preferencesLockName());
    const bool locked = lock.enter (preferencesLockTimeoutMs);

    preferencesFile = openPreferences (file);

    for (int index = 0; index < numParameters; ++index)
    {
        const auto* parameter = pluginParameters.getUnchecked (index);
        const auto key = parameter->paramName + ccSuffix;
        const int binding = parameter->midiCC.load();

        const int asRead = preferencesAsRead[(size_t) index];

        if (! preferencesFile->containsKey (key)
            || (binding != asRead && storedBinding (*preferencesFile, key) == asRead))
            preferencesFile->setValue (key, binding);
    }

    preferencesFile->saveIfNeeded();

    if (locked)
        lock.exit();
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
