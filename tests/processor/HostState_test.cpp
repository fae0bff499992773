#include "TestHelpers.h"

#include "lib/velmo_juce_numberText.h"

#include <gtest/gtest.h>

#include <cstring>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
    using P = ZentovaAudioProcessor;

    juce::MemoryBlock stateOf (P& p)
    {
        juce::MemoryBlock block;
        p.getStateInformation (block);
        return block;
    }

    juce::MemoryBlock wrap (const juce::String& xml, int lengthAdjust = 0, bool terminate = true)
    {
        juce::MemoryOutputStream out;
        out.writeInt (0x21324356);
        out.writeInt ((int) xml.getNumBytesAsUTF8() + lengthAdjust);
        out.write (xml.toRawUTF8(), xml.getNumBytesAsUTF8());
        if (terminate)
            out.writeByte (0);
        return out.getMemoryBlock();
    }

    // The wrapper around raw text bytes, which a juce::String could not carry.
    template <size_t size>
    juce::MemoryBlock wrapBytes (const char (&text)[size])
    {
        juce::MemoryOutputStream out;
        out.writeInt (0x21324356);
        out.writeInt ((int) size - 1);
        out.write (text, size);
        return out.getMemoryBlock();
    }

    void restore (P& p, const juce::MemoryBlock& block)
    {
        p.setStateInformation (block.getData(), (int) block.getSize());
    }

    std::vector<float> valuesOf (P& p)
    {
        std::vector<float> values;
        for (int i = 0; i < 20; ++i)
            values.push_back (p.getParameter (i));
        return values;
    }
}

TEST (HostState, FreshInstanceBytes)
{
    P p;

    // Built from the rules: magic, length, one-line element, trailing zero.
    juce::String xml = "<ZENTOVA_STATE PresetName=\"Init\"";
    for (int i = 0; i < 20; ++i)
    {
        char number[64];
        std::snprintf (number, sizeof (number), "%.20g", (double) p.pluginParameters[i]->defaultNormalisedValue);
        xml << " " << p.getParameterName (i) << "=\"" << number << "\" " << p.getParameterName (i) << "CC=\"-1\"";
    }
    xml << "/>";

    const auto block = stateOf (p);
    const auto expected = wrap (xml);

    ASSERT_EQ (block.getSize(), expected.getSize());
    EXPECT_EQ (std::memcmp (block.getData(), expected.getData(), block.getSize()), 0)
        << juce::String::fromUTF8 ((const char*) block.getData() + 8, (int) block.getSize() - 9);

    uint32_t length = 0;
    std::memcpy (&length, (const char*) block.getData() + 4, 4);
    EXPECT_EQ (length, block.getSize() - 9);
    EXPECT_EQ (((const char*) block.getData())[block.getSize() - 1], 0);
    EXPECT_TRUE (juce::String::fromUTF8 ((const char*) block.getData() + 8).contains ("Feedback=\"0.40000000596046447754\""));
}

TEST (HostState, NumbersUseTwentySignificantDigits)
{
    EXPECT_EQ (velmoLib::formatStoredValue (0.0f), "0");
    EXPECT_EQ (velmoLib::formatStoredValue (1.0f), "1");
    EXPECT_EQ (velmoLib::formatStoredValue (0.5f), "0.5");
    EXPECT_EQ (velmoLib::formatStoredValue (0.3f), "0.30000001192092895508");
    EXPECT_EQ (velmoLib::formatStoredValue (1.0e-5f), "9.9999997473787516356e-06");
}

TEST (HostState, SaveAndRestoreKeepsEverythingExactly)
{
    P source;
    juce::Random random (99);
    for (int i = 0; i < 20; ++i)
    {
        source.setParameter (i, random.nextFloat());
        source.pluginParameters.getUnchecked (i)->midiCC = (i * 7) % 128;
    }
    source.setParameter (P::timeIndex, 1.0e-7f);
    source.currentPresetName.set (juce::String::fromUTF8 ("Caf\xc3\xa9 & \"Tape\" <x> ^`"));

    P target;
    restore (target, stateOf (source));

    for (int i = 0; i < 20; ++i)
    {
        EXPECT_EQ (target.getParameter (i), i == P::randomizeIndex ? 0.0f : source.getParameter (i)) << i;
        EXPECT_EQ (target.pluginParameters[i]->midiCC.load(), (i * 7) % 128) << i;
    }
    EXPECT_EQ (target.currentPresetName.get(), source.currentPresetName.get());

    const auto text = juce::String::fromUTF8 ((const char*) stateOf (source).getData() + 8);
    EXPECT_TRUE (text.contains ("PresetName=\"Caf&#233; &amp; &quot;Tape&quot; &lt;x&gt; &#94;&#96;\""));
}

