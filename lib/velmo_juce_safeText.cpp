#include "velmo_juce_safeText.h"

#include <cstring>
#include <string>

namespace velmoLib
{

bool isValidUtf8 (const void* data, size_t numBytes) noexcept
{
    const auto* bytes = static_cast<const uint8_t*> (data);
    size_t i = 0;

    while (i < numBytes)
    {
        const uint8_t lead = bytes[i++];

        if (lead < 0x80)
            continue;

        // The range the byte after the lead may take. Outside it a sequence is an
        // overlong form, a surrogate or beyond U+10FFFF. JUCE's reader decodes an
        // overlong form as the short character it spells, so "\xc0\xa6" would reach
        // its XML parser as an "&" that no check on the bytes had seen.
        size_t extra = 0;
        uint8_t low = 0x80, high = 0xbf;

        if (lead >= 0xc2 && lead <= 0xdf)        { extra = 1; }
        else if (lead == 0xe0)                   { extra = 2; low = 0xa0; }
        else if (lead == 0xed)                   { extra = 2; high = 0x9f; }
        else if (lead >= 0xe1 && lead <= 0xef)   { extra = 2; }
        else if (lead == 0xf0)                   { extra = 3; low = 0x90; }
        else if (lead == 0xf4)                   { extra = 3; high = 0x8f; }
        else if (lead >= 0xf1 && lead <= 0xf3)   { extra = 3; }
        else                                     return false;

        if (numBytes - i < extra || bytes[i] < low || bytes[i] > high)
            return false;

        for (size_t k = 0; k < extra; ++k)
            if ((bytes[i++] & 0xc0) != 0x80)
                return false;
    }

    return true;
}

namespace
{
    // A numeric character reference, "&#233;" or "&#xE9;", naming a real character.
    // JUCE's parser steps past the end of the text on a malformed one and takes any
    // number as a character, so only well-formed ones are let through.
    bool isWellFormedCharacterReference (const char* text, size_t numBytes, size_t at) noexcept
    {
        size_t i = at + 2;
        const bool hex = i < numBytes && (text[i] == 'x' || text[i] == 'X');
        if (hex)
            ++i;

        uint32_t code = 0;
        size_t digits = 0;

        for (; i < numBytes && text[i] != ';'; ++i, ++digits)
        {
            const char c = text[i];
            int value = -1;

            if (c >= '0' && c <= '9')                    value = c - '0';
            else if (hex && c >= 'a' && c <= 'f')        value = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')        value = c - 'A' + 10;

            if (value < 0 || digits >= 7)
                return false;

            code = code * (hex ? 16u : 10u) + (uint32_t) value;
        }

        return i < numBytes && digits > 0 && code != 0 && code <= 0x10ffff
                 && ! (code >= 0xd800 && code <= 0xdfff);
    }

    // A reference JUCE resolves on its own: a well-formed numeric one, or one of
    // XML's five named entities, whose names JUCE matches in any case. Any other
    // name is looked up in the document's DTD and, when not found there, parsed
    // again as XML from a copy of the name, where a reference cut short by the
    // name's ";" makes JUCE read past the copy's end.
    bool isResolvableReference (const char* text, size_t numBytes, size_t at) noexcept
    {
        if (at + 1 < numBytes && text[at + 1] == '#')
            return isWellFormedCharacterReference (text, numBytes, at);

        const auto startsWithName = [text, numBytes, at] (const char* name)
        {
            const auto length = std::strlen (name);

            if (numBytes - (at + 1) < length)
                return false;

            for (size_t k = 0; k < length; ++k)
                if (juce::CharacterFunctions::toLowerCase ((juce::juce_wchar) (uint8_t) text[at + 1 + k]) != (juce::juce_wchar) name[k])
                    return false;

            return true;
        };

        return startsWithName ("amp;") || startsWithName ("lt;") || startsWithName ("gt;")
                || startsWithName ("quot;") || startsWithName ("apos;");
    }
}

bool isSafeXmlText (const char* text, size_t numBytes) noexcept
{
    if (! isValidUtf8 (text, numBytes))
        return false;

    for (size_t i = 0; i < numBytes; ++i)
        if (text[i] == '&' && ! isResolvableReference (text, numBytes, i))
            return false;

    // The root starts at the first "<" that opens neither a declaration nor a
    // comment or doctype; from there on, no "<?" may follow.
    bool inRoot = false;

    for (size_t i = 0; i + 1 < numBytes; ++i)
    {
        if (text[i] != '<')
            continue;

        const char next = text[i + 1];

        if (next == '?')
        {
            if (inRoot)
                return false;
        }
        else if (next != '!')
        {
            inRoot = true;
        }
    }

    return true;
}

std::unique_ptr<juce::XmlElement> parseXmlText (const void* data, size_t numBytes)
{
    if (data == nullptr)
        return {};

    const auto* text = static_cast<const char*> (data);
    const auto* zero = static_cast<const char*> (std::memchr (text, 0, numBytes));
    const auto length = zero != nullptr ? (size_t) (zero - text) : numBytes;

    if (length == 0 || length > (size_t) std::numeric_limits<int>::max() || ! isSafeXmlText (text, length))
        return {};

    return juce::parseXML (juce::String::fromUTF8 (text, (int) length));
}

namespace
{
    void appendUtf8 (std::string& out, uint32_t code)
    {
        if (code < 0x80)
        {
            out += (char) code;
        }
        else if (code < 0x800)
        {
            out += (char) (0xc0 | (code >> 6));
            out += (char) (0x80 | (code & 0x3f));
        }
        else if (code < 0x10000)
        {
            out += (char) (0xe0 | (code >> 12));
            out += (char) (0x80 | ((code >> 6) & 0x3f));
            out += (char) (0x80 | (code & 0x3f));
        }
        else
        {
            out += (char) (0xf0 | (code >> 18));
            out += (char) (0x80 | ((code >> 12) & 0x3f));
            out += (char) (0x80 | ((code >> 6) & 0x3f));
            out += (char) (0x80 | (code & 0x3f));
        }
    }

