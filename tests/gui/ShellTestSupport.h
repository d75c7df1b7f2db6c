// ShellTestSupport: the editor shell's test bench: a real plug-in module in a fake home, a scripted UI and a
// shell form that counts its hooks.
#pragma once

#include "engine/Plugin.h"
#include "gui/VSTEditorMenu.h"
#include "gui/ZelJuceRuntime.h"
#include "gui/ZelSkin.h"
#include "gui/ZelSlider.h"
#include "host/DelegatingPlatform.h"
#include "host/VSTInterface.h"
#include "host/VSTPluginBaseDM.h"
#include "support/EditorTestHost.h"
#include "support/FakeHome.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace ShellTest {

// A fake home whose documents folder the platform services also answer for the test's lifetime, so
// the user's presets and settings stay untouched on every platform.
class TTestHome final : public TFakeHome, public TDelegatingPlatform {
public:
  TTestHome() {
    std::filesystem::create_directories(Documents());
    SetPlatform(this);
  }
  ~TTestHome() override { SetPlatform(nullptr); }
  TTestHome(const TTestHome&) = delete;
  TTestHome& operator=(const TTestHome&) = delete;

  std::string DocumentsFolder() override { return Documents(); }
};

// Root bypasses file permissions and Windows ignores the read-only mark of folders, so tests of
// read-only folders cannot run there.
inline bool FolderPermissionsIgnored() {
#if defined(_WIN32)
  return true;
#else
  return geteuid() == 0;
#endif
}

struct TBox {
  std::string Text;
  std::string Caption;
  TMessageButtons Buttons = mbOK;
  TMessageIcon Icon = miWarning;
};
struct TTextDialog {
  std::string Caption;
  std::string Prompt;
  bool EmptyAllowed = false;
  int32_t MaxLength = 0;
  std::string Text;
};
struct TNumberDialog {
  std::string Caption;
  std::string Prompt;
  double Maximum = 0.0;
  double Minimum = 0.0;
  int32_t Decimals = -1;
  double Value = 0.0;
};

// Answers every request at once from its scripts: boxes take the next of MessageAnswers (OK when none
// is left), text dialogs OK with the next of TextAnswers (Cancel when none), number dialogs the same.
class TScriptedUi final : public TUiServices {
public:
  TScriptedUi() { SetUiServices(this); }
  ~TScriptedUi() override { SetUiServices(nullptr); }

  std::vector<TBox> Boxes;
  std::vector<TTextDialog> TextDialogs;
  std::vector<TNumberDialog> NumberDialogs;
  std::deque<TModalResult> MessageAnswers;
  std::deque<std::string> TextAnswers;
  std::deque<double> NumberEntries;

  void ShowMessageBox(TUiOwner, const std::string& text, const std::string& caption, TMessageButtons buttons,
                      TMessageIcon icon, TMessageDone done) override {
    Boxes.push_back({text, caption, buttons, icon});
    TModalResult answer = mrOK;
    if (!MessageAnswers.empty()) {
      answer = MessageAnswers.front();
      MessageAnswers.pop_front();
    }
    if (done) {
      done(answer);
    }
  }
  void ShowTextDialog(TUiOwner, const std::string& caption, const std::string& prompt, bool emptyAllowed,
                      int32_t maxLength, const std::string& text, TTextDone done) override {
    TextDialogs.push_back({caption, prompt, emptyAllowed, maxLength, text});
    if (TextAnswers.empty()) {
      done(false, text);
      return;
    }
    const std::string answer = TextAnswers.front();
    TextAnswers.pop_front();
    done(true, answer);
  }
  void ShowNumberDialog(TUiOwner, const std::string& caption, const std::string& prompt, double maximum,
                        double minimum, int32_t decimals, double value, TNumberDone done) override {
    NumberDialogs.push_back({caption, prompt, maximum, minimum, decimals, value});
    if (NumberEntries.empty()) {
      done(false, value);
      return;
    }
    const double entry = NumberEntries.front();
    NumberEntries.pop_front();
    done(true, entry);
  }
  void RunLater(int32_t, std::function<void()> action) override { action(); }
};

