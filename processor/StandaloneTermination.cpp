#include "StandaloneTermination.h"

#include <csignal>

namespace
{
    volatile std::sig_atomic_t terminationRequested = 0;

    void onTerminationSignal (int)
    {
        terminationRequested = 1;
    }
}

StandaloneTermination::StandaloneTermination()
{
   #if JUCE_LINUX || JUCE_BSD || JUCE_MAC
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset (&action.sa_mask);
    sigaction (SIGTERM, &action, nullptr);
   #endif

    // The signal handler only raises a flag; the quit itself runs here, on the
    // message thread.
    startTimer (100);
}

StandaloneTermination::~StandaloneTermination()
{
    stopTimer();
}

void StandaloneTermination::timerCallback()
{
    if (terminationRequested == 0)
        return;

    terminationRequested = 0;

    if (auto* app = juce::JUCEApplicationBase::getInstance())
        app->systemRequestedQuit();
}
