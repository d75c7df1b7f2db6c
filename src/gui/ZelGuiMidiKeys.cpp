#include "gui/ZelGuiMidiKeys.h"

#include "gui/ZelJuceInput.h"
#include "gui/ZelLookAndFeel.h"

TZelGuiMidiKeys::TZelGuiMidiKeys() : KeyFont(ZelFonts::Make("Segoe UI", 10.0f, true)) {
  FKeys.SetSender(this);
  FKeys.OnRepaintNow = [this] {
    FBufferValid = false;
    repaint();
  };
  setOpaque(true);
  setMouseCursor(juce::MouseCursor::NormalCursor);
  startTimer(TCustomGuiMidiKeys::RedrawIntervalMs);
}

TZelGuiMidiKeys::~TZelGuiMidiKeys() {
  stopTimer();
}

void TZelGuiMidiKeys::Loaded() {
  const TZelSkin* skin = SkinOf(*this);
  FKeys.SetStyle(skin);
  FBufferValid = false;
  repaint();
}

void TZelGuiMidiKeys::resized() {
  FKeys.SetBounds(getWidth(), getHeight());
  FBufferValid = false;
}

void TZelGuiMidiKeys::timerCallback() {
  if (FKeys.TakeRepaint()) {
    FBufferValid = false;
    repaint();
  }
}

void TZelGuiMidiKeys::DrawKey(juce::Graphics& g, int32_t keyNo) {
  const TGuiSingleKey& key = FKeys.Key(keyNo);
  const TRect& a = key.Area;
  const juce::Colour fill = ToColour(FKeys.KeyPaintColor(keyNo));
  g.setColour(fill);
  g.fillRect(a.Left, a.Top, a.Width(), a.Height());
  g.drawRect(a.Left, a.Top, a.Width(), a.Height(), 1); // flat keys: the outline is the fill colour
  if (key.IsBlack() && (key.Has(kfDown) || key.Has(kfPinned))) {
    const juce::Colour outline = ToColour(FKeys.Palette().BlackKey);
    g.setColour(outline);
    g.fillRect(a.Left, a.Top - 1, 1, a.Height() + 1);
    g.fillRect(a.Right, a.Top - 1, 1, a.Height() + 1);
    g.fillRect(a.Left, a.Bottom, a.Width(), 1);
  }
  if (OnDrawKey) {
    g.setColour(ToColour(FKeys.KeyTextColor(keyNo)));
    g.setFont(KeyFont);
    OnDrawKey(this, key, g);
  }
}

juce::Image TZelGuiMidiKeys::RenderImage() {
  const int w = std::max(1, getWidth());
  const int h = std::max(1, getHeight());
  juce::Image image(juce::Image::RGB, w, h, true);
  juce::Graphics g(image);
  g.fillAll(juce::Colours::black); // the separator colour shows in the gaps between white keys
  for (int32_t keyNo = 0; keyNo < TCustomGuiMidiKeys::KeyCount; ++keyNo) {
    const TGuiSingleKey& key = FKeys.Key(keyNo);
    if (key.IsVisible() && !key.IsBlack()) {
      DrawKey(g, keyNo);
    }
    if (keyNo > 0) {
      const TGuiSingleKey& below = FKeys.Key(keyNo - 1);
      if (below.IsVisible() && below.IsBlack()) {
        DrawKey(g, keyNo - 1);
      }
    }
  }
  g.setColour(ToColour(FKeys.Palette().Border));
  g.drawRect(0, 0, w, h, 1);
  return image;
}

void TZelGuiMidiKeys::paint(juce::Graphics& g) {
  if (!FBufferValid || FBuffer.getWidth() != getWidth() || FBuffer.getHeight() != getHeight()) {
    FBuffer = RenderImage();
    FBufferValid = true;
  }
  g.drawImageAt(FBuffer, 0, 0);
}

void TZelGuiMidiKeys::mouseDown(const juce::MouseEvent& event) {
  FKeys.MouseDown(ButtonOf(event), ShiftOf(event), event.x, event.y);
  if (event.mods.isPopupMenu() && PopupMenu != nullptr) {
    bool handled = false;
    if (OnContextPopup) {
      OnContextPopup(this, event.x, event.y, handled);
    }
    if (!handled) {
      ShowZelPopupMenu(*PopupMenu, *this);
    }
  }
}

void TZelGuiMidiKeys::mouseUp(const juce::MouseEvent& event) {
  TMouseButton button = mbLeft;
  if (event.mods.isRightButtonDown() || event.mods.isPopupMenu()) {
    button = mbRight;
  } else if (event.mods.isMiddleButtonDown()) {
    button = mbMiddle;
  }
  FKeys.MouseUp(button, ShiftOf(event) & ~(ssLeft | ssRight | ssMiddle), event.x, event.y);
}

void TZelGuiMidiKeys::mouseMove(const juce::MouseEvent& event) {
  FKeys.MouseMove(ShiftOf(event), event.x, event.y);
}

void TZelGuiMidiKeys::mouseDrag(const juce::MouseEvent& event) {
  FKeys.MouseMove(ShiftOf(event), event.x, event.y);
}

void TZelGuiMidiKeys::mouseExit(const juce::MouseEvent&) {
  FKeys.MouseLeave();
}

void TZelGuiMidiKeys::mouseDoubleClick(const juce::MouseEvent& event) {
  if (OnDblClick) {
    OnDblClick(this, ButtonOf(event), ShiftOf(event), event.x, event.y);
  }
}
