#include "gui/VSTEditorMenu.h"

#include "engine/ZelMidi.h"
#include "gui/ZelGuiStitchedDial.h"
#include "gui/ZelLookAndFeel.h"
#include "gui/ZelNumericInput.h"
#include "gui/ZelSlider.h"
#include "host/VSTPluginBaseDM.h"
#include "host/ZelCommon.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int MarginSides = 3;
constexpr int MarginBottom = 3;
constexpr uint8_t MainAlpha = 225;
constexpr int HeadingRadius = 2;
constexpr int InfoRadius = 6;
constexpr TColor Silver = 0xC0C0C0;

constexpr TRect MenuButtonRect{6, 8, 31, 33};
constexpr int NameLeft = 40;
constexpr int NameTop = 9;
constexpr TRect PresetsButtonRect{226, 8, 430, 33};
constexpr TRect InfoPanelRect{453, 8, 649, 33};
constexpr TRect InfoLabelRect{6, 6, 191, 19};

constexpr const char* CCLearnInfo = "MIDI Learn: Click control";
constexpr const char* CCLearnMoveInfo = "MIDI Learn: Move MIDI controller";
constexpr const char* SetCCInfo = "MIDI Set CC: Click control";
constexpr const char* SkinChangedText =
    "Please close and re-open the plugin window for skin changes to take effect.";
constexpr const char* NoPresetCaption = "-";
constexpr const char* NoticeLine = "Copyright (c) 2026 Ventrakis. All rights reserved.";

juce::Rectangle<int> Bounds(const TRect& r) {
  return {r.Left, r.Top, r.Width(), r.Height()};
}

juce::String FromUtf8(const std::string& text) {
  return juce::String::fromUTF8(text.c_str(), static_cast<int>(text.size()));
}

// The value property of the maker's value controls; null for any other control.
template <typename TAction> bool WithValueControl(TObject* control, TAction&& action) {
  if (auto* slider = dynamic_cast<TZelSlider*>(control)) {
    action(*slider);
    return true;
  }
  if (auto* input = dynamic_cast<TZelNumericInput*>(control)) {
    action(*input);
    return true;
  }
  if (auto* dial = dynamic_cast<TZelGuiStitchedDial*>(control)) {
    action(*dial);
    return true;
  }
  return false;
}
} // namespace

TfrmVSTEditorMenu::TfrmVSTEditorMenu(TVSTPluginBase* module, const TZelSkin* skin)
    : TfrmVSTEditorBase(module, skin), timInfo(InfoTimeoutMs) {
  panMain.Alpha = MainAlpha;
  panMain.BorderVisible = true;

  panHeading.BorderRadius = HeadingRadius;
  panHeading.PanelColor = 0xFFFFFF;
  panHeading.Transparent = true;
  panHeading.BorderVisible = false;
  panHeading.OnClick = [this](TObject*) {
    FocusControlUnderMouse();
  };
  addAndMakeVisible(panHeading);

  btnMenu.DropDownMenu = &ddmMenu;
  panHeading.addAndMakeVisible(btnMenu);

  lblName.setFont(ZelFonts::Make("Tahoma", 21.0f, true));
  lblName.setBorderSize(juce::BorderSize<int>(0));
  lblName.setInterceptsMouseClicks(false, false);
  panHeading.addAndMakeVisible(lblName);

  btnPresets.Font = ZelFonts::Make("Segoe UI", 13.0f, true);
  btnPresets.OnClick = [this](TObject* sender) {
    btnPresetsClick(sender);
  };
  panHeading.addAndMakeVisible(btnPresets);

  panInfo.BorderRadius = InfoRadius;
  panInfo.PanelColor = Silver;
  panInfo.PanelGroupColor = true;
  panInfo.BorderVisible = false;
  panHeading.addAndMakeVisible(panInfo);
  lblInfo.setFont(ZelFonts::Make("Tahoma", 11.0f));
  lblInfo.setJustificationType(juce::Justification::centred);
  lblInfo.setBorderSize(juce::BorderSize<int>(0));
  lblInfo.setMinimumHorizontalScale(1.0f);
  lblInfo.setInterceptsMouseClicks(false, false);
  panInfo.addAndMakeVisible(lblInfo);

  timInfo.OnTimer = [this] {
    timInfoTimer();
  };
  BuildMenu();

  if (Module() != nullptr) {
    lblName.setText(FromUtf8(Module()->Identity().EffectName), juce::dontSendNotification);
    ResolveUserGuidePath();
  }
  PlaceHeading();
  setSize(DesignWidth, DesignHeight);
}

