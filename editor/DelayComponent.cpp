#include "DelayComponent.h"

#include "editor/SectionControls.h"
#include "editor/ZentovaLook.h"
#include "processor/PluginProcessor.h"

namespace
{
using P = ZentovaAudioProcessor;
using S = DelayComponent;
using Palette = ZentovaLook::Palette;

const sectionControls::ToggleRow<S> toggles[] {
    { &S::syncButton,    "sync button",     "SYNC",    { 15, 110, 60, 20 },  P::syncIndex },
    { &S::pingOutButton, "ping out button", "PING->O", { 175, 110, 60, 20 }, P::pingOutIndex },
};

// TIME's index here is its unsynced one; knobParameter() swaps in Division while Sync is on.
const sectionControls::KnobRow<S> knobs[] {
    { &S::timeSlider, &S::timeLabel, "TIME", { 25, 35, 40, 40 },  { 25, 85, 40, 12 },  P::timeIndex,             Palette::blue },
    { &S::feedSlider, &S::feedLabel, "FEED", { 105, 35, 40, 40 }, { 105, 85, 40, 12 }, P::feedbackIndex,         Palette::blue },
    { &S::sepSlider,  &S::sepLabel,  "SEP",  { 185, 35, 40, 40 }, { 185, 85, 40, 12 }, P::stereoSeparationIndex, Palette::blue },
};

int timeIndexFor (bool synced)
{
    return synced ? P::divisionIndex : P::timeIndex;
}

int timeIndexFor (ZentovaAudioProcessor& processor)
{
    return timeIndexFor (sectionControls::valueOf (processor, P::syncIndex) != 0.0f);
}
} // namespace

DelayComponent::DelayComponent()
    : ParameterSection ("DELAY")
{
    sectionControls::createToggles (*this, toggles);
    sectionControls::createKnobs (*this, knobs);

    setSize (ZentovaLook::Layout::sectionWidth, ZentovaLook::Layout::sectionHeight);
    sectionControls::finishToggles (*this, toggles);
}

DelayComponent::~DelayComponent()
{
    sectionControls::destroyToggles (*this, toggles);
    sectionControls::destroyKnobs (*this, knobs);
}

void DelayComponent::resized()
{
    sectionControls::placeToggles (*this, toggles);
    sectionControls::placeKnobs (*this, knobs);
}

int DelayComponent::knobParameter (const juce::Slider& knob) const
{
    // Sync may have changed since the last refresh (SYNC, the host, MIDI or a preset).
    if (&knob == timeSlider.get())
        return timeIndexFor (*ownerProcessor);

    return sectionControls::knobIndex (*this, knobs, &knob);
}

int DelayComponent::toggleParameter (const juce::Button& toggle) const
{
    return sectionControls::toggleIndex (*this, toggles, &toggle);
}

void DelayComponent::refreshFromProcessor()
{
    auto& processor = *ownerProcessor;

    // TIME's double-click target follows Sync, so it is set on every call instead.
    if (firstUpdate)
    {
        sectionControls::setDoubleClickDefault (*feedSlider, processor, P::feedbackIndex);
        sectionControls::setDoubleClickDefault (*sepSlider, processor, P::stereoSeparationIndex);
        firstUpdate = false;
    }

    sectionControls::showSwitch (*pingOutButton, processor, P::pingOutIndex);

    // One read of Sync serves the button and TIME, so the two always agree.
    const bool synced = sectionControls::valueOf (processor, P::syncIndex) != 0.0f;
    syncButton->setToggleState (synced, juce::dontSendNotification);

    const int timeIndex = timeIndexFor (synced);
    sectionControls::setDoubleClickDefault (*timeSlider, processor, timeIndex);
    sectionControls::showValue (*timeSlider, processor, timeIndex);

    sectionControls::showValue (*feedSlider, processor, P::feedbackIndex);
    sectionControls::showValue (*sepSlider, processor, P::stereoSeparationIndex);
}
