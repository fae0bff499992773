#include "SectionControls.h"

#include "editor/ZentovaLook.h"
#include "processor/PluginProcessor.h"

namespace sectionControls
{

using Palette = ZentovaLook::Palette;
using Layout = ZentovaLook::Layout;

std::unique_ptr<juce::Slider> makeKnob (juce::Slider::Listener& listener, juce::Colour accent)
{
    auto knob = std::make_unique<juce::Slider>();
    knob->setRange (0.0, 1.0, 0.001);
    knob->setSliderStyle (juce::Slider::RotaryVerticalDrag);
    knob->setTextBoxStyle (juce::Slider::NoTextBox, false, 80, 20);
    knob->setColour (juce::Slider::backgroundColourId, juce::Colour (Palette::black));
    knob->setColour (juce::Slider::thumbColourId, accent);
    knob->setColour (juce::Slider::trackColourId, accent);
    knob->setColour (juce::Slider::rotarySliderFillColourId, accent);
    knob->setColour (juce::Slider::rotarySliderOutlineColourId, juce::Colour (Palette::grey));
    knob->addListener (&listener);
    // No double-click return yet: the first refresh gives each knob its parameter's default.
    return knob;
}

std::unique_ptr<juce::Label> makeCaption (const juce::String& text)
{
    auto caption = std::make_unique<juce::Label> (juce::String(), juce::translate (text));
    caption->setFont (juce::Font (Layout::captionFontHeight, juce::Font::plain));
    caption->setJustificationType (juce::Justification::centred);
    caption->setEditable (false, false, false);
    caption->setColour (juce::Label::textColourId, juce::Colour (Palette::grey));
    caption->setColour (juce::TextEditor::textColourId, juce::Colour (Palette::black));
    caption->setColour (juce::TextEditor::backgroundColourId, juce::Colour (Palette::transparent));
    return caption;
}

std::unique_ptr<juce::TextButton> makeToggle (const juce::String& componentName, const juce::String& text,
                                              juce::Button::Listener& listener)
{
    auto toggle = std::make_unique<juce::TextButton> (componentName);
    toggle->setButtonText (juce::translate (text));
    toggle->addListener (&listener);
    toggle->setColour (juce::TextButton::buttonColourId, juce::Colour (Palette::grey));
    toggle->setColour (juce::TextButton::buttonOnColourId, juce::Colour (Palette::grey));
    toggle->setColour (juce::TextButton::textColourOnId, juce::Colour (Palette::black));
    toggle->setColour (juce::TextButton::textColourOffId, juce::Colour (Palette::grey));
    return toggle;
}

void finishToggle (juce::Button& toggle)
{
    toggle.setClickingTogglesState (true);
    toggle.setWantsKeyboardFocus (false);
}

void paintTitleBar (juce::Graphics& g, const juce::String& title)
{
    const juce::Rectangle<int> bar (0, 0, Layout::sectionWidth, Layout::titleBarHeight);

    g.setColour (juce::Colour (Palette::titleBar));
    g.fillRect (bar);

    g.setColour (juce::Colour (Palette::grey));
    g.setFont (juce::Font (juce::Font::getDefaultSansSerifFontName(), Layout::titleFontHeight, juce::Font::plain));
    g.drawText (juce::translate (title), bar, juce::Justification::centred, true);

    g.setColour (juce::Colour (Palette::grey));
    g.fillRect (0, Layout::titleBarHeight, Layout::sectionWidth, 1);
}

void paintConnector (juce::Graphics& g, std::initializer_list<juce::Rectangle<int>> lines,
                     std::initializer_list<juce::Rectangle<float>> dots)
{
    g.setColour (juce::Colour (Palette::grey));

    for (const auto& line : lines)
        g.fillRect (line);

    for (const auto& dot : dots)
        g.fillEllipse (dot);
}

//==============================================================================
// The processor speaks JUCE's index-based parameter interface, which hosts and
// stored sessions address by index; its deprecation warnings are silenced around
// these calls only.

void beginGesture (ZentovaAudioProcessor& processor, int index)
{
    if (index == noParameter)
        return;

    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    processor.beginParameterChangeGesture (index);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}

void endGesture (ZentovaAudioProcessor& processor, int index)
{
    if (index == noParameter)
        return;

    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    processor.endParameterChangeGesture (index);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}

void sendValue (ZentovaAudioProcessor& processor, int index, float value)
{
    if (index == noParameter)
        return;

    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    processor.setParameterNotifyingHost (index, value);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE

    processor.updateLastTouched (index);
    processor.applyLearnModes (index);
}

void sendGesture (ZentovaAudioProcessor& processor, int index, float value)
{
    beginGesture (processor, index);
    sendValue (processor, index, value);
    endGesture (processor, index);
}

void sendSwitch (ZentovaAudioProcessor& processor, int index, bool isOn)
{
    sendGesture (processor, index, isOn ? 1.0f : 0.0f);
}

//==============================================================================
float valueOf (ZentovaAudioProcessor& processor, int index)
{
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    return processor.getParameter (index);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}

void setDoubleClickDefault (juce::Slider& knob, ZentovaAudioProcessor& processor, int index)
{
    knob.setDoubleClickReturnValue (true, (double) processor.pluginParameters.getUnchecked (index)->defaultNormalisedValue);
}

void showValue (juce::Slider& knob, ZentovaAudioProcessor& processor, int index)
{
    knob.setValue ((double) valueOf (processor, index), juce::dontSendNotification);
}

void showSwitch (juce::Button& toggle, ZentovaAudioProcessor& processor, int index)
{
    toggle.setToggleState (valueOf (processor, index) != 0.0f, juce::dontSendNotification);
}

} // namespace sectionControls
