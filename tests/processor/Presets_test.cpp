#include "TestHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <fstream>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
    using P = ZentovaAudioProcessor;

    void requestIndex (P& p, int index)
    {
        p.requestPresetIndex (index);
        corvanteelTest::processSilence (p, 8, 8);
    }

    /** A preset file as the editor's SAVE writes it, in short: its name and Feedback. */
    void writePreset (const juce::File& file, const juce::String& name, float feedback)
    {
        file.replaceWithText ("<ZENTOVA_PRESET PresetName=\"" + name + "\" Feedback=\""
                              + juce::String (feedback) + "\"/>");
    }

    /** A file whose name is the given bytes, which need not be valid UTF-8. */
    void createFileNamedByBytes (const juce::File& folder, const std::string& name)
    {
        std::ofstream (folder.getFullPathName().toStdString() + "/" + name) << "x";
    }
}

TEST (PresetFolder, IsCreatedWithItsParentsWhenMissing)
{
    corvanteelTest::TemporaryHome home;
    ASSERT_FALSE (home.folder().getChildFile ("Library").exists());

    P p;
    EXPECT_TRUE (home.presetFolder().isDirectory());
    EXPECT_EQ (p.presetManager.presetFolderPath, home.presetFolder().getFullPathName() + "/");
    EXPECT_EQ (p.presetManager.presetExtension, "tqz");
    EXPECT_TRUE (p.presetManager.presetNames.get().isEmpty());
}

TEST (PresetFolder, ListsPresetFilesOnly)
{
    corvanteelTest::TemporaryHome home;
    const auto folder = home.presetFolder();
    folder.createDirectory();
    for (const auto* name : { "Bass.tqz", "Lead Line.TQZ", "notes.txt", "two.dots.tqz", ".tqz" })
        folder.getChildFile (name).replaceWithText ("x");
    folder.getChildFile ("x.tqz").createDirectory();
    folder.getChildFile ("sub").createDirectory();
    folder.getChildFile ("sub/Deep.tqz").replaceWithText ("x");

    P p;
    auto names = p.presetManager.presetNames.get();
    names.sort (false);

    EXPECT_EQ (names, juce::StringArray ({ ".tqz", "Bass", "Lead Line", "two.dots" }));
    EXPECT_EQ (p.presetMenuNames.get(), p.presetManager.presetNames.get());
    EXPECT_TRUE (p.presetListChanged.load());
}

TEST (PresetFolder, NamesEndingInABrokenCharacterAreSkippedAtEveryScan)
{
    // Such a name made the scan read past its string (seen by AddressSanitizer).
    corvanteelTest::TemporaryHome home;
    const auto folder = home.presetFolder();
    folder.createDirectory();
    for (const std::string name : { "a\xF0", "b\xC3", "c.tqz\xE2\x82", "Kept.tqz" })
        createFileNamedByBytes (folder, name);

    P p;
    EXPECT_EQ (p.presetManager.presetNames.get(), juce::StringArray ("Kept"));

    p.rescanPresets();
    EXPECT_EQ (p.presetManager.presetNames.get(), juce::StringArray ("Kept"));
}

