// ZelGuiMidiKeys: the on-screen piano keyboard; draws off-screen and translates mouse events for its model.
#pragma once

#include "gui/CustomGuiMidiKeys.h"
#include "gui/ZelPopupMenu.h"

#include <juce_gui_basics/juce_gui_basics.h>

class TZelGuiMidiKeys : public juce::Component, public TObject, private juce::Timer {
public:
  // Text drawn on a key after it was painted; the font colour is already set.
  using TDrawKeyEvent = std::function<void(TObject* sender, const TGuiSingleKey& key, juce::Graphics& g)>;
  // A double click anywhere on the control: button, shift state and position.
  using TMouseOnKeyEvent =
      std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;

  TZelGuiMidiKeys();
  ~TZelGuiMidiKeys() override;

  TCustomGuiMidiKeys& Keys() { return FKeys; }
  TDrawKeyEvent OnDrawKey;
  // Before the popup menu opens on a right-click, with the click's position; a handler that sets
  // handled keeps the menu closed.
  std::function<void(TObject* sender, int x, int y, bool& handled)> OnContextPopup;
  TMouseOnKeyEvent OnDblClick;
  juce::Font KeyFont;
  TZelPopupMenu* PopupMenu = nullptr;

  // Renders the whole keyboard as paint() does (snapshots, the off-screen buffer).
  juce::Image RenderImage();

  void paint(juce::Graphics& g) override;
  void resized() override;
  void mouseDown(const juce::MouseEvent& event) override;
  void mouseUp(const juce::MouseEvent& event) override;
  void mouseMove(const juce::MouseEvent& event) override;
  void mouseDrag(const juce::MouseEvent& event) override;
  void mouseExit(const juce::MouseEvent& event) override;
  void mouseDoubleClick(const juce::MouseEvent& event) override;
  void parentHierarchyChanged() override { Loaded(); }
  void lookAndFeelChanged() override { Loaded(); }
  void enablementChanged() override { FKeys.SetEnabled(isEnabled()); }

private:
  void timerCallback() override;
  void Loaded();
  void DrawKey(juce::Graphics& g, int32_t keyNo);

  TCustomGuiMidiKeys FKeys;
  juce::Image FBuffer;
  bool FBufferValid = false;
};
