#include "tests/TestHelpers.h"

#include "editor/ZentovaLook.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

namespace
{
    // The editor's outline and body colours; a pure green arc stands out from both.
    const juce::Colour outline (0xffaeaeae), body (0xff000000), arc (0xff00ff00);

    /** A knob of the given square size drawn by the look at proportion p, on transparent black. */
    juce::Image drawKnob (ZentovaLook& look, int size, float proportion, bool enabled = true)
    {
        juce::Slider knob;
        knob.setColour (juce::Slider::rotarySliderOutlineColourId, outline);
        knob.setColour (juce::Slider::backgroundColourId, body);
        knob.setColour (juce::Slider::rotarySliderFillColourId, arc);
        knob.setEnabled (enabled);

        juce::Image image (juce::Image::ARGB, size, size, true);
        juce::Graphics g (image);
        const auto params = knob.getRotaryParameters();
        look.drawRotarySlider (g, 0, 0, size, size, proportion, params.startAngleRadians, params.endAngleRadians, knob);
        return image;
    }

    int countPixels (const juce::Image& image, std::function<bool (juce::Colour)> predicate)
    {
        int count = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                count += predicate (image.getPixelAt (x, y)) ? 1 : 0;
        return count;
    }
} // namespace

TEST (ZentovaLook, EveryFontRequestYieldsTheEmbeddedTypeface)
{
    ZentovaLook look;
    ASSERT_NE (look.embeddedTypeface, nullptr);
    EXPECT_EQ (look.embeddedTypeface->getName(), "Roboto");

    const juce::String families[] = { juce::Font::getDefaultSansSerifFontName(), juce::Font::getDefaultSerifFontName(),
                                       juce::Font::getDefaultMonospacedFontName(), "No Such Family" };
    const int styles[] = { juce::Font::plain, juce::Font::bold, juce::Font::italic,
                           juce::Font::bold | juce::Font::italic, juce::Font::underlined };

    for (const auto& family : families)
        for (auto style : styles)
            for (auto height : { 9.0f, 16.0f, 40.0f })
                EXPECT_EQ (look.getTypefaceForFont (juce::Font (family, height, style)), look.embeddedTypeface)
                    << family << " style " << style << " height " << height;
}

TEST (ZentovaLook, KnobVariantFollowsTheRadius)
{
    ZentovaLook look;

    // 40 pixels square: r = 18, large variant, hub 0.5 r. 34 pixels: r = 15, small, hub 0.45 r.
    struct Case { int size; int radius; float hubScale; };
    for (const auto& c : { Case { 40, 18, 0.5f }, Case { 34, 15, 0.45f }, Case { 30, 13, 0.45f } })
    {
        const auto image = drawKnob (look, c.size, 0.5f);
        const int mid = c.size / 2;
        EXPECT_NEAR (corvanteelTest::knobHubExtent (image, { mid, mid }, (float) c.radius), c.hubScale * (float) c.radius, 0.2f) << c.size;

        // The outer disc has the full radius r: its last row lit, the one after it empty.
        const int centre = c.size / 2;
        EXPECT_GT (image.getPixelAt (centre, centre + c.radius - 1).getBrightness(), 0.6f) << c.size;
        EXPECT_EQ (image.getPixelAt (centre, centre + c.radius).getAlpha(), 0) << c.size;
    }
}

TEST (ZentovaLook, ValueArcSpansFromStartToTheValue)
{
    ZentovaLook look;
    const int size = 40, radius = 18, centre = 20;
    const int arcRow = centre - (int) (0.7f * radius);   // straight up, inside the arc band (0.6 r to 0.8 r)

    auto isArc = [] (juce::Colour c) { return c.getGreen() > 0x80 && c.getRed() < 0x40; };   // green, not grey

    EXPECT_EQ (countPixels (drawKnob (look, size, 0.0f), isArc), 0);   // at 0 the arc is empty
    EXPECT_FALSE (isArc (drawKnob (look, size, 0.25f).getPixelAt (centre, arcRow)));
    EXPECT_TRUE (isArc (drawKnob (look, size, 1.0f).getPixelAt (centre, arcRow)));

    // Disabled: the arc turns 0x80808080, half-transparent over the black body, while
    // body and outline keep their colours.
    const auto disabled = drawKnob (look, size, 1.0f, false);
    EXPECT_EQ (countPixels (disabled, isArc), 0);
    const auto arcPixel = disabled.getPixelAt (centre, arcRow);
    EXPECT_EQ (arcPixel.getAlpha(), 0xff);
    EXPECT_NEAR (arcPixel.getRed(), 0x40, 2);
    EXPECT_NEAR (arcPixel.getGreen(), 0x40, 2);
    EXPECT_NEAR (arcPixel.getBlue(), 0x40, 2);
    EXPECT_GT (disabled.getPixelAt (centre, centre + radius - 1).getBrightness(), 0.6f);
}

