// Proves that the module's whole audio path never touches the heap: effProcessEvents with the
// controller mapping, the MIDI handler, processReplacing, the output list and its delivery to the
// host. The module runs in this process (the same code as Triaxo.so) behind its own effect record,
// driven by the command-line host.
#include "support/HeapCounting.h"

#include "StateFixtures.h"
#include "engine/ZelRandom.h"
#include "support/FakeHome.h"
#include "support/InProcessModule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <numeric>
#include <vector>

using namespace vst;

namespace {

// The module behind its own record, created through the host's entry call as a plug-in binary would
// be. The host's lists are sized beforehand, so nothing the host does while processing allocates either.
class ModuleAudioPathHeap : public ::testing::Test {
protected:
  TFakeHome Home;
  TVstHost Host;
  THostTransport Transport;
  int64_t BlockStart = 0;
  std::unique_ptr<TVSTPluginBase> Module;
  std::array<float, 16384> Left{};
  std::array<float, 16384> Right{};

  void SetUp() override {
#if !TRIAXO_COUNT_ALLOCATIONS
    GTEST_SKIP() << "allocation counting is off under sanitizers";
#endif
    Module = std::make_unique<TVSTPluginBase>(
        [](TPluginHost& host) { return std::make_unique<TVSTPlugin>(host); });
    ASSERT_NO_THROW(AttachModule(Host, *Module));
    Host.Dispatch(effOpen);
    Host.Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    Host.Dispatch(effMainsChanged, 0, 1);
    Host.SetChunk(ContainerOf([](TVSTPluginBase& module, TVSTPlugin& plugin) {
      for (int32_t t = 0; t < 12; ++t) {
        plugin.Setup.Triggers[t].Key = t;
        for (const int32_t interval : {0, 4, 7, 11, 14})
          plugin.Setup.Triggers[t].Notes.AddNote(t + interval, true);
      }
      plugin.Setup.OctaveRangeFrom = 3;
      plugin.Setup.OctaveRangeTo = 7;
      plugin.Setup.NoteSetup.RelativeTiming = true;
      module.SetParameterByName("Note2 Start", 15.0f);
      module.SetParameterByName("Note3 Start Random", 40.0f);
      module.SetParameterByName("Note1 End", 30.0f);
      module.SetParameterByName("Note4 Velocity Random", 20.0f);
      module.MidiCCList.AddOrUpdate("Note1 Start", 7);
      module.MidiCCList.AddOrUpdate("Note5 Velocity Scale", 7);
    }));
    Host.ClearAutomations();
    Host.Reserve(16384, 1024, 1 << 17);
  }
  void TearDown() override {
    CloseModule(Host, Module);
  }
  // One block through the host; `accumulate` calls the accumulating entry instead (no events).
  void Process(const std::vector<THostMidiEvent>& events, int32_t frames, bool accumulate = false) {
    if (accumulate) {
      float* outputs[2] = {Left.data(), Right.data()};
      Host.Effect().process(&Host.Effect(), nullptr, outputs, frames);
    } else {
      Host.ProcessBlock(events, frames, BlockStart, Transport);
    }
    BlockStart += frames;
    if (Transport.Playing)
      Transport.SamplePosition += frames;
  }
};

} // namespace

TEST_F(ModuleAudioPathHeap, ProcessEventsAndProcessingNeverAllocate) {
  // Every list is built before counting starts.
  const std::vector<THostMidiEvent> none;
  std::vector<THostMidiEvent> press;
  std::vector<THostMidiEvent> release;
  for (int32_t channel = 0; channel < 8; ++channel) {
    for (int32_t note = 36; note < 100; ++note) {
      press.push_back({static_cast<uint8_t>(0x90 + channel), static_cast<uint8_t>(note), 100, note});
      release.push_back({static_cast<uint8_t>(0x80 + channel), static_cast<uint8_t>(note), 0, note});
    }
  }
  const std::vector<THostMidiEvent> mixed = {
      {0xB0, 7, 90, 3},                        // mapped onto two parameters
      {0x90, 60, 100, 10}, {0x90, 26, 80, 20}, // below the range: passed through
      {0x90, 110, 70, 30}, {0xE0, 0, 64, 40},  {0xC0, 3, 0, 50}, {0x80, 26, 0, 60}, {0x90, 60, 0, 70}};
  const std::vector<THostMidiEvent> panic = {{0xB0, 123, 0, 5}, {0xB3, 120, 0, 6}};

  const int32_t sizes[] = {32, 512, 4096, 1, 16384};
  Transport.Playing = true;
  // The random start delays decide whether a full list ends on a note-on that needs two places (1022
  // events) or fills all 1023: one fixed draw order makes the run repeatable.
  Seed(20240611);
  THeapCounter counter;
  for (int32_t round = 0; round < 5; ++round) {
    const int32_t frames = sizes[round];
    Process(mixed, frames);
    Process(press, frames); // far more than one output list holds: the rest waits
    for (int32_t i = 0; i < 8; ++i)
      Process(none, frames, i % 2 == 1);
    Process(release, frames);
    Process(panic, frames);
    for (int32_t i = 0; i < 8; ++i)
      Process(none, frames);
  }
  Transport.SamplePosition = 0; // the host loops
  Process(press, 512);
  Transport.Playing = false; // and stops
  Process(none, 512);
  Process(release, 512);
  for (int32_t i = 0; i < 20; ++i)
    Process(none, 4096);
  EXPECT_EQ(counter.Calls(), 0);
  const std::vector<int32_t>& deliveries = Host.Deliveries();
  EXPECT_GT(std::accumulate(deliveries.begin(), deliveries.end(), int64_t{0}), 10000);
  EXPECT_EQ(*std::max_element(deliveries.begin(), deliveries.end()), 1023);
  EXPECT_GT(Host.Automations().size(), 0u); // the mapped controller reached the host from the audio path
  // The counting itself works in this program.
  THeapCounter check;
  delete new std::vector<int>(8);
  EXPECT_GE(check.Calls(), 2);
}