// Pressed while the host is not processing (bypassed, stopped), RANDOM waits for
// the next block; a session saved meanwhile must not randomize on every restore.
TEST (HostState, APendingRandomizePressIsNotStored)
{
    P source;
    source.setParameter (P::feedbackIndex, 0.2f);
    source.setParameter (P::randomizeIndex, 1.0f);

    const auto block = stateOf (source);
    EXPECT_TRUE (juce::String::fromUTF8 ((const char*) block.getData() + 8).contains (" Randomize=\"0\""));

    P target;
    restore (target, block);
    corvanteelTest::processSilence (target, 64, 64);
    EXPECT_EQ (target.getParameter (P::feedbackIndex), 0.2f);
    EXPECT_EQ (target.getParameter (P::randomizeIndex), 0.0f);
}

TEST (HostState, BadBytesChangeNothing)
{
    const juce::String good = "<ZENTOVA_STATE Feedback=\"0.25\"/>";

    struct Case { const char* what; juce::MemoryBlock bytes; };
    juce::MemoryBlock wrongMagic = wrap (good);
    static_cast<char*> (wrongMagic.getData())[0] = 'X';

    const Case cases[] =
    {
        { "empty",            juce::MemoryBlock() },
        { "eight bytes",      juce::MemoryBlock (wrap (good).getData(), 8) },
        { "wrong magic",      wrongMagic },
        { "length zero",      wrap (good, -(int) good.getNumBytesAsUTF8()) },
        { "negative length",  wrap (good, -(int) good.getNumBytesAsUTF8() - 5) },
        { "other root",       wrap ("<ZENTOVA_PRESET Feedback=\"0.25\"/>") },
        { "not xml",          wrap ("this is not xml") },
        // the text ends at the zero byte, in the middle of an attribute name
        { "cut at zero byte", wrapBytes ("<ZENTOVA_STATE Feed\0back=\"0.25\"/>") },
        // readable but for one byte that starts a sequence it never finishes
        { "malformed UTF-8",  wrapBytes ("<ZENTOVA_STATE Feedback=\"0.25\" PresetName=\"\xfc\"/>") },
    };

    for (const auto& c : cases)
    {
        P p;
        p.currentPresetName.set ("Kept");
        const auto before = valuesOf (p);
        restore (p, c.bytes);
        EXPECT_EQ (valuesOf (p), before) << c.what;
        EXPECT_EQ (p.currentPresetName.get(), "Kept") << c.what;
    }
}

TEST (HostState, ReaderRules)
{
    {
        SCOPED_TRACE ("lower-case tag and a length beyond the data");
        P p;
        restore (p, wrap ("<zentova_state Feedback=\"0.25\" PresetName=\"x\"/>", 1000));
        EXPECT_EQ (p.getParameter (P::feedbackIndex), 0.25f);
        EXPECT_EQ (p.currentPresetName.get(), "x");
    }
    {
        SCOPED_TRACE ("values and controllers");
        P p;
        p.setParameter (P::timeIndex, 0.7f);
        restore (p, wrap ("<ZENTOVA_STATE Time=\"2\" TimeCC=\"x\" Sync=\"abc\" SyncCC=\"200\" feedback=\"0.1\" DivisionCC=\" -3z\" FeedbackCC=\"+74\"/>"));
        EXPECT_EQ (p.getParameter (P::timeIndex), 0.7f);          // out of range: unchanged
        EXPECT_EQ (p.pluginParameters[P::timeIndex]->midiCC.load(), 0);
        EXPECT_EQ (p.getParameter (P::syncIndex), 0.0f);          // no number reads as 0
        EXPECT_EQ (p.pluginParameters[P::syncIndex]->midiCC.load(), 200);
        EXPECT_EQ (p.getParameter (P::feedbackIndex), 0.4f);      // names are case-sensitive
        EXPECT_EQ (p.pluginParameters[P::divisionIndex]->midiCC.load(), -3);
        EXPECT_EQ (p.pluginParameters[P::feedbackIndex]->midiCC.load(), 74);   // an optional sign
    }
    {
        SCOPED_TRACE ("empty element gives every default");
        P p;
        for (int i = 0; i < 20; ++i)
        {
            p.setParameter (i, 0.77f);
            p.pluginParameters.getUnchecked (i)->midiCC = 5;
        }
        corvanteelTest::RecordingListener host (p);
        restore (p, wrap ("<ZENTOVA_STATE/>"));

        for (int i = 0; i < 20; ++i)
        {
            EXPECT_EQ (p.getParameter (i), p.pluginParameters[i]->defaultNormalisedValue) << i;
            EXPECT_EQ (p.pluginParameters[i]->midiCC.load(), -1) << i;
        }
        EXPECT_EQ (p.currentPresetName.get(), " ");
        EXPECT_EQ (host.countValueChanges(), 20);
    }
}

TEST (HostState, BlockIsReplacedWhole)
{
    P p;
    juce::MemoryBlock block (100000, true);
    p.getStateInformation (block);
    EXPECT_EQ (block.getSize(), stateOf (p).getSize());
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
