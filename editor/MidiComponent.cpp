#include "editor/MidiComponent.h"

#include "editor/SectionControls.h"
#include "processor/PluginProcessor.h"

namespace
{
using M = MidiComponent;

const sectionControls::ToggleRow<M> squares[] {
    { &M::clearButton,   "Clear Button",   "", { 10, 49, 10, 10 }, sectionControls::noParameter },
    { &M::unlearnButton, "Unlearn Button", "", { 10, 30, 10, 10 }, sectionControls::noParameter },
    { &M::learnButton,   "Learn button",   "", { 10, 11, 10, 10 }, sectionControls::noParameter },
};

struct CaptionRow
{
    std::unique_ptr<juce::Label> M::* label;
    const char* text;
    juce::Rectangle<int> bounds;
};

// UNLEARN's caption is two pixels taller than the others.
const CaptionRow captions[] {
    { &M::learnLabel,   "LEARN",   { 25, 10, 50, 12 } },
    { &M::unlearnLabel, "UNLEARN", { 25, 28, 50, 14 } },
    { &M::clearLabel,   "CLEAR",   { 25, 48, 50, 12 } },
};

constexpr float captionFontHeight = 10.0f;
} // namespace

MidiComponent::MidiComponent()
{
    sectionControls::createToggles (*this, squares);

    // The section caption, but smaller and set flush left beside its square.
    for (const auto& row : captions)
    {
        auto& label = this->*row.label;
        label = sectionControls::makeCaption (row.text);
        label->setFont (juce::Font (captionFontHeight, juce::Font::plain));
        label->setJustificationType (juce::Justification::centredLeft);
        addAndMakeVisible (*label);
    }

    setSize (250, 70);

    // Unlike the section toggles these keep the buttons' default keyboard focus.
    for (auto* toggle : { learnButton.get(), unlearnButton.get(), clearButton.get() })
        toggle->setClickingTogglesState (true);
}

MidiComponent::~MidiComponent()
{
    clearButton.reset();
    unlearnButton.reset();
    learnButton.reset();
    learnLabel.reset();
    unlearnLabel.reset();
    clearLabel.reset();
}

void MidiComponent::paint (juce::Graphics&)
{
    // Nothing: the panel's black shows behind the controls.
}

void MidiComponent::resized()
{
    sectionControls::placeToggles (*this, squares);

    for (const auto& row : captions)
        (this->*row.label)->setBounds (row.bounds);
}

void MidiComponent::buttonClicked (juce::Button* button)
{
    // The click has already flipped the toggle state.
    if (button == clearButton.get())
        ownerProcessor->requestClearMidi();
    else if (button == unlearnButton.get())
        ownerProcessor->setMidiUnlearn (unlearnButton->getToggleState());
    else if (button == learnButton.get())
        ownerProcessor->setMidiLearn (learnButton->getToggleState());
}

void MidiComponent::refreshFromProcessor()
{
    clearButton->setToggleState (ownerProcessor->clearMidiRequested.load(), juce::dontSendNotification);
}
