#include "gui/ZelMessageBox.h"

#include "gui/ZelLookAndFeel.h"

namespace {
constexpr int IconSize = 32;
constexpr int Padding = 14;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 23;
constexpr int MaxTextWidth = 340;
constexpr int MinClientWidth = 180;

juce::AttributedString MakeText(const juce::String& text, juce::Colour colour) {
  juce::AttributedString attributed;
  attributed.append(text.replace("\r\n", "\n").replace("\r", "\n"), ZelFonts::Make("Segoe UI", 12.0f),
                    colour);
  attributed.setWordWrap(juce::AttributedString::byWord);
  return attributed;
}
} // namespace

TZelMessageBox::TZelMessageBox(const juce::String& caption, const juce::String& text, bool yesNo, TIcon icon)
    : TZelDialogForm(caption), FText(text), FYesNo(yesNo), FIcon(icon) {
  auto add = [this](const juce::String& label, int result) {
    auto button = std::make_unique<juce::TextButton>(label);
    button->onClick = [this, result] {
      CloseWith(result);
    };
    addAndMakeVisible(*button);
    FButtons.push_back(std::move(button));
  };
  if (yesNo) {
    add("Yes", ModalYes);
    add("No", ModalNo);
  } else {
    add("OK", ModalOK);
  }
  FLayout.createLayout(MakeText(FText, juce::Colours::black), static_cast<float>(MaxTextWidth));
  const int textWidth = static_cast<int>(std::ceil(FLayout.getWidth()));
  const int textHeight = static_cast<int>(std::ceil(FLayout.getHeight()));
  const int buttonsWidth = static_cast<int>(FButtons.size()) * (ButtonWidth + 8) - 8;
  const int clientWidth = std::max(
      {MinClientWidth, Padding + IconSize + Padding + textWidth + Padding, buttonsWidth + 2 * Padding});
  const int clientHeight = Padding + std::max(IconSize, textHeight) + Padding + ButtonHeight + Padding;
  SetClientSize(clientWidth, clientHeight);
}

void TZelMessageBox::resized() {
  auto client = ClientArea();
  FTextArea = juce::Rectangle<int>(client.getX() + 2 * Padding + IconSize, client.getY() + Padding,
                                   client.getWidth() - 3 * Padding - IconSize,
                                   client.getHeight() - 3 * Padding - ButtonHeight);
  int x = client.getRight() - Padding - ButtonWidth;
  const int y = client.getBottom() - Padding - ButtonHeight;
  for (auto it = FButtons.rbegin(); it != FButtons.rend(); ++it) {
    (*it)->setBounds(x, y, ButtonWidth, ButtonHeight);
    x -= ButtonWidth + 8;
  }
}

void TZelMessageBox::paint(juce::Graphics& g) {
  TZelDialogForm::paint(g);
  const TZelSkin* skin = SkinOf(*this);
  auto client = ClientArea();
  auto icon = juce::Rectangle<float>(static_cast<float>(client.getX() + Padding),
                                     static_cast<float>(client.getY() + Padding), IconSize, IconSize);
  juce::String glyph;
  juce::Colour colour;
  switch (FIcon) {
  case iconWarning: {
    juce::Path triangle;
    triangle.addTriangle(icon.getCentreX(), icon.getY() + 1, icon.getRight() - 1, icon.getBottom() - 2,
                         icon.getX() + 1, icon.getBottom() - 2);
    g.setColour(juce::Colour(0xFFF2B705));
    g.fillPath(triangle);
    glyph = "!";
    colour = juce::Colours::black;
    break;
  }
  case iconError:
    g.setColour(juce::Colour(0xFFD9342B));
    g.fillEllipse(icon);
    glyph = juce::String::fromUTF8("\xC3\x97"); // multiplication sign
    colour = juce::Colours::white;
    break;
  case iconInformation:
    g.setColour(juce::Colour(0xFF2C78C8));
    g.fillEllipse(icon);
    glyph = "i";
    colour = juce::Colours::white;
    break;
  case iconConfirmation:
    g.setColour(juce::Colour(0xFF2C78C8));
    g.fillEllipse(icon);
    glyph = "?";
    colour = juce::Colours::white;
    break;
  }
  g.setColour(colour);
  g.setFont(ZelFonts::Make("Segoe UI", 20.0f, true));
  g.drawText(glyph, icon.translated(0.0f, FIcon == iconWarning ? 3.0f : 0.0f), juce::Justification::centred);

  juce::TextLayout layout;
  layout.createLayout(MakeText(FText, ToColour(skin ? skin->WindowText : 0x000000)),
                      static_cast<float>(FTextArea.getWidth()));
  layout.draw(g, FTextArea.toFloat());
}