TfrmVSTEditorMenu::~TfrmVSTEditorMenu() {
  timInfo.SetEnabled(false);
  if (Module() != nullptr) {
    Module()->SetCCMode(ccmNone);
    Module()->SetTeachCC(-1);
  }
}

void TfrmVSTEditorMenu::BuildMenu() {
  TZelMenuItem& items = ddmMenu.Items();
  auto add = [&items](const char* name, const char* caption, TMenuClickEvent onClick) {
    TZelMenuItem& item = items.Add(caption, 0, std::move(onClick));
    item.Name = name;
    return &item;
  };
  ddmMenu_Init = add("ddmMenu_Init", "Init", [this](TZelMenuItem& item) { ddmMenu_InitClick(item); });
  items.AddSeparator();
  ddmMenu_LoadPreset =
      add("ddmMenu_LoadPreset", "Load Preset", [this](TZelMenuItem&) { OpenPresetBrowser(); });
  ddmMenu_SavePreset =
      add("ddmMenu_SavePreset", "Save Preset", [this](TZelMenuItem&) { SavePresetDialog(); });
  items.AddSeparator();
  ddmMenu_TeachCC =
      add("ddmMenu_TeachCC", "MIDI CC Teach", [this](TZelMenuItem& item) { ddmMenu_TeachCCClick(item); });
  items.AddSeparator();
  ddmMenu_MidiCCLearn = add("ddmMenu_MidiCCLearn", "MIDI CC Learn",
                            [this](TZelMenuItem& item) { ddmMenu_MidiCCLearnClick(item); });
  ddmMenu_MidiSetCC =
      add("ddmMenu_MidiSetCC", "MIDI Set CC", [this](TZelMenuItem& item) { ddmMenu_MidiSetCCClick(item); });
  ddmMenu_MidiCCRemove = add("ddmMenu_MidiCCRemove", "MIDI CC Remove", {});
  items.AddSeparator();
  ddmMain_LowestOctave = add("ddmMain_LowestOctave", "Lowest Octave", {});
  for (int32_t octave = TSettingsStore::MaxLowestOctave; octave >= TSettingsStore::MinLowestOctave;
       --octave) {
    TZelMenuItem& item = ddmMain_LowestOctave->Add(
        std::to_string(octave), octave, [this](TZelMenuItem& chosen) { LowestOctaveItemClick(chosen); });
    item.Name = "ddmMain_LowestOctave" + std::to_string(-octave);
  }
  ddmMain_Skin = add("ddmMain_Skin", "Skin", {});
  static constexpr const char* SkinCaptions[] = {"Carbon", "Dark", "Light", "Luna", "Smokey"};
  for (int32_t tag = TSettingsStore::MinStyle; tag <= TSettingsStore::MaxStyle; ++tag) {
    TZelMenuItem& item =
        ddmMain_Skin->Add(SkinCaptions[tag], tag, [this](TZelMenuItem& chosen) { SkinItemClick(chosen); });
    item.Name = std::string("ddmMain_Skin") + SkinCaptions[tag];
  }
  items.AddSeparator();
  ddmMenu_OpenUserGuide = add("ddmMenu_OpenUserGuide", "Open User Guide",
                              [this](TZelMenuItem& item) { ddmMenu_OpenUserGuideClick(item); });
  items.AddSeparator();
  ddmMenu_About = add("ddmMenu_About", "About", [this](TZelMenuItem& item) { ddmMenu_AboutClick(item); });
  ddmMenu.OnPopup = [this](TZelPopupMenu& menu) {
    ddmMenuPopup(menu);
  };
}

void TfrmVSTEditorMenu::ResolveUserGuidePath() {
  const std::string& fileName = Module()->UserGuideFileName;
  const std::string inData = Module()->DataFolder() + fileName;
  if (CheckedFileExists(inData)) {
    FUserGuidePath = inData;
    return;
  }
  const std::string library = Platform().ModuleFileName();
  if (!library.empty()) {
    const std::string besideLibrary = WithTrailingDelimiter(FilePath(library)) + fileName;
    if (CheckedFileExists(besideLibrary)) {
      FUserGuidePath = besideLibrary;
      return;
    }
  }
  FUserGuidePath.clear();
}

