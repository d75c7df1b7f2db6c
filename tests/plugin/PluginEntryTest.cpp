// The plug-in as a host meets it: entry, identity, dispatcher answers, can-do table, exports.
#include "support/FakeHome.h"
#include "support/TriaxoSession.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <set>
#include <string>

using namespace vst;

namespace {

class PluginEntryPoints : public ::testing::Test {
protected:
  TFakeHome Home;
  TTriaxoSession Host;
};

TEST_F(PluginEntryPoints, EffectRecordCarriesTheProductIdentity) {
  ASSERT_NO_THROW(Host.Open());
  AEffect* effect = &Host.Effect();
  EXPECT_EQ(effect->magic, MakeFourCC('V', 's', 't', 'P'));
  EXPECT_EQ(effect->numPrograms, 1);
  EXPECT_EQ(effect->numParams, 30);
  EXPECT_EQ(effect->numInputs, 0);
  EXPECT_EQ(effect->numOutputs, 2);
  EXPECT_EQ(effect->flags, 0x131);
  EXPECT_EQ(effect->initialDelay, 0);
  EXPECT_FLOAT_EQ(effect->ioRatio, 1.0f);
  EXPECT_EQ(effect->uniqueID, MakeFourCC('k', 'x', '0', '9'));
  EXPECT_EQ(effect->version, 1000);
  EXPECT_NE(effect->user, nullptr);
  EXPECT_EQ(effect->object, nullptr);
}

TEST_F(PluginEntryPoints, TwoNamedHostsFindTheModuleInTheObjectField) {
  for (const char* product : {"energyXT", "Sound Forge Pro 10.0"}) {
    TTriaxoSession host;
    host.Answers().Product = product;
    ASSERT_NO_THROW(host.Open());
    AEffect* effect = &host.Effect();
    EXPECT_NE(effect->object, nullptr) << product;
    EXPECT_EQ(effect->user, nullptr) << product;
    // Every entry still reaches the module.
    EXPECT_EQ(host.DispatchText(effGetEffectName), "Triaxo");
    EXPECT_FLOAT_EQ(host.GetParameter(4), 0.5f);
    host.Process(64, {{0xB0, 7, 100, 0}});
    EXPECT_EQ(host.Captured().size(), 1u);
  }
}

TEST_F(PluginEntryPoints, HostAnsweringZeroToVersionGetsNoRecord) {
  Host.Answers().Version = 0;
  EXPECT_THROW(Host.Create(), EHostError);
  EXPECT_EQ(TriaxoEntry()(nullptr), nullptr);
}

TEST_F(PluginEntryPoints, IdentityStringsAndNumbers) {
  Host.Open();
  EXPECT_EQ(Host.DispatchText(effGetEffectName), "Triaxo");
  EXPECT_EQ(Host.DispatchText(effGetProductString), "Triaxo");
  EXPECT_EQ(Host.DispatchText(effGetVendorString), "Ventrakis");
  EXPECT_EQ(Host.Dispatch(effGetEffectName, 0, 0, std::array<char, 64>{}.data()), 1);
  EXPECT_EQ(Host.Dispatch(effGetVendorVersion), 1000);
  EXPECT_EQ(Host.Dispatch(effGetPlugCategory), kPlugCategSynth);
  EXPECT_EQ(Host.Dispatch(effGetVstVersion), 2400);
  EXPECT_EQ(Host.Dispatch(effIdentify), MakeFourCC('N', 'v', 'E', 'f'));
  EXPECT_EQ(Host.DispatchText(effGetProgramName), "Default");
  EXPECT_EQ(Host.Dispatch(effGetProgramNameIndexed, 0, 0, std::array<char, 64>{}.data()), 1);
  EXPECT_EQ(Host.Dispatch(effGetProgramNameIndexed, 1, 0, std::array<char, 64>{}.data()), 0);
}

TEST_F(PluginEntryPoints, DispatcherAnswersOfTheRequestTable) {
  Host.Open();
  EXPECT_EQ(Host.Dispatch(effGetProgram), 0);
  EXPECT_EQ(Host.Dispatch(effSetProgram, 0, 0), 0);
  EXPECT_EQ(Host.Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f), 1);
  EXPECT_EQ(Host.Dispatch(effSetBlockSize, 0, 256), 0);
  EXPECT_EQ(Host.Dispatch(effCanBeAutomated, 0), 1);
  EXPECT_EQ(Host.Dispatch(effCanBeAutomated, 29), 1);
  EXPECT_EQ(Host.Dispatch(effCanBeAutomated, 300), 1);
  EXPECT_EQ(Host.Dispatch(effString2Parameter, 0, 0, const_cast<char*>("5")), 0);
  EXPECT_EQ(Host.Dispatch(effString2Parameter, 300, 0, const_cast<char*>("5")), 0);
  EXPECT_EQ(Host.Dispatch(effGetNumProgramCategories), 1);
  EXPECT_EQ(Host.Dispatch(effGetTailSize), 0);
  EXPECT_EQ(Host.Dispatch(effGetParameterProperties, 0, 0, std::array<char, 256>{}.data()), 0);
  EXPECT_EQ(Host.Dispatch(effKeysRequired), 1);
  EXPECT_EQ(Host.Dispatch(effGetCurrentMidiProgram), -1);
  EXPECT_EQ(Host.Dispatch(effBeginSetProgram), 0);
  EXPECT_EQ(Host.Dispatch(effEndSetProgram), 0);
  EXPECT_EQ(Host.Dispatch(effGetNumMidiInputChannels), 0);
  EXPECT_EQ(Host.Dispatch(effGetNumMidiOutputChannels), 0);
  EXPECT_EQ(Host.Dispatch(effProcessEvents, 0, 0, nullptr), 1);
  EXPECT_EQ(Host.Dispatch(80), 0);
  EXPECT_EQ(Host.Dispatch(-1), 0);
  EXPECT_EQ(Host.Dispatch(1000000), 0);

