// The guide's pictures: every shot of the table taken from a real plug-in instance's editor, the skins
// applied, actions that find their controls or fail, and the default texts collected.
#include "GuideShots.h"

#include "gui/TestDisplay.h"
#include "gui/VSTEditorBase.h"
#include "gui/ZelJuceRuntime.h"
#include "gui/ZelMenuButton.h"
#include "gui/ZelSpTBXSpeedButton.h"
#include "host/VSTPluginBaseDM.h"
#include "plugin/EditorRegistration.h"
#include "support/FakeHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

namespace {
class GuideShots : public ::testing::Test {
protected:
  void SetUp() override {
    REQUIRE_TEST_DISPLAY();
    RegisterEditorWindow();
  }
  TFakeHome Home;
};

// Brightness of the middle of an image, 0..255.
float MeanBrightness(const juce::Image& image) {
  float sum = 0;
  int count = 0;
  for (int y = image.getHeight() / 4; y < image.getHeight() * 3 / 4; y += 2)
    for (int x = image.getWidth() / 4; x < image.getWidth() * 3 / 4; x += 2, ++count)
      sum += image.getPixelAt(x, y).getPerceivedBrightness() * 255.0f;
  return count > 0 ? sum / static_cast<float>(count) : 0.0f;
}

// A window with a panel switch and a main menu, standing in for an editor.
class TSwitchingForm : public TfrmVSTEditorBase {
public:
  TSwitchingForm() : TfrmVSTEditorBase(nullptr, &ZelSkins::ByIndex(0)) {
    panelButton.SetCaption("Timing / Velocity");
    panelButton.setBounds(20, 20, 140, 30);
    panelButton.OnClick = [this](TObject*) {
      shown.setVisible(true);
    };
    shown.setBounds(20, 60, 200, 100);
    shown.setVisible(false);
    menu.Items().Add("Init");
    menu.Items().Add("Load Preset");
    TZelMenuItem& skins = menu.Items().Add("Skin");
    skins.Add("Carbon");
    skins.Add("Dark");
    menuButton.DropDownMenu = &menu;
    menuButton.setTopLeftPosition(300, 20);
    // A second menu button lower down, first in the tree, as the chord menu is in the editor.
    chordMenu.Items().Add("Major");
    chordMenuButton.DropDownMenu = &chordMenu;
    chordMenuButton.setTopLeftPosition(20, 200);
    for (juce::Component* c :
         std::initializer_list<juce::Component*>{&chordMenuButton, &panelButton, &menuButton})
      panMain.addAndMakeVisible(c);
    panMain.addChildComponent(shown);
  }
  TZelSpTBXSpeedButton panelButton;
  TZelGuiPanel shown;
  TZelMenuButton menuButton;
  TZelPopupMenu menu;
  TZelMenuButton chordMenuButton;
  TZelPopupMenu chordMenu;
};
} // namespace

TEST_F(GuideShots, EveryShotIsWrittenFromTheInstancesEditor) {
  TSnapshotInstance instance;
  const std::filesystem::path folder = std::filesystem::path(Home.Root()) / "shots";
  const int written = WriteGuideShots(instance, folder.string());
  ASSERT_EQ(written, static_cast<int>(::GuideShots().size()));

  std::ifstream list(folder / "shots.txt");
  std::set<std::string> names;
  std::string line;
  for (const TGuideShot& shot : ::GuideShots()) {
    SCOPED_TRACE(shot.FileName);
    ASSERT_TRUE(std::getline(list, line));
    EXPECT_EQ(line, shot.FileName + ".png\t" + shot.Title);
    EXPECT_TRUE(names.insert(shot.FileName).second) << "two shots write one file";
    const juce::Image image = juce::ImageFileFormat::loadFrom(
        juce::File(juce::String((folder / (shot.FileName + ".png")).string())));
    ASSERT_TRUE(image.isValid());
    // The editor's own size, or the crop of it.
    if (shot.Crop.isEmpty()) {
      EXPECT_GE(image.getWidth(), TfrmVSTEditorBase::DesignWidth);
      EXPECT_GE(image.getHeight(), TfrmVSTEditorBase::DesignHeight);
    } else {
      EXPECT_EQ(image.getHeight(), shot.Crop.getHeight());
    }
    // The heading takes its skin's colour; Carbon's is dark at the window's corner.
    if (shot.Skin == 0) {
      EXPECT_LT(image.getPixelAt(1, 1).getRed(), 0x40);
    }
  }
  EXPECT_FALSE(std::getline(list, line)) << "extra line: " << line;
  // The instance's editor is closed after the last shot.
  EXPECT_EQ(instance.Module().Editor(), nullptr);
}

TEST_F(GuideShots, EachShotOpensTheWindowInItsOwnSkin) {
  TSnapshotInstance instance;
  TGuideShot carbon{"carbon", "Carbon", 0, {}, {}};
  TGuideShot light{"light", "Light", 2, {}, {}};
  const float dark = MeanBrightness(TakeShot(instance, carbon));
  const float bright = MeanBrightness(TakeShot(instance, light));
  EXPECT_GT(bright, dark + 60) << "the Light skin's main panel is not lighter than Carbon's";
  // The choice is the user's setting, as the menu would store it.
  EXPECT_EQ(instance.Module().Settings().Style(), 2);
}

