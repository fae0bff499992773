#pragma once

#include "editor/DelayComponent.h"
#include "editor/FilterComponent.h"
#include "editor/MidiComponent.h"
#include "editor/ModulationComponent.h"
#include "editor/OutComponent.h"
#include "editor/ParamDisplayComponent.h"
#include "editor/PresetComponent.h"
#include "editor/StutterComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class ZentovaAudioProcessor;

/** All the editor's content: the six sections, the MIDI-learn strip and the
    parameter display at fixed places, the grey frame lines between them, and
    the product title and maker's logo artworks. */
class MainPanel : public juce::Component
{
public:
    MainPanel();
    ~MainPanel() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    /** Hands the processor to the panel and to every component that talks to it. */
    void setOwnerProcessor (ZentovaAudioProcessor*);

    /** The 50 ms refresh: every control follows the processor, without notification. */
    void updateFromPlugin();

    /** An artwork from SVG data, or null when the data is not a drawable. */
    static std::unique_ptr<juce::Drawable> loadArtwork (const void* data, size_t numBytes);

    ZentovaAudioProcessor* ownerProcessor = nullptr;

    std::unique_ptr<StutterComponent> stutterComponent;
    std::unique_ptr<FilterComponent> filterComponent;
    std::unique_ptr<ModulationComponent> modulationComponent;
    std::unique_ptr<PresetComponent> presetComponent;
    std::unique_ptr<DelayComponent> delayComponent;
    std::unique_ptr<OutComponent> outComponent;
    std::unique_ptr<ParamDisplayComponent> paramDisplayComponent;
    std::unique_ptr<MidiComponent> midiComponent;
    std::unique_ptr<juce::Drawable> titleDrawable;
    std::unique_ptr<juce::Drawable> logoDrawable;

private:
    template <typename ComponentType>
    void addSection (std::unique_ptr<ComponentType>& member)
    {
        member = std::make_unique<ComponentType>();
        addAndMakeVisible (*member);
    }

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainPanel)
};
