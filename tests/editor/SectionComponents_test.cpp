#include "tests/TestHelpers.h"

#include "editor/DelayComponent.h"
#include "editor/FilterComponent.h"
#include "editor/ModulationComponent.h"
#include "editor/OutComponent.h"
#include "editor/StutterComponent.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

// What the five sections share, from one table: their controls built in order at fixed
// bounds with the common set-ups, and each knob driving its own parameter alone. What
// only one section does is tested in that section's own file.

namespace
{
    using P = ZentovaAudioProcessor;
    using Event = corvanteelTest::RecordingListener::Event;

    /** A section of any of the five types, wired to a fresh processor whose host traffic is recorded. */
    struct SectionUnderTest
    {
        virtual ~SectionUnderTest() = default;
        virtual juce::Component& section() = 0;
        virtual bool waitsForFirstUpdate() const = 0;
        virtual ZentovaAudioProcessor& processor() = 0;
        virtual const corvanteelTest::RecordingListener& host() const = 0;
    };

    // The panel hands the processor to OUT's oscilloscope as well.
    void connectScope (juce::Component&, ZentovaAudioProcessor&) {}
    void connectScope (OutComponent& out, ZentovaAudioProcessor& processor) { out.oscillComp->ownerProcessor = &processor; }

    template <typename Section>
    struct FixtureOf : SectionUnderTest
    {
        FixtureOf() { connectScope (fixture.section, fixture.processor); }

        juce::Component& section() override                                  { return fixture.section; }
        bool waitsForFirstUpdate() const override                              { return fixture.section.firstUpdate; }
        ZentovaAudioProcessor& processor() override                           { return fixture.processor; }
        const corvanteelTest::RecordingListener& host() const override        { return fixture.host; }

        corvanteelTest::SectionFixture<Section> fixture;
    };

    template <typename Section>
    std::unique_ptr<SectionUnderTest> make()
    {
        return std::make_unique<FixtureOf<Section>>();
    }

    enum class Role { knob, caption, toggle, other };

    /** One child of a section as it is built: where it sits and how it is set up. */
    struct ExpectedChild
    {
        std::function<juce::Component* (juce::Component& section)> find;
        juce::Rectangle<int> bounds;
        Role role;
        const char* text = "";            // a caption's or a toggle's text
        const char* componentName = "";   // a toggle's component name
        juce::uint32 accent = 0;          // a knob's colours
        int parameterIndex = -1;          // what a knob drives
        const char* parameterName = "";
    };

    template <typename Section, typename Control>
    std::function<juce::Component* (juce::Component&)> memberOf (std::unique_ptr<Control> Section::* member)
    {
        return [member] (juce::Component& section) -> juce::Component* { return (dynamic_cast<Section&> (section).*member).get(); };
    }

    template <typename Section>
    ExpectedChild knob (std::unique_ptr<juce::Slider> Section::* member, juce::Rectangle<int> bounds,
                        juce::uint32 accent, int parameterIndex, const char* parameterName)
    {
        return { memberOf (member), bounds, Role::knob, "", "", accent, parameterIndex, parameterName };
    }

    template <typename Section>
    ExpectedChild caption (std::unique_ptr<juce::Label> Section::* member, juce::Rectangle<int> bounds, const char* text)
    {
        return { memberOf (member), bounds, Role::caption, text };
    }

    template <typename Section>
    ExpectedChild toggle (std::unique_ptr<juce::TextButton> Section::* member, juce::Rectangle<int> bounds,
                          const char* componentName, const char* text)
    {
        return { memberOf (member), bounds, Role::toggle, text, componentName };
    }

    /** A child with set-ups of its own, tested in its section's file. */
    template <typename Section, typename Control>
    ExpectedChild other (std::unique_ptr<Control> Section::* member, juce::Rectangle<int> bounds)
    {
        return { memberOf (member), bounds, Role::other };
    }

    struct SectionCase
    {
        const char* name;
        std::unique_ptr<SectionUnderTest> (*build)();
        std::vector<ExpectedChild> children;   // in the order the section adds them
    };

    void PrintTo (const SectionCase& c, std::ostream* out) { *out << c.name; }

