#include "lib/velmo_juce_safeText.h"

#include <gtest/gtest.h>
#include <juce_data_structures/juce_data_structures.h>

#include <string>

TEST (SafeText, Utf8Validation)
{
    struct Case { std::string bytes; bool valid; };
    const Case cases[] =
    {
        { "plain ASCII", true },
        { "Caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb8", true },   // two, three and four byte sequences
        { "\xc3", false },                                     // cut short at the end
        { "\xe2\x82", false },
        { "\xc3(", false },                                    // no continuation byte
        { "\xfc\x80\x80\x80\x80\x80", false },                 // six-byte forms do not exist
        { "\x80", false },                                     // a stray continuation byte
        { "\xf5\x80\x80\x80", false },                         // beyond U+10FFFF
        { "\xf4\x90\x80\x80", false },
        { "\xf4\x8f\xbf\xbf \xee\x80\x80 \xef\xbf\xbd", true },  // U+10FFFF, U+E000, U+FFFD
        { "\xc0\xa6", false },                                 // overlong forms: JUCE would read an "&"
        { "\xc1\xbc", false },
        { "\xe0\x80\xa6", false },
        { "\xf0\x80\x80\xa6", false },
        { "\xed\xa0\x80", false },                             // a surrogate
    };

    for (const auto& c : cases)
        EXPECT_EQ (velmoLib::isValidUtf8 (c.bytes.data(), c.bytes.size()), c.valid) << c.bytes;
}

TEST (SafeText, XmlThatJucesParserCannotReadIsRefused)
{
    struct Case { std::string text; bool parses; };
    const Case cases[] =
    {
        { "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n \r\n<A b=\"1\"/>", true },
        { "<!-- note --><?other?><A/>", true },
        { std::string ("<A/>\0garbage", 12), true },           // the text ends at a zero byte
        { "<A b=\"\xfc\"/>", false },                          // malformed UTF-8 would be read past its end
        { "<zd>\nO<?" "?>z", false },                             // JUCE's parser would loop for ever
        { "<A><?pi?></A>", false },
        { "<A b=\"&#233;&#xE9;&#X1F3B8;\"/>", true },          // character references of real characters
        { "<d>&#X", false },                                   // malformed: JUCE would read past the end
        { "<d>&#xZZ;</d>", false },
        { "<d>&#1114112;</d>", false },                        // beyond U+10FFFF
        { "<d>&#xD800;</d>", false },                          // a lone surrogate
        { "<d>&#0;</d>", false },
        { "<A b=\"&amp;&lt;&gt;&quot;&apos;&AMP;\"/>", true },  // the named entities JUCE resolves itself
        { "<d>&<d>x&#X3;</d>", false },                       // an unknown name, parsed again from a copy it overruns
        { "<!DOCTYPE d [<!ENTITY e \"<d>x&#X3;\">]><d>&e;</d>", false },  // names from a DTD expand the same way
        { "<A b=\"R&B\"/>", false },
        { "<d>\xc0\xa6#X</d>", false },                       // an "&" spelt in two bytes would slip past the reference check
        { "", false },
        { "not xml", false },
    };

    for (const auto& c : cases)
        EXPECT_EQ (velmoLib::parseXmlText (c.text.data(), c.text.size()) != nullptr, c.parses) << c.text;
}

TEST (SafeText, FilesMayStartWithAByteOrderMark)
{
    const juce::TemporaryFile file;
    const char text[] = "\xef\xbb\xbf<A b=\"1\"/>";
    ASSERT_TRUE (file.getFile().replaceWithData (text, sizeof (text) - 1));
    EXPECT_NE (velmoLib::parseXmlFile (file.getFile()), nullptr);
    EXPECT_EQ (velmoLib::parseXmlFile (file.getFile().getSiblingFile ("missing.xml")), nullptr);
}

namespace
{
    // The text as a text editor's "Unicode" save writes it: a byte order mark, then
    // UTF-16 code units in the chosen byte order.
    std::string utf16WithMark (const std::u16string& text, bool bigEndian)
    {
        std::string bytes = bigEndian ? "\xfe\xff" : "\xff\xfe";

        for (auto unit : text)
        {
            const auto high = (char) (unit >> 8), low = (char) (unit & 0xff);
            bytes += bigEndian ? high : low;
            bytes += bigEndian ? low : high;
        }

        return bytes;
    }

    std::unique_ptr<juce::XmlElement> parseFileHolding (const std::string& bytes)
    {
        const juce::TemporaryFile file;
        if (! file.getFile().replaceWithData (bytes.data(), bytes.size()))
            return {};
        return velmoLib::parseXmlFile (file.getFile());
    }
} // namespace

TEST (SafeText, Utf16FilesWithAByteOrderMarkAreConverted)
{
    // "Café 🎸": a two-byte UTF-8 letter and a character outside the BMP (a surrogate pair).
    const std::u16string document = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<A b=\"Caf\u00e9 \U0001F3B8\" c=\"0.5\"/>";
    const auto expected = juce::String::fromUTF8 ("Caf\xc3\xa9 \xf0\x9f\x8e\xb8");

    for (bool bigEndian : { false, true })
    {
        const auto root = parseFileHolding (utf16WithMark (document, bigEndian));
        ASSERT_NE (root, nullptr) << bigEndian;
        EXPECT_EQ (root->getStringAttribute ("b"), expected) << bigEndian;
        EXPECT_EQ (root->getDoubleAttribute ("c"), 0.5) << bigEndian;
    }

    // A stray last byte is half a code unit and is dropped.
    EXPECT_NE (parseFileHolding (utf16WithMark (u"<A/>", false) + "\x20"), nullptr);
}

