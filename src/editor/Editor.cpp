#include "editor/Editor.h"

#include "editor/FileSetup.h"
#include "engine/Plugin.h"
#include "engine/TriaxoSetup.h"
#include "engine/ZelMidi.h"
#include "gui/ZelEditorFactory.h"
#include "gui/ZelJuceInput.h"
#include "gui/ZelLookAndFeel.h"
#include "host/UiServices.h"
#include "host/VSTPluginBaseDM.h"
#include "host/ZelCommon.h"

namespace {

constexpr int32_t Octave = 12;
constexpr int32_t ChordIDTag = -2;
constexpr int32_t ClearTag = -1;
constexpr int32_t NoSuggestionTag = -1;
constexpr int32_t EditChordIDDelayMs = 50;
constexpr int32_t StopRetryMs = 20;
constexpr int32_t MaxChordIDLength = 6;

// Key texts: points at the 96 dpi the design was drawn for.
float Points(float pt) {
  return pt * 96.0f / 72.0f;
}

const juce::Font& TriggerRootFont() {
  static const juce::Font font = ZelFonts::Make("Segoe UI", Points(14.0f), true);
  return font;
}
const juce::Font& SmallKeyFont(bool blackKey) {
  static const juce::Font black = ZelFonts::Make("Arial", Points(7.0f), true);
  static const juce::Font white = ZelFonts::Make("Arial", Points(8.0f), true);
  return blackKey ? black : white;
}

int TextHeight(const juce::Font& font) {
  return static_cast<int>(std::ceil(font.getHeight()));
}

// One line of text centred on a key, its top at top.
void DrawKeyText(juce::Graphics& g, const TGuiSingleKey& key, const juce::Font& font, const std::string& text,
                 int top) {
  g.setFont(font);
  g.drawText(juce::String::fromUTF8(text.c_str()), key.Area.Left, top, key.Area.Width(), TextHeight(font),
             juce::Justification::centredTop, false);
}

// Chord-keyboard shading of the octaves away from the trigger's own.
constexpr TColor OuterOctaves = RGBColor(220, 220, 220);
constexpr TColor NearOctaves = RGBColor(236, 236, 236);

const std::array<const char*, Octave> PitchNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                    "F#", "G",  "G#", "A",  "A#", "B"};

void PlaceLabel(juce::Label& label, juce::Component& parent, const juce::String& text, int x, int y, int w,
                int h, const juce::Font& font, juce::Justification justification) {
  label.setText(text, juce::dontSendNotification);
  label.setFont(font);
  label.setJustificationType(justification);
  label.setBorderSize(juce::BorderSize<int>(0));
  label.setBounds(x, y, w, h);
  label.setInterceptsMouseClicks(false, false);
  parent.addAndMakeVisible(label);
}

// Menu nodes of the grammar as popup entries; entries run onClick with their line.
void AddMenuNodes(TZelMenuItem& parent, const std::vector<TMenuNode>& nodes,
                  const std::function<void(int32_t)>& onClick, std::map<int32_t, TZelMenuItem*>& byLine) {
  for (const TMenuNode& node : nodes) {
    switch (node.Kind) {
    case mlkSeparator:
      parent.AddSeparator().Tag = TMenuNode::SeparatorTag;
      break;
    case mlkSubmenu: {
      TZelMenuItem& submenu = parent.Add(node.Caption, node.Tag);
      byLine[node.Tag] = &submenu;
      AddMenuNodes(submenu, node.Children, onClick, byLine);
      break;
    }
    default: {
      const int32_t line = node.Tag;
      byLine[line] = &parent.Add(node.Caption, line, [onClick, line](TZelMenuItem&) { onClick(line); });
    }
    }
  }
}

// Checks the entry of a line and the submenu it sits in; everything else unchecked.
void MarkMenuLine(const std::vector<TMenuNode>& nodes, const std::map<int32_t, TZelMenuItem*>& byLine,
                  int32_t line) {
  for (const auto& [tag, item] : byLine) {
    item->Checked = false;
  }
  const TMenuMark mark = FindMenuMark(nodes, line);
  for (const int32_t tag : {mark.Entry, mark.Submenu}) {
    if (const auto it = byLine.find(tag); tag >= 0 && it != byLine.end()) {
      it->second->Checked = true;
    }
  }
}

} // namespace

// ---- Controls

void TEditorSpeedButton::mouseDown(const juce::MouseEvent& event) {
  TZelSpTBXSpeedButton::mouseDown(event);
  if (OnMouseDown && event.mods.isLeftButtonDown() && AllowClick()) {
    OnMouseDown();
  }
}

