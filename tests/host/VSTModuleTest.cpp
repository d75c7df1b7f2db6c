// The module layer with a stand-in plug-in: CC learn hand-over, editor hosting, host notifications.
#include "RecordingUi.h"
#include "support/FakeHome.h"
#include "support/InProcessModule.h"

#include "engine/TaggedStream.h"
#include "host/VSTPluginBaseDM.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace vst;

namespace {

// Three parameters with the ranges the product uses; the setup stream is one integer and the values.
class TStandInPlugin : public TPluginHandlers {
public:
  explicit TStandInPlugin(TPluginHost& host) : Host(host) {
    Definitions = {
        {"Delay", "Del", 0.0f, 1000.0f}, {"Scale", "Scl", -100.0f, 100.0f}, {"Spread", "Spr", 0.0f, 200.0f}};
  }
  TPluginHost& Host;
  std::vector<TParameterDefinition> Definitions;
  TVSTParameterValues* Values = nullptr;
  int32_t Setting = 0;
  int32_t Resets = 0;
  int32_t IdleCalls = 0;
  TEditorView* AttachedEditor = nullptr;
  std::vector<TMidiInEvent> Midi;

  void VSTModuleProcessMidi(const TMidiInEvent& event) override { Midi.push_back(event); }
  void VSTModuleProcess32Replacing(float* const*, float* const*, int32_t) override {}
  void AttachEditor(TEditorView* editor) override { AttachedEditor = editor; }
  void VSTModuleEditIdle() override { ++IdleCalls; }
  const std::vector<TParameterDefinition>& ParameterDefinitions() const override { return Definitions; }
  void RegisterParameterValues(TVSTParameterValues& values) override {
    Values = &values;
    for (const auto& definition : Definitions)
      values.AddValue(definition.DisplayName, 0, 0.0f);
  }
  void ParameterChange(int32_t index, float value) override { Values->Items(index).CurrentValue = value; }
  std::string ParameterDisplay(int32_t index) const override {
    return std::to_string(Values->Items(index).RoundedValue());
  }
  void WriteSetup(TTaggedWriter& writer) override {
    writer.WriteListBegin();
    writer.WriteInteger(Setting);
    for (int32_t i = 0; i < Values->Count(); ++i)
      writer.WriteFloat(Values->Items(i).CurrentValue.Load());
    writer.WriteListEnd();
  }
  void ReadSetup(TTaggedReader& reader, const std::string&) override {
    reader.ReadListBegin();
    Setting = reader.ReadInteger();
    for (const auto& definition : Definitions)
      Host.SetParameterByName(definition.DisplayName, static_cast<float>(reader.ReadFloat()));
    reader.ReadListEnd();
  }
  void ResetToDefaults() override {
    ++Resets;
    Setting = 0;
  }
};

class TFakeEditor : public TModuleEditor {
public:
  int32_t Updates = 0;
  int32_t Idles = 0;
  int32_t Focus = 0;
  int32_t PresetNames = 0;
  std::vector<std::string> Infos;
  int32_t Width() const override { return 640; }
  int32_t Height() const override { return 400; }
  int32_t ClientWidth() const override { return 700; }
  void FocusControlUnderMouse() override { ++Focus; }
  void UpdatePresetName() override { ++PresetNames; }
  void Idle() override { ++Idles; }
  void UpdateFromPlugin() override { ++Updates; }
  THighlightedNotes& HighlightedNotes() override { throw std::logic_error("unused"); }
  TMidiNoteList& SoundingNotes() override { throw std::logic_error("unused"); }
  void SetLearnedOctave(int32_t) override {}
  void RefreshHighlights() override {}
  void ShowInfo(const std::string& text) override { Infos.push_back(text); }
};

class TFakeEditorFactory : public TModuleEditorFactory {
public:
  TFakeEditor* Last = nullptr;
  std::vector<std::string> Skins;
  void ApplySkin(const std::string& styleName) override { Skins.push_back(styleName); }
  std::unique_ptr<TModuleEditor> CreateEditor(TVSTPluginBase&, void*) override {
    auto editor = std::make_unique<TFakeEditor>();
    Last = editor.get();
    return editor;
  }
};

class VSTModuleWithStandIn : public ::testing::Test {
protected:
  TFakeHome Home;
  TRecordingUi Ui;
  TVstHost Host; // the command-line host, attached to the module's own record
  TStandInPlugin* Plugin = nullptr;
  std::unique_ptr<TVSTPluginBase> Module;

