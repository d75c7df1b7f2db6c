// Race proof for the ThreadSanitizer build: the host's user-interface thread loads chunks, automates
// parameters and reads displays while its audio thread plays notes and controllers.
#include "StateFixtures.h"
#include "support/FakeHome.h"
#include "support/TriaxoSession.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace vst;

namespace {

TEST(PluginStress, ChunkLoadsAndAutomationRaceWithProcessing) {
  TFakeHome home;
  const auto withChords = ContainerOf([](TVSTPluginBase& module, TVSTPlugin& plugin) {
    for (int32_t trigger = 0; trigger < 12; ++trigger) {
      plugin.Setup.Triggers[trigger].Notes.AddNote(0, true);
      plugin.Setup.Triggers[trigger].Notes.AddNote(7, true);
    }
    module.SetParameterByName("Note2 Start", 3.0f);
    module.MidiCCList.AddOrUpdate("Note1 End", 7);
    module.MidiCCList.AddOrUpdate("Note2 Velocity Scale", 7);
  });
  const auto plain = ContainerOf(
      [](TVSTPluginBase& module, TVSTPlugin&) { module.MidiCCList.AddOrUpdate("Note3 Start", 7); });

  TTriaxoSession host;
  ASSERT_NO_THROW(host.Open(44100.0f, 64));
  host.SetChunk(withChords);
  std::atomic<bool> done{false};

  std::thread audio([&] {
    int32_t block = 0;
    while (!done.load(std::memory_order_acquire)) {
      const auto note = static_cast<uint8_t>(48 + block % 24);
      host.Process(64, {{0x90, note, 100, 3},
                        {0xB0, 7, static_cast<uint8_t>(block % 128), 5},
                        {0x80, static_cast<uint8_t>(note - 1), 0, 9}});
      ++block;
    }
  });

  for (int32_t round = 0; round < 150; ++round) {
    host.SetChunk(round % 2 == 0 ? plain : withChords);
    host.SetParameter(round % 30, static_cast<float>(round % 10) / 10.0f);
    host.GetParameter(round % 30);
    host.DispatchText(effGetParamDisplay, round % 30);
    if (round % 10 == 0)
      host.GetChunk();
  }
  done.store(true, std::memory_order_release);
  audio.join();
  // Whatever the race left behind, the next load gives exactly the stored state.
  host.SetChunk(withChords);
  EXPECT_EQ(host.GetChunk(), withChords);
}

} // namespace
