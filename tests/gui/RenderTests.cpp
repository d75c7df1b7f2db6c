// Snapshot renders of the editor base window with every control, in each style, written as PNG and checked.
#include "TestDisplay.h"

#include "gui/InputDlg.h"
#include "gui/VSTEditorBase.h"
#include "gui/ZelCheckBox.h"
#include "gui/ZelGuiMidiKeys.h"
#include "gui/ZelGuiStitchedDial.h"
#include "gui/ZelHorzLine.h"
#include "gui/ZelJuceRuntime.h"
#include "gui/ZelMenuButton.h"
#include "gui/ZelMessageBox.h"
#include "gui/ZelNumericInput.h"
#include "gui/ZelSlider.h"
#include "gui/ZelSpTBXSpeedButton.h"
#include "gui/ZelUiServices.h"

#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

namespace {
// The editor base with one of each control at fixed places, so pixels can be looked up.
class TGallery : public TfrmVSTEditorBase {
public:
  explicit TGallery(const TZelSkin* skin) : TfrmVSTEditorBase(nullptr, skin) {
    slider.Model().UseRandom = true;
    slider.SetValue(40);
    slider.SetRandom(20);
    slider.setBounds(20, 20, 102, 24);
    input.Model().SetMinValue(-2);
    input.SetValue(-2);
    input.setBounds(140, 20, 42, 21);
    dial.SetStripKind(dskCentre);
    dial.Model().SetMin(-100);
    dial.Model().SetMax(100);
    dial.SetValue(50);
    dial.setBounds(200, 12, 42, 42);
    keys.Keys().SetBaseOctave(4);
    keys.Keys().SetNumOctaves(2);
    keys.setBounds(20, 70, 281, 80);
    keys.Keys().SetPinMode(pmdMulti);
    keys.Keys().PinKey(48, false);
    keys.Keys().PressKey(50, false);
    keys.Keys().PinKey(49, false);
    keys.OnDrawKey = [](TObject*, const TGuiSingleKey& key, juce::Graphics& g) {
      if (key.KeyNo % 12 == 0) {
        g.drawText("C", key.Area.Left, key.Area.Bottom - 16, key.Area.Width(), 14,
                   juce::Justification::centred);
      }
    };
    check.setButtonText("Follow trigger");
    check.SetChecked(true);
    check.setBounds(20, 160, 140, 20);
    preset.SetCaption("My Preset");
    preset.setBounds(180, 160, 205, 26);
    menu.setTopLeftPosition(400, 160);
    line.setBounds(20, 200, 300, 2);
    group.PanelGroupColor = true;
    group.BorderRadius = 6;
    group.setBounds(330, 20, 150, 40);
    for (juce::Component* c : std::initializer_list<juce::Component*>{&slider, &input, &dial, &keys, &check,
                                                                      &preset, &menu, &line, &group}) {
      panMain.addAndMakeVisible(c);
    }
  }

  TZelSlider slider;
  TZelNumericInput input;
  TZelGuiStitchedDial dial;
  TZelGuiMidiKeys keys;
  TZelCheckBox check;
  TZelSpTBXSpeedButton preset;
  TZelMenuButton menu;
  TZelHorzLine line;
  TZelGuiPanel group;
};

class EditorSnapshots : public ::testing::Test {
protected:
  void SetUp() override {
    REQUIRE_TEST_DISPLAY();
    FRuntime = std::make_unique<ZelJuceRuntime::TScopedRuntime>();
    juce::File(TRIAXO_GUI_SNAPSHOT_DIR).createDirectory();
  }
  void TearDown() override { FRuntime.reset(); }

  static juce::Image Snapshot(juce::Component& c, const std::string& name) {
    juce::Image image = c.createComponentSnapshot(c.getLocalBounds(), true, 1.0f);
    juce::File file = juce::File(TRIAXO_GUI_SNAPSHOT_DIR).getChildFile(juce::String(name) + ".png");
    file.deleteFile();
    juce::FileOutputStream out(file);
    EXPECT_TRUE(out.openedOk());
    EXPECT_TRUE(juce::PNGImageFormat().writeImageToStream(image, out));
    return image;
  }
  // The pixel at a point of a control, in snapshot coordinates.
  static juce::Colour PixelOf(const juce::Image& image, TfrmVSTEditorBase& form, juce::Component& c, int x,
                              int y) {
    const auto at = form.getLocalPoint(&c, juce::Point<int>(x, y));
    return image.getPixelAt(at.x, at.y);
  }
  static void ExpectColour(juce::Colour actual, TColor expected, const char* what) {
    EXPECT_EQ(actual.getARGB() & 0xFFFFFFu, expected)
        << what << ": 0x" << std::hex << (actual.getARGB() & 0xFFFFFFu);
  }

