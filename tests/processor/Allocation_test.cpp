// The render thread must never allocate: operator new and malloc (wrapped at
// link time, so JUCE's HeapBlock and Array are seen too) count what a flagged
// thread allocates while processBlock runs.
#include "TestHelpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
    thread_local bool countingAllocations = false;
    std::atomic<int> allocationsSeen { 0 };

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
void operator delete (void* p) noexcept                              { std::free (p); }
void operator delete[] (void* p) noexcept                            { std::free (p); }
void operator delete (void* p, std::size_t) noexcept                 { std::free (p); }
void operator delete[] (void* p, std::size_t) noexcept               { std::free (p); }

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
    juce::MidiBuffer midi;
    const juce::uint8 sysex[] = { 0x7d, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 };
    midi.addEvent (juce::MidiMessage::createSysExMessage (sysex, (int) sizeof (sysex)), 3);
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 0.8f), 10);
    midi.addEvent (juce::MidiMessage::controllerEvent (2, 90, 64), 20);
    midi.addEvent (juce::MidiMessage::programChange (3, 7), 30);

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

        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 512; ++i)
                buffer.setSample (c, i, random.nextFloat() - 0.5f);

        countingAllocations = true;
        p.processBlock (buffer, midi);
        countingAllocations = false;
    }

    EXPECT_EQ (allocationsSeen.load(), 0);

    // The counter does see what the render thread must not do.
    countingAllocations = true;
    const juce::MemoryBlock allocation (64, true);   // allocated inside JUCE, with malloc
    countingAllocations = false;
    EXPECT_GT (allocationsSeen.load(), 0);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
