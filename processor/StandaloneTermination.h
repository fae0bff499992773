#pragma once

#include <juce_events/juce_events.h>

/** In the Standalone program only: turns SIGTERM (a desktop logout, a service
    manager, `kill`) into the same orderly quit as closing the window, so the
    state and the controller bindings are saved on the way out. */
class StandaloneTermination : private juce::Timer
{
public:
    StandaloneTermination();
    ~StandaloneTermination() override;

private:
    void timerCallback() override;

    JUCE_DECLARE_NON_COPYABLE (StandaloneTermination)
};
