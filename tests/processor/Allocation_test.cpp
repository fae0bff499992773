// The render thread must never allocate: a global operator new counts what a
// flagged thread allocates while processBlock runs.
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
    ZentovaAudioProcessor p;
    p.prepareToPlay (48000.0, 512);

    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    juce::Random random (5);

    for (int block = 0; block < 1000; ++block)
    {
        // Host automation between blocks, with the busy paths on.
        for (int i = 0; i < 20; ++i)
            if (i != ZentovaAudioProcessor::randomizeIndex)
                p.setParameter (i, random.nextFloat());
        p.setParameter (ZentovaAudioProcessor::syncIndex, (block % 2) == 0 ? 1.0f : 0.0f);

        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 512; ++i)
                buffer.setSample (c, i, random.nextFloat() - 0.5f);

        countingAllocations = true;
        p.processBlock (buffer, midi);
        countingAllocations = false;
    }

    EXPECT_EQ (allocationsSeen.load(), 0);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
