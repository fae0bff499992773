#include "ParameterSection.h"

#include "editor/SectionControls.h"

ParameterSection::ParameterSection (const char* sectionTitle)
    : title (sectionTitle)
{
}

ParameterSection::~ParameterSection() = default;

void ParameterSection::paint (juce::Graphics& g)
{
    sectionControls::paintTitleBar (g, title);
}

// Each handler asks afresh which parameter its control drives: for some knobs that
// follows another parameter (DELAY's TIME follows Sync).

void ParameterSection::sliderDragStarted (juce::Slider* knob)
{
    sectionControls::beginGesture (*ownerProcessor, knobParameter (*knob));
}

void ParameterSection::sliderDragEnded (juce::Slider* knob)
{
    sectionControls::endGesture (*ownerProcessor, knobParameter (*knob));
}

void ParameterSection::sliderValueChanged (juce::Slider* knob)
{
    sectionControls::sendValue (*ownerProcessor, knobParameter (*knob), (float) knob->getValue());
}

void ParameterSection::buttonClicked (juce::Button* toggle)
{
    sectionControls::sendSwitch (*ownerProcessor, toggleParameter (*toggle), toggle->getToggleState());
}

int ParameterSection::toggleParameter (const juce::Button&) const
{
    return sectionControls::noParameter;
}
