// The render thread must never allocate: operator new and malloc (wrapped at
// link time, so JUCE's HeapBlock and Array are seen too) count what a flagged
// thread allocates while processBlock runs. Releasing is no better (a string's
// last reference dropped there calls free), so operator delete counts too.
#include "TestHelpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
    thread_local bool countingAllocations = false;
    std::atomic<int> allocationsSeen { 0 };
    std::atomic<int> releasesSeen { 0 };

    void release (void* p) noexcept
    {
        if (countingAllocations && p != nullptr)
            ++releasesSeen;

        std::free (p);
    }

    void* allocate (std::size_t size)
    {
        if (countingAllocations)
            ++allocationsSeen;

        if (void* p = std::malloc (size == 0 ? 1 : size))
            return p;

        throw std::bad_alloc();
    }
}

extern "C"
{
    void* __real_malloc (std::size_t);
    void* __real_calloc (std::size_t, std::size_t);
    void* __real_realloc (void*, std::size_t);

    void* __wrap_malloc (std::size_t size)
    {
        if (countingAllocations)
            ++allocationsSeen;
        return __real_malloc (size);
    }

    void* __wrap_calloc (std::size_t count, std::size_t size)
    {
        if (countingAllocations)
            ++allocationsSeen;
        return __real_calloc (count, size);
    }

    void* __wrap_realloc (void* p, std::size_t size)
    {
        if (countingAllocations)
            ++allocationsSeen;
        return __real_realloc (p, size);
    }
}

void* operator new (std::size_t size)                                { return allocate (size); }
void* operator new[] (std::size_t size)                              { return allocate (size); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
    try { return allocate (size); } catch (...) { return nullptr; }
}
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept
{
    try { return allocate (size); } catch (...) { return nullptr; }
}
void operator delete (void* p) noexcept                              { release (p); }
void operator delete[] (void* p) noexcept                            { release (p); }
void operator delete (void* p, std::size_t) noexcept                 { release (p); }
void operator delete[] (void* p, std::size_t) noexcept               { release (p); }

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

TEST (RealTime, ProcessBlockDoesNotAllocate)
{
    using P = ZentovaAudioProcessor;
    P p;
    p.prepareToPlay (48000.0, 512);

    juce::AudioBuffer<float> buffer (2, 512);
    juce::Random random (5);

    // MIDI that touches no binding and no preset: a SysEx, notes, unbound
    // controllers and a program change with an empty preset list.
    juce::MidiBuffer unboundMidi;
    const juce::uint8 sysex[] = { 0x7d, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 };
    unboundMidi.addEvent (juce::MidiMessage::createSysExMessage (sysex, (int) sizeof (sysex)), 3);
    unboundMidi.addEvent (juce::MidiMessage::noteOn (1, 60, 0.8f), 10);
    unboundMidi.addEvent (juce::MidiMessage::controllerEvent (2, 90, 64), 20);
    unboundMidi.addEvent (juce::MidiMessage::programChange (3, 7), 30);

    // Controllers that drive bound parameters (the display's texts follow) and
    // one that an armed parameter learns.
    juce::MidiBuffer boundMidi;
    boundMidi.addEvent (juce::MidiMessage::controllerEvent (1, 21, 100), 0);
    boundMidi.addEvent (juce::MidiMessage::controllerEvent (1, 22, 50), 200);
    boundMidi.addEvent (juce::MidiMessage::controllerEvent (1, 23, 127), 511);

    // A host whose tempo moves from block to block.
    corvanteelTest::TempoPlayHead playHead;
    p.setPlayHead (&playHead);

    for (int block = 0; block < 1000; ++block)
    {
        // Host automation between blocks, with the busy paths on, and every request.
        for (int i = 0; i < 20; ++i)
            if (i != P::randomizeIndex)
                p.setParameter (i, random.nextFloat());
        p.setParameter (P::syncIndex, (block % 2) == 0 ? 1.0f : 0.0f);
        p.setParameter (P::randomizeIndex, (block % 50) == 0 ? 1.0f : 0.0f);
        p.panicRequested = (block % 97) == 0;
        p.clearMidiRequested = (block % 89) == 0;
        playHead.bpm = 60.0 + (block % 7) * 20.0;

        p.pluginParameters[P::feedbackIndex]->midiCC = 21;
        p.pluginParameters[P::resonanceIndex]->midiCC = 22;
        p.midiLearnActive = (block % 5) == 0;
        p.pluginParameters[P::stutterMixIndex]->learnArmed = (block % 5) == 0;
        // processBlock empties the buffer it is given (the plug-in sends no MIDI out).
        juce::MidiBuffer midi ((block % 3) == 0 ? unboundMidi : boundMidi);

        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 512; ++i)
                buffer.setSample (c, i, random.nextFloat() - 0.5f);

        countingAllocations = true;
        p.processBlock (buffer, midi);
        countingAllocations = false;
    }

    EXPECT_EQ (allocationsSeen.load(), 0);
    EXPECT_EQ (releasesSeen.load(), 0);
    EXPECT_NE (p.pluginParameters[P::stutterMixIndex]->midiCC.load(), -1);   // the learn path ran

    // The counter does see what the render thread must not do.
    countingAllocations = true;
    const juce::MemoryBlock allocation (64, true);   // allocated inside JUCE, with malloc
    countingAllocations = false;
    EXPECT_GT (allocationsSeen.load(), 0);
}

TEST (RealTime, ServingPresetRequestsDoesNotAllocate)
{
    using P = ZentovaAudioProcessor;
    corvanteelTest::TemporaryHome home;
    home.presetFolder().createDirectory();
    for (const auto* name : { "Lead.TQZ", "Pad.tqz", "Bass.tqz" })
        home.presetFolder().getChildFile (name).replaceWithText ("<ZENTOVA_PRESET/>");

    P p;
    p.prepareToPlay (48000.0, 256);
    ASSERT_EQ (p.presetManager.presetNames.get().size(), 3);

    juce::AudioBuffer<float> buffer (2, 256);
    buffer.clear();
    allocationsSeen = 0;
    releasesSeen = 0;

    for (int block = 0; block < 300; ++block)
    {
        // In turn: a program change (one beyond the list too), the preset box's
        // request, and either of them over a file request still waiting, over the
        // chosen file of a LOAD, and after a rescan.
        juce::MidiBuffer midi;
        if (block % 3 == 0)
            midi.addEvent (juce::MidiMessage::programChange (1, (block / 3) % 5), 7);
        if (block % 3 == 1)
            p.requestPresetIndex ((block / 3) % 3);
        if (block % 12 == 2)
            p.loadPresetFromFile (home.folder().getChildFile ("Chosen " + juce::String (block) + ".tqz").getFullPathName());
        if (block % 30 == 5)
            p.rescanPresets();
        if (block % 7 == 6)
            p.loadPendingPresetFile();

        countingAllocations = true;
        p.processBlock (buffer, midi);
        countingAllocations = false;

        if (block % 3 == 1)
        {
            // Served: the request names the very file listed at that entry.
            ASSERT_TRUE (p.presetFilePending.load()) << block;
            EXPECT_EQ (p.pendingPresetFilePath(), p.presetManager.presetPaths.get()[(block / 3) % 3]) << block;
        }
    }

    EXPECT_EQ (allocationsSeen.load(), 0);
    EXPECT_EQ (releasesSeen.load(), 0);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