void TfrmVSTEditorMenu::PlaceHeading() {
  btnMenu.setBounds(Bounds(MenuButtonRect));
  const int nameWidth = PresetsButtonRect.Left - NameLeft - 4;
  lblName.setBounds(NameLeft, NameTop, nameWidth, HeadingHeight - NameTop - 4);
  lblName.setJustificationType(juce::Justification::centredLeft);
  btnPresets.setBounds(Bounds(PresetsButtonRect));
  panInfo.setBounds(Bounds(InfoPanelRect));
  lblInfo.setBounds(Bounds(InfoLabelRect));
}

void TfrmVSTEditorMenu::resized() {
  TfrmVSTEditorBase::resized();
  panHeading.setBounds(getLocalBounds().removeFromTop(HeadingHeight));
  panMain.setBounds(MarginSides, MainTop, std::max(0, getWidth() - 2 * MarginSides),
                    std::max(0, getHeight() - MainTop - MarginBottom));
}

void TfrmVSTEditorMenu::FormShow() {
  TfrmVSTEditorBase::FormShow();
  UpdatePresetName();
  ShowInfo("");
}

// ---- Virtual operations ------------------------------------------------------------------------------

void TfrmVSTEditorMenu::UpdateFromPlugin() {}

juce::String TfrmVSTEditorMenu::PresetCaption(const std::string& presetName) const {
  if (presetName.empty()) {
    return NoPresetCaption;
  }
  juce::String caption = FromUtf8(presetName);
  const int limit = btnPresets.getWidth() - PresetCaptionSlack;
  // Character by character from the end, no ellipsis: the name's start is what tells presets apart.
  while (caption.isNotEmpty() && btnPresets.Font.getStringWidth(caption) > limit) {
    caption = caption.dropLastCharacters(1);
  }
  return caption;
}

void TfrmVSTEditorMenu::UpdatePresetName() {
  btnPresets.SetCaption(PresetCaption(Module() != nullptr ? Module()->PresetName() : std::string()));
  btnPresets.repaint();
}

void TfrmVSTEditorMenu::CancelModes() {
  if (Module() != nullptr) {
    Module()->SetCCMode(ccmNone);
    Module()->SetLearnTarget("");
  }
  ShowInfo("");
}

void TfrmVSTEditorMenu::ControlChanged(const std::string&) {}

void TfrmVSTEditorMenu::LowestOctaveChanged() {
  ShowInfo("");
}

void TfrmVSTEditorMenu::AfterInitPreset() {}

void TfrmVSTEditorMenu::AfterPresetBrowser() {}

std::string TfrmVSTEditorMenu::GetParameterName(const std::string& controlName) {
  return controlName;
}

void TfrmVSTEditorMenu::GetPresetBrowserSize(int& width, int& height) {
  width = getWidth() - 32;
  height = getHeight() - 32;
}

int32_t TfrmVSTEditorMenu::GetTeachCC() {
  return -1;
}

void TfrmVSTEditorMenu::InitPreset() {
  if (Module() == nullptr) {
    return;
  }
  try {
    Module()->LoadInitPreset();
  } catch (const std::exception& e) {
    ShowErrorMessage(Owner(), "Error loading preset.", e.what(), "Load Preset");
  }
  AfterInitPreset();
  UpdateFromPlugin();
  ShowInfo("");
}

bool TfrmVSTEditorMenu::ControlMouseDown(const std::string& controlName, TShiftState shift,
                                         const TControlRefresh& refresh, TObject* data) {
  if (Module() == nullptr) {
    return true;
  }
  switch (Module()->CCMode()) {
  case ccmLearn:
    LearnControl(controlName);
    return false;
  case ccmSetCC:
    SetControlCC(controlName);
    return false;
  default:
    break;
  }
  if (!InShift(shift, ssLeft)) {
    return true;
  }
  const std::string parameter = GetParameterName(controlName);
  if (InShift(shift, ssCtrl)) {
    const int32_t index = Module()->ParameterValues.IndexOfName(parameter);
    if (index >= 0) {
      Module()->ParameterValues.Items(index).ResetValue(false);
    }
    if (refresh) {
      refresh(data);
    }
    ControlChanged(controlName);
    return false;
  }
  if (InShift(shift, ssShift)) {
    Module()->TouchParameter(parameter);
    ControlChanged(controlName);
  }
  return true;
}

