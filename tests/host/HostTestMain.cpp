#include <juce_audio_processors/juce_audio_processors.h>

#include "TemporaryHome.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace
{
    /** Everything JUCE derives from the XDG folders then lies below HOME too, and no
        display is ever used: the tests run headless. */
    void forgetUserFoldersAndDisplay()
    {
        for (const char* variable : { "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                      "XDG_STATE_HOME", "DISPLAY", "WAYLAND_DISPLAY" })
            unsetenv (variable);
    }

    /** JUCE's LV2 host only looks in ~/.lv2 and the system folders, so the built
        bundle is linked into HOME as a user would install it. */
    void installLv2Bundle (const corvanteelTest::TemporaryHome& home, const std::filesystem::path& bundle)
    {
        const auto userLv2 = std::filesystem::path (home.folder().getFullPathName().toStdString()) / ".lv2";
        std::filesystem::create_directories (userLv2);
        std::filesystem::create_directory_symlink (bundle, userLv2 / bundle.filename());
    }
}

int main (int argc, char** argv)
{
    // Before anything of JUCE or of the plug-ins looks at HOME: the plug-ins write
    // their preferences and crash log below it.
    corvanteelTest::TemporaryHome home;
    forgetUserFoldersAndDisplay();
    installLv2Bundle (home, CORVANTEEL_LV2_PATH);

    ::testing::InitGoogleTest (&argc, argv);

    int result = 0;

    {
        const juce::ScopedJuceInitialiser_GUI juceInitialiser;
        result = RUN_ALL_TESTS();
    }

    return result;
}
