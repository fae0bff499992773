#include "lib/velmo_juce_safeText.h"

#include <gtest/gtest.h>

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