TEST (PresetFolder, NamesThatAreNotWellFormedUtf8AreSkippedWhereverTheFaultSits)
{
    // JUCE's iterator sized such a name by its decoded length and copied its raw
    // bytes, overrunning the heap (seen by AddressSanitizer, an abort in Release).
    corvanteelTest::TemporaryHome home;
    const auto folder = home.presetFolder();
    folder.createDirectory();

    struct Fault { const char* kind; std::string bytes; };
    const Fault faults[] = {
        { "overlong two-byte form",    "\xC0\xA6" },
        { "overlong three-byte form",  "\xE0\x80\xAF" },
        { "overlong four-byte form",   "\xF0\x82\x82\xAC" },
        { "high surrogate",            "\xED\xA0\x80" },
        { "low surrogate",             "\xED\xBF\xBF" },
        { "past U+10FFFF",             "\xF4\x90\x80\x80" },
        { "truncated two-byte",        "\xC3" },
        { "truncated three-byte",      "\xE2\x82" },
        { "truncated four-byte",       "\xF0\x9F\x98" },
        { "stray continuation",        "\x80" },
        { "stray continuations",       "\xBF\xBF" },
        { "byte never in UTF-8",       "\xFF" },
    };

    int created = 0;
    for (const auto& fault : faults)
    {
        std::string repeated;
        for (int i = 0; i < 24; ++i)
            repeated += fault.bytes;

        for (const auto& name : { fault.bytes + "start.tqz",
                                  "x" + repeated + "middle.tqz",
                                  "before" + fault.bytes + ".tqz",
                                  "x" + repeated + ".TQZ" })
        {
            createFileNamedByBytes (folder, name);
            ++created;
        }
    }

    // Good presets beside them, multi-byte characters included.
    struct Good { const char* file; const char* name; float feedback; };
    const Good good[] = {
        { "Good One.tqz",                               "Good One",                              0.25f },
        { "\xC3\x9C" "ber \xE2\x9C\x93.tqz",            "\xC3\x9C" "ber \xE2\x9C\x93",           0.5f },
        { "Emoji \xF0\x9F\x8E\xB9 U+10FFFF \xF4\x8F\xBF\xBF.tqz",
          "Emoji \xF0\x9F\x8E\xB9 U+10FFFF \xF4\x8F\xBF\xBF",                                    0.75f },
    };
    for (const auto& preset : good)
        writePreset (folder.getChildFile (juce::String::fromUTF8 (preset.file)),
                     juce::String::fromUTF8 (preset.name), preset.feedback);

    // Counted without JUCE, whose iterator is what cannot take these names.
    const auto entries = std::distance (std::filesystem::directory_iterator (folder.getFullPathName().toStdString()),
                                        std::filesystem::directory_iterator());
    ASSERT_EQ (entries, created + (long) std::size (good)) << "every name is a file of its own";

    P p;

    for (int scan = 0; scan < 2; ++scan)
    {
        if (scan == 1)
            p.rescanPresets();

        auto names = p.presetManager.presetNames.get();
        ASSERT_EQ (names.size(), (int) std::size (good)) << "scan " << scan;

        for (const auto& preset : good)
        {
            const auto expectedName = juce::String::fromUTF8 (preset.name);
            const int index = names.indexOf (expectedName);
            ASSERT_GE (index, 0) << preset.name;

            requestIndex (p, index);
            EXPECT_TRUE (p.loadPendingPresetFile()) << preset.name;
            EXPECT_EQ (p.getParameter (P::feedbackIndex), preset.feedback) << preset.name;
            EXPECT_EQ (p.currentPresetName.get(), expectedName);
        }
    }
}

TEST (PresetFolder, IsListedInTheFindersOrderWhateverTheFileSystemsOrder)
{
    // Program numbers pick presets by position, so the order must not be the
    // folder's own (a hash order on Linux, reverse creation order on tmpfs).
    corvanteelTest::TemporaryHome home;
    const auto folder = home.presetFolder();
    folder.createDirectory();

    // Created in a scrambled order.
    for (const auto* file : { "Lead 10.tqz", "alpha.tqz", "Gamma.tqz", "Bass.tqz", "Lead 2.tqz", "beta.tqz",
                              "Zeta 1.tqz", "Alpha.tqz", "10 Bells.tqz", "lead 3.tqz", "Bass.TQZ", "Beta.tqz",
                              "Pad.tqz", "2 Bells.tqz", "Lead 02.tqz" })
        writePreset (folder.getChildFile (file), juce::File (file).getFileNameWithoutExtension(), 0.5f);

    // Case-insensitive, digits by value; equal names by their exact text, then by
    // the file's name (Bass.TQZ before Bass.tqz).
    const juce::StringArray expectedNames { "2 Bells", "10 Bells", "Alpha", "alpha", "Bass", "Bass", "Beta",
                                            "beta", "Gamma", "Lead 02", "Lead 2", "lead 3", "Lead 10", "Pad", "Zeta 1" };

    P p;

    for (int scan = 0; scan < 2; ++scan)
    {
        if (scan == 1)
            p.rescanPresets();

        EXPECT_EQ (p.presetManager.presetNames.get(), expectedNames) << "scan " << scan;
        EXPECT_EQ (p.presetMenuNames.get(), expectedNames) << "scan " << scan;

        const auto paths = p.presetManager.presetPaths.get();
        ASSERT_EQ (paths.size(), expectedNames.size());
        EXPECT_EQ (juce::File (paths[4]).getFileName(), "Bass.TQZ");
        EXPECT_EQ (juce::File (paths[5]).getFileName(), "Bass.tqz");

        requestIndex (p, 0);
        EXPECT_EQ (juce::File (p.pendingPresetFilePath()).getFileName(), "2 Bells.tqz") << "program 0";
    }
}

TEST (PresetFolder, TheOrderIsTotalForNamesTheNaturalCompareCallsEqual)
{
    // Names that compareNatural orders alike come out in one order however the
    // folder hands them over: the result depends on the names alone.
    const juce::StringArray names { "a  b", "a b", "A b", "a B", "a\tb", "x01", "x1", "X1", "x001" };

    juce::StringArray first;
    for (int round = 0; round < 4; ++round)
    {
        corvanteelTest::TemporaryHome home;
        const auto folder = home.presetFolder();
        folder.createDirectory();

        auto order = names;
        juce::Random random (round);
        for (int i = order.size(); --i > 0;)
            order.getReference (i).swapWith (order.getReference (random.nextInt (i + 1)));
        for (const auto& name : order)
            writePreset (folder.getChildFile (name + ".tqz"), name, 0.5f);

        P p;
        const auto listed = p.presetManager.presetNames.get();
        ASSERT_EQ (listed.size(), names.size());

        if (round == 0)
            first = listed;
        else
            EXPECT_EQ (listed, first) << "round " << round;
    }
}