void TfrmVSTEditorMenu::ControlValueChanged(const std::string& controlName, TObject* control, float) {
  if (FUpdating || Module() == nullptr) {
    return;
  }
  const std::string parameter = GetParameterName(controlName);
  const int32_t index = Module()->ParameterValues.IndexOfName(parameter);
  WithValueControl(control, [&](auto& valueControl) {
    const float value = valueControl.Value();
    if (index < 0 || Module()->ParameterValues.Items(index).CurrentValue.Load() != value) {
      Module()->SetParameterByName(parameter, value);
    }
  });
  ControlChanged(controlName);
}

void TfrmVSTEditorMenu::UpdateControl(const std::string& controlName, TObject* control) {
  if (Module() == nullptr) {
    return;
  }
  const bool wasUpdating = FUpdating;
  FUpdating = true;
  try {
    const int32_t index = Module()->ParameterValues.IndexOfName(GetParameterName(controlName));
    if (index >= 0) {
      const float current = Module()->ParameterValues.Items(index).CurrentValue.Load();
      WithValueControl(control, [current](auto& valueControl) {
        if (valueControl.Value() != current) {
          valueControl.SetValue(current);
        }
      });
    }
  } catch (...) {
    FUpdating = wasUpdating;
    throw;
  }
  FUpdating = wasUpdating;
}

void TfrmVSTEditorMenu::ShowInfo(const std::string& text) {
  timInfo.SetEnabled(false);
  if (!text.empty()) {
    lblInfo.setText(FromUtf8(text), juce::dontSendNotification);
    timInfo.SetEnabled(true);
  } else {
    lblInfo.setText({}, juce::dontSendNotification);
  }
  lblInfo.repaint();
}

// ---- Parameter-control protocol ------------------------------------------------------------------------

TZelBeforeMouseDownEvent TfrmVSTEditorMenu::ControlBeforeMouseDownHandler(const std::string& controlName,
                                                                          TControlRefresh refresh,
                                                                          TObject* data) {
  return [this, controlName, refresh = std::move(refresh), data](TObject*, TMouseButton, TShiftState shift,
                                                                 int, int, bool& Continue) {
    Continue = ControlMouseDown(controlName, shift, refresh, data);
  };
}

TNotifyEvent TfrmVSTEditorMenu::ControlChangeHandler(const std::string& controlName, TObject* control) {
  return [this, controlName, control](TObject*) {
    ControlValueChanged(controlName, control, 0.0f);
  };
}

void TfrmVSTEditorMenu::LearnControl(const std::string& controlName) {
  Module()->SetLearnTarget(GetParameterName(controlName));
  ShowInfo(CCLearnMoveInfo);
}

void TfrmVSTEditorMenu::SetControlCC(const std::string& controlName) {
  const std::string parameter = GetParameterName(controlName);
  const int32_t index = Module()->MidiCCList.IndexOfName(parameter);
  const int32_t initial = index >= 0 ? Module()->MidiCCList.Items(index).CCNumber : DefaultSetCCNumber;
  juce::Component::SafePointer<TfrmVSTEditorMenu> self(this);
  InputNumber(Owner(), "MIDI Set CC: " + parameter, "CC# (0-127)", 127, 0, 0, initial,
              [self, parameter](bool ok, double value) {
                if (self == nullptr || self->Module() == nullptr) {
                  return;
                }
                TVSTPluginBase& module = *self->Module();
                if (ok) {
                  const auto number = static_cast<int32_t>(RoundHalfEven(value));
                  module.MidiCCList.AddOrUpdate(parameter, number);
                  module.MidiCCListChanged();
                  self->ShowInfo(parameter + " = CC# " + IntToText(number));
                  module.NotifyHostChanged();
                } else {
                  self->ShowInfo("");
                }
                module.SetCCMode(ccmNone);
              });
}

// ---- Menu ------------------------------------------------------------------------------------------

