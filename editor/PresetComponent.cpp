#include "editor/PresetComponent.h"

#include "editor/SectionControls.h"
#include "editor/ZentovaLook.h"
#include "processor/PluginProcessor.h"
#include "processor/PresetFile.h"

namespace
{
using S = PresetComponent;
using Palette = ZentovaLook::Palette;
using sectionControls::noParameter;

// RANDOM drives Randomize, but as a trigger rather than through the section
// protocol (see randomClicked), so no row carries a parameter. The preset box is
// built between the two groups.
const sectionControls::ToggleRow<S> buttonsAboveBox[] {
    { &S::randomButton, "random button", "RANDOM", { 170, 110, 60, 20 }, noParameter },
    { &S::loadButton,   "",              "LOAD",   { 95, 110, 60, 20 },  noParameter },
    { &S::saveButton,   "save button",   "SAVE",   { 20, 110, 60, 20 },  noParameter },
};

const sectionControls::ToggleRow<S> steppingButtons[] {
    { &S::previousButton, "", "<", { 20, 68, 30, 20 },  noParameter },
    { &S::nextButton,     "", ">", { 200, 68, 30, 20 }, noParameter },
};

const juce::Rectangle<int> presetBoxBounds { 20, 35, 210, 20 };

// The extension as the drop compares it: the part from the last dot of the file name.
juce::String extensionOf (const juce::String& path)
{
    const auto dot = path.lastIndexOfChar ('.');
    return dot > path.lastIndexOfChar (juce::File::getSeparatorChar()) ? path.substring (dot) : juce::String();
}
} // namespace

PresetComponent::PresetComponent()
{
    sectionControls::createToggles (*this, buttonsAboveBox);

    presetBox = std::make_unique<juce::ComboBox> ("Preset Box");
    presetBox->setEditableText (false);
    presetBox->setJustificationType (juce::Justification::centredLeft);
    presetBox->setTextWhenNothingSelected (juce::translate ("Init"));
    presetBox->setTextWhenNoChoicesAvailable (juce::translate ("(no choices)"));
    presetBox->addListener (this);
    addAndMakeVisible (*presetBox);

    sectionControls::createToggles (*this, steppingButtons);

    setSize (ZentovaLook::Layout::sectionWidth, ZentovaLook::Layout::sectionHeight);

    presetBox->setColour (juce::ComboBox::textColourId, juce::Colour (Palette::grey));

    // SAVE, "<" and ">" are toggles in look only: a click lights them until the
    // next refresh turns them off again. LOAD is a plain push button.
    for (auto* toggle : { randomButton.get(), saveButton.get(), previousButton.get(), nextButton.get() })
        sectionControls::finishToggle (*toggle);

    loadButton->setWantsKeyboardFocus (false);
    presetBox->setWantsKeyboardFocus (false);

    firstUpdate = true;

    showMessageBox = [safeThis = juce::Component::SafePointer<PresetComponent> (this)] (const juce::MessageBoxOptions& options)
    {
        // Tied to the section while it exists, so the window sits over the editor.
        juce::AlertWindow::showAsync (safeThis != nullptr ? options.withAssociatedComponent (safeThis.getComponent())
                                                          : options,
                                      nullptr);
    };
}

PresetComponent::~PresetComponent()
{
    fileChooser.reset();

    randomButton.reset();
    loadButton.reset();
    saveButton.reset();
    presetBox.reset();
    previousButton.reset();
    nextButton.reset();
}

void PresetComponent::paint (juce::Graphics& g)
{
    sectionControls::paintTitleBar (g, "PRESETS");
}

void PresetComponent::resized()
{
    sectionControls::placeToggles (*this, buttonsAboveBox);
    presetBox->setBounds (presetBoxBounds);
    sectionControls::placeToggles (*this, steppingButtons);
}

//==============================================================================
bool PresetComponent::isInterestedInFileDrag (const juce::StringArray&)
{
    // The section is the editor's only drop target and takes every drag; what
    // is not a preset file is ignored at the drop.
    return true;
}

