#include "tests/TestHelpers.h"

#include "editor/StutterComponent.h"

#include <gtest/gtest.h>

#include <cmath>

// STUTTER carries the protocol that every section shares: the set-ups, the knob and
// toggle gestures, the last-touched update, the learn hooks and the refresh.

namespace
{
    using P = ZentovaAudioProcessor;
    using Stutter = corvanteelTest::SectionFixture<StutterComponent>;

    struct KnobCase { std::unique_ptr<juce::Slider> StutterComponent::* knob; int index; };
    const KnobCase knobs[] = {
        { &StutterComponent::sizeSlider, P::stutterProportionIndex },
        { &StutterComponent::speedSlider, P::stutterSpeedIndex },
        { &StutterComponent::mixSlider, P::stutterMixIndex },
    };

    bool isMultipleOfAThousandth (float v)
    {
        return std::abs (v * 1000.0f - std::round (v * 1000.0f)) < 1.0e-3f;
    }
} // namespace

TEST (StutterComponent, KnobDragIsOneGestureOfThousandthSteps)
{
    for (const auto& k : knobs)
    {
        Stutter f;
        auto& knob = *(f.section.*k.knob);

        corvanteelTest::dragVertically (knob, { -3.0f, -10.0f, -25.0f, -24.0f });

        const auto& events = f.host.events;
        ASSERT_GE (events.size(), 3u) << k.index;
        EXPECT_EQ (events.front().kind, corvanteelTest::RecordingListener::Event::gestureStart);
        EXPECT_EQ (events.back().kind, corvanteelTest::RecordingListener::Event::gestureEnd);
        EXPECT_EQ (f.host.countValueChanges(), (int) events.size() - 2) << corvanteelTest::outline (f.host);

        for (const auto& e : events)
        {
            EXPECT_EQ (e.index, k.index);
            if (e.kind == corvanteelTest::RecordingListener::Event::value)
            {
                EXPECT_TRUE (isMultipleOfAThousandth (e.newValue)) << e.newValue;
            }
        }

        // The processor holds what was sent, and the display names it.
        EXPECT_FLOAT_EQ (f.processor.getParameter (k.index), events[events.size() - 2].newValue);
        EXPECT_EQ (f.processor.lastTouchedParameterName.get(), f.processor.getParameterName (k.index));
        EXPECT_EQ (f.processor.lastTouchedParameterText.get(), f.processor.getParameterText (k.index));
    }
}

TEST (StutterComponent, PressWithoutMoveIsAnEmptyGesture)
{
    Stutter f;
    corvanteelTest::pressAndRelease (*f.section.speedSlider);

    EXPECT_EQ (corvanteelTest::outline (f.host), "<14 >14");
    EXPECT_EQ (f.processor.lastTouchedParameterName.get(), P::versionNumber);
}

TEST (StutterComponent, ReverseClickSendsOneGestureEachWay)
{
    Stutter f;
    auto& reverse = *f.section.reverseButton;

    corvanteelTest::pressAndRelease (reverse);
    EXPECT_TRUE (reverse.getToggleState());
    EXPECT_EQ (corvanteelTest::outline (f.host), "<15 15=1 >15");
    EXPECT_EQ (f.processor.lastTouchedParameterName.get(), "Stutter_Reverse");
    EXPECT_EQ (f.processor.lastTouchedParameterText.get(), f.processor.getParameterText (P::stutterReverseIndex));
    EXPECT_EQ (f.processor.lastTouchedParameterText.get(), "On");

    corvanteelTest::pressAndRelease (reverse);
    EXPECT_FALSE (reverse.getToggleState());
    EXPECT_EQ (corvanteelTest::outline (f.host), "<15 15=1 >15 <15 15=0 >15");
    EXPECT_EQ (f.processor.lastTouchedParameterText.get(), "Off");
}

