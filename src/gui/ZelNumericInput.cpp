#include "gui/ZelNumericInput.h"

#include "gui/ZelJuceInput.h"
#include "gui/ZelLookAndFeel.h"

TZelNumericInput::TZelNumericInput() : Font(ZelFonts::Make("Segoe UI", 11.0f, true)) {
  FPopup.OnPopup = [this](TZelPopupMenu& menu) {
    FModel.PreparePopup(menu);
  };
  setOpaque(true);
  setSize(42, 21);
}

void TZelNumericInput::Loaded() {
  if (const TZelSkin* skin = SkinOf(*this)) {
    FModel.SetStyle(skin);
  }
  if (!FLoaded && ShowPopup) {
    FLoaded = true;
    BuildPopupMenu();
  }
}

void TZelNumericInput::BuildPopupMenu() {
  FModel.BuildPopupMenu(FPopup);
}

void TZelNumericInput::paint(juce::Graphics& g) {
  const int bw = FModel.BorderWidth;
  g.fillAll(ToColour(FModel.FillColor()));
  if (bw > 0) {
    const int inset = bw / 2;
    g.setColour(ToColour(FModel.BorderColor));
    g.drawRect(inset, inset, getWidth() - (bw - 1) / 2 - inset, getHeight() - (bw - 1) / 2 - inset, bw);
  }
  const std::string text = FModel.Text();
  if (text.empty()) {
    return;
  }
  g.setColour(ToColour(FModel.FontColor));
  g.setFont(Font);
  auto area = FModel.Center ? getLocalBounds() : getLocalBounds().reduced(5, 0);
  g.drawText(juce::String::fromUTF8(text.c_str()), area,
             FModel.Center ? juce::Justification::centred : juce::Justification::centredLeft, false);
}

void TZelNumericInput::mouseDown(const juce::MouseEvent& event) {
  grabKeyboardFocus();
  if (event.mods.isPopupMenu()) {
    if (AskPopupPress(event) && ShowPopup) {
      ShowZelPopupMenu(FPopup, *this);
    }
    return;
  }
  if (FModel.MouseDown(ButtonOf(event), ShiftOf(event), event.x, event.y)) {
    setMouseCursor(juce::MouseCursor::UpDownResizeCursor);
  }
}

void TZelNumericInput::mouseDrag(const juce::MouseEvent& event) {
  FModel.MouseMove(ShiftOf(event), event.y);
}

void TZelNumericInput::mouseUp(const juce::MouseEvent&) {
  setMouseCursor(juce::MouseCursor::NormalCursor);
  FModel.MouseUp();
  MouseUpDone();
}

void TZelNumericInput::mouseWheelMove(const juce::MouseEvent&, const juce::MouseWheelDetails& wheel) {
  FModel.MouseWheel(WheelDeltaOf(wheel));
}
