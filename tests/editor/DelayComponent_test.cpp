#include "tests/TestHelpers.h"

#include "editor/DelayComponent.h"

#include <gtest/gtest.h>

namespace
{
    using P = ZentovaAudioProcessor;
    using Delay = corvanteelTest::SectionFixture<DelayComponent>;
    using Event = corvanteelTest::RecordingListener::Event;

    /** The distinct parameter indices among the recorded events, in order of appearance. */
    std::vector<int> indicesSent (const corvanteelTest::RecordingListener& host)
    {
        std::vector<int> indices;
        for (const auto& e : host.events)
            if (indices.empty() || indices.back() != e.index)
                indices.push_back (e.index);
        return indices;
    }
} // namespace

TEST (DelayComponent, TimeDrivesDivisionWhileSyncIsOn)
{
    Delay f;
    auto& s = f.section;
    ASSERT_EQ (f.processor.getParameter (P::syncIndex), 0.0f);

    corvanteelTest::dragVertically (*s.timeSlider, { -10.0f, -20.0f });
    EXPECT_EQ (indicesSent (f.host), std::vector<int> { P::timeIndex });
    EXPECT_EQ (f.processor.lastTouchedParameterName.get(), "Time");
    EXPECT_EQ (f.processor.lastTouchedParameterText.get(), f.processor.getParameterText (P::timeIndex));
    const float timeValue = f.processor.getParameter (P::timeIndex);

    f.host.events.clear();
    corvanteelTest::pressAndRelease (*s.syncButton);
    EXPECT_EQ (corvanteelTest::outline (f.host), "<1 1=1 >1");

    // No refresh in between: the handlers ask the processor themselves.
    f.host.events.clear();
    corvanteelTest::dragVertically (*s.timeSlider, { -30.0f, -40.0f });
    EXPECT_EQ (indicesSent (f.host), std::vector<int> { P::divisionIndex });
    EXPECT_EQ (f.host.events.front().kind, Event::gestureStart);
    EXPECT_EQ (f.host.events.back().kind, Event::gestureEnd);
    EXPECT_EQ (f.processor.lastTouchedParameterName.get(), "Division");
    EXPECT_FLOAT_EQ (f.processor.getParameter (P::timeIndex), timeValue);

    f.host.events.clear();
    corvanteelTest::pressAndRelease (*s.pingOutButton);   // still off: no refresh has shown Ping_Out's default
    EXPECT_EQ (corvanteelTest::outline (f.host), "<4 4=1 >4");
    corvanteelTest::pressAndRelease (*s.pingOutButton);
    EXPECT_EQ (corvanteelTest::outline (f.host), "<4 4=1 >4 <4 4=0 >4");
}

TEST (DelayComponent, LearnAndUnlearnActOnWhatTimeDrives)
{
    struct Case { float sync; bool learn; int driven; };
    const Case cases[] = {
        { 0.0f, true, P::timeIndex }, { 1.0f, true, P::divisionIndex },
        { 0.0f, false, P::timeIndex }, { 1.0f, false, P::divisionIndex },
    };

    for (const auto& c : cases)
    {
        Delay f;
        for (auto* parameter : f.processor.pluginParameters)
            parameter->midiCC = 7;

        corvanteelTest::setParameter (f.processor, P::syncIndex, c.sync);
        f.processor.setMidiLearn (c.learn);
        f.processor.setMidiUnlearn (! c.learn);

        corvanteelTest::dragVertically (*f.section.timeSlider, { -15.0f });

        const int other = c.driven == P::timeIndex ? P::divisionIndex : P::timeIndex;
        const auto& driven = *f.processor.pluginParameters[c.driven];
        EXPECT_EQ (driven.learnArmed.load(), c.learn) << c.sync;
        EXPECT_EQ (driven.midiCC.load(), c.learn ? 7 : -1) << c.sync;
        EXPECT_FALSE (f.processor.pluginParameters[other]->learnArmed.load()) << c.sync;
        EXPECT_EQ (f.processor.pluginParameters[other]->midiCC.load(), 7) << c.sync;
    }
}

TEST (DelayComponent, RefreshShowsTheParameterTimeDrives)
{
    Delay f;
    auto& s = f.section;
    auto defaultOf = [&] (int index) { return (double) f.processor.pluginParameters[index]->defaultNormalisedValue; };

    corvanteelTest::setParameter (f.processor, P::timeIndex, 0.25f);
    corvanteelTest::setParameter (f.processor, P::divisionIndex, 0.75f);
    corvanteelTest::setParameter (f.processor, P::feedbackIndex, 0.3f);
    corvanteelTest::setParameter (f.processor, P::stereoSeparationIndex, 0.6f);
    corvanteelTest::setParameter (f.processor, P::pingOutIndex, 0.0f);

    s.refreshFromProcessor();
    EXPECT_FALSE (s.firstUpdate);
    EXPECT_FALSE (s.syncButton->getToggleState());
    EXPECT_FALSE (s.pingOutButton->getToggleState());
    EXPECT_DOUBLE_EQ (s.timeSlider->getValue(), 0.25);
    EXPECT_DOUBLE_EQ (s.timeSlider->getDoubleClickReturnValue(), defaultOf (P::timeIndex));
    EXPECT_DOUBLE_EQ (s.feedSlider->getValue(), 0.3);
    EXPECT_DOUBLE_EQ (s.feedSlider->getDoubleClickReturnValue(), defaultOf (P::feedbackIndex));
    EXPECT_DOUBLE_EQ (s.sepSlider->getValue(), 0.6);
    EXPECT_DOUBLE_EQ (s.sepSlider->getDoubleClickReturnValue(), defaultOf (P::stereoSeparationIndex));

    // Sync switched by the host: the next refresh moves TIME and its double-click target.
    corvanteelTest::setParameter (f.processor, P::syncIndex, 1.0f);
    s.refreshFromProcessor();
    EXPECT_TRUE (s.syncButton->getToggleState());
    EXPECT_DOUBLE_EQ (s.timeSlider->getValue(), 0.75);
    EXPECT_DOUBLE_EQ (s.timeSlider->getDoubleClickReturnValue(), defaultOf (P::divisionIndex));
    EXPECT_EQ (corvanteelTest::outline (f.host), "");

    corvanteelTest::doubleClick (*s.timeSlider);
    EXPECT_EQ (corvanteelTest::outline (f.host), "<2 2=" + juce::String ((float) s.timeSlider->getValue()) + " >2");
    EXPECT_NEAR (f.processor.getParameter (P::divisionIndex), defaultOf (P::divisionIndex), 0.0005);
}