void TEditorSpeedButton::mouseUp(const juce::MouseEvent& event) {
  TZelSpTBXSpeedButton::mouseUp(event);
  if (OnMouseUp) {
    OnMouseUp();
  }
}

void TEditorSpeedButton::paintButton(juce::Graphics& g, bool highlighted, bool down) {
  TZelSpTBXSpeedButton::paintButton(g, highlighted, down || getToggleState());
}

// The plug-in's preview operations (the queue to the audio thread).
class TfrmEditor::TPluginPreviews final : public TPreviewTarget {
public:
  explicit TPluginPreviews(TVSTPlugin* plugin) : FPlugin(plugin) {}
  bool PlayTrigger(int32_t note) override { return FPlugin != nullptr && FPlugin->PlayTrigger(note); }
  bool StopTrigger(int32_t note) override { return FPlugin == nullptr || FPlugin->StopTrigger(note); }
  bool PlayNote(int32_t note, int32_t velocity) override {
    return FPlugin != nullptr && FPlugin->PlayNote(note, velocity);
  }
  bool StopNote(int32_t note) override { return FPlugin == nullptr || FPlugin->StopNote(note); }

private:
  TVSTPlugin* FPlugin;
};

// ---- Frame

TfrmEditor::TfrmEditor(TVSTPluginBase* module, const TZelSkin* skin)
    : TfrmVSTEditorMenu(module, skin),
      FPlugin(module != nullptr ? dynamic_cast<TVSTPlugin*>(&module->Plugin()) : nullptr),
      FPreviewTarget(std::make_unique<TPluginPreviews>(FPlugin)), FPreview(*FPreviewTarget) {
  if (FPlugin == nullptr) {
    FOwnSetup = std::make_unique<TTriaxoSetup>();
  }
  FEdits = std::make_unique<TChordSetupEdits>(Setup(), [this] { NotifyHostChanged(); });
  SoundingNotes().AllowDuplicates = true;
  CreateControls();
  FTimingVelocity = std::make_unique<TEditorTimingVelocity>(*this, panTimingVelocity, &Setup());
  FOptions = std::make_unique<TEditorOptions>(*this, panChordSetup, &Setup());
  LoadChordLibrary();
  LoadScaleTemplates();
  FStopRetry.SetInterval(StopRetryMs);
  FStopRetry.OnTimer = [this] {
    FPreview.RetryStops();
    if (!FPreview.HasPendingStops()) {
      FStopRetry.SetEnabled(false);
    }
  };
  // The shell hides "Lowest Octave"; this editor offers it.
  ddmMenu.OnPopup = [this](TZelPopupMenu& menu) {
    ddmMenuPopup(menu);
    if (ddmMain_LowestOctave != nullptr) {
      ddmMain_LowestOctave->Visible = true;
    }
  };
  setSize(ClientWidth, ClientHeight);
}

TfrmEditor::~TfrmEditor() {
  timEditChordID.SetEnabled(false);
  FStopRetry.SetEnabled(false);
}

TTriaxoSetup& TfrmEditor::Setup() {
  return FPlugin != nullptr ? FPlugin->Setup : *FOwnSetup;
}

void TfrmEditor::NotifyHostChanged() {
  if (Module() != nullptr) {
    Module()->NotifyHostChanged();
  }
}

void TfrmEditor::CreateControls() {
  const juce::Font panelFont = ZelFonts::Make("Segoe UI", 15.0f, true);
  for (auto* button : {&btnChordSetupPanel, &btnTimingVelocityPanel}) {
    button->Font = panelFont;
    panMain.addAndMakeVisible(*button);
  }
  btnChordSetupPanel.SetCaption("Chord Setup");
  btnTimingVelocityPanel.SetCaption("Timing / Velocity");
  // The embedded face runs wider than the design's; a caption that would be cut is narrowed instead.
  for (auto* button : {&btnChordSetupPanel, &btnTimingVelocityPanel}) {
    constexpr float Room = 141.0f - 10.0f;
    const float width = button->Font.getStringWidthFloat(button->Caption());
    if (width > Room) {
      button->Font = button->Font.withHorizontalScale(Room / width);
    }
  }
  btnChordSetupPanel.setBounds(12, 13, 141, 33);
  btnChordSetupPanel.setToggleState(true, juce::dontSendNotification);
  btnChordSetupPanel.OnClick = [this](TObject*) {
    btnChordSetupPanelClick();
  };
  btnTimingVelocityPanel.setBounds(159, 13, 141, 33);
  btnTimingVelocityPanel.OnClick = [this](TObject*) {
    btnTimingVelocityPanelClick();
  };

  for (auto* panel : {&panChordSetup, &panTimingVelocity}) {
    panel->Transparent = true;
    panel->BorderVisible = false;
    panel->Alpha = 0;
    panel->setBounds(12, 58, 906, 390);
    panMain.addChildComponent(*panel);
  }
  panChordSetup.setVisible(true);

  CreateKeyboards();
  CreateChordLibrary();
  CreateWizard();
  StyleTexts();
}

