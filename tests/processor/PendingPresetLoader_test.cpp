#include "tests/TestHelpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include <pthread.h>

// JUCE's timer dispatch on the message thread picks the next timer that is due,
// releases the timer lock and then calls that timer's callback; a timer stopped
// on another thread in between still gets its call. The window is a few
// instructions wide, so this file widens it: the test program's link wraps
// pthread_mutex_unlock (tests/CMakeLists.txt), and while a test has armed it,
// the message thread runs the test's action just after it has released JUCE's
// timer lock, before the callback. The lock is a static member of a class that
// JUCE keeps to its own source, so it is reached by its symbol.
extern juce::CriticalSection juceTimerLock asm ("_ZN4juce5Timer11TimerThread4lockE");
extern "C" int __real_pthread_mutex_unlock (pthread_mutex_t*);

namespace
{
    std::atomic<bool> actionArmed { false };
    std::function<void()> actionAfterTimerLockRelease; // set while disarmed
    std::atomic<int> actionRuns { 0 };

    bool isJuceTimerLock (const pthread_mutex_t* mutex)
    {
        return static_cast<const void*> (mutex) == static_cast<const void*> (&juceTimerLock);
    }
}

extern "C" int __wrap_pthread_mutex_unlock (pthread_mutex_t* mutex)
{
    const auto result = __real_pthread_mutex_unlock (mutex);

    if (actionArmed.load (std::memory_order_relaxed) && isJuceTimerLock (mutex)
        && juce::MessageManager::existsAndIsCurrentThread() && actionArmed.exchange (false))
    {
        actionAfterTimerLockRelease();
        ++actionRuns;
    }

    return result;
}

TEST (PendingPresetLoader, AProcessorDestroyedOnAnotherThreadAsItsLoadersTickIsDispatchedLeavesNothingDangling)
{
    // The loader's timer is the only one running here, so the first dispatch
    // after arming is its tick. The processor goes on another thread, as hosts
    // destroy processors on threads of their own, in the moment between the
    // dispatch and the call; the call then still reaches a live loader, which
    // touches nothing of the gone processor. (An AddressSanitizer build reports
    // the loader's memory used after it is freed should it not.)
    auto* processor = new ZentovaAudioProcessor();

    actionAfterTimerLockRelease = [&processor]
    {
        std::thread ([&processor] { delete processor; processor = nullptr; }).join();
    };

    actionRuns = 0;
    actionArmed = true;

    for (int tick = 0; tick < 100 && actionRuns == 0; ++tick)
        corvanteelTest::runMessageLoop (10);

    actionArmed = false;
    corvanteelTest::runMessageLoop (100); // the loader's own deletion, posted to this thread
    actionAfterTimerLockRelease = nullptr;

    const bool ticked = actionRuns == 1;
    delete processor; // still here only when the tick never came
    EXPECT_TRUE (ticked) << "the loader's timer never ticked";
}
