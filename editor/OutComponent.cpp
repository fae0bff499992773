#include "OutComponent.h"

#include "editor/SectionControls.h"
#include "editor/ZentovaLook.h"
#include "processor/PluginProcessor.h"

namespace
{
using P = ZentovaAudioProcessor;
using S = OutComponent;
using Palette = ZentovaLook::Palette;

// PANIC is no parameter: a click only raises the processor's one-shot request.
const sectionControls::ToggleRow<S> toggles[] {
    { &S::panicButton, "panic button", "PANIC", { 95, 110, 60, 20 }, sectionControls::noParameter },
};

const sectionControls::KnobRow<S> knobs[] {
    { &S::dryWetSlider, &S::dryWetLabel, "D/W", { 25, 35, 40, 40 },  { 25, 85, 40, 12 },  P::dryWetIndex,   Palette::white },
    { &S::levelSlider,  &S::levelLabel,  "LVL", { 185, 35, 40, 40 }, { 185, 85, 40, 12 }, P::outLevelIndex, Palette::white },
};

const juce::Rectangle<int> scopeBounds { 75, 45, 100, 26 };
} // namespace

OutComponent::OutComponent()
    : ParameterSection ("OUT")
{
    sectionControls::createToggles (*this, toggles);
    sectionControls::createKnobs (*this, knobs);
    oscillComp = std::make_unique<OscillComp>();
    addAndMakeVisible (*oscillComp);

    setSize (ZentovaLook::Layout::sectionWidth, ZentovaLook::Layout::sectionHeight);
    sectionControls::finishToggles (*this, toggles);
}

OutComponent::~OutComponent()
{
    sectionControls::destroyToggles (*this, toggles);
    sectionControls::destroyKnobs (*this, knobs);
    oscillComp = nullptr;
}

void OutComponent::resized()
{
    sectionControls::placeToggles (*this, toggles);
    sectionControls::placeKnobs (*this, knobs);
    oscillComp->setBounds (scopeBounds);
}

int OutComponent::knobParameter (const juce::Slider& knob) const
{
    return sectionControls::knobIndex (*this, knobs, &knob);
}

void OutComponent::buttonClicked (juce::Button* button)
{
    // Whatever the button's state after the click: a click while a request is still
    // pending merges with it, and the refresh shows the flag again.
    if (button == panicButton.get())
        ownerProcessor->panicRequested = true;
}

void OutComponent::refreshFromProcessor()
{
    sectionControls::refreshKnobs (*this, knobs);
    panicButton->setToggleState (ownerProcessor->panicRequested.load(), juce::dontSendNotification);
    oscillComp->refreshFromProcessor();
}
