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

TEST (OutComponent, PanicIsAOneShotRequestOnly)
{
    Out f;
    auto& panic = *f.section.panicButton;

    // Both learn modes on: PANIC is no parameter, so nothing is armed or unbound.
    for (auto* parameter : f.processor.pluginParameters)
        parameter->midiCC = 9;
    f.processor.setMidiLearn (true);
    f.processor.setMidiUnlearn (true);
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
