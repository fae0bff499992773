#pragma once

#include <juce_core/juce_core.h>

#include <memory>

class ZentovaAudioProcessor;

/** The preset file (".tqz"): an XML document whose root "ZENTOVA_PRESET" holds the
    preset's name and the 20 normalised parameter values, one attribute per parameter
    name. The PRESETS section writes it; the editor's refresh reads and applies it,
    or the processor's preset loader while no editor is open.
*/
class PresetFile
{
public:
    static constexpr const char* rootTag = "ZENTOVA_PRESET";
    static constexpr const char* nameAttribute = "PresetName";

    /** The root element for the processor's current values, saved under presetName. */
    static std::unique_ptr<juce::XmlElement> createDocument (const juce::String& presetName,
                                                             ZentovaAudioProcessor&);

    /** How the document is laid out on disk: declaration, an empty line, a line holding
        one space, then the root with its attributes wrapped after 60 characters, CR LF. */
    static juce::XmlElement::TextFormat textFormat();

    /** Writes presetName and the processor's current values to target, through a
        temporary file that then replaces it. Returns whether the write succeeded. */
    static bool write (const juce::File& target, const juce::String& presetName,
                       ZentovaAudioProcessor&);

    /** Applies the preset file to the processor: every parameter through the
        host-notifying call (no gesture) and the preset name. A file that is missing,
        not XML or has another root is ignored; returns whether it was applied. */
    static bool read (const juce::File& file, ZentovaAudioProcessor&);

    /** The preset name a chosen save file stands for: its name without the last extension. */
    static juce::String presetNameFor (const juce::File& chosen);

    /** The file a save writes for the chosen one: the chosen file itself when its name
        already ends in "." + extension in any letter case, else that file with its last
        extension replaced (or the extension appended). */
    static juce::File targetFileFor (const juce::File& chosen, const juce::String& extension);

    /** Why a preset given this name cannot be written to target, or empty when it
        can: a name holding a path separator, or a file name too long for the file
        system once the writer's temporary file adds its suffix to it. */
    static juce::String refusalFor (const juce::File& target, const juce::String& givenName);

    /** Whether tag is rootTag, comparing ASCII letters without regard to case only. */
    static bool isPresetTag (const juce::String& tag);
};
