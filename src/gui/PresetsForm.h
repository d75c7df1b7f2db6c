// PresetsForm: the preset browser (TfrmPresets): the list of preset files, Open, Delete, Show in Explorer.
#pragma once

#include "gui/PresetsModel.h"
#include "gui/ZelGuiPanel.h"
#include "gui/ZelPopupMenu.h"
#include "gui/ZelSpTBXSpeedButton.h"
#include "gui/ZelTimer.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <optional>
#include <string>

class TfrmPresets;

// The owner-drawn list of the browser: fixed item height, three columns that fill top to bottom, and a
// horizontal scroll bar once the items need more columns than show.
class TZelPresetList final : public juce::Component, private juce::ScrollBar::Listener {
public:
  explicit TZelPresetList(TfrmPresets& form);

  juce::Font Font;
  int FirstColumn() const { return FFirstColumn; }
  // Scrolls so that the selected item shows, and repaints.
  void Changed();
  // The item under a point of the list, -1 for none.
  int ItemAt(juce::Point<int> point) const;
  juce::Rectangle<int> ItemRect(int index) const;

  void paint(juce::Graphics& g) override;
  void resized() override;
  void mouseDown(const juce::MouseEvent& event) override;
  void mouseDoubleClick(const juce::MouseEvent& event) override;
  void mouseWheelMove(const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;
  bool keyPressed(const juce::KeyPress& key) override;

private:
  void scrollBarMoved(juce::ScrollBar* bar, double newRangeStart) override;
  juce::Rectangle<int> ItemArea() const;
  void ScrollTo(int column);

  TfrmPresets& FForm;
  juce::ScrollBar FScrollBar{false};
  int FFirstColumn = 0;
};

// The modal preset browser. The editor shell shows it over the editor (TPresetsLayer), gives it the
// presets folder and the current preset name, and loads the chosen file itself after OK; the browser
// never reads preset contents. User-interface thread only.
class TfrmPresets final : public juce::Component, public TObject {
public:
  static constexpr int DesignWidth = 544;
  static constexpr int DesignHeight = 289;
  static constexpr int TimerIntervalMs = 100;
  static constexpr int ListLeft = 12;
  static constexpr int ListTop = 36;

  TfrmPresets();
  ~TfrmPresets() override;

  TZelGuiPanel panMain;
  juce::Label lblCaption;
  TZelPresetList lstPresets;
  TZelSpTBXSpeedButton btnOK;
  TZelSpTBXSpeedButton btnCancel;
  TZelPopupMenu popMenu;
  TZelMenuItem* popMenu_Open = nullptr;
  TZelMenuItem* popMenu_Delete = nullptr;
  TZelMenuItem* popMenu_ShowInExplorer = nullptr;
  TZelTimer Timer;

  // The folder and the current preset name; set before Show.
  void SetFolder(const std::string& folder) { FModel.SetFolder(folder); }
  void SetPresetName(const std::string& name) { FModel.PresetName = name; }
  TPresetsModel& Model() { return FModel; }
  // Lists the presets, selects the current one and starts the outside-click check.
  void Show();
  // Ends the dialog with mrOK or mrCancel (the TModalResult numbers); OnClose answers once.
  void CloseWith(int modalResult);
  std::function<void(int modalResult)> OnClose;
  int ModalResult() const { return FModalResult; }
  // Valid after OK.
  std::string GetSelectedFile() const { return FModel.SelectedFile(); }

  void UpdateButtons();
  void btnOKClick();
  void popMenuPopup();
  void popMenu_DeleteClick();
  void popMenu_ShowInExplorerClick();
  void TimerTimer();
  // The list's double click: OK while an item is selected.
  void lstPresetsDblClick();
  // A press on the layer outside the browser, and its release (the press is repeated there).
  void PressOutside(const juce::MouseEvent& event);
  void ReleaseOutside(const juce::MouseEvent& event);
  bool MouseDownOnBrowser() const { return FMouseDown; }

  void paint(juce::Graphics& g) override;
  void resized() override;
  void mouseDown(const juce::MouseEvent& event) override;
  void mouseUp(const juce::MouseEvent& event) override;
  bool keyPressed(const juce::KeyPress& key) override;

private:
  TPresetsModel FModel;
  juce::Image FBackground;
  bool FMouseDown = false;
  bool FOutsidePress = false;
  TMouseButton FOutsideButton = mbLeft;
  int FModalResult = 0;
  bool FClosed = false;
  // The user's warning-beep setting when the browser switched it off; restored on destruction.
  std::optional<bool> FSavedBeep;
};

// Covers the editor while the browser is open: it blocks the editor's input and turns a press outside
// the browser into Cancel (the press is repeated on the editor once released). Message boxes of the
// browser show above it (the editor's dialog layer stays on top).
class TPresetsLayer final : public juce::Component {
public:
  explicit TPresetsLayer(TfrmPresets& browser) : FBrowser(browser) { addAndMakeVisible(browser); }
  void mouseDown(const juce::MouseEvent& event) override { FBrowser.PressOutside(event); }
  void mouseUp(const juce::MouseEvent& event) override { FBrowser.ReleaseOutside(event); }

private:
  TfrmPresets& FBrowser;
};
