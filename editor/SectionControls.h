#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <initializer_list>
#include <memory>

class ZentovaAudioProcessor;

/** What every framed section shares: the set-ups of its knobs, captions and
    toggles, its title bar, the host-notifying parameter protocol its controls
    follow, and the notification-free refresh of its controls.

    A section describes its controls as a table of KnobRow / ToggleRow entries;
    the templates below build, place, look up and destroy the controls from that
    table.
*/
namespace sectionControls
{

/** One knob and its caption: the members that hold them, the caption text, the
    bounds inside the section, the parameter it drives and its accent colour. */
template <typename Section>
struct KnobRow
{
    std::unique_ptr<juce::Slider> Section::* knob;
    std::unique_ptr<juce::Label> Section::* caption;
    const char* captionText;
    juce::Rectangle<int> knobBounds, captionBounds;
    int parameterIndex;
    juce::uint32 accent;
};

/** One toggle button: its member, component name, text, bounds and parameter
    (noParameter for a button that only raises a request). */
template <typename Section>
struct ToggleRow
{
    std::unique_ptr<juce::TextButton> Section::* button;
    const char* componentName;
    const char* text;
    juce::Rectangle<int> bounds;
    int parameterIndex;
};

constexpr int noParameter = -1;

//==============================================================================
/** A rotary knob, 0 to 1 in steps of 0.001, without a text box (the parameter
    display shows values), drawn by the look from the accent colour. */
std::unique_ptr<juce::Slider> makeKnob (juce::Slider::Listener&, juce::Colour accent);

/** A centred, non-editable caption under a knob. */
std::unique_ptr<juce::Label> makeCaption (const juce::String& text);

/** A grey text button that the look fills while it is on and frames while off. */
std::unique_ptr<juce::TextButton> makeToggle (const juce::String& componentName, const juce::String& text,
                                              juce::Button::Listener&);

/** Called once a section's controls exist: clicks flip the toggle, and it never
    takes the keyboard focus from the host. */
void finishToggle (juce::Button&);

/** The half-transparent bar with the section's title and the line under it. */
void paintTitleBar (juce::Graphics&, const juce::String& title);

/** A grey connector between controls that belong together: its lines, then its dots. */
void paintConnector (juce::Graphics&, std::initializer_list<juce::Rectangle<int>> lines,
                     std::initializer_list<juce::Rectangle<float>> dots);

//==============================================================================
// The parameter protocol: what a user's gesture on a control tells the host.
// Calls with noParameter do nothing, so handlers need not check for foreign controls.

void beginGesture (ZentovaAudioProcessor&, int index);
void endGesture (ZentovaAudioProcessor&, int index);

/** Sends the new value to the host, records it for the parameter display and
    applies the MIDI learn and unlearn modes to the parameter. */
void sendValue (ZentovaAudioProcessor&, int index, float value);

/** One complete gesture carrying a single value (a toggle click, a pick from a list). */
void sendGesture (ZentovaAudioProcessor&, int index, float value);

/** A toggle click: one complete gesture carrying 1 or 0. */
void sendSwitch (ZentovaAudioProcessor&, int index, bool isOn);

//==============================================================================
// The refresh: controls follow the processor without notifying anyone.

float valueOf (ZentovaAudioProcessor&, int index);
void setDoubleClickDefault (juce::Slider&, ZentovaAudioProcessor&, int index);
void showValue (juce::Slider&, ZentovaAudioProcessor&, int index);
void showSwitch (juce::Button&, ZentovaAudioProcessor&, int index);

//==============================================================================
template <typename Section, size_t numRows>
void createKnobs (Section& section, const KnobRow<Section> (&rows)[numRows])
{
    for (const auto& row : rows)
    {
        section.*row.knob = makeKnob (section, juce::Colour (row.accent));
        section.addAndMakeVisible (*(section.*row.knob));
        section.*row.caption = makeCaption (row.captionText);
        section.addAndMakeVisible (*(section.*row.caption));
    }
}

template <typename Section, size_t numRows>
void createToggles (Section& section, const ToggleRow<Section> (&rows)[numRows])
{
    for (const auto& row : rows)
    {
        section.*row.button = makeToggle (row.componentName, row.text, section);
        section.addAndMakeVisible (*(section.*row.button));
    }
}

template <typename Section, size_t numRows>
void finishToggles (Section& section, const ToggleRow<Section> (&rows)[numRows])
{
    for (const auto& row : rows)
        finishToggle (*(section.*row.button));
}

//==============================================================================
// The teardown. Every section destroys its controls in its own destructor, first
// built first destroyed (child order), not last-built first as the implicit member
// destruction would. Each control's destructor takes it out of the section
// (Component::~Component: a repaint of its area and childrenChanged) and ends its
// accessibility handler, so a screen reader hears of the controls going in that
// order. Should a control ever take the keyboard focus, the order also decides where
// the focus goes: taking out a focused control hands it to the first focusable one
// still there. All go while the section, their listener and parent, is whole; the
// look they draw with is the editor's, which outlives the panel.

template <typename Section, size_t numRows>
void destroyToggles (Section& section, const ToggleRow<Section> (&rows)[numRows])
{
    for (const auto& row : rows)
        section.*row.button = nullptr;
}

template <typename Section, size_t numRows>
void destroyKnobs (Section& section, const KnobRow<Section> (&rows)[numRows])
{
    for (const auto& row : rows)
    {
        section.*row.knob = nullptr;
        section.*row.caption = nullptr;
    }
}

template <typename Section, size_t numRows>
void placeKnobs (Section& section, const KnobRow<Section> (&rows)[numRows])
{
    for (const auto& row : rows)
    {
        (section.*row.knob)->setBounds (row.knobBounds);
        (section.*row.caption)->setBounds (row.captionBounds);
    }
}

template <typename Section, size_t numRows>
void placeToggles (Section& section, const ToggleRow<Section> (&rows)[numRows])
{
    for (const auto& row : rows)
        (section.*row.button)->setBounds (row.bounds);
}

/** The parameter that one of the section's knobs drives, or noParameter. */
template <typename Section, size_t numRows>
int knobIndex (const Section& section, const KnobRow<Section> (&rows)[numRows], const juce::Slider* slider)
{
    for (const auto& row : rows)
        if ((section.*row.knob).get() == slider)
            return row.parameterIndex;

    return noParameter;
}

/** The parameter that one of the section's toggles drives, or noParameter. */
template <typename Section, size_t numRows>
int toggleIndex (const Section& section, const ToggleRow<Section> (&rows)[numRows], const juce::Button* button)
{
    for (const auto& row : rows)
        if ((section.*row.button).get() == button)
            return row.parameterIndex;

    return noParameter;
}

template <typename Section, size_t numRows>
void setDoubleClickDefaults (Section& section, const KnobRow<Section> (&rows)[numRows])
{
    for (const auto& row : rows)
        setDoubleClickDefault (*(section.*row.knob), *section.ownerProcessor, row.parameterIndex);
}

template <typename Section, size_t numRows>
void showValues (Section& section, const KnobRow<Section> (&rows)[numRows])
{
    for (const auto& row : rows)
        showValue (*(section.*row.knob), *section.ownerProcessor, row.parameterIndex);
}

/** The knobs' part of a section's refresh: their double-click values at the first
    refresh, then every knob set to its parameter without notification. */
template <typename Section, size_t numRows>
void refreshKnobs (Section& section, const KnobRow<Section> (&rows)[numRows])
{
    if (section.firstUpdate)
    {
        setDoubleClickDefaults (section, rows);
        section.firstUpdate = false;
    }

    showValues (section, rows);
}

} // namespace sectionControls
