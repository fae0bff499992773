#include "editor/ParamDisplayComponent.h"

#include "editor/ZentovaLook.h"
#include "processor/PluginProcessor.h"

#include <cmath>

namespace
{
using Palette = ZentovaLook::Palette;

// The labels' own plate and outline are fully transparent: the grey is painted
// by the component.
constexpr juce::uint32 labelBackground = 0x00648f4e;
constexpr juce::uint32 labelOutline = 0x000f0f0f;
constexpr juce::uint32 editingText = 0xff0f0f0f;

constexpr float initialHeight = 70.0f, initialFontHeight = 24.0f;
constexpr float labelFontHeight = 16.0f;

// Nearest integer, an exact half to the even neighbour (the default rounding mode).
int roundHalfEven (float value)
{
    return (int) std::nearbyint (value);
}

std::unique_ptr<juce::Label> makeLine (juce::Component& parent, const juce::String& componentName)
{
    auto label = std::make_unique<juce::Label> (componentName, juce::String());
    label->setFont (juce::Font (labelFontHeight, juce::Font::plain));
    label->setJustificationType (juce::Justification::centred);
    label->setEditable (false, false, false);
    label->setColour (juce::Label::backgroundColourId, juce::Colour (labelBackground));
    label->setColour (juce::Label::textColourId, juce::Colour (Palette::black));
    label->setColour (juce::Label::outlineColourId, juce::Colour (labelOutline));
    label->setColour (juce::TextEditor::textColourId, juce::Colour (editingText));
    label->setColour (juce::TextEditor::backgroundColourId, juce::Colour (Palette::transparent));
    parent.addAndMakeVisible (*label);
    return label;
}
} // namespace

ParamDisplayComponent::ParamDisplayComponent()
{
    nameLabel = makeLine (*this, "name label");
    valueLabel = makeLine (*this, "value label");

    lastHeight = initialHeight;
    fontHeight = initialFontHeight;
    displayFont = juce::Font (juce::Font::getDefaultSansSerifFontName(), fontHeight, juce::Font::plain);
    nameLabel->setFont (displayFont);
    valueLabel->setFont (displayFont);

    // The panel gives it its real size afterwards; the font follows from here.
    setSize (200, (int) initialHeight);
}

ParamDisplayComponent::~ParamDisplayComponent()
{
    nameLabel.reset();
    valueLabel.reset();
}

void ParamDisplayComponent::paint (juce::Graphics& g)
{
    const auto w = getWidth();
    const auto h = (float) getHeight();

    g.fillAll (juce::Colour (Palette::grey));

    // The line between the two labels, its position and thickness in proportion.
    g.setColour (juce::Colour (Palette::black));
    g.fillRect (0, roundHalfEven (0.49f * h), w, roundHalfEven (0.02f * h));
}

void ParamDisplayComponent::resized()
{
    const auto w = getWidth();
    const auto h = (float) getHeight();
    const auto half = roundHalfEven (0.5f * h);

    nameLabel->setBounds (0, 0, w, half);
    valueLabel->setBounds (0, half, w, half);

    // Scaled from the previous height, so the text keeps its proportion. The same
    // height scales by exactly 1, which also keeps a zero height from giving 0 / 0.
    const float scale = h == lastHeight ? 1.0f : h / lastHeight;
    displayFont.setHeight (scale * fontHeight);
    fontHeight = displayFont.getHeight();

    nameLabel->setFont (displayFont);
    valueLabel->setFont (displayFont);

    lastHeight = h;
}

void ParamDisplayComponent::refreshFromProcessor()
{
    ownerProcessor->takeControllerTouch();
    nameLabel->setText (ownerProcessor->lastTouchedParameterName.get(), juce::dontSendNotification);
    valueLabel->setText (ownerProcessor->lastTouchedParameterText.get(), juce::dontSendNotification);
}
