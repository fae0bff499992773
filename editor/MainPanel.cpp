#include "MainPanel.h"

#include "editor/ZentovaLook.h"

#include <BinaryData.h>

namespace
{
using Palette = ZentovaLook::Palette;
using Layout = ZentovaLook::Layout;

// The frame between the sections. The outer verticals run the panel's full height,
// though only the editor's 350 rows are ever seen; y 139 lies inside the top row.
const juce::Rectangle<int> frameLines[] {
    { 0, 0, 1, Layout::panelHeight },                       // left border
    { 250, 0, 1, 280 },                                     // between the first and second column
    { 500, 0, 1, 280 },                                     // between the second and third column
    { Layout::editorWidth - 1, 0, 1, Layout::panelHeight }, // right border
    { 0, 0, Layout::editorWidth, 1 },                       // top border
    { 0, 280, Layout::editorWidth, 1 },                     // above the bottom strip
    { 0, Layout::editorHeight - 1, Layout::editorWidth, 1 },// bottom border, the last visible row
    { 0, 139, Layout::editorWidth, 1 },                     // between the two rows of sections
};

const juce::Rectangle<float> titleArea { 95.0f, 300.0f, 140.0f, 30.0f };
const juce::Rectangle<float> logoArea { 495.0f, 300.0f, 250.0f, 30.0f };

void drawArtwork (juce::Graphics& g, const juce::Drawable* artwork, juce::Rectangle<float> area)
{
    g.setColour (juce::Colour (Palette::black));

    if (artwork != nullptr)
        artwork->drawWithin (g, area, juce::RectanglePlacement::centred, 1.0f);
}
} // namespace

MainPanel::MainPanel()
{
    // Each is complete (controls, size, first-update flag) before the next one is built.
    addSection (stutterComponent);
    addSection (filterComponent);
    addSection (modulationComponent);
    addSection (presetComponent);
    addSection (delayComponent);
    addSection (outComponent);
    addSection (paramDisplayComponent);
    addSection (midiComponent);

    titleDrawable = loadArtwork (BinaryData::resource_MainPanel_corvanteel_text_svg,
                                 (size_t) BinaryData::resource_MainPanel_corvanteel_text_svgSize);
    logoDrawable = loadArtwork (BinaryData::resource_MainPanel_sorvique_vector_svg,
                                (size_t) BinaryData::resource_MainPanel_sorvique_vector_svgSize);

    // The first size places the children; the parameter display is resized once here.
    setSize (Layout::editorWidth, Layout::editorHeight);
}

MainPanel::~MainPanel()
{
    stutterComponent = nullptr;
    filterComponent = nullptr;
    modulationComponent = nullptr;
    presetComponent = nullptr;
    delayComponent = nullptr;
    outComponent = nullptr;
    paramDisplayComponent = nullptr;
    midiComponent = nullptr;
    titleDrawable = nullptr;
    logoDrawable = nullptr;
}

std::unique_ptr<juce::Drawable> MainPanel::loadArtwork (const void* data, size_t numBytes)
{
    return juce::Drawable::createFromImageData (data, numBytes);
}

void MainPanel::setOwnerProcessor (ZentovaAudioProcessor* processor)
{
    ownerProcessor = processor;
    stutterComponent->ownerProcessor = processor;
    filterComponent->ownerProcessor = processor;
    modulationComponent->ownerProcessor = processor;
    presetComponent->ownerProcessor = processor;
    delayComponent->ownerProcessor = processor;
    outComponent->ownerProcessor = processor;
    outComponent->oscillComp->ownerProcessor = processor;
    paramDisplayComponent->ownerProcessor = processor;
    midiComponent->ownerProcessor = processor;
}

void MainPanel::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (Palette::black));

    for (const auto& line : frameLines)
    {
        g.setColour (juce::Colour (Palette::grey));
        g.fillRect (line);
    }

    drawArtwork (g, titleDrawable.get(), titleArea);
    drawArtwork (g, logoDrawable.get(), logoArea);
}

void MainPanel::resized()
{
    // Fixed places, whatever the panel's own size.
    stutterComponent->setBounds (0, 0, 250, 140);
    filterComponent->setBounds (250, 0, 250, 140);
    modulationComponent->setBounds (500, 0, 250, 140);
    presetComponent->setBounds (250, 140, 250, 140);
    delayComponent->setBounds (0, 140, 250, 140);
    outComponent->setBounds (500, 140, 250, 140);
    paramDisplayComponent->setBounds (260, 290, 230, 50);
    midiComponent->setBounds (0, 280, 250, 70);
}

void MainPanel::updateFromPlugin()
{
    // Panel order; each section refreshes only its own controls.
    stutterComponent->refreshFromProcessor();
    filterComponent->refreshFromProcessor();
    modulationComponent->refreshFromProcessor();
    delayComponent->refreshFromProcessor();
    outComponent->refreshFromProcessor();

    // PRESETS: box refill when the list changed, the pending preset file (the one
    // step that changes parameters), then the preset name and the buttons.
    presetComponent->refreshFromProcessor();

    paramDisplayComponent->refreshFromProcessor();
    midiComponent->refreshFromProcessor();
}