void TfrmEditor::CreateKeyboards() {
  TCustomGuiMidiKeys& trigger = MidiKeysTrigger.Keys();
  trigger.SetBaseOctave(0);
  trigger.SetNumOctaves(1);
  trigger.SetBlackKeyHeight(0.63f);
  trigger.SetPinMode(pmdSingle);
  MidiKeysTrigger.PopupMenu = &popTrigger;
  MidiKeysTrigger.setBounds(0, 0, 435, 184);
  trigger.OnKeyPinned = [this](TObject*, int32_t key) {
    MidiKeysTriggerKeyPinned(key);
  };
  trigger.OnKeyPressed = [this](TObject*, int32_t key) {
    MidiKeysTriggerKeyPressed(key);
  };
  trigger.OnKeyReleased = [this](TObject*, int32_t key) {
    MidiKeysTriggerKeyReleased(key);
  };
  trigger.OnAllowKeyDown = [this](TObject*, int32_t, bool& proceed) {
    proceed = !HighlightsShown();
  };
  MidiKeysTrigger.OnContextPopup = [this](TObject*, int x, int y, bool& handled) {
    MidiKeysTriggerContextPopup(x, y, handled);
  };
  MidiKeysTrigger.OnDblClick = [this](TObject*, TMouseButton, TShiftState shift, int, int) {
    MidiKeysTriggerDblClick(shift);
  };
  MidiKeysTrigger.OnDrawKey = [this](TObject*, const TGuiSingleKey& key, juce::Graphics& g) {
    MidiKeysTriggerDrawKey(key, g);
  };
  panChordSetup.addAndMakeVisible(MidiKeysTrigger);

  TCustomGuiMidiKeys& chord = MidiKeysChord.Keys();
  chord.SetBaseOctave(0);
  chord.SetNumOctaves(5);
  chord.SetBlackKeyHeight(0.60f);
  chord.SetPinMode(pmdMulti);
  MidiKeysChord.PopupMenu = &popChord;
  MidiKeysChord.setBounds(0, 249, 906, 140);
  chord.OnKeyPinned = [this](TObject*, int32_t key) {
    MidiKeysChordKeyPinned(key);
  };
  chord.OnKeyUnpinned = [this](TObject*, int32_t key) {
    MidiKeysChordKeyUnpinned(key);
  };
  chord.OnKeyPressed = [this](TObject*, int32_t key) {
    MidiKeysChordKeyPressed(key);
  };
  chord.OnKeyReleased = [this](TObject*, int32_t key) {
    MidiKeysChordKeyReleased(key);
  };
  chord.OnAllowKeyDown = [this](TObject*, int32_t, bool& proceed) {
    proceed = !HighlightsShown();
  };
  chord.OnGetKeyColor = [this](TObject*, uint8_t key, TColor& color, bool isBlack) {
    MidiKeysChordGetKeyColor(key, color, isBlack);
  };
  MidiKeysChord.OnContextPopup = [this](TObject*, int x, int y, bool&) {
    MidiKeysChordContextPopup(x, y);
  };
  MidiKeysChord.OnDrawKey = [this](TObject*, const TGuiSingleKey& key, juce::Graphics& g) {
    MidiKeysChordDrawKey(key, g);
  };
  panChordSetup.addAndMakeVisible(MidiKeysChord);

  const juce::Font octaveFont = ZelFonts::Make("Segoe UI", 13.0f, true);
  const std::array<const char*, 5> octaveTexts = {"-2", "-1", "0", "+1", "+2"};
  const std::array<int, 5> lefts = {1, 181, 362, 543, 724};
  const std::array<int, 5> widths = {181, 182, 181, 182, 181};
  for (std::size_t i = 0; i < lblOctave.size(); ++i) {
    PlaceLabel(lblOctave[i], panChordSetup, octaveTexts[i], lefts[i], 227, widths[i], 21, octaveFont,
               juce::Justification::centred);
  }

  prevPreviewChord.SetCaption("Preview Chord");
  prevPreviewChord.Font = octaveFont;
  prevPreviewChord.setBounds(310, 190, 125, 24);
  prevPreviewChord.OnMouseDown = [this] {
    prevPreviewChordMouseDown();
  };
  prevPreviewChord.OnMouseUp = [this] {
    prevPreviewChordMouseUp();
  };
  panChordSetup.addAndMakeVisible(prevPreviewChord);

  for (int32_t k = 0; k < Octave; ++k) {
    popTrigger.Items().Add(PitchNames[static_cast<std::size_t>(k)], k,
                           [this](TZelMenuItem& item) { popTrigger_CClick(item.Tag); });
  }
  popTrigger.Items().AddSeparator();
  popTrigger.Items().Add("Chord ID...", ChordIDTag, [this](TZelMenuItem&) { EditChordName(); });
  popTrigger.Items().AddSeparator();
  popTrigger.Items().Add("Clear", ClearTag, [this](TZelMenuItem& item) { popTrigger_CClick(item.Tag); });
  popTrigger.OnPopup = [this](TZelPopupMenu&) {
    popTriggerPopup();
  };

  for (int32_t position = 0; position < TNoteSetup::Count; ++position) {
    popChord.Items().Add(std::to_string(position + 1), position,
                         [this](TZelMenuItem& item) { popNote_1Click(item.Tag); });
  }
  popChord.OnPopup = [this](TZelPopupMenu&) {
    popChordPopup();
  };

  timEditChordID.SetInterval(EditChordIDDelayMs);
  timEditChordID.OnTimer = [this] {
    timEditChordIDTimer();
  };
}