TEST (StutterComponent, LearnArmsAndUnlearnUnbindsTheTouchedParameter)
{
    struct Case { bool learn, unlearn; bool armed; int controller; };
    const Case cases[] = {
        { false, false, false, 20 },
        { true,  false, true,  20 },
        { false, true,  false, -1 },
        { true,  true,  true,  -1 },   // armed first, then unbound
    };

    for (const auto& c : cases)
    {
        // Once by a knob drag, once by the toggle.
        for (int byToggle = 0; byToggle < 2; ++byToggle)
        {
            Stutter f;
            const int index = byToggle ? P::stutterReverseIndex : P::stutterMixIndex;
            for (auto* parameter : f.processor.pluginParameters)
                parameter->midiCC = 20;

            f.processor.setMidiLearn (c.learn);
            f.processor.setMidiUnlearn (c.unlearn);

            if (byToggle)
                corvanteelTest::pressAndRelease (*f.section.reverseButton);
            else
                corvanteelTest::dragVertically (*f.section.mixSlider, { -20.0f });

            auto& touched = *f.processor.pluginParameters[index];
            EXPECT_EQ (touched.learnArmed.load(), c.armed) << c.learn << c.unlearn << byToggle;
            EXPECT_EQ (touched.midiCC.load(), c.controller) << c.learn << c.unlearn << byToggle;

            // No other parameter is touched.
            touched.learnArmed = false;
            touched.midiCC = 20;
            EXPECT_TRUE (corvanteelTest::noParameterLearnt (f.processor, 20));
        }
    }
}

TEST (StutterComponent, RefreshFollowsTheProcessorSilently)
{
    Stutter f;
    auto& s = f.section;

    // Before the first refresh a double-click does nothing.
    corvanteelTest::doubleClick (*s.sizeSlider);
    EXPECT_EQ (corvanteelTest::outline (f.host), "");

    corvanteelTest::setParameter (f.processor, P::stutterProportionIndex, 0.1234f);
    corvanteelTest::setParameter (f.processor, P::stutterSpeedIndex, 0.5f);
    corvanteelTest::setParameter (f.processor, P::stutterMixIndex, 1.0f);
    corvanteelTest::setParameter (f.processor, P::stutterReverseIndex, 1.0f);

    s.refreshFromProcessor();

    EXPECT_FALSE (s.firstUpdate);
    EXPECT_DOUBLE_EQ (s.sizeSlider->getValue(), 0.123);   // shown to the knob's step; the parameter keeps its value
    EXPECT_FLOAT_EQ (f.processor.getParameter (P::stutterProportionIndex), 0.1234f);
    EXPECT_DOUBLE_EQ (s.speedSlider->getValue(), 0.5);
    EXPECT_DOUBLE_EQ (s.mixSlider->getValue(), 1.0);
    EXPECT_TRUE (s.reverseButton->getToggleState());
    EXPECT_EQ (corvanteelTest::outline (f.host), "");
    EXPECT_EQ (f.processor.lastTouchedParameterName.get(), P::versionNumber);

    for (const auto& k : knobs)
    {
        auto& knob = *(s.*k.knob);
        EXPECT_TRUE (knob.isDoubleClickReturnEnabled());
        EXPECT_DOUBLE_EQ (knob.getDoubleClickReturnValue(), (double) f.processor.pluginParameters[k.index]->defaultNormalisedValue);
    }

    // After it, a double-click returns the parameter to its default inside one gesture.
    corvanteelTest::setParameter (f.processor, P::stutterMixIndex, 1.0f);
    f.host.events.clear();
    corvanteelTest::doubleClick (*s.mixSlider);

    const float defaultMix = f.processor.pluginParameters[P::stutterMixIndex]->defaultNormalisedValue;
    EXPECT_EQ (corvanteelTest::outline (f.host), "<16 16=" + juce::String ((float) s.mixSlider->getValue()) + " >16");
    EXPECT_NEAR (f.processor.getParameter (P::stutterMixIndex), defaultMix, 0.0005f);
}
