#include "gui/ZelGuiStitchedDial.h"

#include "gui/ZelJuceInput.h"
#include "gui/ZelLookAndFeel.h"

#include <cmath>

namespace ZelDialStrips {
namespace {
constexpr float SweepStart = juce::MathConstants<float>::pi * -0.75f; // 7:30
constexpr float SweepEnd = juce::MathConstants<float>::pi * 0.75f;    // 4:30

void DrawFrame(juce::Graphics& g, juce::Rectangle<float> cell, double position, TDialStripKind kind,
               const TZelSkin* skin) {
  const juce::Colour body = ToColour(skin ? skin->ButtonFace : 0xE1E1E1);
  const juce::Colour rim = ToColour(skin ? skin->ButtonBorder : 0x7A7A7A);
  const juce::Colour track = ToColour(skin ? skin->ValueBackground : 0xD0D0D0);
  const juce::Colour value = ToColour(skin ? skin->ValueBar : 0x0078D7);
  const juce::Colour pointer = ToColour(skin ? skin->ValueText : 0x000000);

  const auto centre = cell.getCentre();
  const float outer = cell.getWidth() / 2.0f - 1.5f;
  const float arcRadius = outer - 2.0f;
  const float knobRadius = outer - 6.0f;
  const float angle = SweepStart + static_cast<float>(position) * (SweepEnd - SweepStart);

  juce::Path trackArc;
  trackArc.addCentredArc(centre.x, centre.y, arcRadius, arcRadius, 0.0f, SweepStart, SweepEnd, true);
  g.setColour(track);
  g.strokePath(trackArc,
               juce::PathStrokeType(3.0f, juce::PathStrokeType::curved, juce::PathStrokeType::butt));

  const float from = kind == dskCentre ? 0.0f : SweepStart;
  if (std::abs(angle - from) > 0.001f) {
    juce::Path valueArc;
    valueArc.addCentredArc(centre.x, centre.y, arcRadius, arcRadius, 0.0f, std::min(from, angle),
                           std::max(from, angle), true);
    g.setColour(value);
    g.strokePath(valueArc,
                 juce::PathStrokeType(3.0f, juce::PathStrokeType::curved, juce::PathStrokeType::butt));
  }

  g.setColour(body);
  g.fillEllipse(centre.x - knobRadius, centre.y - knobRadius, 2 * knobRadius, 2 * knobRadius);
  g.setColour(rim);
  g.drawEllipse(centre.x - knobRadius, centre.y - knobRadius, 2 * knobRadius, 2 * knobRadius, 1.0f);

  juce::Path line;
  line.startNewSubPath(centre.x, centre.y - knobRadius + 2.0f);
  line.lineTo(centre.x, centre.y - knobRadius * 0.35f);
  g.setColour(pointer);
  g.strokePath(line, juce::PathStrokeType(2.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded),
               juce::AffineTransform::rotation(angle, centre.x, centre.y));
}
} // namespace

juce::Image Render(TDialStripKind kind, const TZelSkin* skin, int frameSize, int frameCount) {
  juce::Image strip(juce::Image::ARGB, frameSize, frameSize * frameCount, true);
  juce::Graphics g(strip);
  for (int frame = 0; frame < frameCount; ++frame) {
    const double position = frameCount > 1 ? static_cast<double>(frame) / (frameCount - 1) : 0.0;
    DrawFrame(g,
              juce::Rectangle<float>(0.0f, static_cast<float>(frame * frameSize),
                                     static_cast<float>(frameSize), static_cast<float>(frameSize)),
              position, kind, skin);
  }
  return strip;
}
} // namespace ZelDialStrips

TZelGuiStitchedDial::TZelGuiStitchedDial() {
  setSize(ZelDialStrips::FrameSize, ZelDialStrips::FrameSize);
}

void TZelGuiStitchedDial::SetStrip(const juce::Image& strip, int frameCount) {
  FStrip = strip;
  FKind = -1;
  FModel.FrameCount = std::max(1, frameCount);
  repaint();
}

void TZelGuiStitchedDial::SetStripKind(TDialStripKind kind) {
  FKind = kind;
  FStripSkin = -2;
  FModel.FrameCount = ZelDialStrips::FrameCount;
  Loaded();
}

void TZelGuiStitchedDial::Loaded() {
  if (FKind < 0) {
    return;
  }
  const TZelSkin* skin = SkinOf(*this);
  const int skinIndex = skin ? skin->Index : -1;
  if (skinIndex == FStripSkin && FStrip.isValid()) {
    return;
  }
  FStripSkin = skinIndex;
  FStrip = ZelDialStrips::Render(static_cast<TDialStripKind>(FKind), skin);
  repaint();
}

void TZelGuiStitchedDial::paint(juce::Graphics& g) {
  if (!FStrip.isValid() || FModel.FrameCount <= 0) {
    return;
  }
  const int frameHeight = FStrip.getHeight() / FModel.FrameCount;
  const int frame = std::clamp(FModel.Frame(), 0, FModel.FrameCount - 1);
  g.drawImage(FStrip, 0, 0, getWidth(), getHeight(), 0, frame * frameHeight, FStrip.getWidth(), frameHeight);
}

void TZelGuiStitchedDial::mouseDown(const juce::MouseEvent& event) {
  if (!hasKeyboardFocus(false)) {
    grabKeyboardFocus();
  }
  FModel.MouseDown(ButtonOf(event), ShiftOf(event), event.x, event.y);
}

void TZelGuiStitchedDial::mouseDrag(const juce::MouseEvent& event) {
  FModel.MouseMove(ShiftOf(event), event.x, event.y);
}

void TZelGuiStitchedDial::mouseUp(const juce::MouseEvent&) {
  MouseUpDone();
}

void TZelGuiStitchedDial::mouseWheelMove(const juce::MouseEvent& event,
                                         const juce::MouseWheelDetails& wheel) {
  FModel.MouseWheel(WheelDeltaOf(wheel), ShiftOf(event));
}
