#include "gui/ZelSlider.h"

#include "gui/ZelJuceInput.h"
#include "gui/ZelLookAndFeel.h"

TZelSlider::TZelSlider() : Font(ZelFonts::Make("Segoe UI", 11.0f, true)) {
  setOpaque(true);
  setSize(100, 24);
}

void TZelSlider::Loaded() {
  if (const TZelSkin* skin = SkinOf(*this)) {
    FModel.SetStyle(skin);
  }
}

void TZelSlider::SetShowPopup(bool show) {
  if (!show) {
    FPopup.reset();
    return;
  }
  FPopup = std::make_unique<TZelPopupMenu>();
  FModel.BuildPopup(*FPopup);
  FPopup->OnPopup = [this](TZelPopupMenu& menu) {
    FModel.PreparePopup(menu);
  };
}

void TZelSlider::resized() {
  FModel.SetBounds(getWidth(), getHeight());
}

void TZelSlider::paint(juce::Graphics& g) {
  if (FPainting) {
    return;
  }
  FPainting = true;
  const int w = getWidth();
  const int h = getHeight();
  const int bw = FModel.BorderWidth;
  g.fillAll(ToColour(FModel.Color));
  if (bw > 0) {
    const int inset = bw / 2;
    const int right = w - (bw - 1) / 2;
    const int bottom = h - (bw - 1) / 2;
    g.setColour(ToColour(FModel.BorderColor));
    g.drawRect(inset, inset, right - inset, bottom - inset, bw);
  }
  const int valueRight = FModel.ValueBarRight();
  g.setColour(ToColour(FModel.ValueColor));
  g.fillRect(bw, bw, valueRight - bw, h - 2 * bw);
  const int randomRight = FModel.RandomBarRight();
  if (randomRight > valueRight) {
    g.setColour(ToColour(FModel.RandomColor));
    g.fillRect(valueRight, bw, randomRight - valueRight, h - 2 * bw);
  }
  const std::string text = FModel.Text();
  if (!text.empty()) {
    g.setColour(ToColour(FModel.FontColor));
    g.setFont(Font);
    g.drawText(juce::String::fromUTF8(text.c_str()), getLocalBounds(), juce::Justification::centred, false);
  }
  FPainting = false;
}

void TZelSlider::mouseDown(const juce::MouseEvent& event) {
  if (!hasKeyboardFocus(false)) {
    grabKeyboardFocus();
  }
  if (event.mods.isPopupMenu() && FPopup != nullptr) {
    if (AskPopupPress(event)) {
      ShowZelPopupMenu(*FPopup, *this);
    }
    return;
  }
  FModel.MouseDown(ButtonOf(event), ShiftOf(event), event.x, event.y);
}

void TZelSlider::mouseDrag(const juce::MouseEvent& event) {
  FModel.MouseMove(ShiftOf(event), event.x, event.y);
}

void TZelSlider::mouseUp(const juce::MouseEvent&) {
  FModel.MouseUp();
  MouseUpDone();
}

void TZelSlider::mouseWheelMove(const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) {
  FModel.MouseWheel(WheelDeltaOf(wheel), ShiftOf(event));
}
