// The preset browser's rules without a display: listing, order, selection, deletion, the outside press and
// the warning beep.
#include "ShellTestSupport.h"

#include "gui/PresetsForm.h"
#include "gui/PresetsModel.h"

#include <gtest/gtest.h>

using namespace ShellTest;

namespace {
class PresetBrowserTest : public ::testing::Test {
protected:
  std::string Folder() const { return Home.DataFolder() + "Presets/"; }
  void Make(std::initializer_list<const char*> names) {
    for (const char* name : names) {
      TTestHome::WriteFile(Folder() + name, "x");
    }
  }
  std::vector<std::string> Items(const TPresetsModel& model) {
    std::vector<std::string> items;
    for (int32_t i = 0; i < model.Count(); ++i) {
      items.push_back(model.ItemText(i));
    }
    return items;
  }
  TTestHome Home;
};
} // namespace

TEST_F(PresetBrowserTest, ListsOnlyPresetFilesInCaseInsensitiveOrderAndSelectsTheCurrentOne) {
  Make({"beta.ventrakisp", "Alpha.ventrakisp", "gamma.ventrakisp", "notes.txt", "Beta2.ventrakisp"});
  std::filesystem::create_directories(Folder() + "Sub.ventrakisp");
  TTestHome::WriteFile(Folder() + "Sub/inner.ventrakisp", "x");
  TPresetsModel model;
  model.SetFolder(Folder());
  model.PresetName = "BETA";
  model.Show();
  EXPECT_EQ(Items(model), (std::vector<std::string>{"Alpha", "beta", "Beta2", "gamma"}));
  EXPECT_EQ(model.ItemIndex(), 1);
  EXPECT_EQ(model.SelectedFile(), Folder() + "beta.ventrakisp");
  EXPECT_EQ(model.Files()[static_cast<size_t>(model.FileIndex(1))], "beta.ventrakisp");

  // No current name, or one whose file is gone: the first item.
  for (const char* name : {"", "Deleted"}) {
    model.PresetName = name;
    model.Show();
    EXPECT_EQ(model.ItemIndex(), 0) << name;
  }
}

