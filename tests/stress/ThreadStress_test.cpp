// Every thread a host uses, at once: the render thread with MIDI and tempo
// changes, a host thread automating and saving state, and the message thread
// opening editors, refreshing and working every button. Run under
// ThreadSanitizer it must report nothing; in any build it must not crash.
#include "TestHelpers.h"

#include "processor/PresetFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")


namespace
{
    using P = ZentovaAudioProcessor;


    struct ChangingTempo : juce::AudioPlayHead
    {
        juce::Optional<PositionInfo> getPosition() const override
        {
            PositionInfo info;
            info.setBpm (bpm.load());
            return info;
        }

        std::atomic<double> bpm { 120.0 };
    };

    double stressSeconds()
    {
        if (const char* text = std::getenv ("CORVANTEEL_STRESS_SECONDS"))
            return juce::jlimit (0.5, 120.0, juce::String (text).getDoubleValue());
        return 2.0;
    }
}

TEST (ThreadStress, RenderHostAndEditorThreadsTogether)
{
    corvanteelTest::TemporaryHome home;
    home.presetFolder().createDirectory();
    for (const auto* name : { "One.tqz", "Two.tqz" })
        home.presetFolder().getChildFile (name).replaceWithText ("<ZENTOVA_PRESET PresetName=\"x\" Feedback=\"0.3\"/>");

    P processor;
    ChangingTempo tempo;
    processor.setPlayHead (&tempo);
    processor.prepareToPlay (48000.0, 256);

    for (int i = 0; i < 20; ++i)
        processor.pluginParameters.getUnchecked (i)->midiCC = 20 + (i % 5);

    std::atomic<bool> running { true };
    const auto endTime = juce::Time::getMillisecondCounterHiRes() + stressSeconds() * 1000.0;

    std::thread render ([&]
    {
        juce::AudioBuffer<float> buffer (2, 256);
        juce::Random random (1);
        int block = 0;

        while (running.load())
        {
            juce::MidiBuffer midi;
            midi.addEvent (juce::MidiMessage::controllerEvent (1, 20 + random.nextInt (6), random.nextInt (128)), random.nextInt (256));
            if (block % 16 == 0)
                midi.addEvent (juce::MidiMessage::programChange (1, random.nextInt (4)), 10);

            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < 256; ++i)
                    buffer.setSample (c, i, random.nextFloat() - 0.5f);

            tempo.bpm = 40.0 + random.nextInt (200);
            processor.processBlock (buffer, midi);
            ++block;
        }
    });

    std::thread host ([&]
    {
        juce::Random random (2);
        juce::MemoryBlock state;

        while (running.load())
        {
            const int index = random.nextInt (20);
            processor.setParameter (index, random.nextFloat());
            juce::ignoreUnused (processor.getParameterText (random.nextInt (20)));

            if (random.nextInt (50) == 0)
            {
                processor.getStateInformation (state);
                processor.setStateInformation (state.getData(), (int) state.getSize());
            }
        }
    });

    // This thread is JUCE's message thread.
    juce::Random random (3);
    std::unique_ptr<juce::AudioProcessorEditor> editor;
    int round = 0;

    while (juce::Time::getMillisecondCounterHiRes() < endTime)
    {
        if (editor == nullptr || random.nextInt (20) == 0)
        {
            editor.reset();
            editor.reset (processor.createEditor());
        }

        if (auto* timer = dynamic_cast<juce::Timer*> (editor.get()))
            timer->timerCallback();

        switch (round++ % 8)
        {
            case 0:  processor.setMidiLearn (! processor.midiLearnActive.load()); break;
            case 1:  processor.setMidiUnlearn (! processor.midiUnlearnActive.load()); break;
            case 2:  processor.requestClearMidi(); break;
            case 3:  processor.panicRequested = true; break;
            case 4:  processor.setParameterNotifyingHost (P::randomizeIndex, 1.0f); break;
            case 5:  PresetFile::write (home.presetFolder().getChildFile ("Saved.tqz"), "Saved", processor);
                     processor.rescanPresets();
                     break;
            case 6:  processor.loadPresetFromFile (home.presetFolder().getChildFile ("One.tqz").getFullPathName()); break;
            default:
            {
                juce::MemoryBlock state;
                processor.getStateInformation (state);
                processor.setStateInformation (state.getData(), (int) state.getSize());
                processor.pluginParameters[random.nextInt (20)]->learnArmed = true;
                break;
            }
        }

        corvanteelTest::dispatchPendingMessages();
    }

    running = false;
    render.join();
    host.join();
    editor.reset();
    processor.setPlayHead (nullptr);

    for (int c = 0; c < 2; ++c)
        EXPECT_TRUE (std::isfinite (processor.channelOutput[c]));
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