void TfrmEditor::CreateChordLibrary() {
  btnChordMenu.DropDownMenu = &ddmChord;
  btnChordMenu.setBounds(0, 219, 24, 24);
  panChordSetup.addAndMakeVisible(btnChordMenu);
  FSuggestChord = &ddmChord.Items().Add("Suggest Chord", -1);
  ddmChord.Items().AddSeparator();
  ddmChord.OnPopup = [this](TZelPopupMenu&) {
    ddmChordPopup();
  };
}

void TfrmEditor::CreateWizard() {
  panWizard.BorderRadius = 5;
  panWizard.setBounds(448, 0, 223, 183);
  panChordSetup.addAndMakeVisible(panWizard);
  const juce::Font font = ZelFonts::Make("Segoe UI", 12.0f, true);
  PlaceLabel(lblScaleTemplate, panWizard, "Scale/Chord Template", 11, 8, 190, 16, font,
             juce::Justification::centredLeft);
  btnScaleTemplate.DropDownMenu = &ddmScaleTemplate;
  btnScaleTemplate.setBounds(11, 29, 201, 25);
  panWizard.addAndMakeVisible(btnScaleTemplate);
  PlaceLabel(lblTonic, panWizard, "Tonic", 11, 60, 80, 16, font, juce::Justification::centredLeft);
  btnTonic.DropDownMenu = &ddmTonic;
  btnTonic.setBounds(11, 80, 83, 25);
  btnTonic.ItemValue = 0;
  panWizard.addAndMakeVisible(btnTonic);
  chkEasyMode.setBounds(12, 111, 18, 22);
  chkEasyMode.SetChecked(true);
  chkEasyMode.OnClick = [this](TObject*) {
    CancelModes();
  };
  panWizard.addAndMakeVisible(chkEasyMode);
  PlaceLabel(lblEasyMode, panWizard, "Easy Mode", 31, 116, 100, 14, font, juce::Justification::centredLeft);
  btnApply.SetCaption("Apply");
  btnApply.setBounds(150, 146, 62, 26);
  btnApply.OnClick = [this](TObject*) {
    btnApplyClick();
  };
  panWizard.addAndMakeVisible(btnApply);

  for (int32_t t = 0; t < Octave; ++t) {
    ddmTonic.Items().Add(PitchNames[static_cast<std::size_t>(t)], t,
                         [this](TZelMenuItem& item) { ddmTonic_CClick(item.Tag); });
  }
  ddmTonic.OnPopup = [this](TZelPopupMenu&) {
    ddmTonicPopup();
  };
  ddmScaleTemplate.OnPopup = [this](TZelPopupMenu&) {
    ddmScaleTemplatePopup();
  };
}

void TfrmEditor::StyleTexts() {
  const TZelSkin* skin = Skin();
  const juce::Colour text = ToColour(skin != nullptr ? skin->WindowText : 0x000000);
  for (juce::Label* label : {&lblScaleTemplate, &lblTonic, &lblEasyMode}) {
    label->setColour(juce::Label::textColourId, text);
  }
  for (juce::Label& label : lblOctave) {
    label.setColour(juce::Label::textColourId, text);
  }
}

void TfrmEditor::LoadChordLibrary() {
  const std::string folder = Module() != nullptr ? Module()->DataFolder() : std::string();
  const std::string text = TFileSetupHolder::DefaultText(TFileSetupHolder::ChordsFileName);
  FChordLines.Lines = folder.empty()
                          ? DecodeTextLines(text)
                          : LoadTextFileLines(folder, TFileSetupHolder::ChordsFileName, text).Lines;
  AddMenuNodes(
      ddmChord.Items(), FChordLines.Menu(), [this](int32_t line) { ChordEntryClick(line); }, FChordEntries);
}