TEST_F(GuideShots, AShotLeavesTheInstanceAsItFoundIt) {
  TSnapshotInstance instance;
  const std::vector<uint8_t> before = instance.Chunk();
  TGuideShot edit{"edit",
                  "An edit",
                  0,
                  [](juce::Component& form) {
                    dynamic_cast<TfrmVSTEditorBase&>(form).Module()->SetParameterByName("Note1 Start",
                                                                                        300.0f);
                  },
                  {}};
  TakeShot(instance, edit);
  EXPECT_EQ(instance.Chunk(), before) << "the next shot would start from this one's edit";
  EXPECT_FLOAT_EQ(instance.Module().ParameterValues.CurrentValueOf(0), 0.0f);
}

TEST_F(GuideShots, ActionsWorkTheWindowsOwnControls) {
  ZelJuceRuntime::TScopedRuntime runtime;
  TSwitchingForm form;
  form.setVisible(true);
  // A window of its own, as the editor has inside the host's.
  form.addToDesktop(0);
  const juce::Image before = form.createComponentSnapshot(form.getLocalBounds());

  PressButton("Timing / Velocity")(form);
  ZelJuceRuntime::PumpMessages();
  EXPECT_TRUE(form.shown.isVisible());

  OpenMainMenu()(form);
  for (int i = 0; i < 20; ++i)
    ZelJuceRuntime::PumpMessages();
  // The menu opens inside the window, below its button, so the window's render shows it.
  const juce::Image after = form.createComponentSnapshot(form.getLocalBounds());
  const auto below = form.getLocalArea(&form.menuButton, form.menuButton.getLocalBounds()).getBottomLeft();
  int changed = 0;
  for (int y = below.y + 4; y < below.y + 40; ++y)
    for (int x = below.x + 4; x < below.x + 60; ++x)
      changed += before.getPixelAt(x, y) != after.getPixelAt(x, y) ? 1 : 0;
  EXPECT_GT(changed, 200) << "no menu below the menu button";
  EXPECT_EQ(OpenMenuEntries(form), (std::vector<std::string>{"Init", "Load Preset", "Skin"}));

  OpenSubmenu("Skin")(form);
  for (int i = 0; i < 20; ++i)
    ZelJuceRuntime::PumpMessages();
  EXPECT_EQ(OpenMenuEntries(form),
            (std::vector<std::string>{"Init", "Load Preset", "Skin", "Carbon", "Dark"}));
  EXPECT_THROW(OpenSubmenu("Lowest Octave")(form), std::runtime_error);
  juce::PopupMenu::dismissAllActiveMenus();
  ZelJuceRuntime::PumpMessages();
  form.removeFromDesktop();
}

TEST_F(GuideShots, ActionsFailLoudlyWhenTheWindowLacksTheirControl) {
  ZelJuceRuntime::TScopedRuntime runtime;
  TfrmVSTEditorBase plain(nullptr, &ZelSkins::ByIndex(0));
  EXPECT_THROW(PressButton("Chord Setup")(plain), std::runtime_error);
  EXPECT_THROW(OpenMainMenu()(plain), std::runtime_error);
}

TEST_F(GuideShots, DefaultTextsAreCopiedFromTheDataFolderWhenTheEditorWroteThem) {
  TSnapshotInstance instance;
  const std::filesystem::path out = std::filesystem::path(Home.Root()) / "defaults";
  const std::filesystem::path data = instance.Module().DataFolder();
  std::filesystem::create_directories(data);
  std::filesystem::remove(data / "Chords.txt");
  std::filesystem::remove(data / "Scale Templates.txt");
  EXPECT_TRUE(CopyDefaultTexts(instance.Module(), out.string()).empty());

  std::ofstream(data / "Chords.txt", std::ios::binary) << "Major;Maj,0,4,7\r\n";
  std::ofstream(data / "Scale Templates.txt", std::ios::binary) << "Major;0;2;4;5;7;9;11\r\n";
  EXPECT_EQ(CopyDefaultTexts(instance.Module(), out.string()),
            (std::vector<std::string>{"Chords.txt", "Scale Templates.txt"}));
  std::ifstream copied(out / "Chords.txt", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(copied)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "Major;Maj,0,4,7\r\n");
}

// Installed, the guide lies beside the library; the main menu then offers to open it. In this test the
// library's code is linked into the test program, so the program's folder is the library's folder.
TEST_F(GuideShots, MainMenuOffersTheGuideOnceItLiesBesideTheLibrary) {
  TSnapshotInstance instance;
  auto menuEntries = [&instance]() -> std::optional<std::vector<std::string>> {
    juce::Component& form = instance.OpenEditor(0);
    instance.Idle(100);
    if (FindIn<TZelMenuButton>(form) == nullptr) {
      instance.CloseEditor();
      return std::nullopt;
    }
    OpenMainMenu()(form);
    instance.Idle(200);
    std::vector<std::string> entries = OpenMenuEntries(form);
    juce::PopupMenu::dismissAllActiveMenus();
    instance.CloseEditor();
    return entries;
  };
  const std::optional<std::vector<std::string>> without = menuEntries();
  if (!without)
    GTEST_SKIP() << "this editor has no main menu";
  const auto has = [](const std::vector<std::string>& entries, const std::string& caption) {
    return std::find(entries.begin(), entries.end(), caption) != entries.end();
  };
  EXPECT_TRUE(has(*without, "About"));
  EXPECT_FALSE(has(*without, "Open User Guide"));

  const std::filesystem::path guide =
      std::filesystem::read_symlink("/proc/self/exe").parent_path() / instance.Module().UserGuideFileName;
  struct TRemove {
    std::filesystem::path Path;
    ~TRemove() { std::filesystem::remove(Path); }
  } removeGuide{guide};
  std::ofstream(guide, std::ios::binary) << "%PDF-1.4\n";
  const std::optional<std::vector<std::string>> with = menuEntries();
  ASSERT_TRUE(with);
  EXPECT_TRUE(has(*with, "Open User Guide"));
}