TEST (PresetFolder, EachNameComesWithTheVeryFileListed)
{
    corvanteelTest::TemporaryHome home;
    const auto folder = home.presetFolder();
    folder.createDirectory();
    for (const auto* name : { "Lead.TQZ", "Pad.tqz", "Bass.Tqz" })
        folder.getChildFile (name).replaceWithText ("x");

    P p;
    const auto names = p.presetManager.presetNames.get();
    const auto paths = p.presetManager.presetPaths.get();

    ASSERT_EQ (names.size(), 3);
    ASSERT_EQ (paths.size(), 3);
    for (int i = 0; i < names.size(); ++i)
    {
        const juce::File file (paths[i]);
        EXPECT_TRUE (file.existsAsFile()) << paths[i];
        EXPECT_EQ (file.getParentDirectory(), folder);
        EXPECT_EQ (file.getFileNameWithoutExtension(), names[i]);
        EXPECT_EQ (p.presetPathForIndex (i), paths[i]);
    }
}

TEST (PresetRequests, IndexResolvesAgainstTheList)
{
    corvanteelTest::TemporaryHome home;
    home.presetFolder().createDirectory();
    for (const auto* name : { "A.tqz", "B.TQZ", "C.tqz" })
        home.presetFolder().getChildFile (name).replaceWithText ("x");

    P p;
    const auto names = p.presetManager.presetNames.get();
    const auto pathOf = [&] (int i) { return p.presetManager.presetPaths.get()[i]; };

    struct Case { int index; bool requests; int expectedEntry; };
    const Case cases[] = { { 0, true, 0 }, { 2, true, 2 }, { 5, true, 2 }, { 127, true, 2 }, { -1, false, 0 } };

    for (const auto& c : cases)
    {
        p.presetFilePending = false;
        requestIndex (p, c.index);

        EXPECT_FALSE (p.presetIndexPending.load()) << c.index;
        EXPECT_EQ (p.presetFilePending.load(), c.requests) << c.index;
        EXPECT_EQ (p.currentPresetIndex.load(), c.index);
        if (c.requests)
        {
            const juce::File requested (p.pendingPresetFilePath());
            EXPECT_EQ (requested.getFullPathName(), pathOf (c.expectedEntry)) << c.index;
            EXPECT_EQ (requested.getFileNameWithoutExtension(), names[c.expectedEntry]) << c.index;
            EXPECT_TRUE (requested.existsAsFile()) << c.index;
        }
    }
}

TEST (PresetRequests, EmptyListRequestsNothing)
{
    corvanteelTest::TemporaryHome home;
    P p;
    requestIndex (p, 0);
    EXPECT_FALSE (p.presetIndexPending.load());
    EXPECT_FALSE (p.presetFilePending.load());
}

TEST (PresetRequests, LastFileRequestWins)
{
    P p;
    p.loadPresetFromFile ("/tmp/one.tqz");
    p.loadPresetFromFile ("/tmp/two.tqz");
    EXPECT_TRUE (p.presetFilePending.load());
    EXPECT_EQ (p.pendingPresetPath.get(), "/tmp/two.tqz");
}

TEST (PresetRequests, TheLaterOfAFileAndAnIndexRequestWins)
{
    corvanteelTest::TemporaryHome home;
    home.presetFolder().createDirectory();
    home.presetFolder().getChildFile ("Listed.tqz").replaceWithText ("x");
    const auto chosen = home.folder().getChildFile ("Chosen.tqz").getFullPathName();
    const auto listed = home.presetFolder().getChildFile ("Listed.tqz").getFullPathName();

    P p;
    p.loadPresetFromFile (chosen);
    requestIndex (p, 0);
    EXPECT_EQ (p.pendingPresetFilePath(), listed);

    p.loadPresetFromFile (chosen);
    EXPECT_EQ (p.pendingPresetFilePath(), chosen);
    EXPECT_TRUE (p.presetFilePending.load());
}

