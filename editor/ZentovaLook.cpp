#include "ZentovaLook.h"

#include <BinaryData.h>

ZentovaLook::ZentovaLook()
{
    // Made once per look (that is, per editor), never per paint.
    embeddedTypeface = juce::Typeface::createSystemTypefaceFor (BinaryData::RobotoRegular_ttf,
                                                               (size_t) BinaryData::RobotoRegular_ttfSize);
}

ZentovaLook::~ZentovaLook()
{
    auto& candidates = defaultCandidates->looks;

    if (candidates.contains (this))
    {
        JUCE_ASSERT_MESSAGE_THREAD
        candidates.removeAllInstancesOf (this);

        // Another editor still open must not fall back to JUCE's own look and its
        // system typeface; the faces cached through this look go with it.
        if (&juce::LookAndFeel::getDefaultLookAndFeel() == this && ! candidates.isEmpty())
        {
            juce::LookAndFeel::setDefaultLookAndFeel (candidates.getLast());
            juce::Typeface::clearTypefaceCache();
        }
    }

    embeddedTypeface = nullptr;
}

void ZentovaLook::makeDefault()
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto& candidates = defaultCandidates->looks;
    candidates.removeAllInstancesOf (this);
    candidates.add (this);

    juce::LookAndFeel::setDefaultLookAndFeel (this);
}

void ZentovaLook::applyColourScheme()
{
    const juce::Colour black (Palette::black), grey (Palette::grey);

    setColour (juce::PopupMenu::backgroundColourId, black);
    setColour (juce::PopupMenu::textColourId, grey);
    setColour (juce::PopupMenu::highlightedBackgroundColourId, grey);
    setColour (juce::PopupMenu::highlightedTextColourId, black);
    setColour (juce::Label::textColourId, grey);
    setColour (juce::ComboBox::textColourId, grey);
    setColour (juce::ComboBox::backgroundColourId, black);
    setColour (juce::ComboBox::outlineColourId, grey);
    setColour (juce::ComboBox::buttonColourId, grey);
    setColour (juce::ComboBox::arrowColourId, black);

    // JUCE's own file dialog (LOAD and SAVE where no native one exists) is drawn in
    // this look too: its path box is one of our black combo boxes, so its text must be
    // grey; the file list stays white, with the menus' grey highlight.
    setColour (juce::FileBrowserComponent::currentPathBoxBackgroundColourId, black);
    setColour (juce::FileBrowserComponent::currentPathBoxTextColourId, grey);
    setColour (juce::FileBrowserComponent::currentPathBoxArrowColourId, black);
    setColour (juce::DirectoryContentsDisplayComponent::textColourId, black);
    setColour (juce::DirectoryContentsDisplayComponent::highlightColourId, grey);
    setColour (juce::DirectoryContentsDisplayComponent::highlightedTextColourId, black);
}

juce::Typeface::Ptr ZentovaLook::getTypefaceForFont (const juce::Font&)
{
    // Whatever family or style is asked for: the editor has exactly one face.
    return embeddedTypeface;
}

//==============================================================================
void ZentovaLook::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour,
                                        bool, bool)
{
    // Only the toggle state shows: a lit toggle is solid, an unlit one a frame.
    g.setColour (backgroundColour);

    if (button.getToggleState())
        g.fillRect (0, 0, button.getWidth(), button.getHeight());
    else
        g.drawRect (0, 0, button.getWidth(), button.getHeight(), (int) (0.1 * button.getHeight()));
}

void ZentovaLook::drawPopupMenuBackground (juce::Graphics& g, int width, int height)
{
    g.fillAll (juce::Colour (Palette::black));
    g.setColour (juce::Colour (Palette::grey));
    g.drawRect (0, 0, width, height, 1);
}