    constexpr juce::uint32 blue = 0xff308bff, green = 0xff0be067, purple = 0xffd02aff, yellow = 0xfffbff03, white = 0xffffffff;

    const std::vector<SectionCase>& sections()
    {
        using D = DelayComponent;
        using F = FilterComponent;
        using M = ModulationComponent;
        using O = OutComponent;
        using S = StutterComponent;

        static const std::vector<SectionCase> table {
            { "Delay", make<D>, {
                toggle (&D::syncButton,    { 15, 110, 60, 20 },  "sync button", "SYNC"),
                toggle (&D::pingOutButton, { 175, 110, 60, 20 }, "ping out button", "PING->O"),
                knob (&D::timeSlider,  { 25, 35, 40, 40 },  blue, P::timeIndex, "Time"),
                caption (&D::timeLabel, { 25, 85, 40, 12 }, "TIME"),
                knob (&D::feedSlider,  { 105, 35, 40, 40 }, blue, P::feedbackIndex, "Feedback"),
                caption (&D::feedLabel, { 105, 85, 40, 12 }, "FEED"),
                knob (&D::sepSlider,   { 185, 35, 40, 40 }, blue, P::stereoSeparationIndex, "Stereo_Separation"),
                caption (&D::sepLabel,  { 185, 85, 40, 12 }, "SEP") } },

            { "Filter", make<F>, {
                knob (&F::floorSlider, { 25, 35, 40, 40 },  green, P::cutoffFloorIndex, "Cutoff_Floor"),
                caption (&F::floorLabel, { 25, 85, 40, 12 }, "FLOOR"),
                knob (&F::resSlider,   { 185, 35, 40, 40 }, green, P::resonanceIndex, "Resonance"),
                caption (&F::resLabel,   { 185, 85, 40, 12 }, "RES"),
                knob (&F::modSlider,   { 110, 40, 30, 30 }, purple, P::cutoffModDepthIndex, "Cutoff_Mod_Depth"),
                caption (&F::modLabel,   { 105, 70, 40, 12 }, "MOD"),
                knob (&F::rateSlider,  { 110, 88, 30, 30 }, yellow, P::cutoffModRateIndex, "Cutoff_Mod_Rate"),
                caption (&F::rateLabel,  { 105, 118, 40, 12 }, "RATE") } },

            { "Modulation", make<M>, {
                other (&M::modeBox, { 85, 112, 80, 18 }),
                knob (&M::modFxRateSlider, { 25, 35, 40, 40 },  green, P::modulationRateIndex, "Modulation_Rate"),
                caption (&M::modFxRateLabel, { 25, 85, 40, 12 }, "RATE"),
                knob (&M::depthSlider,     { 185, 35, 40, 40 }, green, P::modulationAmountIndex, "Modulation_Amount"),
                caption (&M::depthLabel,     { 185, 85, 40, 12 }, "DEPTH") } },

            { "Out", make<O>, {
                toggle (&O::panicButton, { 95, 110, 60, 20 }, "panic button", "PANIC"),
                knob (&O::dryWetSlider, { 25, 35, 40, 40 },  white, P::dryWetIndex, "Dry_Wet"),
                caption (&O::dryWetLabel, { 25, 85, 40, 12 }, "D/W"),
                knob (&O::levelSlider,  { 185, 35, 40, 40 }, white, P::outLevelIndex, "Out_Level"),
                caption (&O::levelLabel,  { 185, 85, 40, 12 }, "LVL"),
                other (&O::oscillComp, { 75, 45, 100, 26 }) } },

            { "Stutter", make<S>, {
                toggle (&S::reverseButton, { 95, 110, 60, 20 }, "reverse button", "REV"),
                knob (&S::sizeSlider,  { 25, 35, 40, 40 },  green, P::stutterProportionIndex, "Stutter_Proportion"),
                caption (&S::sizeLabel,  { 25, 85, 40, 12 }, "SIZE"),
                knob (&S::speedSlider, { 105, 35, 40, 40 }, green, P::stutterSpeedIndex, "Stutter_Speed"),
                caption (&S::speedLabel, { 105, 85, 40, 12 }, "SPEED"),
                knob (&S::mixSlider,   { 185, 35, 40, 40 }, green, P::stutterMixIndex, "Stutter_Mix"),
                caption (&S::mixLabel,   { 185, 85, 40, 12 }, "MIX") } },
        };

        return table;
    }

