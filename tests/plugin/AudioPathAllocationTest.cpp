// Proves that the module's whole audio path never touches the heap: effProcessEvents with the
// controller mapping, the MIDI handler, processReplacing, the output list and its delivery to the
// host. The module runs in this process (the same code as Triaxo.so) behind its own effect record.
#include "support/HeapCounting.h"

#include "StateFixtures.h"
#include "TestVstHost.h"
#include "support/FakeHome.h"

#include <gtest/gtest.h>

#include <array>

using namespace vst;

namespace {

// A host that answers from fixed storage: nothing it does allocates either.
struct TQuietHost {
  VstTimeInfo Time{};
  int64_t Delivered = 0;
  int64_t Deliveries = 0;
  int64_t Automations = 0;
  int32_t MaxDelivered = 0;
};
TQuietHost* GQuietHost = nullptr;

VstIntPtr VST_CALL QuietCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
  switch (opcode) {
  case audioMasterVersion:
    return 2400;
  case audioMasterGetTime:
    return reinterpret_cast<VstIntPtr>(&GQuietHost->Time);
  case audioMasterProcessEvents: {
    const auto* list = static_cast<const VstEvents*>(ptr);
    GQuietHost->Delivered += list->numEvents;
    GQuietHost->MaxDelivered = std::max(GQuietHost->MaxDelivered, static_cast<int32_t>(list->numEvents));
    ++GQuietHost->Deliveries;
    return 1;
  }
  case audioMasterAutomate:
    ++GQuietHost->Automations;
    return 0;
  default:
    return 0;
  }
}

// One block's incoming list, built before counting starts.
struct TBlockEvents {
  std::array<VstMidiEvent, 1024> Records{};
  struct {
    VstInt32 NumEvents = 0;
    VstIntPtr Reserved = 0;
    VstEvent* Events[1024] = {};
  } List;
  void Add(uint8_t status, uint8_t data1, uint8_t data2, int32_t offset) {
    VstMidiEvent& record = Records[static_cast<std::size_t>(List.NumEvents)];
    record = VstMidiEvent{};
    record.type = kVstMidiType;
    record.byteSize = sizeof(VstMidiEvent);
    record.deltaFrames = offset;
    record.midiData[0] = static_cast<char>(status);
    record.midiData[1] = static_cast<char>(data1);
    record.midiData[2] = static_cast<char>(data2);
    List.Events[List.NumEvents] = reinterpret_cast<VstEvent*>(&record);
    ++List.NumEvents;
  }
};

class ModuleAudioPathHeap : public ::testing::Test {
protected:
  TFakeHome Home;
  TQuietHost Quiet;
  std::unique_ptr<TVSTPluginBase> Module;
  AEffect* Effect = nullptr;
  std::array<float, 16384> Left{};
  std::array<float, 16384> Right{};

  void SetUp() override {
#if !TRIAXO_COUNT_ALLOCATIONS
    GTEST_SKIP() << "allocation counting is off under sanitizers";
#endif
    GQuietHost = &Quiet;
    Module = std::make_unique<TVSTPluginBase>(
        [](TPluginHost& host) { return std::make_unique<TVSTPlugin>(host); });
    ASSERT_TRUE(Module->AttachHost(QuietCallback));
    Effect = Module->Effect();
    Effect->dispatcher(Effect, effOpen, 0, 0, nullptr, 0.0f);
    Effect->dispatcher(Effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    Effect->dispatcher(Effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    const std::vector<uint8_t> chunk = ContainerOf([](TVSTPluginBase& module, TVSTPlugin& plugin) {
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
    });
    Effect->dispatcher(Effect, effSetChunk, 1, static_cast<VstIntPtr>(chunk.size()),
                       const_cast<uint8_t*>(chunk.data()), 0.0f);
  }
  void TearDown() override {
    if (Effect != nullptr) {
      Effect->dispatcher(Effect, effMainsChanged, 0, 0, nullptr, 0.0f);
      Effect->dispatcher(Effect, effClose, 0, 0, nullptr, 0.0f);
      Module.release(); // effClose deleted it
    }
    GQuietHost = nullptr;
  }
  void Process(TBlockEvents& events, int32_t frames, bool accumulate = false) {
    if (events.List.NumEvents > 0)
      Effect->dispatcher(Effect, effProcessEvents, 0, 0, &events.List, 0.0f);
    float* outputs[2] = {Left.data(), Right.data()};
    if (accumulate)
      Effect->process(Effect, nullptr, outputs, frames);
    else
      Effect->processReplacing(Effect, nullptr, outputs, frames);
    if ((Quiet.Time.flags & kVstTransportPlaying) != 0)
      Quiet.Time.samplePos += frames;
  }
};

} // namespace

TEST_F(ModuleAudioPathHeap, ProcessEventsAndProcessingNeverAllocate) {
  // Every list is built before counting starts.
  TBlockEvents none;
  TBlockEvents press;
  TBlockEvents release;
  TBlockEvents mixed;
  TBlockEvents panic;
  for (int32_t channel = 0; channel < 8; ++channel) {
    for (int32_t note = 36; note < 100; ++note) {
      press.Add(static_cast<uint8_t>(0x90 + channel), static_cast<uint8_t>(note), 100, note);
      release.Add(static_cast<uint8_t>(0x80 + channel), static_cast<uint8_t>(note), 0, note);
    }
  }
  mixed.Add(0xB0, 7, 90, 3); // mapped onto two parameters
  mixed.Add(0x90, 60, 100, 10);
  mixed.Add(0x90, 26, 80, 20); // below the range: passed through
  mixed.Add(0x90, 110, 70, 30);
  mixed.Add(0xE0, 0, 64, 40);
  mixed.Add(0xC0, 3, 0, 50);
  mixed.Add(0x80, 26, 0, 60);
  mixed.Add(0x90, 60, 0, 70);
  panic.Add(0xB0, 123, 0, 5);
  panic.Add(0xB3, 120, 0, 6);

  const int32_t sizes[] = {32, 512, 4096, 1, 16384};
  Quiet.Time.flags = kVstTransportPlaying;
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
  Quiet.Time.samplePos = 0; // the host loops
  Process(press, 512);
  Quiet.Time.flags = 0; // and stops
  Process(none, 512);
  Process(release, 512);
  for (int32_t i = 0; i < 20; ++i)
    Process(none, 4096);
  EXPECT_EQ(counter.Calls(), 0);
  EXPECT_GT(Quiet.Delivered, 10000);
  EXPECT_EQ(Quiet.MaxDelivered, 1023);
  EXPECT_GT(Quiet.Automations, 0); // the mapped controller reached the host from the audio path
  // The counting itself works in this program.
  THeapCounter check;
  delete new std::vector<int>(8);
  EXPECT_GE(check.Calls(), 2);
}
