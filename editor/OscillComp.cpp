#include "OscillComp.h"

#include "editor/ZentovaLook.h"
#include "processor/PluginProcessor.h"

OscillComp::OscillComp()
{
    // A provisional size: the OUT section places it.
    setSize (200, 80);
}

OscillComp::~OscillComp() = default;

void OscillComp::paint (juce::Graphics& g)
{
    // No background or frame: the section's black shows around the trace.
    g.setColour (juce::Colour (ZentovaLook::Palette::white));
    g.strokePath (scopePath, juce::PathStrokeType (1.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt));
}

void OscillComp::resized()
{
    // The next refresh builds the trace in the new size.
}

void OscillComp::refreshFromProcessor()
{
    constexpr int numPoints = ZentovaAudioProcessor::scopeHistorySize;

    const auto w = (float) getWidth();
    const auto h = (float) getHeight();
    const float step = w / (float) numPoints;

    // clear() keeps the path's storage: the trace is rebuilt every 50 ms.
    scopePath.clear();

    for (int i = numPoints - 1; i >= 0; --i)
    {
        // The history may be shifting under us; each value is read once, whole.
        const float v = juce::jlimit (-1.0f, 1.0f, ownerProcessor->scopeHistory[(size_t) i].load (std::memory_order_relaxed));
        const float y = h - (0.5f * v + 0.5f) * h;

        if (i == numPoints - 1)
            scopePath.startNewSubPath (0.0f, y);
        else
            scopePath.lineTo (w - (float) i * step, y);
    }

    repaint();
}