TEST (ZentovaLook, ToggleBackgroundShowsOnlyTheToggleState)
{
    ZentovaLook look;
    const juce::Colour grey (0xffaeaeae);

    struct Case { int height; bool on; bool highlighted; int expectedFrame; };   // frame -1: solid fill
    const Case cases[] = { { 25, true, false, -1 }, { 25, false, false, 2 }, { 25, false, true, 2 },
                           { 20, false, false, 2 }, { 9, false, false, 0 } };

    for (const auto& c : cases)
    {
        juce::TextButton button;
        button.setSize (60, c.height);
        button.setToggleState (c.on, juce::dontSendNotification);

        juce::Image image (juce::Image::ARGB, 60, c.height, true);
        juce::Graphics g (image);
        look.drawButtonBackground (g, button, grey, c.highlighted, c.highlighted);

        const int lit = countPixels (image, [] (juce::Colour p) { return p.getAlpha() > 0; });

        if (c.expectedFrame < 0)
        {
            EXPECT_EQ (lit, 60 * c.height) << c.height;
        }
        else
        {
            const int f = c.expectedFrame;
            EXPECT_EQ (lit, 60 * c.height - (60 - 2 * f) * (c.height - 2 * f)) << c.height;
            if (f > 0)
            {
                EXPECT_EQ (image.getPixelAt (f - 1, c.height / 2), grey) << c.height;
            }
            EXPECT_EQ (image.getPixelAt (f, c.height / 2).getAlpha(), 0) << c.height;
        }
    }
}

TEST (ZentovaLook, ComboBoxShowsArrowsOnlyWhenEnabled)
{
    ZentovaLook look;
    const juce::Rectangle<int> buttonArea (60, 0, 20, 18);

    for (bool enabled : { true, false })
    {
        juce::ComboBox box;
        box.setSize (80, 18);
        box.setEnabled (enabled);

        juce::Image image (juce::Image::ARGB, 80, 18, true);
        juce::Graphics g (image);
        look.drawComboBox (g, 80, 18, false, buttonArea.getX(), buttonArea.getY(), buttonArea.getWidth(),
                           buttonArea.getHeight(), box);

        EXPECT_EQ (image.getPixelAt (10, 9), juce::Colour (0xff000000));     // the box is black
        EXPECT_EQ (image.getPixelAt (10, 0), juce::Colour (0xffaeaeae));     // 1-pixel grey outline
        EXPECT_EQ (image.getPixelAt (10, 1), juce::Colour (0xff000000));

        // Dark pixels inside the grey button are the arrows.
        int dark = 0;
        for (int y = 1; y < 17; ++y)
            for (int x = buttonArea.getX(); x < buttonArea.getRight() - 1; ++x)
                dark += image.getPixelAt (x, y).getBrightness() < 0.3f ? 1 : 0;

        if (enabled)
        {
            EXPECT_GT (dark, 10);
        }
        else
        {
            EXPECT_EQ (dark, 0);
        }
    }
}

