#include "ModulationComponent.h"

#include "editor/SectionControls.h"
#include "editor/ZentovaLook.h"
#include "processor/PluginProcessor.h"

namespace
{
using P = ZentovaAudioProcessor;
using S = ModulationComponent;
using Palette = ZentovaLook::Palette;

const sectionControls::KnobRow<S> knobs[] {
    { &S::modFxRateSlider, &S::modFxRateLabel, "RATE",  { 25, 35, 40, 40 },  { 25, 85, 40, 12 },  P::modulationRateIndex,   Palette::green },
    { &S::depthSlider,     &S::depthLabel,     "DEPTH", { 185, 35, 40, 40 }, { 185, 85, 40, 12 }, P::modulationAmountIndex, Palette::green },
};

const juce::Rectangle<int> modeBoxBounds { 85, 112, 80, 18 };

// Item ids 1, 2, 3 at positions 0, 1, 2: a position times 0.5 is the normalised
// Rate_Mode value, whose steps 0, 1, 2 the processor reads.
const char* const modeItems[] { "x 1", "/ 10", "x 10" };
constexpr float rateModeStep = 0.5f;
} // namespace

ModulationComponent::ModulationComponent()
    : ParameterSection ("MOD FX")
{
    modeBox = std::make_unique<juce::ComboBox> ("mode box");
    addAndMakeVisible (*modeBox);
    modeBox->setEditableText (false);
    modeBox->setJustificationType (juce::Justification::centred);
    modeBox->setTextWhenNothingSelected (juce::String());
    modeBox->setTextWhenNoChoicesAvailable (juce::translate ("(no choices)"));

    int itemId = 1;
    for (auto* item : modeItems)
        modeBox->addItem (juce::translate (item), itemId++);

    modeBox->addListener (this);

    sectionControls::createKnobs (*this, knobs);

    setSize (ZentovaLook::Layout::sectionWidth, ZentovaLook::Layout::sectionHeight);

    // The look draws the box and its list; only the text colour is the box's own.
    modeBox->setColour (juce::ComboBox::textColourId, juce::Colour (Palette::grey));
    modeBox->setWantsKeyboardFocus (false);
}

ModulationComponent::~ModulationComponent()
{
    modeBox = nullptr;
    sectionControls::destroyKnobs (*this, knobs);
}

void ModulationComponent::paint (juce::Graphics& g)
{
    ParameterSection::paint (g);

    // From the RATE knob down to the box that sets its range.
    sectionControls::paintConnector (g, { { 124, 55, 1, 45 }, { 70, 55, 55, 1 } },
                                     { { 70.0f, 52.0f, 6.0f, 6.0f }, { 121.0f, 100.0f, 6.0f, 6.0f } });
}

void ModulationComponent::resized()
{
    modeBox->setBounds (modeBoxBounds);
    sectionControls::placeKnobs (*this, knobs);
}

int ModulationComponent::knobParameter (const juce::Slider& knob) const
{
    return sectionControls::knobIndex (*this, knobs, &knob);
}

void ModulationComponent::comboBoxChanged (juce::ComboBox* box)
{
    if (box != modeBox.get())
        return;

    // A pick from the list is one complete gesture, like a toggle click.
    const auto mode = box->getSelectedItemIndex();
    sectionControls::sendGesture (*ownerProcessor, P::rateModeIndex, (float) mode * rateModeStep);
    lastShownMode = mode;
}

void ModulationComponent::refreshFromProcessor()
{
    sectionControls::refreshKnobs (*this, knobs);

    // Truncation toward zero: below 0.5 is "x 1", from 0.5 "/ 10", only 1.0 is "x 10".
    const auto mode = (int) (2.0f * sectionControls::valueOf (*ownerProcessor, P::rateModeIndex));

    if (mode != lastShownMode)
    {
        modeBox->setSelectedItemIndex (mode, juce::dontSendNotification);
        lastShownMode = mode;
    }
}