void TfrmEditor::LoadScaleTemplates() {
  const std::string folder = Module() != nullptr ? Module()->DataFolder() : std::string();
  const std::string text = TFileSetupHolder::DefaultText(TFileSetupHolder::ScaleTemplatesFileName);
  FTemplateLines.Lines =
      folder.empty() ? DecodeTextLines(text)
                     : LoadTextFileLines(folder, TFileSetupHolder::ScaleTemplatesFileName, text).Lines;
  AddMenuNodes(
      ddmScaleTemplate.Items(), FTemplateLines.Menu(), [this](int32_t line) { TemplateEntryClick(line); },
      FTemplateEntries);
}

// ---- Refresh and synchronisation

void TfrmEditor::UpdateFromPlugin() {
  // The timing and velocity rows first, then the options with FUpdating set; the keyboards and the
  // wizard follow only the full refresh.
  if (FTimingVelocity == nullptr) {
    return; // the shell's show during creation
  }
  FTimingVelocity->UpdateControlsFromPlugin();
  const bool wasUpdating = FUpdating;
  FUpdating = true;
  try {
    FOptions->UpdateFromPlugin();
    FTimingVelocity->UpdateBoxesFromPlugin();
  } catch (...) {
    FUpdating = wasUpdating;
    throw;
  }
  FUpdating = wasUpdating;
}

void TfrmEditor::ShowInfo(const std::string& text) {
  TfrmVSTEditorMenu::ShowInfo(text.empty() ? SoundingNotes().BuildText() : text);
}

void TfrmEditor::SetLearnedOctave(int32_t octave) {
  FOptions->SetLearnedOctave(octave);
}

void TfrmEditor::CancelModes() {
  if (FOptions != nullptr) {
    FOptions->CancelLearning();
  }
  TfrmVSTEditorMenu::CancelModes();
}

void TfrmEditor::LowestOctaveChanged() {
  TfrmVSTEditorMenu::LowestOctaveChanged();
  FOptions->LowestOctaveChanged();
}

void TfrmEditor::ControlChanged(const std::string& parameterName) {
  FTimingVelocity->ControlChanged(parameterName);
}

void TfrmEditor::ControlValueChanged(const std::string& controlName, TObject* control, float value) {
  if (!FTimingVelocity->ControlValueChanged(controlName, control)) {
    TfrmVSTEditorMenu::ControlValueChanged(controlName, control, value);
  }
}

void TfrmEditor::UpdateControl(const std::string& controlName, TObject* control) {
  if (!FTimingVelocity->UpdateControl(controlName, control)) {
    TfrmVSTEditorMenu::UpdateControl(controlName, control);
  }
}

void TfrmEditor::AfterInitPreset() {
  FullRefresh();
}

void TfrmEditor::AfterPresetBrowser() {
  FullRefresh();
}

void TfrmEditor::GetPresetBrowserSize(int& width, int& height) {
  width = getWidth() - 192;
  height = getHeight() - 96;
}

bool TfrmEditor::ControlMouseDown(const std::string& controlName, TShiftState shift,
                                  const TControlRefresh& refresh, TObject* data) {
  if (Module() != nullptr && Module()->CCMode() == ccmLearnOctave) {
    CancelModes();
  }
  return TfrmVSTEditorMenu::ControlMouseDown(controlName, shift, refresh, data);
}

void TfrmEditor::FormShow() {
  TfrmVSTEditorMenu::FormShow();
  FullRefresh();
}

void TfrmEditor::FullRefresh() {
  ShowPanel();
  MidiKeysTrigger.Keys().PinKey(Clamp<int32_t>(Setup().Triggers.Selected, 0, TTriggers::Count - 1), false);
  ShowSelectedChord();
  UpdateWizard();
}

void TfrmEditor::ShowPanel() {
  const bool timing = Setup().ShowTimingVelocity != 0;
  btnTimingVelocityPanel.setToggleState(timing, juce::dontSendNotification);
  btnChordSetupPanel.setToggleState(!timing, juce::dontSendNotification);
  panTimingVelocity.setVisible(timing);
  panChordSetup.setVisible(!timing);
}

void TfrmEditor::btnChordSetupPanelClick() {
  Setup().ShowTimingVelocity = 0;
  ShowPanel();
}

void TfrmEditor::btnTimingVelocityPanelClick() {
  Setup().ShowTimingVelocity = 1;
  ShowPanel();
}