// What the host heard: automate calls (project changed, parameter touched, values sent).
struct THostLog {
  int32_t Automations = 0;
  int32_t LastIndex = -1;
};

// The shell as the main editor sees it, with its hooks counted.
class TestForm final : public TfrmVSTEditorMenu {
public:
  explicit TestForm(TVSTPluginBase* module, int32_t skin = 0)
      : TfrmVSTEditorMenu(module, &ZelSkins::ByIndex(skin)) {}
  int UpdateCalls = 0;
  int AfterInitCalls = 0;
  int AfterBrowserCalls = 0;
  std::vector<std::string> ChangedControls;
  void UpdateFromPlugin() override { ++UpdateCalls; }
  void AfterInitPreset() override { ++AfterInitCalls; }
  void AfterPresetBrowser() override { ++AfterBrowserCalls; }
  void ControlChanged(const std::string& name) override { ChangedControls.push_back(name); }
};

// Platform services that record shell opens instead of starting programs.
class TShellRecorder final : public TDelegatingPlatform {
public:
  std::vector<std::string> Opened;
  std::vector<std::string> Folders;
  int32_t Result = ShellResult::Success;
  std::optional<bool> Beep;
  std::vector<bool> BeepChanges;
  int32_t ShellOpen(const std::string& file, const std::string&, const std::string&, TShowMode) override {
    Opened.push_back(file);
    return Result;
  }
  bool OpenFolder(const std::string& folder) override {
    Folders.push_back(folder);
    return true;
  }
  std::optional<bool> WarningBeep() override { return Beep; }
  void SetWarningBeep(bool on) override {
    BeepChanges.push_back(on);
    Beep = on;
  }
};

inline std::unique_ptr<TPluginHandlers> MakeTriaxo(TPluginHost& host) {
  return std::make_unique<TVSTPlugin>(host);
}

// One module in a fake home, attached to the recording host, and the shell form over it.
class ShellFlowTest : public ::testing::Test {
protected:
  void SetUp() override {
    EditorTestHost::Log() = {};
    Module = std::make_unique<TVSTPluginBase>(MakeTriaxo);
    ASSERT_TRUE(Module->AttachHost(&EditorTestHost::Callback));
    Form = std::make_unique<TestForm>(Module.get());
    Ui.Boxes.clear(); // creation may report on a fresh home; the flows start from here
  }
  void TearDown() override {
    Form.reset();
    Module.reset();
  }

  THostLog Host() const {
    const auto& automations = EditorTestHost::Log().Automations;
    return {static_cast<int32_t>(automations.size()), automations.empty() ? -1 : automations.back().first};
  }
  void SetParameter(const std::string& name, float value) { Module->SetParameterByName(name, value); }
  float Value(const std::string& name) { return Module->ParameterValues.Items(name).CurrentValue.Load(); }
  float Default(const std::string& name) { return Module->ParameterValues.Items(name).DefaultValue; }
  // The heading's preset button as the module's name change leaves it (the module tells its attached
  // editor; this form is not attached).
  juce::String ShownPresetName() {
    Form->UpdatePresetName();
    return Form->btnPresets.Caption();
  }
  // A menu entry chosen after the menu opened.
  void ClickMenu(TZelMenuItem& item) {
    Form->ddmMenuPopup(Form->ddmMenu);
    item.Click();
  }
  // The bytes of a preset file holding the current state.
  std::string CurrentChunkBytes() {
    TMemoryStreamChunk chunk;
    EXPECT_TRUE(Module->StoreToChunk(chunk, nullptr));
    std::vector<uint8_t> bytes;
    chunk.WriteToStream(bytes);
    return std::string(bytes.begin(), bytes.end());
  }

  TTestHome Home;
  ZelJuceRuntime::TScopedRuntime Runtime;
  TScriptedUi Ui;
  std::unique_ptr<TVSTPluginBase> Module;
  std::unique_ptr<TestForm> Form;
};

} // namespace ShellTest
