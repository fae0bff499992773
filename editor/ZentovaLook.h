#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The editor's look: stacked-disc knobs with a pie-shaped value arc, toggles
    drawn as filled or outlined rectangles, black-and-grey combo boxes and menus,
    and one embedded typeface (Roboto Regular) for every font the editor asks for.

    It also holds the colours and fixed geometry that the editor's components
    share, so no section carries its own literals for them.
*/
class ZentovaLook : public juce::LookAndFeel_V2
{
public:
    /** The editor's colours, 0xAARRGGBB. */
    struct Palette
    {
        static constexpr juce::uint32 black            = 0xff000000;
        static constexpr juce::uint32 grey             = 0xffaeaeae;
        static constexpr juce::uint32 titleBar         = 0x80aeaeae;
        static constexpr juce::uint32 editorBackground = 0xff0f0f0f;
        static constexpr juce::uint32 disabledArc      = 0x80808080;
        static constexpr juce::uint32 transparent      = 0x00000000;
        static constexpr juce::uint32 green            = 0xff0be067;
        static constexpr juce::uint32 blue             = 0xff308bff;
        static constexpr juce::uint32 violet           = 0xffd02aff;
        static constexpr juce::uint32 yellow           = 0xfffbff03;
        static constexpr juce::uint32 white            = 0xffffffff;
    };

    /** Fixed sizes of the editor and of every section's common parts. */
    struct Layout
    {
        static constexpr int editorWidth = 750, editorHeight = 350;
        static constexpr int panelHeight = 420;       // taller than the editor: its last rows are never seen
        static constexpr int sectionWidth = 250, sectionHeight = 140;
        static constexpr int titleBarHeight = 25;
        static constexpr float titleFontHeight = 16.0f;
        static constexpr float captionFontHeight = 12.0f;
        static constexpr int smallKnobMaxRadius = 15; // knobs up to this radius draw the small variant
    };

    ZentovaLook();
    ~ZentovaLook() override;

    /** Sets the popup menu, label and combo box colours of the editor's scheme, and
        those JUCE's own file browser needs to be readable in it. */
    void applyColourScheme();

    /** Makes this look the process's default look. JUCE resolves every font through
        the default look, not the component's, so an open editor keeps its typeface only
        while some editor's look is the default: when this look goes while it is the
        default, the default passes to the latest of the looks still alive that were
        made default (JUCE's own look would take over and bring its system typeface).
        Message thread only. */
    void makeDefault();

    juce::Typeface::Ptr getTypefaceForFont (const juce::Font&) override;

    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;
    void drawPopupMenuUpDownArrow (juce::Graphics&, int width, int height, bool isScrollUpArrow) override;

    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown,
                       int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox&) override;

    void drawLinearSliderBackground (juce::Graphics&, int x, int y, int width, int height,
                                     float sliderPos, float minSliderPos, float maxSliderPos,
                                     juce::Slider::SliderStyle, juce::Slider&) override;

    void drawLinearSliderThumb (juce::Graphics&, int x, int y, int width, int height,
                                float sliderPos, float minSliderPos, float maxSliderPos,
                                juce::Slider::SliderStyle, juce::Slider&) override;

    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height,
                           float sliderPosProportional, float rotaryStartAngle, float rotaryEndAngle,
                           juce::Slider&) override;

    juce::Typeface::Ptr embeddedTypeface;

private:
    /** The looks made default and still alive, oldest first: one list for the whole
        process, shared by the looks of all instances and held while any look exists. */
    struct DefaultCandidates
    {
        juce::Array<ZentovaLook*> looks;
    };

    juce::SharedResourcePointer<DefaultCandidates> defaultCandidates;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZentovaLook)
};