void TfrmEditor::RefreshHighlights() {
  THighlightedNotes& highlights = HighlightedNotes();
  if (highlights.Count() == 0) {
    return;
  }
  TCustomGuiMidiKeys& keys = MidiKeysTrigger.Keys();
  highlights.Refresh([&keys](int32_t pitchClass, bool pressed) {
    if (pressed) {
      keys.PressKey(pitchClass, false);
    } else {
      keys.ReleaseKey(pitchClass, false);
    }
  });
  keys.RequestRepaint();
}

void TfrmEditor::ShowSelectedChord() {
  TCustomGuiMidiKeys& keys = MidiKeysChord.Keys();
  keys.UnpinAll();
  const TChordNotes& notes = Setup().Triggers.SelectedItem().Notes;
  for (int32_t i = 0; i < notes.Count(); ++i) {
    const int32_t key = notes[i].Note() + ChordKeyOffset;
    if (key >= 0 && key < ChordKeys) {
      keys.PinKey(key, false);
    }
  }
  keys.RequestRepaint();
}

// ---- Trigger keyboard

void TfrmEditor::MidiKeysTriggerKeyPinned(int32_t key) {
  CancelModes();
  FEdits->SelectTrigger(key % Octave);
  ShowSelectedChord();
}

void TfrmEditor::ReleasePressedKey() {
  const int32_t pressed = FPreview.PressedKey();
  if (pressed < 0) {
    return;
  }
  // The keyboard's own release runs the released handler, which stops the sound.
  (FPreview.PressedKeyIsTrigger() ? MidiKeysTrigger : MidiKeysChord).Keys().ReleaseKey(pressed, true);
  FPreview.ReleaseKey();
  StartStopRetries();
}

void TfrmEditor::StartStopRetries() {
  if (FPreview.HasPendingStops() && !FStopRetry.Enabled()) {
    FStopRetry.SetEnabled(true);
  }
}

void TfrmEditor::MidiKeysTriggerKeyPressed(int32_t key) {
  CancelModes();
  ReleasePressedKey();
  FPreview.PressTriggerKey(key % Octave);
  StartStopRetries();
}

void TfrmEditor::MidiKeysTriggerKeyReleased(int32_t) {
  FPreview.ReleaseKey();
  StartStopRetries();
}

void TfrmEditor::MidiKeysTriggerContextPopup(int x, int y, bool& handled) {
  const int32_t key = MidiKeysTrigger.Keys().KeyAt(x, y);
  if (key < 0) {
    // Outside every key: nothing to select and nothing to set.
    handled = true;
    return;
  }
  FPopupKey = key % Octave;
  MidiKeysTrigger.Keys().PinKey(key, false);
  FEdits->SelectTrigger(FPopupKey);
  ShowSelectedChord();
}

void TfrmEditor::MidiKeysTriggerDblClick(TShiftState shift) {
  if ((shift & ssCtrl) == 0) {
    timEditChordID.SetEnabled(true);
  }
}

void TfrmEditor::timEditChordIDTimer() {
  timEditChordID.SetEnabled(false);
  const auto mouse = juce::Desktop::getInstance().getMainMouseSource().getScreenPosition().roundToInt();
  const auto local = MidiKeysTrigger.getLocalPoint(nullptr, mouse);
  const int32_t key = MidiKeysTrigger.Keys().KeyAt(local.x, local.y);
  if (key >= 0) {
    FPopupKey = key % Octave;
    EditChordName();
  }
}

void TfrmEditor::EditChordName() {
  if (!InRange(FPopupKey, 0, Octave - 1)) {
    return;
  }
  const int32_t trigger = FPopupKey;
  juce::Component::SafePointer<TfrmEditor> self(this);
  InputText(Owner(), "Edit Chord ID", "Chord ID", true, MaxChordIDLength, Setup().Triggers[trigger].Name(),
            [self, trigger](bool ok, const std::string& text) {
              if (!ok || self == nullptr) {
                return;
              }
              self->FEdits->SetChordName(trigger, TrimText(text));
              self->MidiKeysTrigger.Keys().RequestRepaint();
            });
}

void TfrmEditor::popTriggerPopup() {
  CancelModes();
  const int32_t key = InRange(FPopupKey, 0, Octave - 1) ? Setup().Triggers[FPopupKey].Key.Load() : -1;
  TZelMenuItem& items = popTrigger.Items();
  for (int32_t i = 0; i < items.Count(); ++i) {
    TZelMenuItem& item = items[i];
    if (item.IsSeparator()) {
      continue;
    }
    item.Checked = key >= 0 && item.Tag == key;
    if (item.Tag == ClearTag || item.Tag == ChordIDTag) {
      item.Enabled = key >= 0;
    }
  }
}

