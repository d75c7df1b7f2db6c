#include "gui/VSTEditorBase.h"

#include <random>

namespace {
constexpr int MarginSides = 3;
constexpr int MarginTop = 4;
constexpr uint8_t MainAlpha = 220;
constexpr int MainRadius = 5;
} // namespace

TfrmVSTEditorBase::TfrmVSTEditorBase(TVSTPluginBase* module, const TZelSkin* skin)
    : FModule(module), FLook(std::make_unique<TZelLookAndFeel>(skin)), FBackground(MakeBackgroundTile()),
      FDialogs(*this) {
  setLookAndFeel(FLook.get());
  setOpaque(true);
  setWantsKeyboardFocus(true);
  panMain.Alpha = MainAlpha;
  panMain.BorderRadius = MainRadius;
  panMain.BorderVisible = false;
  panMain.PanelColor = 0xFFFFFF;
  panMain.Transparent = true;
  panMain.OnClick = [this](TObject*) {
    panMainClick();
  };
  addAndMakeVisible(panMain);
  addChildComponent(FDialogs);
  setSize(DesignWidth, DesignHeight);
}

TfrmVSTEditorBase::~TfrmVSTEditorBase() {
  FDialogs.CancelAll();
  setLookAndFeel(nullptr);
}

juce::Image TfrmVSTEditorBase::MakeBackgroundTile() {
  juce::Image tile(juce::Image::RGB, TileSize, TileSize, false);
  // A fixed seed: every window and every render gets the same texture.
  std::minstd_rand random(0x5EED);
  for (int y = 0; y < TileSize; ++y) {
    for (int x = 0; x < TileSize; ++x) {
      int grey = 0x20 + static_cast<int>(random() % 9) - 4;
      if ((x + y) % 4 == 0) {
        grey -= 3; // a faint diagonal weave
      }
      tile.setPixelAt(x, y, juce::Colour::greyLevel(static_cast<float>(grey) / 255.0f));
    }
  }
  return tile;
}

void TfrmVSTEditorBase::paint(juce::Graphics& g) {
  g.setTiledImageFill(FBackground, 0, 0, 1.0f);
  g.fillRect(g.getClipBounds());
}

void TfrmVSTEditorBase::resized() {
  panMain.setBounds(getLocalBounds()
                        .withTrimmedLeft(MarginSides)
                        .withTrimmedRight(MarginSides)
                        .withTrimmedTop(MarginTop)
                        .withTrimmedBottom(MarginSides));
  FDialogs.setBounds(getLocalBounds());
}

void TfrmVSTEditorBase::mouseDown(const juce::MouseEvent&) {
  FocusControlUnderMouse();
}

void TfrmVSTEditorBase::FormShow() {
  UpdateFromPlugin();
  juce::Component::SafePointer<TfrmVSTEditorBase> self(this);
  juce::Timer::callAfterDelay(ActivationDelayMs, [self] {
    if (self != nullptr && self->isShowing() && !self->FDialogs.Busy()) {
      self->grabKeyboardFocus();
    }
  });
}

void TfrmVSTEditorBase::FocusControlUnderMouse() {
  if (FDialogs.Busy()) {
    return;
  }
  const auto mouse = juce::Desktop::getInstance().getMainMouseSource().getScreenPosition().roundToInt();
  if (!isShowing()) {
    return;
  }
  juce::Component* target = getComponentAt(getLocalPoint(nullptr, mouse));
  if (target == nullptr || target == this || dynamic_cast<juce::Button*>(target) != nullptr) {
    return;
  }
  // A control that cannot take the focus is left alone; the failure is not the user's concern.
  if (target->getWantsKeyboardFocus() && target->isShowing()) {
    target->grabKeyboardFocus();
  }
}