void PresetComponent::buttonClicked (juce::Button* button)
{
    if (button == randomButton.get())        randomClicked();
    else if (button == loadButton.get())     launchLoadDialog();
    else if (button == saveButton.get())     launchSaveDialog();
    else if (button == previousButton.get()) stepPreset (false);
    else if (button == nextButton.get())     stepPreset (true);
}

void PresetComponent::comboBoxChanged (juce::ComboBox* box)
{
    if (box != presetBox.get())
        return;

    // Only the user's picks get here: the refresh never notifies.
    const auto name = presetBox->getText();
    ownerProcessor->requestPresetIndex (presetBox->getSelectedId() - 1);
    ownerProcessor->currentPresetName.set (name);
    lastShownName = name;
}

void PresetComponent::filesDropped (const juce::StringArray& files, int, int)
{
    const auto path = files[0];

    if (extensionOf (path) == ".tqz")
        ownerProcessor->loadPresetFromFile (juce::File (path).getFullPathName());
}

//==============================================================================
void PresetComponent::randomClicked()
{
    constexpr int index = ZentovaAudioProcessor::randomizeIndex;

    // A momentary trigger rather than an edit: no gesture, and the parameter
    // display keeps the parameter touched before.
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    ownerProcessor->setParameterNotifyingHost (index, randomButton->getToggleState() ? 1.0f : 0.0f);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE

    ownerProcessor->applyLearnModes (index);
}

void PresetComponent::launchLoadDialog()
{
    fileChooser = std::make_unique<juce::FileChooser> (juce::translate ("Load Preset"),
                                                       juce::File::getSpecialLocation (juce::File::userHomeDirectory),
                                                       "*.tqz");

    fileChooser->launchAsync (juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles,
                              [this] (const juce::FileChooser& chooser) { loadChosenFile (chooser.getResult()); });
}

void PresetComponent::launchSaveDialog()
{
    fileChooser = std::make_unique<juce::FileChooser> (juce::translate ("Save Preset"), proposedSaveFile(), "*.tqz");

    fileChooser->launchAsync (juce::FileBrowserComponent::saveMode
                                  | juce::FileBrowserComponent::canSelectFiles
                                  | juce::FileBrowserComponent::warnAboutOverwriting,
                              [this] (const juce::FileChooser& chooser) { saveChosenFile (chooser.getResult()); });
}

juce::File PresetComponent::proposedSaveFile() const
{
    const auto& presets = ownerProcessor->presetManager;

    // The folder path already ends in a separator.
    return juce::File (presets.presetFolderPath + ownerProcessor->currentPresetName.get()
                       + "." + presets.presetExtension);
}

void PresetComponent::loadChosenFile (const juce::File& chosen)
{
    if (chosen != juce::File())
        ownerProcessor->loadPresetFromFile (chosen.getFullPathName());
}

bool PresetComponent::saveChosenFile (const juce::File& chosen)
{
    if (chosen != juce::File())
    {
        const auto name = PresetFile::presetNameFor (chosen);
        const auto target = PresetFile::targetFileFor (chosen, ownerProcessor->presetManager.presetExtension);
        const auto givenName = givenNameFor (chosen);

        auto reason = PresetFile::refusalFor (target, givenName);

        if (reason.isEmpty() && ! PresetFile::write (target, name, *ownerProcessor))
            reason = juce::translate ("the file \"FILE\" could not be written. The disk may be full, "
                                      "or the folder may not be writable.")
                         .replace ("FILE", target.getFullPathName());

        // Nothing was saved: the box keeps showing the name and the list it showed.
        if (reason.isNotEmpty())
        {
            reportNotSaved (givenName, reason);
            return false;
        }

        ownerProcessor->currentPresetName.set (name);
    }

    // Also after a cancel, so the box always lists what the folder holds now.
    ownerProcessor->rescanPresets();
    return true;
}

