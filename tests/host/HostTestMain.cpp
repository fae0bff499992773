#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace
{
    /** Points HOME at a new empty folder for the whole run, before anything of
        JUCE or of the plug-ins looks at it, and removes the folder afterwards.
        The plug-ins write their preferences and crash log below HOME.
    */
    class TemporaryHome
    {
    public:
        TemporaryHome()
        {
            std::string pattern = (std::filesystem::temp_directory_path() / "corvanteel-host-XXXXXX").string();

            if (mkdtemp (pattern.data()) == nullptr)
            {
                std::perror ("mkdtemp");
                std::exit (EXIT_FAILURE);
            }

            folder = pattern;
            setenv ("HOME", folder.c_str(), 1);

            // Everything JUCE derives from the XDG folders then lies below HOME too,
            // and no display is ever used: the tests run headless.
            for (const char* variable : { "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                          "XDG_STATE_HOME", "DISPLAY", "WAYLAND_DISPLAY" })
                unsetenv (variable);
        }

        ~TemporaryHome()
        {
            std::error_code ignored;
            std::filesystem::remove_all (folder, ignored);
        }

        /** JUCE's LV2 host only looks in ~/.lv2 and the system folders, so the
            built bundle is linked into this HOME as a user would install it.
        */
        void installLv2Bundle (const std::filesystem::path& bundle) const
        {
            const auto userLv2 = folder / ".lv2";
            std::filesystem::create_directories (userLv2);
            std::filesystem::create_directory_symlink (bundle, userLv2 / bundle.filename());
        }

    private:
        std::filesystem::path folder;
    };
}

int main (int argc, char** argv)
{
    TemporaryHome home;
    home.installLv2Bundle (CORVANTEEL_LV2_PATH);

    ::testing::InitGoogleTest (&argc, argv);

    int result = 0;

    {
        const juce::ScopedJuceInitialiser_GUI juceInitialiser;
        result = RUN_ALL_TESTS();
    }

    return result;
}