    /** What differs from the common set-up of the child's role; empty when nothing does. */
    juce::String setUpFaults (juce::Component& child, const ExpectedChild& expected)
    {
        switch (expected.role)
        {
            case Role::knob:
                if (auto* knob = dynamic_cast<juce::Slider*> (&child))
                    return corvanteelTest::knobSetUpFaults (*knob, juce::Colour (expected.accent));
                return "not a knob";

            case Role::caption:
                if (auto* caption = dynamic_cast<juce::Label*> (&child))
                    return corvanteelTest::captionSetUpFaults (*caption, expected.text);
                return "not a caption";

            case Role::toggle:
                if (auto* toggle = dynamic_cast<juce::Button*> (&child))
                    return corvanteelTest::toggleSetUpFaults (*toggle, expected.componentName, expected.text);
                return "not a toggle";

            case Role::other:
                break;
        }

        return {};
    }

    class SectionComponents : public ::testing::TestWithParam<SectionCase> {};
} // namespace

TEST_P (SectionComponents, ControlsAreBuiltInOrderAtTheirFixedBounds)
{
    const auto built = GetParam().build();
    const auto& children = GetParam().children;
    auto& section = built->section();

    EXPECT_EQ (section.getBounds(), juce::Rectangle<int> (0, 0, 250, 140));
    EXPECT_TRUE (built->waitsForFirstUpdate());
    ASSERT_EQ (section.getNumChildComponents(), (int) children.size());

    for (int i = 0; i < (int) children.size(); ++i)
    {
        const auto& expected = children[(size_t) i];
        auto* child = expected.find (section);
        ASSERT_NE (child, nullptr) << i;

        EXPECT_EQ (section.getChildComponent (i), child) << i;
        EXPECT_EQ (child->getBounds(), expected.bounds) << i;
        EXPECT_TRUE (child->isVisible()) << i;
        EXPECT_EQ (setUpFaults (*child, expected), "") << i;
    }

    // Any size: the controls stay where they are.
    for (const auto size : { juce::Point<int> (10, 10), juce::Point<int> (400, 60), juce::Point<int> (500, 500) })
    {
        section.setSize (size.x, size.y);

        for (int i = 0; i < (int) children.size(); ++i)
            EXPECT_EQ (children[(size_t) i].find (section)->getBounds(), children[(size_t) i].bounds) << i << " at " << size.toString();
    }
}

TEST_P (SectionComponents, EachKnobDrivesOnlyItsParameter)
{
    for (const auto& expected : GetParam().children)
    {
        if (expected.role != Role::knob)
            continue;

        const auto built = GetParam().build();
        auto& processor = built->processor();
        corvanteelTest::dragVertically (*expected.find (built->section()), { -12.0f });

        const auto& events = built->host().events;
        ASSERT_EQ (events.size(), 3u) << expected.parameterName;
        EXPECT_EQ (events[0].kind, Event::gestureStart) << expected.parameterName;
        EXPECT_EQ (events[1].kind, Event::value) << expected.parameterName;
        EXPECT_EQ (events[2].kind, Event::gestureEnd) << expected.parameterName;

        for (const auto& e : events)
            EXPECT_EQ (e.index, expected.parameterIndex) << expected.parameterName;

        EXPECT_EQ (processor.getParameterName (expected.parameterIndex), expected.parameterName);
        EXPECT_EQ (processor.lastTouchedParameterName.get(), expected.parameterName);
        EXPECT_EQ (processor.lastTouchedParameterText.get(), processor.getParameterText (expected.parameterIndex))
            << expected.parameterName;
    }
}

INSTANTIATE_TEST_SUITE_P (Sections, SectionComponents, ::testing::ValuesIn (sections()),
                          [] (const ::testing::TestParamInfo<SectionCase>& test) { return std::string (test.param.name); });
