#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <optional>

class ZentovaAudioProcessor;

/** The PRESETS section: the preset box, "<" and ">" stepping, LOAD and SAVE through
    file choosers, file drops and the momentary RANDOM. Every load becomes a request to
    the processor; the editor's refresh reads the requested file (see PresetFile).
*/
class PresetComponent : public juce::Component,
                        public juce::FileDragAndDropTarget,
                        public juce::Button::Listener,
                        public juce::ComboBox::Listener
{
public:
    PresetComponent();
    ~PresetComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    bool isInterestedInFileDrag (const juce::StringArray& files) override;
    void buttonClicked (juce::Button*) override;
    void comboBoxChanged (juce::ComboBox*) override;
    void filesDropped (const juce::StringArray& files, int x, int y) override;

    /** The PRESETS step of the panel's refresh: refills the box when the list changed
        (or on the first refresh), loads a pending preset file, then shows the current
        preset name when it changed, and the buttons' states. Nothing it does notifies. */
    void refreshFromProcessor();

    /** What follows the open dialog: asks for the chosen file to be loaded; an empty
        file (the dialog was cancelled) does nothing. */
    void loadChosenFile (const juce::File& chosen);

    /** What follows the save dialog: writes the preset when a file was chosen (an empty
        file means cancelled), then rescans the preset folder in either case. A name that
        cannot be written, or a write that fails, is reported through showMessageBox
        instead, and the preset name and the list stay as they were. Returns whether
        nothing went wrong. */
    bool saveChosenFile (const juce::File& chosen);

    /** The file the save dialog opens on: currentPresetName.tqz in the preset folder. */
    juce::File proposedSaveFile() const;

    ZentovaAudioProcessor* ownerProcessor = nullptr;
    bool firstUpdate = true;

    /** Shows a message to the musician without blocking: a JUCE alert window, run
        asynchronously (hosts must not be held in a modal loop). Replaceable, so a
        program without a desktop can see the message instead. */
    std::function<void (const juce::MessageBoxOptions&)> showMessageBox;

    std::unique_ptr<juce::TextButton> randomButton;
    std::unique_ptr<juce::TextButton> loadButton;
    std::unique_ptr<juce::TextButton> saveButton;
    std::unique_ptr<juce::ComboBox> presetBox;
    std::unique_ptr<juce::TextButton> previousButton;
    std::unique_ptr<juce::TextButton> nextButton;

private:
    void randomClicked();
    void launchLoadDialog();
    void launchSaveDialog();
    void stepPreset (bool forward);

    juce::String givenNameFor (const juce::File& chosen) const;
    void reportNotSaved (const juce::String& name, const juce::String& reason);

    void refillPresetBox();
    void loadPendingPresetFile();
    void showPresetName (const juce::String& name);

    // Hosts must not be blocked by a modal loop, so the dialogs run asynchronously;
    // the chooser lives here until its callback has run.
    std::unique_ptr<juce::FileChooser> fileChooser;

    // The preset name the box was last set to by the refresh, or picked by the user;
    // none before the first refresh. The refresh touches the box only when
    // currentPresetName differs from it: a pick whose change notice is still on its
    // way would otherwise be overwritten, and the notice would request the old preset.
    std::optional<juce::String> lastShownName;

    // The processor's presetListGeneration when the box was last filled.
    int presetListShown = -1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetComponent)
};