void TfrmVSTEditorMenu::ddmMenuPopup(TZelPopupMenu&) {
  ddmMenu_TeachCC->Visible = false;
  ddmMain_LowestOctave->Visible = false;
  if (Module() == nullptr) {
    return;
  }
  TVSTPluginBase& module = *Module();
  const bool teaching = module.TeachCC() >= 0;
  ddmMenu_TeachCC->Bold = teaching;
  ddmMenu_TeachCC->Checked = teaching;
  const TMidiCCMode mode = module.CCMode();
  ddmMenu_MidiCCLearn->Bold = ddmMenu_MidiCCLearn->Checked = mode == ccmLearn;
  ddmMenu_MidiSetCC->Bold = ddmMenu_MidiSetCC->Checked = mode == ccmSetCC;

  ddmMenu_MidiCCRemove->Clear();
  struct TEntry {
    std::string Key;
    int32_t Index;
  };
  std::vector<TEntry> entries;
  for (int32_t i = 0; i < module.MidiCCList.Count(); ++i) {
    const TMidiCCItem& item = module.MidiCCList.Items(i);
    entries.push_back({PadLeft(std::to_string(item.CCNumber), "0", 3) + item.ParameterName, i});
  }
  std::stable_sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) {
    return juce::String(a.Key).compareIgnoreCase(juce::String(b.Key)) < 0;
  });
  for (const TEntry& entry : entries) {
    const TMidiCCItem& item = module.MidiCCList.Items(entry.Index);
    ddmMenu_MidiCCRemove->Add("CC# " + IntToText(item.CCNumber) + " - " + item.ParameterName, entry.Index,
                              [this](TZelMenuItem& chosen) { MidiCCRemoveItemClick(chosen); });
  }
  ddmMenu_MidiCCRemove->Enabled = ddmMenu_MidiCCRemove->Count() > 0;

  CheckByTag(ddmMenu, module.Settings().LowestOctave(), ddmMain_LowestOctave);
  CheckByTag(ddmMenu, module.Settings().Style(), ddmMain_Skin);
  ddmMenu_OpenUserGuide->Visible = CheckedFileExists(FUserGuidePath);
}

void TfrmVSTEditorMenu::ddmMenu_InitClick(TZelMenuItem&) {
  juce::Component::SafePointer<TfrmVSTEditorMenu> self(this);
  ShowMessage(Owner(), "Initialize preset?", "Init", mbYesNo, miConfirmation, [self](TModalResult result) {
    if (self != nullptr && result != mrNo) {
      self->InitPreset();
    }
  });
}

void TfrmVSTEditorMenu::ddmMenu_TeachCCClick(TZelMenuItem&) {
  if (Module() == nullptr) {
    return;
  }
  CancelModes();
  if (Module()->TeachCC() < 0) {
    Module()->SetTeachCC(GetTeachCC());
    ShowInfo("MIDI Teach CC: Sending CC#" + IntToText(Module()->TeachCC()));
  } else {
    Module()->SetTeachCC(-1);
    ShowInfo("");
  }
}

void TfrmVSTEditorMenu::ddmMenu_MidiCCLearnClick(TZelMenuItem&) {
  if (Module() == nullptr) {
    return;
  }
  if (Module()->CCMode() == ccmLearn) {
    Module()->SetCCMode(ccmNone);
    ShowInfo("");
  } else {
    Module()->SetCCMode(ccmLearn);
    Module()->SetTeachCC(-1);
    ShowInfo(CCLearnInfo);
  }
}

void TfrmVSTEditorMenu::ddmMenu_MidiSetCCClick(TZelMenuItem&) {
  if (Module() == nullptr) {
    return;
  }
  if (Module()->CCMode() == ccmSetCC) {
    Module()->SetCCMode(ccmNone);
    ShowInfo("");
  } else {
    Module()->SetCCMode(ccmSetCC);
    Module()->SetTeachCC(-1);
    ShowInfo(SetCCInfo);
  }
}

void TfrmVSTEditorMenu::MidiCCRemoveItemClick(TZelMenuItem& item) {
  if (Module() == nullptr || !InRange(item.Tag, 0, Module()->MidiCCList.Count() - 1)) {
    return;
  }
  Module()->MidiCCList.Delete(item.Tag);
  Module()->MidiCCListChanged();
  Module()->NotifyHostChanged();
}

