// Snapshot renders of the editor shell in each style: the heading, the open main menu and the preset
// browser, written as PNG and checked at their key pixels.
#include "ShellTestSupport.h"
#include "TestDisplay.h"

#include "gui/PresetsForm.h"
#include "gui/ZelJuceInput.h"
#include "gui/ZelLookAndFeel.h"

#include <gtest/gtest.h>

using namespace ShellTest;

namespace {
juce::Image Snapshot(juce::Component& c, const std::string& name) {
  juce::Image image = c.createComponentSnapshot(c.getLocalBounds(), true, 1.0f);
  juce::File(TRIAXO_GUI_SNAPSHOT_DIR).createDirectory();
  juce::File file = juce::File(TRIAXO_GUI_SNAPSHOT_DIR).getChildFile(juce::String(name) + ".png");
  file.deleteFile();
  juce::FileOutputStream out(file);
  EXPECT_TRUE(out.openedOk());
  EXPECT_TRUE(juce::PNGImageFormat().writeImageToStream(image, out));
  return image;
}
uint32_t Rgb(juce::Colour c) {
  return c.getARGB() & 0xFFFFFFu;
}
// Pixels of the area that differ from the other image.
int Differences(const juce::Image& a, const juce::Image& b, juce::Rectangle<int> area) {
  int count = 0;
  for (int y = area.getY(); y < area.getBottom(); ++y) {
    for (int x = area.getX(); x < area.getRight(); ++x) {
      count += a.getPixelAt(x, y) != b.getPixelAt(x, y) ? 1 : 0;
    }
  }
  return count;
}
} // namespace

class ShellSnapshots : private TestDisplay::TBeforeMembers, public ShellFlowTest {
protected:
  void SetUp() override {
    REQUIRE_TEST_DISPLAY();
    ShellFlowTest::SetUp();
  }
};

TEST_F(ShellSnapshots, HeadingMenuAndBrowserInEveryStyle) {
  for (const char* name : {"Strum Guitar", "Pad Spread", "bright stabs", "Init Chords", "Zither"}) {
    TTestHome::WriteFile(Module->PresetsFolder() + name + ".ventrakisp", "x");
  }
  Module->SetPresetName("Pad Spread");
  for (int32_t style = 0; style < ZelSkins::Count; ++style) {
    SCOPED_TRACE(style);
    const TZelSkin& skin = ZelSkins::ByIndex(style);
    TestForm form(Module.get(), style);
    form.FormShow();
    form.ShowInfo("MIDI Learn: Click control");
    const std::string suffix = "-" + std::to_string(style);
    const juce::Image heading = Snapshot(form, "shell-heading" + suffix);
    EXPECT_EQ(heading.getWidth(), TfrmVSTEditorMenu::DesignWidth);
    EXPECT_EQ(heading.getHeight(), TfrmVSTEditorMenu::DesignHeight);
    EXPECT_EQ(form.btnPresets.Caption(), "Pad Spread");
    // The info line's frame stands out from the heading around it.
    const auto infoInside = form.getLocalPoint(&form.panInfo, juce::Point<int>(3, 13));
    EXPECT_NE(Rgb(heading.getPixelAt(infoInside.x, infoInside.y)),
              Rgb(heading.getPixelAt(infoInside.x - 8, infoInside.y)));

    ShowZelPopupMenu(form.ddmMenu, form.btnMenu);
    ZelJuceRuntime::PumpMessages();
    const juce::Image menu = Snapshot(form, "shell-menu" + suffix);
    // The menu opens below the button, over the main panel.
    EXPECT_GT(Differences(heading, menu, {6, 40, 120, 200}), 2000);
    juce::PopupMenu::dismissAllActiveMenus();
    ZelJuceRuntime::PumpMessages();

    form.OpenPresetBrowser();
    TfrmPresets* browser = form.PresetBrowser();
    ASSERT_NE(browser, nullptr);
    const juce::Image shown = Snapshot(form, "shell-browser" + suffix);
    // The current preset is selected and drawn in the style's selection colour.
    const int selected = browser->Model().ItemIndex();
    ASSERT_EQ(browser->Model().ItemText(selected), "Pad Spread");
    const auto item = browser->lstPresets.ItemRect(selected);
    const auto at = form.getLocalPoint(&browser->lstPresets, item.getTopLeft() + juce::Point<int>(2, 2));
    EXPECT_EQ(Rgb(shown.getPixelAt(at.x, at.y)), skin.SelectionBackground);
    browser->CloseWith(mrCancel);
    EXPECT_EQ(Module->PresetName(), "Pad Spread");
  }
}
