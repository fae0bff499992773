#pragma once

#include <juce_core/juce_core.h>

#include <memory>

namespace velmoLib
{

/** True when the bytes are well-formed UTF-8. JUCE's strings trust their bytes:
    a truncated or malformed sequence makes its text readers step past the end of
    the buffer, so text from files and hosts is checked before JUCE parses it. */
bool isValidUtf8 (const void* data, size_t numBytes) noexcept;

/** True when JUCE's XML parser can read the text safely: well-formed UTF-8; no
    reference but XML's five named entities and well-formed numeric character
    references naming real characters (on others it can read past the end); and
    no processing instruction ("<?") after the root element has begun, where it
    would loop for ever on the text that follows. */
bool isSafeXmlText (const char* text, size_t numBytes) noexcept;

/** Parses XML text from untrusted bytes: the text ends at the first zero byte,
    and empty, unsafe (see isSafeXmlText) or unparsable text gives nullptr. */
std::unique_ptr<juce::XmlElement> parseXmlText (const void* data, size_t numBytes);

/** The same for a whole file, whose UTF-8 byte order mark is skipped as JUCE's
    file reader does; UTF-16 text with a byte order mark is converted to UTF-8 and
    then checked like any other (nullptr when the file cannot be read, is implausibly
    large or holds a lone surrogate). */
std::unique_ptr<juce::XmlElement> parseXmlFile (const juce::File& file);

/** True when JUCE's PropertiesFile can read the file without tripping over its
    input: XML that passes isSafeXmlText, or one of its binary forms (plain or
    GZIP-compressed) whose key and value texts are well-formed UTF-8, in a file of
    at most 1 MB. */
bool isReadablePropertiesFile (const juce::File& file);

} // namespace velmoLib