void TfrmEditor::popTrigger_CClick(int32_t tag) {
  if (!InRange(FPopupKey, 0, Octave - 1)) {
    return;
  }
  FEdits->SetTriggerKey(FPopupKey, tag);
  if (FPopupKey == Setup().Triggers.Selected) {
    ShowSelectedChord();
  }
  MidiKeysTrigger.Keys().RequestRepaint();
}

void TfrmEditor::MidiKeysTriggerDrawKey(const TGuiSingleKey& key, juce::Graphics& g) {
  if (key.KeyNo >= Octave) {
    return;
  }
  const TTriggerItem& trigger = Setup().Triggers[key.KeyNo];
  const int32_t root = trigger.Key;
  if (root < 0) {
    return;
  }
  const juce::Font& rootFont = TriggerRootFont();
  const int rootHeight = TextHeight(rootFont);
  DrawKeyText(g, key, rootFont, NoteName(root), key.Area.Bottom - rootHeight - 10);
  const std::string name = TrimText(trigger.Name());
  if (!name.empty()) {
    const juce::Font& nameFont = SmallKeyFont(key.IsBlack());
    DrawKeyText(g, key, nameFont, name, key.Area.Bottom - rootHeight - TextHeight(nameFont) - 13);
  }
}

// ---- Chord keyboard

void TfrmEditor::MidiKeysChordKeyPinned(int32_t key) {
  CancelModes();
  FEdits->AddChordNote(key - ChordKeyOffset);
}

void TfrmEditor::MidiKeysChordKeyUnpinned(int32_t key) {
  CancelModes();
  FEdits->RemoveChordNote(key - ChordKeyOffset);
}

void TfrmEditor::MidiKeysChordKeyPressed(int32_t key) {
  CancelModes();
  ReleasePressedKey();
  FPreview.PressChordKey(key);
  StartStopRetries();
}

void TfrmEditor::MidiKeysChordKeyReleased(int32_t) {
  FPreview.ReleaseKey();
  StartStopRetries();
}

void TfrmEditor::MidiKeysChordContextPopup(int x, int y) {
  FPopupKey = MidiKeysChord.Keys().KeyAt(x, y);
}

void TfrmEditor::MidiKeysChordGetKeyColor(uint8_t key, TColor& color, bool isBlack) {
  const TGuiSingleKey& record = MidiKeysChord.Keys().Key(key);
  if (isBlack || record.Has(kfDown) || record.Has(kfPinned)) {
    return;
  }
  if (key < 12 || (key >= 48 && key < 60)) {
    color = OuterOctaves;
  } else if (key < 24 || (key >= 36 && key < 48)) {
    color = NearOctaves;
  }
}

void TfrmEditor::MidiKeysChordDrawKey(const TGuiSingleKey& key, juce::Graphics& g) {
  if (!key.Has(kfPinned)) {
    return;
  }
  const juce::Font& font = SmallKeyFont(false);
  const int height = TextHeight(font);
  DrawKeyText(g, key, font, NoteName(key.KeyNo), key.Area.Bottom - height - 5);
  const TChordNotes& notes = Setup().Triggers.SelectedItem().Notes;
  const int32_t index = notes.IndexOfNote(key.KeyNo - ChordKeyOffset);
  if (index >= 0) {
    DrawKeyText(g, key, font, std::to_string(notes[index].Position() + 1), key.Area.Bottom - 2 * height - 10);
  }
}

void TfrmEditor::popChordPopup() {
  CancelModes();
  const TChordNotes& notes = Setup().Triggers.SelectedItem().Notes;
  const int32_t index = FPopupKey >= 0 ? notes.IndexOfNote(FPopupKey - ChordKeyOffset) : -1;
  TZelMenuItem& items = popChord.Items();
  for (int32_t i = 0; i < items.Count(); ++i) {
    items[i].Enabled = index >= 0;
    items[i].Checked = index >= 0 && items[i].Tag == notes[index].Position();
  }
}

void TfrmEditor::popNote_1Click(int32_t tag) {
  if (FPopupKey >= 0 && FEdits->SetNotePosition(FPopupKey - ChordKeyOffset, tag)) {
    MidiKeysChord.Keys().RequestRepaint();
  }
}

void TfrmEditor::prevPreviewChordMouseDown() {
  CancelModes();
  if (HighlightsShown()) {
    return;
  }
  FPreview.StartChordPreview(Setup().Triggers.Selected);
}

void TfrmEditor::prevPreviewChordMouseUp() {
  FPreview.StopChordPreview();
  StartStopRetries();
}

// ---- Chord library