void TfrmVSTEditorMenu::LowestOctaveItemClick(TZelMenuItem& item) {
  if (Module() == nullptr) {
    return;
  }
  Module()->Settings().SetLowestOctave(item.Tag, Owner());
  LowestOctaveChanged();
}

void TfrmVSTEditorMenu::SkinItemClick(TZelMenuItem& item) {
  if (Module() == nullptr || item.Tag == Module()->Settings().Style()) {
    return;
  }
  Module()->Settings().SetStyle(item.Tag, Owner());
  ShowMessage(Owner(), SkinChangedText, "Change Skin", mbOK, miInformation);
}

void TfrmVSTEditorMenu::ddmMenu_OpenUserGuideClick(TZelMenuItem&) {
  if (FUserGuidePath.empty()) {
    return;
  }
  const int32_t result = ShellOpen(FUserGuidePath, {}, {}, smShowNormal);
  if (result <= 32) {
    ShowMessage(Owner(), "Error opening file.\r\n\r\n\"" + FUserGuidePath + "\"", "Open User Guide", mbOK,
                miInformation);
  }
}

std::string TfrmVSTEditorMenu::AboutText() const {
  const std::string name = Module() != nullptr ? Module()->Identity().EffectName : std::string("Triaxo");
  const std::string version = Module() != nullptr ? Module()->VersionText : std::string();
  return name + " v" + version + "\r\rBuild date: " + BuildDateText() + "\r\r" + NoticeLine + "\r";
}

void TfrmVSTEditorMenu::ddmMenu_AboutClick(TZelMenuItem&) {
  ShowMessage(Owner(), AboutText(), "About", mbOK, miInformation);
}

void TfrmVSTEditorMenu::btnPresetsClick(TObject*) {
  OpenPresetBrowser();
}

void TfrmVSTEditorMenu::timInfoTimer() {
  timInfo.SetEnabled(false);
  const TMidiCCMode mode = Module() != nullptr ? Module()->CCMode() : ccmNone;
  if (mode == ccmLearn || mode == ccmSetCC) {
    timInfo.SetEnabled(true);
  } else {
    ShowInfo("");
  }
}

void TfrmVSTEditorMenu::panMainClick() {
  TfrmVSTEditorBase::panMainClick();
  CancelModes();
}

// ---- Presets -----------------------------------------------------------------------------------------

void TfrmVSTEditorMenu::OpenPresetBrowser() {}

void TfrmVSTEditorMenu::PresetBrowserClosed(int) {}

void TfrmVSTEditorMenu::SavePresetDialog() {
  if (Module() == nullptr) {
    return;
  }
  juce::Component::SafePointer<TfrmVSTEditorMenu> self(this);
  InputText(Owner(), "Save Preset", "Name", true, SaveNameMaxLength, Module()->PresetName(),
            [self](bool ok, const std::string& text) {
              if (ok && self != nullptr && self->Module() != nullptr) {
                self->SavePresetNamed(SafeFileName(TrimText(text)));
              }
            });
}

void TfrmVSTEditorMenu::SavePresetNamed(const std::string& name) {
  TVSTPluginBase& module = *Module();
  if (name.empty()) {
    if (!module.PresetName().empty()) {
      module.SetPresetName("");
      module.NotifyHostChanged();
    }
    return;
  }
  const std::string path = module.PresetFileName(name);
  auto save = [self = juce::Component::SafePointer<TfrmVSTEditorMenu>(this), name, path] {
    if (self == nullptr || self->Module() == nullptr) {
      return;
    }
    TVSTPluginBase& target = *self->Module();
    target.SetPresetName(name);
    TMemoryStreamChunk chunk;
    if (!target.StoreToChunk(chunk, self->Owner())) {
      return;
    }
    try {
      Platform().CreateFolders(FilePath(path));
      chunk.SaveToFile(path);
      target.NotifyHostChanged();
    } catch (const std::exception& e) {
      ShowErrorMessage(self->Owner(), "Error saving preset to file.", e.what(), "Save Preset");
    }
  };
  if (CheckedFileExists(path)) {
    ShowMessage(Owner(), "Overwrite existing preset?", "Preset Exists", mbYesNo, miConfirmation,
                [save](TModalResult result) {
                  if (result != mrNo) {
                    save();
                  }
                });
  } else {
    save();
  }
}