void ZentovaLook::drawPopupMenuUpDownArrow (juce::Graphics& g, int width, int height, bool isScrollUpArrow)
{
    const auto w = (float) width, h = (float) height;

    g.setGradientFill (juce::ColourGradient (juce::Colour (Palette::black), 0.0f, h * 0.5f,
                                             juce::Colour (Palette::transparent), 0.0f, isScrollUpArrow ? h : 0.0f,
                                             false));
    g.fillRect (1, 1, width - 2, height - 2);

    const float halfWidth = w * 0.5f;
    const float arrowWidth = h * 0.3f;
    const float baseY = h * (isScrollUpArrow ? 0.6f : 0.3f);
    const float tipY  = h * (isScrollUpArrow ? 0.3f : 0.6f);

    juce::Path arrow;
    arrow.addTriangle (halfWidth - arrowWidth, baseY, halfWidth + arrowWidth, baseY, halfWidth, tipY);
    g.setColour (juce::Colours::azure);
    g.fillPath (arrow);
}

void ZentovaLook::drawComboBox (juce::Graphics& g, int width, int height, bool,
                                int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox& box)
{
    g.setColour (juce::Colour (Palette::black));
    g.fillRect (0, 0, width, height);

    g.setColour (juce::Colour (Palette::grey));
    g.drawRect (0, 0, width, height, box.isEnabled() && box.hasKeyboardFocus (false) ? 2 : 1);
    g.fillRect (buttonX, buttonY, buttonW, buttonH);

    if (! box.isEnabled())
        return;

    const auto bx = (float) buttonX, by = (float) buttonY, bw = (float) buttonW, bh = (float) buttonH;
    const float arrowHeight = 0.2f;

    juce::Path arrows;
    arrows.addTriangle (bx + bw * 0.5f, by + bh * (0.45f - arrowHeight),
                        bx + bw * 0.7f, by + bh * 0.45f,
                        bx + bw * 0.3f, by + bh * 0.45f);
    arrows.addTriangle (bx + bw * 0.5f, by + bh * (0.55f + arrowHeight),
                        bx + bw * 0.7f, by + bh * 0.55f,
                        bx + bw * 0.3f, by + bh * 0.55f);

    g.setColour (juce::Colour (Palette::black));
    g.fillPath (arrows);
}

//==============================================================================
void ZentovaLook::drawLinearSliderBackground (juce::Graphics& g, int x, int y, int width, int height,
                                              float, float, float, juce::Slider::SliderStyle, juce::Slider&)
{
    // The track is deliberately invisible: only the thumb bars show.
    g.setColour (juce::Colours::darkslategrey.withAlpha (0.0f));
    g.fillRect (x, y, width, height);
}

