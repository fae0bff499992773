#include "StutterComponent.h"

#include "editor/SectionControls.h"
#include "editor/ZentovaLook.h"
#include "processor/PluginProcessor.h"

namespace
{
using P = ZentovaAudioProcessor;
using S = StutterComponent;
using Palette = ZentovaLook::Palette;

const sectionControls::ToggleRow<S> toggles[] {
    { &S::reverseButton, "reverse button", "REV", { 95, 110, 60, 20 }, P::stutterReverseIndex },
};

const sectionControls::KnobRow<S> knobs[] {
    { &S::sizeSlider,  &S::sizeLabel,  "SIZE",  { 25, 35, 40, 40 },  { 25, 85, 40, 12 },  P::stutterProportionIndex, Palette::green },
    { &S::speedSlider, &S::speedLabel, "SPEED", { 105, 35, 40, 40 }, { 105, 85, 40, 12 }, P::stutterSpeedIndex,      Palette::green },
    { &S::mixSlider,   &S::mixLabel,   "MIX",   { 185, 35, 40, 40 }, { 185, 85, 40, 12 }, P::stutterMixIndex,        Palette::green },
};
} // namespace

StutterComponent::StutterComponent()
    : ParameterSection ("STUTTER")
{
    sectionControls::createToggles (*this, toggles);
    sectionControls::createKnobs (*this, knobs);

    setSize (ZentovaLook::Layout::sectionWidth, ZentovaLook::Layout::sectionHeight);
    sectionControls::finishToggles (*this, toggles);
}

StutterComponent::~StutterComponent()
{
    sectionControls::destroyToggles (*this, toggles);
    sectionControls::destroyKnobs (*this, knobs);
}

void StutterComponent::resized()
{
    sectionControls::placeToggles (*this, toggles);
    sectionControls::placeKnobs (*this, knobs);
}

int StutterComponent::knobParameter (const juce::Slider& knob) const
{
    return sectionControls::knobIndex (*this, knobs, &knob);
}

int StutterComponent::toggleParameter (const juce::Button& toggle) const
{
    return sectionControls::toggleIndex (*this, toggles, &toggle);
}

void StutterComponent::refreshFromProcessor()
{
    sectionControls::refreshKnobs (*this, knobs);
    sectionControls::showSwitch (*reverseButton, *ownerProcessor, P::stutterReverseIndex);
}
