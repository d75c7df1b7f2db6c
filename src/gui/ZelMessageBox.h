// ZelMessageBox: the message box drawn inside the editor: icon, wrapped text, OK or Yes/No.
#pragma once

#include "gui/ZelDialogHost.h"

#include <juce_gui_basics/juce_gui_basics.h>

class TZelMessageBox : public TZelDialogForm {
public:
  enum TIcon { iconWarning = 0, iconError = 1, iconInformation = 2, iconConfirmation = 3 };
  static constexpr int ModalOK = 1;
  static constexpr int ModalYes = 6;
  static constexpr int ModalNo = 7;

  // Texts arrive in UTF-8, with CR LF or LF line breaks.
  TZelMessageBox(const juce::String& caption, const juce::String& text, bool yesNo, TIcon icon);

  juce::String Text() const { return FText; }
  juce::TextButton& Button(int index) { return *FButtons[static_cast<size_t>(index)]; }
  int ButtonCount() const { return static_cast<int>(FButtons.size()); }
  juce::Component* InitialFocus() override { return FButtons.front().get(); }
  // Escape on a Yes/No box answers No, as there is no Cancel.
  void Cancel() override { CloseWith(FYesNo ? ModalNo : 2); }

  void paint(juce::Graphics& g) override;
  void resized() override;

private:
  juce::String FText;
  bool FYesNo;
  TIcon FIcon;
  std::vector<std::unique_ptr<juce::TextButton>> FButtons;
  juce::TextLayout FLayout;
  juce::Rectangle<int> FTextArea;
};