void ZentovaLook::drawLinearSliderThumb (juce::Graphics& g, int x, int y, int width, int height,
                                         float sliderPos, float minSliderPos, float maxSliderPos,
                                         juce::Slider::SliderStyle style, juce::Slider& slider)
{
    using Style = juce::Slider::SliderStyle;

    const auto sliderRadius = (float) (getSliderThumbRadius (slider) - 2);
    const auto thumbColour = slider.findColour (juce::Slider::thumbColourId);
    const float outlineThickness = slider.isEnabled() ? 0.8f : 0.3f;

    const auto fx = (float) x, fy = (float) y, fw = (float) width, fh = (float) height;

    if (style == Style::LinearVertical)
    {
        g.setColour (thumbColour);
        g.fillRect (juce::Rectangle<float> (fx + 0.3f * fw, sliderPos, 0.4f * fw, fy + fh - sliderPos));
        return;
    }

    if (style == Style::LinearHorizontal)
    {
        const float barHeight = 0.2f * fh;
        const float length = sliderPos - fx;

        g.setColour (thumbColour);
        g.fillRect (juce::Rectangle<float> (fx, fy, length, barHeight));
        g.fillRect (juce::Rectangle<float> (fx, fy + 0.8f * fh, length, barHeight));
        g.fillRect (juce::Rectangle<float> (fx + fw - length, fy + 0.4f * fh, length, barHeight));
        return;
    }

    // Two- and three-value styles: the base class's glass pointers and sphere, placed as it
    // places them, but in the thumb colour as it stands.
    if (style == Style::ThreeValueVertical)
        drawGlassSphere (g, fx + fw * 0.5f - sliderRadius, sliderPos - sliderRadius,
                         sliderRadius * 2.0f, thumbColour, outlineThickness);
    else if (style == Style::ThreeValueHorizontal)
        drawGlassSphere (g, sliderPos - sliderRadius, fy + fh * 0.5f - sliderRadius,
                         sliderRadius * 2.0f, thumbColour, outlineThickness);

    if (style == Style::TwoValueVertical || style == Style::ThreeValueVertical)
    {
        const auto sr = juce::jmin (sliderRadius, fw * 0.4f);

        drawGlassPointer (g, juce::jmax (0.0f, fx + fw * 0.5f - sliderRadius * 2.0f), minSliderPos - sliderRadius,
                          sliderRadius * 2.0f, thumbColour, outlineThickness, 1);
        drawGlassPointer (g, juce::jmin (fx + fw - sliderRadius * 2.0f, fx + fw * 0.5f), maxSliderPos - sr,
                          sliderRadius * 2.0f, thumbColour, outlineThickness, 3);
    }
    else if (style == Style::TwoValueHorizontal || style == Style::ThreeValueHorizontal)
    {
        const auto sr = juce::jmin (sliderRadius, fh * 0.4f);

        drawGlassPointer (g, minSliderPos - sr, juce::jmax (0.0f, fy + fh * 0.5f - sliderRadius * 2.0f),
                          sliderRadius * 2.0f, thumbColour, outlineThickness, 2);
        drawGlassPointer (g, maxSliderPos - sliderRadius, juce::jmin (fy + fh - sliderRadius * 2.0f, fy + fh * 0.5f),
                          sliderRadius * 2.0f, thumbColour, outlineThickness, 4);
    }
}

//==============================================================================
void ZentovaLook::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height,
                                    float proportion, float startAngle, float endAngle, juce::Slider& slider)
{
    const int radius = juce::jmin (width / 2, height / 2) - 2;
    const auto r = (float) radius;
    const float cx = (float) x + (float) width * 0.5f;
    const float cy = (float) y + (float) height * 0.5f;
    const float angle = startAngle + proportion * (endAngle - startAngle);

    const auto outline = slider.findColour (juce::Slider::rotarySliderOutlineColourId);
    const auto body = slider.findColour (juce::Slider::backgroundColourId);
    const auto arc = slider.isEnabled() ? slider.findColour (juce::Slider::rotarySliderFillColourId)
                                        : juce::Colour (Palette::disabledArc);

    // Small knobs get slimmer rings so the arc still reads at their size.
    struct Scales { float body, arc, inner, hub; };
    const auto scales = radius > Layout::smallKnobMaxRadius ? Scales { 0.9f, 0.8f, 0.6f, 0.5f }
                                                            : Scales { 0.85f, 0.75f, 0.55f, 0.45f };

    auto disc = [cx, cy, r] (float scale) { return juce::Rectangle<float> (2.0f * r * scale, 2.0f * r * scale)
                                                       .withCentre ({ cx, cy }); };

    g.setColour (outline);
    g.fillEllipse (disc (1.0f));

    g.setColour (body);
    g.fillEllipse (disc (scales.body));

    juce::Path valueArc;
    valueArc.addPieSegment (disc (scales.arc), startAngle, angle, 0.2f);
    g.setColour (arc);
    g.fillPath (valueArc);

    g.setColour (body);
    g.fillEllipse (disc (scales.inner));

    g.setColour (outline);
    g.fillEllipse (disc (scales.hub));

    // The pointer lies on the hub and ends at its rim.
    const float pointerLength = scales.hub * r;
    const float pointerThickness = 0.05f * 2.0f * r;
    juce::Path pointer;
    pointer.addRectangle (-pointerThickness * 0.5f, -pointerLength, pointerThickness, pointerLength);
    pointer.applyTransform (juce::AffineTransform::rotation (angle).translated (cx, cy));
    g.setColour (body);
    g.fillPath (pointer);
}
