#include "tests/TestHelpers.h"

#include "editor/OutComponent.h"

#include <gtest/gtest.h>

namespace
{
    using P = ZentovaAudioProcessor;
    // The panel hands the processor to the oscilloscope as well.
    struct Out : corvanteelTest::SectionFixture<OutComponent>
    {
        Out() { section.oscillComp->ownerProcessor = &processor; }
    };
} // namespace

TEST (OutComponent, ControlsAreBuiltInOrderAtTheirFixedBounds)
{
    Out f;
    auto& s = f.section;
    const juce::Colour white (0xffffffff);

    EXPECT_EQ (s.getBounds(), juce::Rectangle<int> (0, 0, 250, 140));
    EXPECT_TRUE (s.firstUpdate);
    EXPECT_EQ (corvanteelTest::toggleSetUpFaults (*s.panicButton, "panic button", "PANIC"), "");

    struct Child { juce::Component* component; juce::Rectangle<int> bounds; const char* caption; };
    const Child children[] = {
        { s.panicButton.get(), { 95, 110, 60, 20 }, nullptr },
        { s.dryWetSlider.get(), { 25, 35, 40, 40 }, nullptr },  { s.dryWetLabel.get(), { 25, 85, 40, 12 }, "D/W" },
        { s.levelSlider.get(), { 185, 35, 40, 40 }, nullptr },  { s.levelLabel.get(), { 185, 85, 40, 12 }, "LVL" },
        { s.oscillComp.get(), { 75, 45, 100, 26 }, nullptr },
    };

    ASSERT_EQ (s.getNumChildComponents(), (int) std::size (children));
    s.setSize (500, 500);

    for (int i = 0; i < (int) std::size (children); ++i)
    {
        const auto& c = children[i];
        EXPECT_EQ (s.getChildComponent (i), c.component) << i;
        EXPECT_EQ (c.component->getBounds(), c.bounds) << i;

        if (auto* knob = dynamic_cast<juce::Slider*> (c.component))
        {
            EXPECT_EQ (corvanteelTest::knobSetUpFaults (*knob, white), "") << i;
        }
        if (auto* caption = dynamic_cast<juce::Label*> (c.component))
        {
            EXPECT_EQ (corvanteelTest::captionSetUpFaults (*caption, c.caption), "") << i;
        }
    }
}

TEST (OutComponent, KnobsDriveDryWetAndLevel)
{
    Out f;
    corvanteelTest::dragVertically (*f.section.dryWetSlider, { -10.0f });
    EXPECT_EQ (f.processor.lastTouchedParameterName.get(), "Dry_Wet");
    corvanteelTest::dragVertically (*f.section.levelSlider, { -10.0f });
    EXPECT_EQ (f.processor.lastTouchedParameterName.get(), "Out_Level");

    const auto sent = corvanteelTest::outline (f.host);
    EXPECT_TRUE (sent.startsWith ("<17 17=") && sent.contains (">17 <19 19=") && sent.endsWith (">19")) << sent;
}

TEST (OutComponent, PanicIsAOneShotRequestOnly)
{
    Out f;
    auto& panic = *f.section.panicButton;

    // Both learn modes on: PANIC is no parameter, so nothing is armed or unbound.
    for (auto* parameter : f.processor.pluginParameters)
        parameter->midiCC = 9;
    f.processor.midiLearnActive = true;
    f.processor.midiUnlearnActive = true;
    f.processor.lastTouchedParameterName.set ("Feedback");
    f.processor.lastTouchedParameterText.set ("40.00 %");

    corvanteelTest::pressAndRelease (panic);
    EXPECT_TRUE (f.processor.panicRequested.load());
    EXPECT_TRUE (panic.getToggleState());

    EXPECT_EQ (corvanteelTest::outline (f.host), "");
    EXPECT_EQ (f.processor.lastTouchedParameterName.get(), "Feedback");
    EXPECT_EQ (f.processor.lastTouchedParameterText.get(), "40.00 %");
    EXPECT_TRUE (corvanteelTest::noParameterLearnt (f.processor, 9));

    // Lit while pending; a second click flips it dark but raises the request again,
    // and the next refresh lights it again.
    f.section.refreshFromProcessor();
    EXPECT_TRUE (panic.getToggleState());
    corvanteelTest::pressAndRelease (panic);
    EXPECT_FALSE (panic.getToggleState());
    EXPECT_TRUE (f.processor.panicRequested.load());
    f.section.refreshFromProcessor();
    EXPECT_TRUE (panic.getToggleState());

    // Carried out by the processor: dark at the next refresh.
    f.processor.panicRequested = false;
    f.section.refreshFromProcessor();
    EXPECT_FALSE (panic.getToggleState());
    EXPECT_EQ (corvanteelTest::outline (f.host), "");
}

TEST (OutComponent, RefreshSetsKnobsAndTheirDefaultsSilently)
{
    Out f;
    corvanteelTest::setParameter (f.processor, P::dryWetIndex, 0.8f);
    corvanteelTest::setParameter (f.processor, P::outLevelIndex, 0.1f);
    f.section.refreshFromProcessor();

    EXPECT_FALSE (f.section.firstUpdate);
    EXPECT_DOUBLE_EQ (f.section.dryWetSlider->getValue(), 0.8);
    EXPECT_DOUBLE_EQ (f.section.levelSlider->getValue(), 0.1);
    EXPECT_DOUBLE_EQ (f.section.dryWetSlider->getDoubleClickReturnValue(),
                      (double) f.processor.pluginParameters[P::dryWetIndex]->defaultNormalisedValue);
    EXPECT_DOUBLE_EQ (f.section.levelSlider->getDoubleClickReturnValue(),
                      (double) f.processor.pluginParameters[P::outLevelIndex]->defaultNormalisedValue);
    EXPECT_EQ (f.section.oscillComp->scopePath.isEmpty(), false);
    EXPECT_EQ (corvanteelTest::outline (f.host), "");
}