TEST_F(PresetBrowserTest, DeletingKeepsThePlaceAndTheLastDeletionEmptiesTheList) {
  Make({"A.ventrakisp", "B.ventrakisp", "C.ventrakisp"});
  TPresetsModel model;
  model.SetFolder(Folder().substr(0, Folder().size() - 1)); // the separator is added
  model.Show();
  model.SetItemIndex(1);
  EXPECT_EQ(model.DeleteQuestion(), "Delete \"B\"?");
  model.DeleteSelected();
  EXPECT_EQ(Items(model), (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(model.ItemIndex(), 1);
  EXPECT_FALSE(std::filesystem::exists(Folder() + "B.ventrakisp"));

  // The last item: the new last one is selected.
  model.DeleteSelected();
  EXPECT_EQ(Items(model), (std::vector<std::string>{"A"}));
  EXPECT_EQ(model.ItemIndex(), 0);
  model.DeleteSelected();
  EXPECT_EQ(model.Count(), 0);
  EXPECT_EQ(model.ItemIndex(), -1);
  EXPECT_FALSE(model.CanOpen());
  EXPECT_EQ(model.SelectedFile(), "");
  model.DeleteSelected(); // nothing selected: nothing happens
  EXPECT_EQ(model.Count(), 0);
}

TEST_F(PresetBrowserTest, AMissingFolderListsNothingAndOffersNoOpen) {
  TPresetsModel model;
  model.SetFolder(Folder() + "nowhere");
  model.PresetName = "x";
  model.Show();
  EXPECT_EQ(model.Count(), 0);
  EXPECT_FALSE(model.CanOpen());
  model.SetItemIndex(0);
  EXPECT_EQ(model.ItemIndex(), -1);
}

TEST_F(PresetBrowserTest, ItemsFillThreeColumnsTopToBottom) {
  for (int i = 0; i < 20; ++i) {
    TTestHome::WriteFile(Folder() + "P" + std::to_string(100 + i) + ".ventrakisp", "x");
  }
  TPresetsModel model;
  model.SetFolder(Folder());
  model.Show();
  // 300 x 100: three columns of 100, five rows of 20.
  EXPECT_EQ(model.ItemAt(5, 5, 300, 100, 0), 0);
  EXPECT_EQ(model.ItemAt(5, 85, 300, 100, 0), 4);
  EXPECT_EQ(model.ItemAt(105, 5, 300, 100, 0), 5);
  EXPECT_EQ(model.ItemAt(205, 25, 300, 100, 1), 16);
  EXPECT_EQ(model.ItemAt(205, 85, 300, 100, 1), 19);
  EXPECT_EQ(model.ItemAt(205, 85, 300, 100, 2), -1); // beyond the last item
  EXPECT_EQ(model.ItemAt(5, 105, 300, 100, 0), -1);  // below the last row
  EXPECT_EQ(model.ColumnCount(100), 4);
  EXPECT_EQ(model.ColumnToShow(19, 100, 0), 1);
  EXPECT_EQ(model.ColumnToShow(2, 100, 1), 0);
  EXPECT_EQ(model.ColumnToShow(7, 100, 1), 1);
}

TEST(PresetBrowserOutsidePress, OnlyAPressOutsideTheEditorCancelsFromTheTimer) {
  TOutsidePressState state;
  state.Showing = true;
  EXPECT_EQ(OutsidePressAction(state), opaNone); // no button down
  state.LeftDown = true;
  EXPECT_EQ(OutsidePressAction(state), opaCancel);
  state.LeftDown = false;
  state.RightDown = true;
  EXPECT_EQ(OutsidePressAction(state), opaCancel);
  // A press that started on the browser may be dragged anywhere.
  state.BrowserPressActive = true;
  EXPECT_EQ(OutsidePressAction(state), opaNone);
  state.BrowserPressActive = false;
  state.InsideBrowser = true;
  EXPECT_EQ(OutsidePressAction(state), opaNone);
  // Inside the editor the layer's own mouse handling deals with it (and repeats the press).
  state.InsideBrowser = false;
  state.InsideEditor = true;
  EXPECT_EQ(OutsidePressAction(state), opaNone);
  state.InsideEditor = false;
  state.Showing = false;
  EXPECT_EQ(OutsidePressAction(state), opaNone);
}

TEST_F(PresetBrowserTest, TheBrowserSwitchesTheBeepOffAndRestoresExactlyTheUsersSetting) {
  ZelJuceRuntime::TScopedRuntime runtime;
  TShellRecorder platform;
  TPlatformScope scope(platform);
  platform.Beep = true;
  {
    TfrmPresets browser;
    EXPECT_EQ(platform.BeepChanges, std::vector<bool>{false});
  }
  EXPECT_EQ(platform.BeepChanges, (std::vector<bool>{false, true}));

  // A user who had it off keeps it off: the browser never switches it on.
  platform.BeepChanges.clear();
  platform.Beep = false;
  { TfrmPresets browser; }
  EXPECT_TRUE(platform.BeepChanges.empty());
  // A platform without the setting is left alone.
  platform.Beep.reset();
  { TfrmPresets browser; }
  EXPECT_TRUE(platform.BeepChanges.empty());
}

TEST_F(PresetBrowserTest, ButtonsAndMenuFollowTheSelectionAndShowInExplorerMakesTheFolder) {
  ZelJuceRuntime::TScopedRuntime runtime;
  TShellRecorder platform;
  TPlatformScope scope(platform);
  TfrmPresets browser;
  browser.SetFolder(Folder());
  int closes = 0;
  browser.OnClose = [&](int) {
    ++closes;
  };
  browser.Show();
  EXPECT_FALSE(browser.btnOK.isEnabled());
  browser.popMenuPopup();
  EXPECT_FALSE(browser.popMenu_Open->Enabled);
  EXPECT_FALSE(browser.popMenu_Delete->Enabled);
  EXPECT_TRUE(browser.popMenu_ShowInExplorer->Enabled);
  // A double click with nothing selected does nothing.
  browser.lstPresetsDblClick();
  EXPECT_EQ(closes, 0);

  browser.popMenu_ShowInExplorerClick();
  EXPECT_TRUE(std::filesystem::is_directory(Folder()));
  EXPECT_EQ(platform.Folders, std::vector<std::string>{Folder()});

  Make({"One.ventrakisp"});
  browser.Show();
  EXPECT_TRUE(browser.btnOK.isEnabled());
  browser.popMenuPopup();
  EXPECT_TRUE(browser.popMenu_Open->Enabled);
  browser.lstPresetsDblClick();
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(browser.ModalResult(), mrOK);
  EXPECT_EQ(browser.GetSelectedFile(), Folder() + "One.ventrakisp");
  browser.CloseWith(mrCancel); // answers once
  EXPECT_EQ(closes, 1);
}

TEST_F(PresetBrowserTest, LayoutFollowsTheSizeTheCallerSets) {
  ZelJuceRuntime::TScopedRuntime runtime;
  TfrmPresets browser;
  browser.setSize(600, 340);
  auto inBrowser = [&](juce::Component& c) {
    return browser.getLocalArea(&browser.panMain, c.getBounds());
  };
  EXPECT_EQ(inBrowser(browser.lstPresets), juce::Rectangle<int>(12, 36, 576, 340 - 36 - 36 - 10));
  EXPECT_EQ(inBrowser(browser.btnCancel), juce::Rectangle<int>(12 + 576 - 81, 304, 80, 26));
  EXPECT_EQ(inBrowser(browser.btnOK), juce::Rectangle<int>(12 + 576 - 81 - 90, 304, 80, 26));
}
