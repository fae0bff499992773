// Ten-second renders whose every output bit is pinned: any change to the signal
// units or the chain that alters a single sample shows here, whatever path (block
// size, MIDI, automation, tempo) the render takes. The fingerprints were taken from
// the plain, unoptimised chain; a faster implementation must reproduce them.
#include "TestHelpers.h"

#include <gtest/gtest.h>

#include <cstring>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
    using P = ZentovaAudioProcessor;

    struct Setting { int index; float value; };

    enum Extra
    {
        none = 0,
        tempoChanges = 1,          // the host's tempo moves every 0.37 s (sync on)
        automation = 2,            // cutoff floor, resonance, time, Dry_Wet, Out_Level swept per block
        midiControl = 4,           // bound controllers at odd positions, learn, a randomize by controller
        hotInput = 8               // input at 16 times full scale
    };

    struct GoldenCase
    {
        const char* name;
        double rate;
        int blockSize;
        std::vector<Setting> settings;
        int extras;
        juce::uint64 fingerprint;
    };

    std::ostream& operator<< (std::ostream& out, const GoldenCase& c) { return out << c.name; }

    const std::vector<Setting> busy { { P::syncIndex, 1.0f }, { P::feedbackIndex, 0.9f }, { P::modulationAmountIndex, 1.0f },
                                      { P::stutterMixIndex, 1.0f }, { P::resonanceIndex, 1.0f } };

    // FNV-1a over the bits of every output sample, channel by channel within a block.
    struct Fingerprint
    {
        void add (const juce::AudioBuffer<float>& buffer)
        {
            for (int c = 0; c < buffer.getNumChannels(); ++c)
            {
                for (int i = 0; i < buffer.getNumSamples(); ++i)
                {
                    uint32_t bits;
                    const float sample = buffer.getSample (c, i);
                    std::memcpy (&bits, &sample, sizeof (bits));

                    for (int byte = 0; byte < 4; ++byte)
                    {
                        value ^= (bits >> (8 * byte)) & 0xffu;
                        value *= 0x100000001b3ull;
                    }
                }
            }
        }

        juce::uint64 value = 0xcbf29ce484222325ull;
    };

    // The portable filter pair, the SSE2 one's fallback, must give the same bits.
    juce::uint64 render (const GoldenCase& c, bool portableFilterPair = false)
    {
        P p;
        p.portableFilterPair = portableFilterPair;
        p.randomGenerator.setSeed (1234);   // the randomize by controller draws the same values every run
        p.prepareToPlay (c.rate, c.blockSize);
        for (const auto& s : c.settings)
            p.setParameter (s.index, s.value);

        corvanteelTest::TempoPlayHead tempo;
        p.setPlayHead (&tempo);
        // Bindings that other tests left in the preferences file play no part.
        for (auto* parameter : p.pluginParameters)
            parameter->midiCC = -1;

        if (c.extras & midiControl)
        {
            p.pluginParameters[P::cutoffModDepthIndex]->midiCC = 20;
            p.pluginParameters[P::stutterSpeedIndex]->midiCC = 21;
            p.pluginParameters[P::randomizeIndex]->midiCC = 22;
        }

        juce::Random random (77);
        juce::AudioBuffer<float> buffer (2, c.blockSize);
        Fingerprint fingerprint;
        const auto total = (int64_t) (c.rate * 10.0);
        const float inputGain = (c.extras & hotInput) ? 16.0f : 1.0f;
        int64_t done = 0;

        for (int block = 0; done < total; ++block)
        {
            const int n = (int) juce::jmin ((int64_t) c.blockSize, total - done);
            buffer.setSize (2, n, false, false, true);

            // Noise bursts over a slow sine: loud and quiet passages, silence between.
            for (int i = 0; i < n; ++i)
            {
                const double t = (double) (done + i) / c.rate;
                const bool burst = std::fmod (t, 1.3) < 0.4;
                const float sine = 0.3f * (float) std::sin (2.0 * juce::MathConstants<double>::pi * 220.0 * t);
                for (int ch = 0; ch < 2; ++ch)
                {
                    const float noise = burst ? random.nextFloat() - 0.5f : 0.0f;
                    buffer.setSample (ch, i, inputGain * (noise + (t < 6.0 ? sine : 0.0f)));
                }
            }

            if (c.extras & tempoChanges)
                tempo.bpm = 60.0 + 40.0 * (double) ((int) ((double) done / c.rate / 0.37) % 5);

            if (c.extras & automation)
            {
                const float phase = (float) (done % (int64_t) (c.rate * 2.0)) / (float) (c.rate * 2.0);
                p.setParameter (P::cutoffFloorIndex, phase);
                p.setParameter (P::resonanceIndex, 1.0f - phase);
                p.setParameter (P::timeIndex, 0.1f + 0.3f * phase);
                p.setParameter (P::dryWetIndex, 0.25f + 0.5f * phase);
                p.setParameter (P::outLevelIndex, 0.8f + 0.2f * phase);
            }

            juce::MidiBuffer midi;
            if (c.extras & midiControl)
            {
                const int position = (block * 37) % n;
                midi.addEvent (juce::MidiMessage::controllerEvent (1, 20, (block * 5) % 128), position);
                midi.addEvent (juce::MidiMessage::controllerEvent (2, 21, (block * 11) % 128), n - 1 - position);
                if (block % 40 == 17)
                {
                    p.midiLearnActive = true;
                    p.pluginParameters[P::stereoSeparationIndex]->learnArmed = true;
                    midi.addEvent (juce::MidiMessage::controllerEvent (3, 23, (block * 3) % 128), position);
                }
                if (block % 40 == 18)
                    p.midiLearnActive = false;
                if ((done / c.blockSize) % 900 == 450)
                    midi.addEvent (juce::MidiMessage::controllerEvent (1, 22, 127), 0);
            }

            p.processBlock (buffer, midi);
            fingerprint.add (buffer);
            done += n;
        }

        return fingerprint.value;
    }

    class GoldenRender : public ::testing::TestWithParam<GoldenCase> {};
}