  void SetUp() override {
    Module = std::make_unique<TVSTPluginBase>([this](TPluginHost& host) {
      auto plugin = std::make_unique<TStandInPlugin>(host);
      Plugin = plugin.get();
      return plugin;
    });
    ASSERT_NO_THROW(AttachModule(Host, *Module));
    Module->Dispatch(effOpen, 0, 0, nullptr, 0.0f);
    Host.ClearAutomations();
  }
  void TearDown() override {
    CloseModule(Host, Module);
    RegisterModuleEditorFactory(nullptr);
  }
  void Controller(uint8_t status, uint8_t number, uint8_t value) {
    Host.SendEvents({{status, number, value, 0}});
  }
  float Value(int32_t index) { return Module->ParameterValues.CurrentValueOf(index); }
};

TEST_F(VSTModuleWithStandIn, LearnedControllerIsAssignedOnTheUserInterfaceThread) {
  Module->SetCCMode(ccmLearn);
  Module->SetLearnTarget("Scale");
  Controller(0xB0, 7, 100);
  // The learned controller's value is not applied, and the mode is over at once.
  EXPECT_FLOAT_EQ(Value(1), 0.0f);
  EXPECT_EQ(Module->CCMode(), ccmNone);
  EXPECT_TRUE(Module->EditorNeedsUpdate());
  // The next user-interface request makes the assignment and tells the host.
  void* data = nullptr;
  Module->Dispatch(effGetChunk, 1, 0, &data, 0.0f);
  ASSERT_EQ(Module->MidiCCList.Count(), 1);
  EXPECT_EQ(Module->MidiCCList.Items(0).ParameterName, "Scale");
  EXPECT_EQ(Module->MidiCCList.Items(0).CCNumber, 7);
  EXPECT_EQ(Host.Automations().size(), 1u);
  EXPECT_EQ(Module->LearnTarget(), "");
  // The next controller of that number moves the parameter.
  Controller(0xB0, 7, 127);
  EXPECT_FLOAT_EQ(Value(1), 100.0f);
}

TEST_F(VSTModuleWithStandIn, LearnWithoutTargetIgnoresControllers) {
  Module->MidiCCList.AddOrUpdate("Delay", 7);
  Module->MidiCCListChanged();
  Module->SetCCMode(ccmLearn);
  Controller(0xB0, 7, 127);
  EXPECT_FLOAT_EQ(Value(0), 0.0f);
  EXPECT_EQ(Module->CCMode(), ccmLearn);
  Module->ServiceLearnedController();
  EXPECT_EQ(Module->MidiCCList.Count(), 1);
}

TEST_F(VSTModuleWithStandIn, RelearningReplacesAndSharedNumbersMoveBoth) {
  Module->MidiCCList.AddOrUpdate("Delay", 3);
  Module->MidiCCListChanged();
  for (const char* target : {"Delay", "Spread"}) {
    Module->SetCCMode(ccmLearn);
    Module->SetLearnTarget(target);
    Controller(0xB6, 7, 1); // channel 7 learns like channel 1
    Module->ServiceLearnedController();
  }
  ASSERT_EQ(Module->MidiCCList.Count(), 2);
  EXPECT_EQ(Module->MidiCCList.Items(0).CCNumber, 7);
  EXPECT_EQ(Module->MidiCCList.Items(1).CCNumber, 7);
  Module->SetCCMode(ccmSetCC); // controllers still apply in ccmSetCC
  Controller(0xB0, 7, 127);
  EXPECT_FLOAT_EQ(Value(0), 1000.0f);
  EXPECT_FLOAT_EQ(Value(2), 200.0f);
  Controller(0xB0, 3, 127);
  EXPECT_FLOAT_EQ(Value(0), 1000.0f);
}

TEST_F(VSTModuleWithStandIn, LeavingLearnForgetsTheTarget) {
  Module->SetCCMode(ccmLearn);
  Module->SetLearnTarget("Delay");
  Module->SetCCMode(ccmNone); // the transport started
  Module->SetCCMode(ccmLearn);
  EXPECT_EQ(Module->LearnTarget(), "");
  Controller(0xB0, 9, 5);
  Module->ServiceLearnedController();
  EXPECT_EQ(Module->MidiCCList.Count(), 0);
}

TEST_F(VSTModuleWithStandIn, EditorIsHostedThroughTheRegisteredFactory) {
  TFakeEditorFactory factory;
  RegisterModuleEditorFactory(&factory);
  ERect* rect = nullptr;
  EXPECT_EQ(Module->Dispatch(effEditGetRect, 0, 0, &rect, 0.0f), 0);
  EXPECT_EQ(Module->Dispatch(effEditOpen, 0, 0, nullptr, 0.0f), 0); // no parent window
  int parent = 0;
  EXPECT_EQ(Module->Dispatch(effEditOpen, 0, 0, &parent, 0.0f), 1);
  EXPECT_EQ(factory.Skins, (std::vector<std::string>{"Carbon", "Carbon"}));
  ASSERT_NE(factory.Last, nullptr);
  EXPECT_EQ(Plugin->AttachedEditor, factory.Last);
  EXPECT_EQ(Module->Dispatch(effEditGetRect, 0, 0, &rect, 0.0f), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->bottom, 400);
  EXPECT_EQ(rect->right, 700); // the larger client width wins

  // Idle runs the refresh only while asked to, once per request.
  Module->Dispatch(effEditIdle, 0, 0, nullptr, 0.0f);
  const int32_t idleCalls = Plugin->IdleCalls;
  Module->Dispatch(effEditIdle, 0, 0, nullptr, 0.0f);
  EXPECT_EQ(Plugin->IdleCalls, idleCalls);
  EXPECT_EQ(factory.Last->Idles, 2);
  Module->SetParameterAutomated(0, 10.0f);
  Module->Dispatch(effEditIdle, 0, 0, nullptr, 0.0f);
  EXPECT_EQ(Plugin->IdleCalls, idleCalls + 1);

  Module->Dispatch(effVendorSpecific, 0, MakeFourCC('W', 'h', 'e', 'e'), nullptr, 0.0f);
  Module->Dispatch(effVendorSpecific, 0, 1, nullptr, 0.0f);
  EXPECT_EQ(factory.Last->Focus, 1);
  Module->SetPresetName("Pads");
  Module->SetPresetName("Pads");
  EXPECT_EQ(factory.Last->PresetNames, 1);

  Module->SetCCMode(ccmLearn);
  Module->SetLearnTarget("Spread");
  Controller(0xB0, 21, 0);
  Module->Dispatch(effEditIdle, 0, 0, nullptr, 0.0f);
  EXPECT_EQ(factory.Last->Infos.back(), "Spread = CC# 21");

  EXPECT_EQ(Module->Dispatch(effEditClose, 0, 0, nullptr, 0.0f), 0);
  EXPECT_EQ(Plugin->AttachedEditor, nullptr);
  EXPECT_EQ(Module->Dispatch(effEditGetRect, 0, 0, &rect, 0.0f), 0);
}

TEST_F(VSTModuleWithStandIn, HostNotificationsCarryNormalisedValues) {
  Module->SetParameterByName("Scale", 50.0f);
  ASSERT_EQ(Host.Automations().size(), 1u);
  EXPECT_EQ(Host.Automations()[0].Index, 1);
  EXPECT_FLOAT_EQ(Host.Automations()[0].Value, 0.75f);
  Module->TouchParameter("Scale");
  EXPECT_FLOAT_EQ(Host.Automations().back().Value, 0.75f);
  Module->TouchParameter("Nothing");
  EXPECT_EQ(Host.Automations().size(), 2u);
  Module->SetParameterByName("Delay", 500.0f);
  Module->NotifyHostChanged();
  EXPECT_EQ(Host.Automations().back().Index, 0);
  EXPECT_FLOAT_EQ(Host.Automations().back().Value, 0.5f);
  EXPECT_FLOAT_EQ(Value(0), 500.0f);
  EXPECT_THROW(Module->SetParameterByName("Note6 Start", 1.0f), std::runtime_error);
}

TEST_F(VSTModuleWithStandIn, ResetToDefaultsClearsEverythingAndTellsTheHostOfEachValue) {
  Plugin->Setting = 5;
  Module->SetParameterByName("Delay", 500.0f);
  Module->SetPresetName("Pads");
  Module->MidiCCList.AddOrUpdate("Delay", 1);
  Host.ClearAutomations();
  const int32_t resets = Plugin->Resets;
  Module->ResetToDefaults();
  EXPECT_EQ(Plugin->Resets, resets + 1);
  EXPECT_EQ(Plugin->Setting, 0);
  EXPECT_EQ(Module->PresetName(), "");
  EXPECT_EQ(Module->MidiCCList.Count(), 0);
  EXPECT_FLOAT_EQ(Value(0), 0.0f);
  EXPECT_EQ(Host.Automations().size(), 3u);
}

TEST_F(VSTModuleWithStandIn, PresetFileRoundTripKeepsStateAndAssignments) {
  Plugin->Setting = 42;
  Module->SetParameterByName("Spread", 120.0f);
  Module->MidiCCList.AddOrUpdate("Spread", 11);
  TMemoryStreamChunk chunk;
  ASSERT_TRUE(Module->StoreToChunk(chunk, nullptr));
  std::filesystem::create_directories(Module->PresetsFolder());
  chunk.SaveToFile(Module->PresetFileName("Lead"));
  Module->ResetToDefaults();

  TMemoryStreamChunk loaded;
  loaded.LoadFromFile(Module->PresetFileName("Lead"));
  EXPECT_EQ(loaded.Payload(), chunk.Payload());
  ASSERT_TRUE(Module->LoadFromChunk(loaded, false, nullptr));
  EXPECT_EQ(Plugin->Setting, 42);
  EXPECT_FLOAT_EQ(Value(2), 120.0f);
  ASSERT_EQ(Module->MidiCCList.Count(), 1);
  Controller(0xB0, 11, 0);
  EXPECT_FLOAT_EQ(Value(2), 0.0f);
  EXPECT_TRUE(Ui.Boxes.empty());
}

TEST_F(VSTModuleWithStandIn, UnknownParameterInPayloadReportsTheLoadError) {
  TMemoryStreamChunk chunk;
  ASSERT_TRUE(Module->StoreToChunk(chunk, nullptr));
  chunk.Payload().resize(chunk.Payload().size() - 3);
  EXPECT_FALSE(Module->LoadFromChunk(chunk, false, nullptr));
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Caption, "Load Preset");
  EXPECT_EQ(Ui.Boxes[0].Text, "Error loading preset.\r\n\r\n\"Stream read error\"");
}

} // namespace
