// ZelMenuButton: the editor's 26 x 26 menu button; its glyph is drawn in code and switches while pressed.
#pragma once

#include "gui/ZelPopupMenu.h"
#include "gui/ZelTypes.h"

#include <juce_gui_basics/juce_gui_basics.h>

class TZelMenuButton : public juce::Button, public TObject {
public:
  static constexpr int DefaultSize = 26;
  static constexpr int GlyphSize = 16;

  TZelMenuButton();

  TNotifyEvent OnClick;
  // Opened under the button on a click, when set.
  TZelPopupMenu* DropDownMenu = nullptr;
  // 0 normal, 1 while pressed.
  int ImageIndex() const { return FImageIndex; }

  void buttonStateChanged() override;
  void clicked() override;
  void paintButton(juce::Graphics& g, bool highlighted, bool down) override;

private:
  int FImageIndex = 0;
};
