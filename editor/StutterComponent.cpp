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
{
    sectionControls::createToggles (*this, toggles);
    sectionControls::createKnobs (*this, knobs);

    setSize (ZentovaLook::Layout::sectionWidth, ZentovaLook::Layout::sectionHeight);
    sectionControls::finishToggles (*this, toggles);
    firstUpdate = true;
}

StutterComponent::~StutterComponent()
{
    // Member order, as they were built.
    reverseButton = nullptr;
    sizeSlider = nullptr;
    sizeLabel = nullptr;
    speedSlider = nullptr;
    speedLabel = nullptr;
    mixSlider = nullptr;
    mixLabel = nullptr;
}

void StutterComponent::paint (juce::Graphics& g)
{
    sectionControls::paintTitleBar (g, "STUTTER");
}

void StutterComponent::resized()
{
    sectionControls::placeToggles (*this, toggles);
    sectionControls::placeKnobs (*this, knobs);
}

void StutterComponent::sliderDragStarted (juce::Slider* slider)
{
    sectionControls::beginGesture (*ownerProcessor, sectionControls::knobIndex (*this, knobs, slider));
}

void StutterComponent::sliderDragEnded (juce::Slider* slider)
{
    sectionControls::endGesture (*ownerProcessor, sectionControls::knobIndex (*this, knobs, slider));
}

void StutterComponent::buttonClicked (juce::Button* button)
{
    sectionControls::sendSwitch (*ownerProcessor, sectionControls::toggleIndex (*this, toggles, button),
                                 button->getToggleState());
}

void StutterComponent::sliderValueChanged (juce::Slider* slider)
{
    sectionControls::sendValue (*ownerProcessor, sectionControls::knobIndex (*this, knobs, slider),
                                (float) slider->getValue());
}

void StutterComponent::refreshFromProcessor()
{
    sectionControls::refreshKnobs (*this, knobs);
    sectionControls::showSwitch (*reverseButton, *ownerProcessor, P::stutterReverseIndex);
}