void TfrmEditor::ddmChordPopup() {
  CancelModes();
  FSuggestChord->Clear();
  const TChordLibrary::TSuggestions suggestions = FChordLines.Suggest(Setup().Triggers);
  if (suggestions.NoRootNote) {
    FSuggestChord->Add("No Root Note", NoSuggestionTag);
  } else {
    for (const auto& suggestion : suggestions.Items) {
      const int32_t line = suggestion.Tag - TChordLibrary::SuggestionTagBase;
      FSuggestChord->Add(suggestion.Caption, suggestion.Tag, [this, line](TZelMenuItem&) {
        if (FEdits->SetChordFromLine(FChordLines, line)) {
          MidiKeysTrigger.Keys().RequestRepaint();
          ShowSelectedChord();
        }
      });
    }
    if (FSuggestChord->Count() == 0) {
      FSuggestChord->Add("No Suggestions", NoSuggestionTag);
    }
  }
  MarkMenuLine(FChordLines.Menu(), FChordEntries,
               FChordLines.IndexOfChordID(Setup().Triggers.SelectedItem().Name()));
}

void TfrmEditor::ChordEntryClick(int32_t line) {
  if (Setup().Triggers.SelectedItem().Key < 0) {
    ShowMessage(Owner(), "Root note not specified.", "Set Chord", mbOK, miInformation);
    return;
  }
  FEdits->SetChordFromLine(FChordLines, line);
  MidiKeysTrigger.Keys().RequestRepaint();
  ShowSelectedChord();
}

// ---- Wizard

void TfrmEditor::ddmScaleTemplatePopup() {
  CancelModes();
  MarkMenuLine(FTemplateLines.Menu(), FTemplateEntries, btnScaleTemplate.ItemValue);
}

void TfrmEditor::TemplateEntryClick(int32_t line) {
  btnScaleTemplate.ItemValue = line;
  UpdateTemplateCaption();
}

void TfrmEditor::UpdateTemplateCaption() {
  btnScaleTemplate.SetCaption(
      juce::String::fromUTF8(FTemplateLines.Caption(btnScaleTemplate.ItemValue).c_str()));
}

void TfrmEditor::ddmTonicPopup() {
  CancelModes();
  CheckByTag(ddmTonic, btnTonic.ItemValue);
}

void TfrmEditor::ddmTonic_CClick(int32_t tag) {
  btnTonic.ItemValue = tag;
  btnTonic.SetCaption(NoteName(tag));
}

void TfrmEditor::UpdateWizard() {
  const TTriaxoSetup& setup = Setup();
  const TWizardChoice choice =
      WizardChoiceFor(FTemplateLines, setup.ScaleTemplateName, setup.ScaleTemplateIndex, setup.Tonic);
  btnScaleTemplate.ItemValue = choice.TemplateIndex;
  btnTonic.ItemValue = choice.Tonic;
  chkEasyMode.SetChecked(setup.EasyMode);
  UpdateTemplateCaption();
  btnTonic.SetCaption(NoteName(choice.Tonic));
}

void TfrmEditor::btnApplyClick() {
  CancelModes();
  const TApplyRequest request{btnScaleTemplate.ItemValue, btnTonic.ItemValue, chkEasyMode.Checked()};
  switch (FEdits->CheckApply(FTemplateLines, request)) {
  case apcNoTemplate:
    ShowMessage(Owner(), ApplyTexts::NoTemplate, ApplyTexts::Caption, mbOK, miInformation);
    return;
  case apcVariationsNeedEasyMode:
    ShowMessage(Owner(), ApplyTexts::VariationsNeedEasyMode, ApplyTexts::Caption, mbOK, miInformation);
    return;
  case apcReady:
    break;
  }
  const std::string question = ApplyQuestion(btnScaleTemplate.Caption().toStdString(),
                                             btnTonic.Caption().toStdString(), request.EasyMode);
  juce::Component::SafePointer<TfrmEditor> self(this);
  ShowMessage(Owner(), question, ApplyTexts::Caption, mbYesNo, miConfirmation,
              [self, request](TModalResult result) {
                // Only a Yes rebuilds the triggers: a box closed with the window (Cancel) leaves
                // the setup alone.
                if (self != nullptr && result == mrYes) {
                  self->ApplyConfirmed(request);
                }
              });
}

void TfrmEditor::ApplyConfirmed(const TApplyRequest& request) {
  if (!FEdits->ApplyTemplate(FTemplateLines, request)) {
    return;
  }
  MidiKeysTrigger.Keys().PinKey(0, false);
  MidiKeysTrigger.Keys().RequestRepaint();
  ShowSelectedChord();
}

void RegisterMainEditor(TZelEditorFactory& factory) {
  factory.SetFormMaker(
      [](TVSTPluginBase* module, const TZelSkin* skin) -> std::unique_ptr<TfrmVSTEditorBase> {
        return std::make_unique<TfrmEditor>(module, skin);
      });
}
