// Renders the editor of a fresh plug-in instance into a PNG file, headless:
//     corvanteel_snapshot <output.png> [scale]
// The instance runs with HOME in a new temporary folder, so no real presets or
// preferences show up in the picture. scripts/snapshot builds and runs it.

#include "tests/TestHelpers.h"

#include "editor/PluginEditor.h"

#include <cstdlib>
#include <iostream>

int main (int argc, char** argv)
{
    const float scale = argc == 3 ? (float) std::atof (argv[2]) : 1.0f;

    if (argc < 2 || argc > 3 || ! (scale > 0.0f && scale <= 8.0f))
    {
        std::cerr << "usage: corvanteel_snapshot <output.png> [scale, 1 to 8]\n";
        return 2;
    }

    // Before JUCE looks at HOME.
    corvanteelTest::TemporaryHome home;
    const juce::ScopedJuceInitialiser_GUI juce;

    const auto target = juce::File::getCurrentWorkingDirectory().getChildFile (juce::String (argv[1]));
    juce::Image image;

    {
        ZentovaAudioProcessor processor;
        std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());

        // What the window shows once the first 50 ms refresh has run.
        if (auto* zentova = dynamic_cast<ZentovaAudioProcessorEditor*> (editor.get()))
            zentova->timerCallback();

        image = editor->createComponentSnapshot (editor->getLocalBounds(), true, scale);
    }

    target.deleteFile();
    juce::FileOutputStream out (target);
    juce::PNGImageFormat png;

    if (out.failedToOpen() || ! png.writeImageToStream (image, out))
    {
        std::cerr << "could not write " << target.getFullPathName() << "\n";
        return 1;
    }

    std::cout << target.getFullPathName() << "\n";
    return 0;
}