TEST (SafeText, Utf16FilesKeepEveryOtherGuard)
{
    struct Case { std::u16string text; const char* why; };
    const Case cases[] =
    {
        { u"<zd>\nO<?" u"?>z", "a processing instruction inside the root" },
        { u"<d>&#X", "a malformed character reference" },
        { u"<d>&#xD800;</d>", "a reference to a lone surrogate" },
        { std::u16string (u"<A b=\"\xd83c\"/>"), "a lone high surrogate" },
        { std::u16string (u"<A b=\"\xdf38\"/>"), "a lone low surrogate" },
        { std::u16string (u"\0<A/>", 5), "empty: the text ends at the first zero" },
        { u"not xml", "not XML" },
    };

    for (const auto& c : cases)
        for (bool bigEndian : { false, true })
            EXPECT_EQ (parseFileHolding (utf16WithMark (c.text, bigEndian)), nullptr) << c.why << " " << bigEndian;

    // Without a byte order mark the bytes are taken as UTF-8, whose zero bytes end the text.
    const auto unmarked = utf16WithMark (u"<A/>", false).substr (2);
    EXPECT_EQ (parseFileHolding (unmarked), nullptr);

    // The high surrogate cut off at the very end of the file.
    EXPECT_EQ (parseFileHolding (utf16WithMark (u"<A/>", false) + "\x3c\xd8"), nullptr);
}

namespace
{
    bool isReadableWhenHolding (const juce::MemoryBlock& bytes)
    {
        const juce::TemporaryFile file;
        return file.getFile().replaceWithData (bytes.getData(), bytes.getSize())
            && velmoLib::isReadablePropertiesFile (file.getFile());
    }

    // JUCE's binary layout by hand, so that a key can hold bytes JUCE would never write.
    juce::MemoryBlock binaryProperties (const std::string& key, bool compressed)
    {
        juce::MemoryBlock values;
        {
            juce::MemoryOutputStream out (values, false);
            out.writeInt (1);
            out.write (key.data(), key.size() + 1);
            out.write ("74", 3);
        }

        juce::MemoryBlock file;
        juce::MemoryOutputStream out (file, false);
        const auto magic = compressed ? juce::ByteOrder::makeInt ('C', 'P', 'R', 'P')
                                      : juce::ByteOrder::makeInt ('P', 'R', 'O', 'P');
        out.writeInt ((int) magic);
        if (compressed)
        {
            juce::GZIPCompressorOutputStream zipped (out);
            zipped.write (values.getData(), values.getSize());
        }
        else
        {
            out.write (values.getData(), values.getSize());
        }

        out.flush();
        return file;
    }
} // namespace

TEST (SafeText, PropertiesFilesInEveryFormJuceWrites)
{
    using Format = juce::PropertiesFile::StorageFormat;

    for (auto format : { Format::storeAsXML, Format::storeAsBinary, Format::storeAsCompressedBinary })
    {
        SCOPED_TRACE ((int) format);
        const juce::TemporaryFile file;
        juce::PropertiesFile::Options options;
        options.storageFormat = format;
        {
            juce::PropertiesFile properties (file.getFile(), options);
            properties.setValue ("TimeCC", 74);
            properties.setValue (juce::String::fromUTF8 ("Caf\xc3\xa9"), "\xe2\x82\xac");
            ASSERT_TRUE (properties.save());
        }

        EXPECT_TRUE (velmoLib::isReadablePropertiesFile (file.getFile()));
        EXPECT_EQ (juce::PropertiesFile (file.getFile(), options).getIntValue ("TimeCC"), 74);
    }
}

TEST (SafeText, PropertiesFilesJucesReaderWouldTripOverAreRefused)
{
    for (bool compressed : { false, true })
    {
        SCOPED_TRACE (compressed);
        EXPECT_TRUE (isReadableWhenHolding (binaryProperties ("TimeCC", compressed)));
        EXPECT_FALSE (isReadableWhenHolding (binaryProperties ("Time\xc3", compressed)));     // cut-short UTF-8
        EXPECT_FALSE (isReadableWhenHolding (binaryProperties ("Time\x80" "CC", compressed)));
    }

    const char unsafeXml[] = "<PROPERTIES><VALUE name=\"TimeCC\" val=\"&#X\"/></PROPERTIES>";
    EXPECT_FALSE (isReadableWhenHolding (juce::MemoryBlock (unsafeXml, sizeof (unsafeXml) - 1)));

    // Nothing a preferences file holds comes near a megabyte.
    juce::MemoryBlock huge (((size_t) 1 << 20) + 1);
    huge.fillWith ((juce::uint8) ' ');
    EXPECT_FALSE (isReadableWhenHolding (huge));

    EXPECT_FALSE (velmoLib::isReadablePropertiesFile (juce::File ("/nonexistent/Corvanteel.prefs")));
}