  std::unique_ptr<ZelJuceRuntime::TScopedRuntime> FRuntime;
};
} // namespace

TEST_F(EditorSnapshots, EveryStyleDrawsItsControlsInItsColours) {
  for (int index = 0; index < ZelSkins::Count; ++index) {
    const TZelSkin& skin = ZelSkins::ByIndex(index);
    TGallery form(&skin);
    const juce::Image image = Snapshot(form, "editor-" + std::to_string(index));
    ASSERT_EQ(image.getWidth(), TfrmVSTEditorBase::DesignWidth);
    ASSERT_EQ(image.getHeight(), TfrmVSTEditorBase::DesignHeight);
    SCOPED_TRACE(std::string(skin.Name));

    // The dark tile shows at the window's edge, outside panMain.
    const juce::Colour corner = image.getPixelAt(1, 1);
    EXPECT_LT(std::abs(corner.getRed() - 0x20), 12);
    EXPECT_EQ(corner.getRed(), corner.getBlue());

    ExpectColour(PixelOf(image, form, form.slider, 10, 12), skin.ValueBar, "slider value bar");
    ExpectColour(PixelOf(image, form, form.slider, 50, 3), skin.ValueRandomBar, "slider random bar");
    ExpectColour(PixelOf(image, form, form.slider, 90, 3), skin.ValueBackground, "slider background");
    ExpectColour(PixelOf(image, form, form.slider, 0, 10), skin.ValueBorder, "slider border");
    ExpectColour(PixelOf(image, form, form.input, 3, 3), skin.ValueBackground, "numeric input background");

    const TRect& pinned = form.keys.Keys().Key(48).Area;
    ExpectColour(PixelOf(image, form, form.keys, pinned.Left + 1, pinned.Bottom - 20), skin.KeysPinned,
                 "pinned key");
    const TRect& pressed = form.keys.Keys().Key(50).Area;
    ExpectColour(PixelOf(image, form, form.keys, pressed.Left + 2, pressed.Bottom - 2), skin.KeysPressed,
                 "pressed key");
    const TRect& white = form.keys.Keys().Key(52).Area;
    ExpectColour(PixelOf(image, form, form.keys, white.Left + 2, white.Bottom - 2), 0xF8F8F8, "white key");
    const TRect& black = form.keys.Keys().Key(54).Area;
    ExpectColour(PixelOf(image, form, form.keys, black.Left + 3, black.Top + 5), 0x333333, "black key");
    ExpectColour(PixelOf(image, form, form.keys, 0, 40), skin.KeysBorder, "keyboard border");
    ExpectColour(PixelOf(image, form, form.keys, white.Right + 1, white.Bottom - 2), 0x000000, "key gap");
    ExpectColour(PixelOf(image, form, form.line, 150, 0), skin.LineColor, "rule");
  }
}

TEST_F(EditorSnapshots, SystemLookKeepsTheDesignedColours) {
  TGallery form(nullptr);
  const juce::Image image = Snapshot(form, "editor-system");
  const TRect& pinned = form.keys.Keys().Key(48).Area;
  ExpectColour(PixelOf(image, form, form.keys, pinned.Left + 1, pinned.Bottom - 20), 0x808080, "pinned key");
  ExpectColour(PixelOf(image, form, form.slider, 90, 3), 0xFFFFFF, "slider background");
}

TEST_F(EditorSnapshots, DialStripHasOneHundredAndOneFramesAndFollowsTheValue) {
  const juce::Image strip = ZelDialStrips::Render(dskFromZero, &ZelSkins::ByIndex(1));
  EXPECT_EQ(strip.getWidth(), 42);
  EXPECT_EQ(strip.getHeight(), 42 * 101);
  // The value arc at the start of the sweep is lit in the last frame and not in the first.
  const TColor lit = ZelSkins::ByIndex(1).ValueBar;
  auto litAt = [&](int frame) {
    const juce::Colour c = strip.getPixelAt(4, frame * 42 + 26);
    return (c.getARGB() & 0xFFFFFFu) == lit;
  };
  EXPECT_FALSE(litAt(0));
  EXPECT_TRUE(litAt(100));
}