    // UTF-16 text after its byte order mark, as UTF-8. Like the UTF-8 path, the text
    // ends at the first zero; a lone surrogate names no character and fails the whole
    // text, and a stray last byte (half a code unit) is dropped, as JUCE's reader does.
    bool utf16ToUtf8 (const uint8_t* bytes, size_t numBytes, bool bigEndian, std::string& out)
    {
        const auto unitAt = [bytes, bigEndian] (size_t i) -> uint32_t
        {
            return bigEndian ? (uint32_t) (bytes[i] << 8 | bytes[i + 1])
                             : (uint32_t) (bytes[i + 1] << 8 | bytes[i]);
        };

        out.clear();
        out.reserve (numBytes + numBytes / 2);

        for (size_t i = 0; i + 1 < numBytes; i += 2)
        {
            auto code = unitAt (i);

            if (code == 0)
                break;

            if (code >= 0xdc00 && code <= 0xdfff)
                return false;

            if (code >= 0xd800 && code <= 0xdbff)
            {
                if (i + 3 >= numBytes)
                    return false;

                const auto low = unitAt (i + 2);

                if (low < 0xdc00 || low > 0xdfff)
                    return false;

                code = 0x10000 + ((code - 0xd800) << 10) + (low - 0xdc00);
                i += 2;
            }

            appendUtf8 (out, code);
        }

        return true;
    }
}

std::unique_ptr<juce::XmlElement> parseXmlFile (const juce::File& file)
{
    // Far beyond any document of ours; not worth reading into memory.
    constexpr juce::int64 largestSensibleFile = 16 << 20;

    juce::MemoryBlock content;
    if (file.getSize() > largestSensibleFile || ! file.loadFileAsData (content))
        return {};

    // As JUCE reads a file: a UTF-8 byte order mark is no part of the document, and
    // UTF-16 with a byte order mark (a text editor's "Unicode") is converted; the
    // converted text then passes the same checks as any other.
    const auto* bytes = static_cast<const char*> (content.getData());
    const auto size = content.getSize();
    const bool littleEndian16 = size >= 2 && std::memcmp (bytes, "\xff\xfe", 2) == 0;
    const bool bigEndian16 = size >= 2 && std::memcmp (bytes, "\xfe\xff", 2) == 0;

    if (littleEndian16 || bigEndian16)
    {
        std::string converted;

        if (! utf16ToUtf8 (static_cast<const uint8_t*> (content.getData()) + 2, size - 2, bigEndian16, converted))
            return {};

        return parseXmlText (converted.data(), converted.size());
    }

    const size_t markLength = size >= 3 && std::memcmp (bytes, "\xef\xbb\xbf", 3) == 0 ? 3 : 0;

    return parseXmlText (bytes + markLength, size - markLength);
}

bool isReadablePropertiesFile (const juce::File& file)
{
    constexpr juce::int64 largestSensibleFile = 1 << 20;
    juce::MemoryBlock content;

    if (file.getSize() > largestSensibleFile || ! file.loadFileAsData (content))
        return false;

    const auto* bytes = static_cast<const uint8_t*> (content.getData());
    const auto magic = content.getSize() >= 4 ? juce::ByteOrder::littleEndianInt (bytes) : 0u;

    if (magic == juce::ByteOrder::makeInt ('C', 'P', 'R', 'P'))
    {
        juce::MemoryInputStream compressed (bytes + 4, content.getSize() - 4, false);
        juce::GZIPDecompressorInputStream gzip (compressed);
        juce::MemoryBlock plain ("PROP", 4);
        {
            juce::MemoryOutputStream out (plain, true);
            out.writeFromInputStream (gzip, largestSensibleFile);
        }
        content = std::move (plain);
        bytes = static_cast<const uint8_t*> (content.getData());
    }
    else if (magic != juce::ByteOrder::makeInt ('P', 'R', 'O', 'P'))
    {
        return isSafeXmlText (static_cast<const char*> (content.getData()), content.getSize());
    }

    // Binary: a value count, then zero-terminated key and value texts.
    for (size_t start = juce::jmin ((size_t) 8, content.getSize()); start < content.getSize();)
    {
        const auto* zero = static_cast<const uint8_t*> (std::memchr (bytes + start, 0, content.getSize() - start));
        const size_t end = zero != nullptr ? (size_t) (zero - bytes) : content.getSize();

        if (! isValidUtf8 (bytes + start, end - start))
            return false;

        start = end + 1;
    }

    return true;
}

} // namespace velmoLib
