// ZelSpTBXSpeedButton: the maker's flat speed button with the pre-click hook, optional drop-down menu and
// ItemValue.
#pragma once

#include "gui/ZelClickGate.h"
#include "gui/ZelGatedButton.h"
#include "gui/ZelPopupMenu.h"

class TZelSpTBXSpeedButton : public TZelGatedButton<juce::Button, TZelSpeedButtonGate> {
public:
  static constexpr int DefaultSize = 22;

  TZelSpTBXSpeedButton();

  // The Tag of the entry last chosen through the drop-down menu; -1 at creation.
  int32_t ItemValue = -1;
  // When set, a click opens this menu under the button instead of running OnClick.
  TZelPopupMenu* DropDownMenu = nullptr;
  bool DropDownArrow = true;
  juce::Font Font;

  void SetCaption(const juce::String& caption);
  juce::String Caption() const { return getButtonText(); }
  bool AllowClick() const { return FGate.AllowClick(); }

  void clicked() override;
  void paintButton(juce::Graphics& g, bool highlighted, bool down) override;
};