TEST (ZentovaLook, PopupMenuAndLinearTrack)
{
    ZentovaLook look;

    juce::Image menu (juce::Image::ARGB, 50, 40, true);
    {
        juce::Graphics g (menu);
        look.drawPopupMenuBackground (g, 50, 40);
    }
    EXPECT_EQ (menu.getPixelAt (0, 20), juce::Colour (0xffaeaeae));
    EXPECT_EQ (menu.getPixelAt (25, 39), juce::Colour (0xffaeaeae));
    EXPECT_EQ (menu.getPixelAt (25, 20), juce::Colour (0xff000000));

    // The linear track is invisible.
    juce::Slider slider (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    juce::Image track (juce::Image::ARGB, 50, 20, true);
    {
        juce::Graphics g (track);
        look.drawLinearSliderBackground (g, 0, 0, 50, 20, 25.0f, 0.0f, 50.0f, juce::Slider::LinearHorizontal, slider);
    }
    EXPECT_EQ (countPixels (track, [] (juce::Colour p) { return p.getAlpha() > 0; }), 0);
}

namespace
{
    /** JUCE's own save dialog, as the LOAD/SAVE buttons get it where no native one
        exists, drawn in the look: on a preset folder holding two presets, with the
        first listed preset selected. */
    struct FallbackSaveDialog
    {
        explicit FallbackSaveDialog (ZentovaLook& lookToUse) : look (lookToUse)
        {
            dialog.setLookAndFeel (&look);
            dialog.setBounds (0, 0, 600, 450);

            // The folder is listed on the browser's own thread: the file can be selected
            // once it has been listed.
            for (int wait = 0; wait < 250 && list().getNumSelectedRows() == 0; ++wait)
            {
                corvanteelTest::runMessageLoop (20);
                browser.getDisplayComponent()->setSelectedFile (folder.getChildFile ("Bass.tqz"));
            }
        }

        ~FallbackSaveDialog() { dialog.setLookAndFeel (nullptr); }

        juce::FileListComponent& list() { return *dynamic_cast<juce::FileListComponent*> (browser.getDisplayComponent()); }

        juce::ComboBox& pathBox()
        {
            for (auto* child : browser.getChildren())
                if (auto* box = dynamic_cast<juce::ComboBox*> (child))
                    return *box;

            throw std::logic_error ("no path box");
        }

        static juce::File withTwoPresets (const juce::File& folder)
        {
            folder.createDirectory();
            for (auto* name : { "Bass.tqz", "Lead.tqz" })
                folder.getChildFile (name).replaceWithText ("<ZENTOVA_PRESET/>");
            return folder;
        }

        ZentovaLook& look;
        corvanteelTest::TemporaryHome home;
        juce::File folder = withTwoPresets (home.presetFolder());
        juce::WildcardFileFilter filter { "*.tqz", {}, "Presets" };
        juce::FileBrowserComponent browser { juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles
                                                 | juce::FileBrowserComponent::warnAboutOverwriting,
                                             folder.getChildFile ("Bass.tqz"), &filter, nullptr };
        juce::Component parent;
        juce::FileChooserDialogBox dialog { "Save Preset", {}, browser, true,
                                            look.findColour (juce::AlertWindow::backgroundColourId), &parent };
    };

    /** How many pixels of the area differ clearly in brightness from the given background. */
    int contrastingPixels (const juce::Image& image, juce::Rectangle<int> area, juce::Colour background)
    {
        int count = 0;
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                count += std::abs (image.getPixelAt (x, y).getBrightness() - background.getBrightness()) > 0.4f ? 1 : 0;
        return count;
    }
} // namespace

TEST (ZentovaLook, FallbackFileDialogIsReadable)
{
    ZentovaLook look;
    look.applyColourScheme();
    FallbackSaveDialog d (look);
    ASSERT_EQ (d.list().getNumSelectedRows(), 1);

    const auto image = corvanteelTest::snapshot (d.dialog);
    const juce::Colour black (0xff000000), grey (0xffaeaeae), white (0xffffffff);
    const auto inDialog = [&d] (juce::Component& c) { return d.dialog.getLocalArea (&c, c.getLocalBounds()); };

    // The path box is one of the look's black boxes: its text (the folder's path) in grey.
    auto& pathBox = d.pathBox();
    EXPECT_EQ (pathBox.findColour (juce::ComboBox::textColourId), grey);
    const auto pathText = inDialog (pathBox).reduced (2).withTrimmedRight (pathBox.getHeight());
    EXPECT_EQ (image.getPixelAt (pathText.getX(), pathText.getY()), black);
    EXPECT_GT (contrastingPixels (image, pathText, black), 100);

    // The list stays white with black names; the selected row is grey like a menu's
    // highlighted item, its name black.
    const int selectedIndex = d.list().getSelectedRow();
    auto* selectedRow = d.list().getComponentForRowNumber (selectedIndex);
    auto* otherRow = d.list().getComponentForRowNumber (1 - selectedIndex);
    ASSERT_NE (selectedRow, nullptr);
    ASSERT_NE (otherRow, nullptr);

    const auto selected = inDialog (*selectedRow), other = inDialog (*otherRow);
    const auto nameArea = [] (juce::Rectangle<int> row) { return row.withTrimmedLeft (32).withWidth (100); };

    EXPECT_TRUE (corvanteelTest::nearColour (image.getPixelAt (selected.getX() + selected.getWidth() / 2, selected.getCentreY()), grey));
    EXPECT_TRUE (corvanteelTest::nearColour (image.getPixelAt (other.getX() + other.getWidth() / 2, other.getCentreY()), white));
    EXPECT_GT (contrastingPixels (image, nameArea (selected), grey), 30);
    EXPECT_GT (contrastingPixels (image, nameArea (other), white), 30);
}