  VstPatchChunkInfo info{};
  info.pluginUniqueID = MakeFourCC('k', 'x', '0', '9');
  EXPECT_EQ(Host.Dispatch(effBeginLoadBank, 0, 0, &info), 1);
  EXPECT_EQ(Host.Dispatch(effBeginLoadProgram, 0, 0, &info), 1);
  info.pluginUniqueID = MakeFourCC('a', 'b', 'c', 'd');
  EXPECT_EQ(Host.Dispatch(effBeginLoadBank, 0, 0, &info), -1);
  EXPECT_EQ(Host.Dispatch(effBeginLoadProgram, 0, 0, nullptr), 0);
}

TEST_F(PluginEntryPoints, MainsOffAsksForMidi) {
  Host.Open();
  const int32_t before = Host.WantMidiCalls();
  EXPECT_EQ(Host.Dispatch(effMainsChanged, 0, 1), 0);
  EXPECT_EQ(Host.WantMidiCalls(), before);
  EXPECT_EQ(Host.Dispatch(effMainsChanged, 0, 0), 0);
  EXPECT_EQ(Host.WantMidiCalls(), before + 1);
}

// Hosts route MIDI in and out by these answers and switch features on by the others; names the plug-in
// does not know, and a null or empty name, get "don't know".
TEST_F(PluginEntryPoints, CanDoAnswersWhatHostsActOn) {
  Host.Open();
  for (const char* yes : {"sendVstEvents", "sendVstMidiEvent", "receiveVstMidiEvent", "2in2out"})
    EXPECT_EQ(Host.CanDo(yes), 1) << yes;
  for (const char* no : {"receiveVstEvents", "offline", "noRealTime", "bypass", "midiProgramNames"})
    EXPECT_EQ(Host.CanDo(no), -1) << no;
  EXPECT_EQ(Host.CanDo("hasCockosExtensions"), 0);
  EXPECT_EQ(Host.CanDo("receiveVstMidiEvents"), 0);
  EXPECT_EQ(Host.CanDo(""), 0);
  EXPECT_EQ(Host.Dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST_F(PluginEntryPoints, WithoutAnEditorWindowTheEditorRequestsAnswerZero) {
  Host.Open();
  ERect* rect = nullptr;
  EXPECT_EQ(Host.Dispatch(effEditGetRect, 0, 0, &rect), 0);
  // No parent window: nothing to open the editor in.
  EXPECT_EQ(Host.Dispatch(effEditOpen, 0, 0, nullptr), 0);
  EXPECT_EQ(Host.Dispatch(effEditIdle), 0);
  EXPECT_EQ(Host.Dispatch(effEditClose), 0);
  EXPECT_EQ(Host.Dispatch(effVendorSpecific, 0, MakeFourCC('W', 'h', 'e', 'e')), 0);
}

TEST_F(PluginEntryPoints, ProcessingBeforeOpenDoesNothing) {
  ASSERT_NO_THROW(Host.Create());
  AEffect* effect = &Host.Effect();
  Host.Dispatch(effProcessEvents, 0, 0, nullptr);
  float left[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  float right[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  float* outputs[2] = {left, right};
  effect->processReplacing(effect, nullptr, outputs, 8);
  EXPECT_FLOAT_EQ(left[0], 1.0f);
  Host.Dispatch(effOpen);
  effect->processReplacing(effect, nullptr, outputs, 8);
  EXPECT_FLOAT_EQ(left[0], 0.0f);
  EXPECT_FLOAT_EQ(right[7], 0.0f);
}

TEST_F(PluginEntryPoints, ClosedInstanceIsInert) {
  ASSERT_NO_THROW(Host.Open());
  AEffect* effect = &Host.Effect();
  Host.Dispatch(effMainsChanged, 0, 0);
  EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
  EXPECT_EQ(effect->user, nullptr);
  EXPECT_EQ(effect->object, nullptr);
  // A host that keeps calling the closed record reaches nothing.
  EXPECT_EQ(effect->dispatcher(effect, effGetVendorVersion, 0, 0, nullptr, 0.0f), 0);
  EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 0);
  EXPECT_EQ(effect->getParameter(effect, 0), 0.0f);
  effect->setParameter(effect, 0, 0.5f);
  float buffer[4] = {1, 1, 1, 1};
  float* outputs[2] = {buffer, buffer};
  effect->processReplacing(effect, nullptr, outputs, 4);
  effect->process(effect, nullptr, outputs, 4);
  EXPECT_FLOAT_EQ(buffer[0], 1.0f);
}

TEST_F(PluginEntryPoints, ManyInstancesLiveSideBySide) {
  std::array<std::unique_ptr<TTriaxoSession>, 4> hosts;
  for (auto& host : hosts) {
    host = std::make_unique<TTriaxoSession>();
    ASSERT_NO_THROW(host->Open());
  }
  hosts[1]->SetParameter(0, 1.0f);
  EXPECT_FLOAT_EQ(hosts[1]->GetParameter(0), 1.0f);
  EXPECT_FLOAT_EQ(hosts[2]->GetParameter(0), 0.0f);
  hosts[1]->Close();
  EXPECT_FLOAT_EQ(hosts[2]->GetParameter(4), 0.5f);
}

#if !defined(_WIN32) // Windows: tests/windows/CheckDllExports.cmake reads Triaxo.dll's export table
TEST(PluginLibrary, ExportsExactlyTheTwoEntryPoints) {
  const std::string command = std::string(TRIAXO_NM_TOOL) + " -D --defined-only '" + TRIAXO_PLUGIN_PATH + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> names;
  char line[512];
  while (fgets(line, sizeof(line), pipe) != nullptr) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
      text.pop_back();
    const auto space = text.rfind(' ');
    names.insert(space == std::string::npos ? text : text.substr(space + 1));
  }
  ASSERT_EQ(pclose(pipe), 0);
  EXPECT_EQ(names, (std::set<std::string>{"VSTPluginMain", "main"}));
}
#endif

} // namespace
