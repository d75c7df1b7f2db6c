// VSTEditorMenu: the editor shell (TfrmVSTEditorMenu): heading, info line, main menu with its flows and the
// parameter-control protocol.
#pragma once

#include "gui/VSTEditorBase.h"
#include "gui/ZelMenuButton.h"
#include "gui/ZelPopupMenu.h"
#include "gui/ZelSpTBXSpeedButton.h"
#include "gui/ZelTimer.h"
#include "host/UiServices.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <string>

class TfrmPresets;

// The derived editor's refresh of one control (it calls UpdateControl for it) and the data it needs.
using TControlRefresh = std::function<void(TObject* data)>;

// The editor window as the host sees it before the main editor fills panMain: the heading strip
// (menu button, product name, preset-name button, info line) and the main menu with every preset and
// MIDI CC flow. The derived editor overrides the virtual operations below. Every flow that asks the
// user continues in the answer's callback, so the host's user-interface thread is never held.
// User-interface thread only; the module may be null (a window shown without a plug-in), in which
// case the flows do nothing.
class TfrmVSTEditorMenu : public TfrmVSTEditorBase {
public:
  static constexpr int DesignWidth = 656;
  static constexpr int HeadingHeight = 41;
  static constexpr int MainTop = 45;
  static constexpr int InfoTimeoutMs = 3000;
  // btnPresets' caption must fit into its client width less this.
  static constexpr int PresetCaptionSlack = 8;
  static constexpr int SaveNameMaxLength = 50;
  // Set-CC mode offers this number for a control without an assignment.
  static constexpr int32_t DefaultSetCCNumber = 1;

  TfrmVSTEditorMenu(TVSTPluginBase* module, const TZelSkin* skin);
  ~TfrmVSTEditorMenu() override;

  // Components, in the order they are placed.
  TZelGuiPanel panHeading;
  TZelMenuButton btnMenu;
  juce::Label lblName;
  TZelSpTBXSpeedButton btnPresets;
  TZelGuiPanel panInfo;
  juce::Label lblInfo;
  TZelTimer timInfo;
  TZelPopupMenu ddmMenu;

  // The main menu's entries (owned by ddmMenu).
  TZelMenuItem* ddmMenu_Init = nullptr;
  TZelMenuItem* ddmMenu_LoadPreset = nullptr;
  TZelMenuItem* ddmMenu_SavePreset = nullptr;
  TZelMenuItem* ddmMenu_TeachCC = nullptr;
  TZelMenuItem* ddmMenu_MidiCCLearn = nullptr;
  TZelMenuItem* ddmMenu_MidiSetCC = nullptr;
  TZelMenuItem* ddmMenu_MidiCCRemove = nullptr;
  TZelMenuItem* ddmMain_LowestOctave = nullptr;
  TZelMenuItem* ddmMain_Skin = nullptr;
  TZelMenuItem* ddmMenu_OpenUserGuide = nullptr;
  TZelMenuItem* ddmMenu_About = nullptr;

  // Virtual operations, in slot order (the first two come from TfrmVSTEditorBase).
  void UpdateFromPlugin() override;
  void UpdatePresetName() override;
  // Leaves every CC mode and clears the info line.
  virtual void CancelModes();
  // After a control's value was sent, reset or touched.
  virtual void ControlChanged(const std::string& parameterName);
  virtual void LowestOctaveChanged();
  virtual void AfterInitPreset();
  virtual void AfterPresetBrowser();
  // Control name -> parameter name; the shell's controls carry the parameter names themselves.
  virtual std::string GetParameterName(const std::string& controlName);
  virtual void GetPresetBrowserSize(int& width, int& height);
  // The controller number the teach command sends; -1 for none.
  virtual int32_t GetTeachCC();
  // The init preset (or the defaults), then the refresh of the whole editor.
  virtual void InitPreset();
  // The pre-click hook of every parameter-bound control: learn, set-CC, reset or touch. True when the
  // control goes on with the press.
  virtual bool ControlMouseDown(const std::string& controlName, TShiftState shift,
                                const TControlRefresh& refresh, TObject* data);
  // The change event of every parameter-bound control (value is 0 from the controls themselves; the
  // control's own Value is what is sent).
  virtual void ControlValueChanged(const std::string& controlName, TObject* control, float value);
  // Pushes the parameter's current value into a dial, slider or numeric input.
  virtual void UpdateControl(const std::string& controlName, TObject* control);
  // The info line; an empty text clears it. A text stays InfoTimeoutMs, longer while a CC mode lasts.
  void ShowInfo(const std::string& text) override;

  // The parameter-control protocol for the maker's value controls: the control's pre-click hook and
  // change event run ControlMouseDown and ControlValueChanged with this name. refresh defaults to
  // UpdateControl on the control.
  TZelBeforeMouseDownEvent ControlBeforeMouseDownHandler(const std::string& controlName,
                                                         TControlRefresh refresh, TObject* data);
  TNotifyEvent ControlChangeHandler(const std::string& controlName, TObject* control);
  template <typename TControl>
  void BindParameterControl(TControl& control, const std::string& controlName, TControlRefresh refresh = {}) {
    if (!refresh) {
      refresh = [this, controlName, &control](TObject*) {
        UpdateControl(controlName, &control);
      };
    }
    control.Model().OnBeforeMouseDown =
        ControlBeforeMouseDownHandler(controlName, std::move(refresh), &control);
    control.Model().OnChange = ControlChangeHandler(controlName, &control);
  }

  // The flows of the main menu and the heading.
  void OpenPresetBrowser();
  void SavePresetDialog();
  void ddmMenuPopup(TZelPopupMenu& menu);
  void ddmMenu_InitClick(TZelMenuItem& item);
  void ddmMenu_TeachCCClick(TZelMenuItem& item);
  void ddmMenu_MidiCCLearnClick(TZelMenuItem& item);
  void ddmMenu_MidiSetCCClick(TZelMenuItem& item);
  void MidiCCRemoveItemClick(TZelMenuItem& item);
  void LowestOctaveItemClick(TZelMenuItem& item);
  void SkinItemClick(TZelMenuItem& item);
  void ddmMenu_OpenUserGuideClick(TZelMenuItem& item);
  void ddmMenu_AboutClick(TZelMenuItem& item);
  void btnPresetsClick(TObject* sender);
  void timInfoTimer();
  void panMainClick() override;

  // The About box's text and the user guide found at creation (empty when none).
  std::string AboutText() const;
  const std::string& UserGuidePath() const { return FUserGuidePath; }
  // The preset browser while it is open, else null.
  TfrmPresets* PresetBrowser() const { return FPresetBrowser; }
  // The caption btnPresets shows for this preset name.
  juce::String PresetCaption(const std::string& presetName) const;

  void FormShow() override;
  void resized() override;

protected:
  // The owner every box of the shell is centred over.
  TUiOwner Owner() { return static_cast<juce::Component*>(this); }

private:
  void BuildMenu();
  void PlaceHeading();
  void ResolveUserGuidePath();
  void SetControlCC(const std::string& controlName);
  void LearnControl(const std::string& controlName);
  void PresetBrowserClosed(int modalResult);
  void SavePresetNamed(const std::string& name);

  std::string FUserGuidePath;
  TfrmPresets* FPresetBrowser = nullptr;
};