TEST_P (GoldenRender, ReproducesEveryOutputBit)
{
    const auto& c = GetParam();
    const auto fingerprint = render (c);
    EXPECT_EQ (fingerprint, c.fingerprint) << std::hex << "now 0x" << fingerprint;
}

TEST_P (GoldenRender, ReproducesEveryOutputBitThroughThePortableFilterPair)
{
    const auto& c = GetParam();
    EXPECT_EQ (render (c, true), c.fingerprint);
}

INSTANTIATE_TEST_SUITE_P (Renders, GoldenRender, ::testing::Values (
    GoldenCase { "default 48k, 512",                  48000.0, 512,  {}, none, 0xe37ebcd88fac945eull },
    GoldenCase { "busy 48k, 333",                     48000.0, 333,  busy, none, 0xaa620379e51d68eeull },
    GoldenCase { "busy 44.1k, 1",                     44100.0, 1,    busy, none, 0xe81b41b7104189e5ull },
    GoldenCase { "busy 96k, 2048",                    96000.0, 2048, busy, none, 0x481c3df9acc5fa4eull },
    GoldenCase { "resonance and cutoff sweep 44.1k",  44100.0, 333,  { { P::cutoffModDepthIndex, 1.0f }, { P::cutoffModRateIndex, 0.7f },
                                                                       { P::feedbackIndex, 0.8f } }, automation, 0x36831c9827bf8282ull },
    GoldenCase { "stutter reverse 96k",               96000.0, 333,  { { P::stutterReverseIndex, 1.0f }, { P::stutterSpeedIndex, 1.0f },
                                                                       { P::rateModeIndex, 1.0f }, { P::timeIndex, 0.02f },
                                                                       { P::pingOutIndex, 0.0f }, { P::stereoSeparationIndex, 1.0f },
                                                                       { P::stutterMixIndex, 0.8f }, { P::modulationAmountIndex, 0.5f } }, none, 0x71379fe46810338bull },
    GoldenCase { "sync with tempo changes 48k, 1",    48000.0, 1,    { { P::syncIndex, 1.0f }, { P::divisionIndex, 0.6f },
                                                                       { P::feedbackIndex, 0.7f }, { P::stutterMixIndex, 0.6f } }, tempoChanges, 0xfa3d4830495f2a09ull },
    GoldenCase { "automation and MIDI 44.1k, 333",    44100.0, 333,  busy, automation | midiControl, 0x944716c63ae0f270ull },
    GoldenCase { "MIDI at block size 1, 48k",         48000.0, 1,    { { P::modulationAmountIndex, 0.7f }, { P::rateModeIndex, 0.5f } }, midiControl, 0xf1912f7dfe40f2baull },
    GoldenCase { "input x16, busy 48k, 2048",         48000.0, 2048, busy, hotInput, 0x9dfdba104fde68e7ull },
    GoldenCase { "input x16, reverse 44.1k, 333",     44100.0, 333,  { { P::stutterReverseIndex, 1.0f }, { P::feedbackIndex, 1.0f },
                                                                       { P::modulationAmountIndex, 1.0f }, { P::resonanceIndex, 0.8f } }, hotInput, 0xeb9bd9fbfd1ecb27ull }));

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
