#pragma once

#include <juce_core/juce_core.h>

#include <atomic>

namespace velmoLib
{

/** One automatable parameter: the normalised value that hosts, state, presets,
    MIDI and the editor exchange, its value in the parameter's own unit, the range
    and curve between the two, and the MIDI controller bound to it.

    The value is written from several threads (host automation, editor, MIDI on
    the render thread) while the render thread reads it, so every field that
    crosses threads is atomic; relaxed loads cost nothing on the audio path.
*/
class PluginParameter
{
public:
    PluginParameter() = default;

    void init (float min, float max, float defaultValue, bool stepped,
               juce::String name, juce::String unit, bool curved, bool curveSqrt);

    /** The caller guarantees 0 <= n <= 1. */
    void setNormalisedValue (float n) noexcept;

    juce::Atomic<float> atomicValue { 0.0f };
    std::atomic<float> normalisedValue { 0.0f };
    std::atomic<float> realValue { 0.0f };
    float rangeMin = 0.0f;
    float rangeMax = 1.0f;
    float defaultNormalisedValue = 0.0f;
    bool isStepped = false;
    std::atomic<int> midiCC { -1 };
    std::atomic<bool> learnArmed { false };
    juce::String paramName { "Parameter" };
    juce::String paramUnit;
    bool isCurved = false;
    bool curveSquareRoot = false;

private:
    float realValueFor (float n) const noexcept;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginParameter)
};

} // namespace velmoLib
