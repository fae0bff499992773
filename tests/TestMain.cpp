#include "TestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    // Every test starts in a fresh temporary HOME: instances read and write the
    // preferences file, the preset folder and the crash log there, so no test sees
    // another's files and nothing touches the real user's folders.
    class FreshHomePerTest : public ::testing::EmptyTestEventListener
    {
    public:
        void OnTestStart (const ::testing::TestInfo&) override   { home = std::make_unique<corvanteelTest::TemporaryHome>(); }
        void OnTestEnd (const ::testing::TestInfo&) override     { home.reset(); }

    private:
        std::unique_ptr<corvanteelTest::TemporaryHome> home;
    };
}

int main (int argc, char** argv)
{
    corvanteelTest::TemporaryHome programHome;

    ::testing::InitGoogleTest (&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append (new FreshHomePerTest());

    const juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
