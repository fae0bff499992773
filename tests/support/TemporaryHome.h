#pragma once

#include <juce_core/juce_core.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace corvanteelTest
{

/** Points HOME at a new empty folder for its lifetime, then restores HOME and removes
    the folder. Instances keep their preferences, presets and crash log below HOME, so
    a program that runs them inside one never touches the real user's folders.

    Header-only and free of any test framework, because the unit and host tests, the
    fuzz targets and the benchmark all run in one. The folder is removed with the
    standard library, so an instance that lives until exit() does not need JUCE then.
*/
class TemporaryHome
{
public:
    TemporaryHome()
    {
        if (const char* existing = std::getenv ("HOME"))
            previousHome = existing;

        auto pattern = (std::filesystem::temp_directory_path() / "corvanteel-home-XXXXXX").string();

        if (::mkdtemp (pattern.data()) == nullptr)
        {
            std::perror ("mkdtemp");
            std::abort();
        }

        path = pattern;
        ::setenv ("HOME", path.c_str(), 1);
    }

    ~TemporaryHome()
    {
        if (previousHome.has_value())
            ::setenv ("HOME", previousHome->c_str(), 1);
        else
            ::unsetenv ("HOME");

        std::error_code ignored;
        std::filesystem::remove_all (path, ignored);
    }

    TemporaryHome (const TemporaryHome&) = delete;
    TemporaryHome& operator= (const TemporaryHome&) = delete;

    juce::File folder() const           { return juce::File (juce::String::fromUTF8 (path.c_str())); }
    juce::File presetFolder() const     { return folder().getChildFile ("Library/Audio/Presets/Pendrawquiller/Corvanteel"); }
    juce::File preferencesFile() const  { return folder().getChildFile ("Library/Application Support/Pendrawquiller/Corvanteel.prefs"); }
    juce::File crashLogFile() const     { return folder().getChildFile ("Library/Logs/Pendrawquiller/CorvanteelLog.txt"); }

private:
    std::filesystem::path path;
    std::optional<std::string> previousHome;
};

} // namespace corvanteelTest