TEST (PresetRequests, WithoutAnEditorAProgramChangeIsAppliedWithinAFewTicks)
{
    corvanteelTest::TemporaryHome home;
    const auto folder = home.presetFolder();
    folder.createDirectory();

    // Capitals in the extension too, as SAVE keeps a chosen "Lead.TQZ".
    struct Preset { const char* file; const char* name; float feedback; };
    const Preset presets[] = { { "Lead.TQZ", "Lead", 0.25f }, { "Pad.tqz", "Pad", 0.5f }, { "Bass.Tqz", "Bass", 0.75f } };
    for (const auto& preset : presets)
        writePreset (folder.getChildFile (preset.file), preset.name, preset.feedback);

    P p;
    p.prepareToPlay (44100.0, 64);
    corvanteelTest::RecordingListener host (p);
    const auto names = p.presetManager.presetNames.get();
    ASSERT_EQ (names.size(), 3);

    for (int program = 0; program < 3; ++program)
    {
        const auto& expected = *std::find_if (std::begin (presets), std::end (presets),
                                              [&] (const Preset& preset) { return names[program] == preset.name; });
        host.events.clear();

        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::programChange (1, program), 0);
        corvanteelTest::processWithMidi (p, midi, 64);   // noted in this block
        corvanteelTest::processSilence (p, 64, 64);      // served at the next block's start
        EXPECT_TRUE (p.presetFilePending.load()) << expected.name;

        corvanteelTest::runMessageLoop (200);

        EXPECT_FALSE (p.presetFilePending.load()) << expected.name;
        EXPECT_EQ (p.getParameter (P::feedbackIndex), expected.feedback) << expected.name;
        EXPECT_EQ (p.currentPresetName.get(), expected.name);
        EXPECT_EQ (host.countValueChanges(), (int) P::numParameters) << expected.name;
    }

    // The preset box's way, an index request from the message thread, the same.
    p.requestPresetIndex (5);   // beyond the list: the last preset
    corvanteelTest::processSilence (p, 64, 64);
    corvanteelTest::runMessageLoop (200);
    EXPECT_EQ (p.currentPresetName.get(), names[2]);
}

TEST (PresetRequests, RescanKeepsBothListsAlike)
{
    corvanteelTest::TemporaryHome home;
    P p;
    p.presetListChanged = false;
    home.presetFolder().getChildFile ("New.tqz").replaceWithText ("x");

    p.rescanPresets();
    EXPECT_EQ (p.presetManager.presetNames.get(), juce::StringArray ("New"));
    EXPECT_EQ (p.presetMenuNames.get(), juce::StringArray ("New"));
    EXPECT_TRUE (p.presetListChanged.load());
}

//==============================================================================
TEST (SampleRate, SmootherCoefficients)
{
    struct Case { double rate; float coefficient; };
    const Case cases[] = { { 48000, 0.99990811f }, { 88200, 0.99994999f }, { 96000, 0.99995405f },
                           { 22050, 0.99980000f }, { 44100, 0.9999f } };

    P p;
    for (const auto& c : cases)
    {
        p.prepareToPlay (c.rate, 512);
        for (auto* smoother : p.parameterSmoothers)
        {
            EXPECT_NEAR (smoother->coefficient, c.coefficient, 1.0e-7f) << c.rate;
            EXPECT_EQ (smoother->complement, 1.0f - smoother->coefficient);
        }
    }
    EXPECT_EQ (p.parameterSmoothers[0]->coefficient, 0.9999f);
}

TEST (SampleRate, RateChangeRescalesAndEveryCallClears)
{
    P p;
    const int delayLength = p.mainDelay[0]->length;
    const int stutterCapacity = p.stutterUnit[0]->capacity;

    juce::AudioBuffer<float> noise (2, 512);
    juce::MidiBuffer midi;
    for (int block = 0; block < 20; ++block)
    {
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 512; ++i)
                noise.setSample (c, i, 0.5f);
        p.processBlock (noise, midi);
    }

    p.prepareToPlay (44100.0, 512);   // same rate: only clears
    EXPECT_EQ (p.mainDelay[0]->length, delayLength);
    EXPECT_EQ (p.parameterSmoothers[0]->coefficient, 0.9999f);
    EXPECT_EQ (p.feedbackFilter[0]->low, 0.0);
    EXPECT_EQ (p.mainDelay[1]->writeIndex, 0);

    p.prepareToPlay (48000.0, 512);
    EXPECT_EQ (p.mainDelay[0]->length, (int) (delayLength * 48000.0 / 44100.0 + 1));
    EXPECT_EQ (p.stutterUnit[1]->capacity, (int) (stutterCapacity * 48000.0 / 44100.0));

    const int lengthAt48k = p.mainDelay[0]->length;
    const float coefficientAt48k = p.parameterSmoothers[2]->coefficient;
    p.prepareToPlay (48000.0, 256);
    EXPECT_EQ (p.mainDelay[0]->length, lengthAt48k);
    EXPECT_EQ (p.parameterSmoothers[2]->coefficient, coefficientAt48k);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
