#include "PluginEditor.h"

#include "processor/PluginProcessor.h"

ZentovaAudioProcessorEditor::ZentovaAudioProcessorEditor (ZentovaAudioProcessor& owner)
    : juce::AudioProcessorEditor (owner)
{
    using Layout = ZentovaLook::Layout;

    setSize (Layout::editorWidth, Layout::editorHeight);
    ownerProcessor = &owner;

    look.applyColourScheme();

    // The default look too, so popup menus, fonts and anything without a look of its
    // own use it; on close the default passes to another open editor's look, if any.
    look.makeDefault();
    setLookAndFeel (&look);

    // Faces resolved earlier (through the framework's default look, or a closed
    // editor's) would otherwise stay cached and bypass the embedded typeface.
    juce::Typeface::clearTypefaceCache();

    // No constructor on the editor side touches the processor: it arrives only now.
    mainPanel.setOwnerProcessor (&owner);

    addAndMakeVisible (mainPanel);
    mainPanel.setBounds (0, 0, Layout::editorWidth, Layout::panelHeight);

    startTimer (refreshIntervalMs);

    // From now on this refresh loads pending preset files, not the processor.
    owner.editorOpened();
}

ZentovaAudioProcessorEditor::~ZentovaAudioProcessorEditor()
{
    // The look dies before the component base: drop the editor's reference to it
    // first. The look itself hands the process-wide default on as it goes.
    setLookAndFeel (nullptr);

    ownerProcessor->editorClosed();
}

void ZentovaAudioProcessorEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (ZentovaLook::Palette::editorBackground));
}

void ZentovaAudioProcessorEditor::resized()
{
    // Fixed size: the panel is placed once, in the constructor.
}

void ZentovaAudioProcessorEditor::timerCallback()
{
    mainPanel.updateFromPlugin();
}