juce::String PresetComponent::givenNameFor (const juce::File& chosen) const
{
    // JUCE's save dialog turns a "/" typed into the name into sub-folders of the
    // folder it shows, and a proposed name that holds one does the same: below the
    // preset folder, the name is the path from there.
    const juce::File folder (ownerProcessor->presetManager.presetFolderPath);

    if (! chosen.isAChildOf (folder))
        return PresetFile::presetNameFor (chosen);

    const auto path = chosen.getRelativePathFrom (folder);
    const auto dot = path.lastIndexOfChar ('.');
    return dot > path.lastIndexOfChar ('/') + 1 ? path.substring (0, dot) : path;
}

void PresetComponent::reportNotSaved (const juce::String& name, const juce::String& reason)
{
    if (showMessageBox == nullptr)
        return;

    showMessageBox (juce::MessageBoxOptions()
                        .withIconType (juce::MessageBoxIconType::WarningIcon)
                        .withTitle (juce::translate ("Preset not saved"))
                        .withMessage (juce::translate ("The preset \"NAME\" was not saved: ").replace ("NAME", name) + reason)
                        .withButton (juce::translate ("OK")));
}

void PresetComponent::stepPreset (bool forward)
{
    const int count = ownerProcessor->presetManager.presetNames.read ([] (const juce::StringArray& names)
                                                                      { return names.size(); });
    const int current = ownerProcessor->currentPresetIndex.load();

    if (forward)
        ownerProcessor->requestPresetIndex (current < count - 1 ? current + 1 : 0);
    else
        ownerProcessor->requestPresetIndex (current > 0 ? current - 1 : count - 1);
}

//==============================================================================
void PresetComponent::refreshFromProcessor()
{
    auto& processor = *ownerProcessor;

    // The generation rather than the flag alone: the flag is lowered by whichever
    // editor of the instance refreshes first, and the others would miss the change.
    if (processor.presetListChanged.load() || firstUpdate
        || processor.presetListGeneration.load() != presetListShown)
        refillPresetBox();

    loadPendingPresetFile();

    if (const auto name = processor.currentPresetName.get(); name != lastShownName)
    {
        showPresetName (name);
        lastShownName = name;
    }

    for (auto* momentary : { saveButton.get(), previousButton.get(), nextButton.get() })
        if (momentary->getToggleState())
            momentary->setToggleState (false, juce::dontSendNotification);

    sectionControls::showSwitch (*randomButton, processor, ZentovaAudioProcessor::randomizeIndex);
}

void PresetComponent::refillPresetBox()
{
    // Without a change notice: it would request the shown preset from disk again
    // and throw away every edit since it was loaded. The box keeps showing what it
    // showed, a pick whose notice is still on its way included.
    const auto shown = presetBox->getText();
    presetBox->clear (juce::dontSendNotification);

    // The count before the names: a rescan in between is then filled in next time.
    presetListShown = ownerProcessor->presetListGeneration.load();
    const auto names = ownerProcessor->presetMenuNames.get();

    for (int i = 0; i < names.size(); ++i)
        presetBox->addItem (names[i], i + 1);

    if (shown.isNotEmpty())
        showPresetName (shown);

    ownerProcessor->presetListChanged.store (false);
    firstUpdate = false;
}

void PresetComponent::showPresetName (const juce::String& name)
{
    // As the box's own setText, except that of several items with the name
    // (Bass.tqz and Bass.TQZ) the last one is selected.
    for (int i = presetBox->getNumItems(); --i >= 0;)
    {
        if (presetBox->getItemText (i) == name)
        {
            presetBox->setSelectedItemIndex (i, juce::dontSendNotification);
            return;
        }
    }

    presetBox->setText (name, juce::dontSendNotification);
}

void PresetComponent::loadPendingPresetFile()
{
    // The processor's own loader, the one it also runs while no editor is open.
    ownerProcessor->loadPendingPresetFile();
}
