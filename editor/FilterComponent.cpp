#include "FilterComponent.h"

#include "editor/SectionControls.h"
#include "editor/ZentovaLook.h"
#include "processor/PluginProcessor.h"

namespace
{
using P = ZentovaAudioProcessor;
using S = FilterComponent;
using Palette = ZentovaLook::Palette;

// The two LFO knobs are 30 pixels square, so the look draws them in its small variant;
// their captions sit directly below them, 5 pixels wider on each side.
const sectionControls::KnobRow<S> knobs[] {
    { &S::floorSlider, &S::floorLabel, "FLOOR", { 25, 35, 40, 40 },  { 25, 85, 40, 12 },   P::cutoffFloorIndex,    Palette::green },
    { &S::resSlider,   &S::resLabel,   "RES",   { 185, 35, 40, 40 }, { 185, 85, 40, 12 },  P::resonanceIndex,      Palette::green },
    { &S::modSlider,   &S::modLabel,   "MOD",   { 110, 40, 30, 30 }, { 105, 70, 40, 12 },  P::cutoffModDepthIndex, Palette::violet },
    { &S::rateSlider,  &S::rateLabel,  "RATE",  { 110, 88, 30, 30 }, { 105, 118, 40, 12 }, P::cutoffModRateIndex,  Palette::yellow },
};
} // namespace

FilterComponent::FilterComponent()
    : ParameterSection ("FILTER")
{
    sectionControls::createKnobs (*this, knobs);

    setSize (ZentovaLook::Layout::sectionWidth, ZentovaLook::Layout::sectionHeight);
}

FilterComponent::~FilterComponent()
{
    sectionControls::destroyKnobs (*this, knobs);
}

void FilterComponent::paint (juce::Graphics& g)
{
    ParameterSection::paint (g);

    // From the FLOOR knob towards the LFO knobs that sweep it.
    sectionControls::paintConnector (g, { { 75, 55, 30, 1 } }, { { 70.0f, 52.0f, 6.0f, 6.0f } });
}

void FilterComponent::resized()
{
    sectionControls::placeKnobs (*this, knobs);
}

int FilterComponent::knobParameter (const juce::Slider& knob) const
{
    return sectionControls::knobIndex (*this, knobs, &knob);
}

void FilterComponent::refreshFromProcessor()
{
    sectionControls::refreshKnobs (*this, knobs);
}
