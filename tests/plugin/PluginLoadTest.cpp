// The real Triaxo.so under load, driven through the VST interface: shared pitches, the output cap,
// panic controllers, suspend and resume, and chunk loads.
#include "StateFixtures.h"
#include "support/FakeHome.h"
#include "support/TriaxoSession.h"

#include "support/OutputChecker.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace vst;

namespace {

class PluginLoad : public ::testing::Test {
protected:
  TFakeHome Home;
  TTriaxoSession Host;
  TOutputChecker Checker;

  void SetUp() override {
    ASSERT_NO_THROW(Host.Open());
    Host.Transport.Playing = true;
  }
  // One processing call; its delivered messages go through the checker and come back.
  std::vector<TCapturedMidiEvent> Block(int32_t frames, const std::vector<THostMidiEvent>& events = {}) {
    Host.ClearCaptured();
    Host.Process(frames, events);
    std::vector<TOutputChecker::TMessage> messages;
    for (const TCapturedMidiEvent& e : Host.Captured()) {
      messages.push_back({e.Data[0], e.Data[1], e.Data[2], e.DeltaFrames});
    }
    Checker.Block(messages, frames);
    return Host.Captured();
  }
  static std::vector<std::vector<int32_t>> Rows(const std::vector<TCapturedMidiEvent>& events) {
    std::vector<std::vector<int32_t>> rows;
    for (const TCapturedMidiEvent& e : events) {
      rows.push_back({e.Data[0], e.Data[1], e.Data[2], e.DeltaFrames});
    }
    return rows;
  }
  void ExpectClean() {
    EXPECT_TRUE(Checker.Problems().empty()) << Checker.Report();
    EXPECT_EQ(Checker.Sounding(), 0);
  }
};

using TRows = std::vector<std::vector<int32_t>>;

TEST_F(PluginLoad, ChordsSharingAPitchLeaveNothingSounding) {
  Host.SetChunk(ContainerOf([](TVSTPluginBase& module, TVSTPlugin& plugin) {
    plugin.Setup.Triggers[0].Notes.AddNote(7, true);
    plugin.Setup.Triggers[0].Notes[0].SetPosition(1);
    plugin.Setup.Triggers[2].Notes.AddNote(7, true);
    module.SetParameterByName("Note2 Start", 20.0f);
  }));
  EXPECT_EQ(Rows(Block(2048, {{0x90, 60, 100, 0}, {0x90, 62, 100, 100}})),
            (TRows{{0x90, 67, 100, 100}, {0x80, 67, 100, 882}, {0x90, 67, 100, 882}}));
  EXPECT_EQ(Rows(Block(2048, {{0x80, 60, 0, 0}, {0x80, 62, 0, 1}})), (TRows{{0x80, 67, 100, 0}}));
  ExpectClean();
}

TEST_F(PluginLoad, FiveHundredTwelveTriggersReachTheHostInCappedTimeOrderedLists) {
  Host.SetChunk(ContainerOf([](TVSTPluginBase&, TVSTPlugin& plugin) {
    for (int32_t t = 0; t < 12; ++t) {
      plugin.Setup.Triggers[t].Key = t;
      for (const int32_t interval : {0, 4, 7, 11, 14})
        plugin.Setup.Triggers[t].Notes.AddNote(t + interval, true);
    }
  }));
  std::vector<THostMidiEvent> press;
  std::vector<THostMidiEvent> release;
  for (int32_t channel = 0; channel < 8; ++channel) {
    for (int32_t note = 36; note < 100; ++note) {
      press.push_back({static_cast<uint8_t>(0x90 + channel), static_cast<uint8_t>(note), 100, note * 10});
      release.push_back({static_cast<uint8_t>(0x80 + channel), static_cast<uint8_t>(note), 0, note * 10});
    }
  }
  Host.ClearDeliveries();
  int32_t noteOns = 0;
  for (int32_t i = 0; i < 6; ++i) {
    for (const TCapturedMidiEvent& e : Block(4096, i == 0 ? press : std::vector<THostMidiEvent>{}))
      noteOns += (e.Data[0] & 0xF0) == 0x90 ? 1 : 0;
  }
  EXPECT_EQ(noteOns, 512 * 5);
  for (const int32_t count : Host.Deliveries())
    EXPECT_LE(count, 1023);
  EXPECT_GE(Host.Deliveries().front(), 1020); // full, but for a note-on that needs two places
  for (int32_t i = 0; i < 6; ++i)
    Block(32, i == 0 ? release : std::vector<THostMidiEvent>{});
  ExpectClean();
}

TEST_F(PluginLoad, AllNotesOffEndsTheChannelThenPassesOn) {
  Host.SetChunk(ContainerOf([](TVSTPluginBase&, TVSTPlugin& plugin) {
    plugin.Setup.Triggers[0].Notes.AddNote(0, true);
    plugin.Setup.Triggers[0].Notes.AddNote(4, true);
  }));
  Block(256, {{0x93, 60, 100, 0}, {0x94, 60, 100, 0}});
  EXPECT_EQ(Rows(Block(256, {{0xB3, 123, 0, 17}})),
            (TRows{{0x83, 60, 100, 17}, {0x83, 64, 100, 17}, {0xB3, 123, 0, 17}}));
  EXPECT_TRUE(Block(256, {{0x83, 60, 0, 0}}).empty());
  // The same key on channel 4 keeps its chord until its own release.
  EXPECT_EQ(Rows(Block(256, {{0x84, 60, 0, 0}})), (TRows{{0x84, 60, 100, 0}, {0x84, 64, 100, 0}}));
  ExpectClean();
}

TEST_F(PluginLoad, SuspendAndResumeLeaveNothingSounding) {
  Host.SetChunk(ContainerOf([](TVSTPluginBase& module, TVSTPlugin& plugin) {
    plugin.Setup.Triggers[0].Notes.AddNote(0, true);
    plugin.Setup.Triggers[0].Notes.AddNote(4, true);
    module.SetParameterByName("Note2 Start", 500.0f);
  }));
  Block(512, {{0x90, 60, 100, 0}});
  Host.Dispatch(effMainsChanged, 0, 0);
  Host.Dispatch(effMainsChanged, 0, 1);
  EXPECT_EQ(Rows(Block(512)), (TRows{{0x80, 60, 100, 0}}));
  for (int32_t i = 0; i < 60; ++i)
    EXPECT_TRUE(Block(512).empty()); // the pending 64 did not survive the suspend
  EXPECT_TRUE(Block(512, {{0x80, 60, 0, 0}}).empty());
  ExpectClean();
}

// Mended: a bank chunk loaded its one program twice, and each load reset the stored values twice.
TEST_F(PluginLoad, ChunkLoadsMakeOneRoundOfAutomateCalls) {
  const auto program = ContainerOf(
      [](TVSTPluginBase& module, TVSTPlugin&) { module.SetParameterByName("Note3 End", 250.0f); });
  auto callsPerParameter = [this]() {
    std::map<int32_t, int32_t> calls;
    for (const THostAutomation& call : Host.Automations())
      ++calls[call.Index];
    return calls;
  };
  Host.ClearAutomations();
  Host.SetChunk(program);
  const auto programCalls = callsPerParameter();
  // The reset to defaults and the loaded values reach the host as one call per parameter.
  ASSERT_EQ(programCalls.size(), 30u);
  for (const auto& [index, count] : programCalls)
    EXPECT_EQ(count, 1) << index;

  std::vector<uint8_t> bank(4);
  for (int i = 0; i < 4; ++i)
    bank[i] = static_cast<uint8_t>(program.size() >> (8 * i));
  bank.insert(bank.end(), program.begin(), program.end());
  Host.ClearAutomations();
  Host.SetChunk(bank, ckdBank);
  EXPECT_EQ(callsPerParameter(), programCalls);
  EXPECT_NEAR(Host.GetParameter(14), 0.25f, 1e-6);
}

} // namespace