TEST_F(EditorSnapshots, MessageBoxAndInputDialogShowOverTheEditor) {
  TGallery form(&ZelSkins::ByIndex(0));
  int answer = 0;
  auto box =
      std::make_unique<TZelMessageBox>("Change Skin",
                                       "Please close and re-open the plugin window for skin changes to take "
                                       "effect.",
                                       false, TZelMessageBox::iconInformation);
  box->OnClose = [&](int result) {
    answer = result;
  };
  TZelMessageBox* shown = box.get();
  form.Dialogs().Show(std::move(box), nullptr);
  const juce::Image image = Snapshot(form, "dialog-message");
  EXPECT_TRUE(form.Dialogs().Busy());
  // Centred over the editor.
  const auto bounds = shown->getBoundsInParent();
  EXPECT_NEAR(bounds.getCentreX(), form.getWidth() / 2, 1);
  EXPECT_NEAR(bounds.getCentreY(), form.getHeight() / 2, 1);
  ASSERT_EQ(shown->ButtonCount(), 1);
  EXPECT_EQ(shown->Button(0).getButtonText(), "OK");
  shown->Button(0).triggerClick();
  ZelJuceRuntime::PumpMessages();
  EXPECT_EQ(answer, TZelMessageBox::ModalOK);
  EXPECT_FALSE(form.Dialogs().Busy());

  auto dialog = std::make_unique<TfrmInputDlg>("Save Preset");
  dialog->SetPrompt("Name");
  dialog->AllowEmpty = false;
  dialog->SetText("   ", 50);
  TfrmInputDlg* input = dialog.get();
  form.Dialogs().Show(std::move(dialog), &form.preset);
  Snapshot(form, "dialog-input");
  EXPECT_FALSE(input->btnOK.isEnabled());
  input->txtValue.setText("Strum", true);
  ZelJuceRuntime::PumpMessages();
  EXPECT_TRUE(input->btnOK.isEnabled());
  EXPECT_EQ(input->getWidth(), 302);
  const auto ownerCentre = form.getLocalArea(&form.preset, form.preset.getLocalBounds()).getCentre();
  EXPECT_NEAR(input->getBoundsInParent().getCentreX(), ownerCentre.x, 1);
}

TEST_F(EditorSnapshots, BoxesAskedWithoutAnEditorAreAnsweredAtOnceAndShownByTheNextOne) {
  TZelUiServices& services = TZelUiServices::Instance();
  std::vector<int> answers;
  int strangerOwner = 0; // not a component: must be treated as no owner
  services.ShowMessageBox(&strangerOwner, "Error loading skin.\r\n\r\n\"Style 'X' not found\"", "Load Skin",
                          mbOK, miWarning, [&](TModalResult result) { answers.push_back(result); });
  // Nobody can answer without a window, so no flow is left waiting for one.
  EXPECT_EQ(answers, (std::vector<int>{mrOK}));
  services.ShowTextDialog(nullptr, "Save Preset", "Name", true, 50, "Pad",
                          [&](bool ok, const std::string&) { answers.push_back(ok ? 100 : 101); });
  EXPECT_EQ(answers, (std::vector<int>{mrOK, 101}));
  EXPECT_EQ(services.PendingCount(), 1);

  TGallery form(&ZelSkins::ByIndex(2));
  services.EditorOpened(form);
  EXPECT_EQ(services.PendingCount(), 0);
  auto* box = dynamic_cast<TZelMessageBox*>(form.Dialogs().Current());
  ASSERT_NE(box, nullptr);
  box->Button(0).triggerClick();
  ZelJuceRuntime::PumpMessages();
  EXPECT_EQ(answers, (std::vector<int>{mrOK, 101})) << "the waiting copy must not answer twice";
  services.EditorClosing(form);
}

TEST_F(EditorSnapshots, OnlyTheNewestBoxesWaitForAnEditor) {
  TZelUiServices& services = TZelUiServices::Instance();
  for (int i = 0; i < 20; ++i) {
    services.ShowMessageBox(nullptr, "Error loading preset.", "Load Preset", mbOK, miWarning, {});
  }
  EXPECT_EQ(services.PendingCount(), static_cast<int32_t>(TZelUiServices::MaxWaitingBoxes));
  TGallery form(&ZelSkins::ByIndex(0));
  services.EditorOpened(form);
  EXPECT_EQ(services.PendingCount(), 0);
  form.Dialogs().CancelAll();
  services.EditorClosing(form);
}
