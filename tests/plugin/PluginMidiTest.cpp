// MIDI through the real plug-in: parameters as the host sees them, chords out, the output list's
// capacity, controller mapping.
#include "StateFixtures.h"
#include "support/FakeHome.h"
#include "support/TriaxoSession.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace vst;

namespace {

class PluginMidi : public ::testing::Test {
protected:
  TFakeHome Home;
  TTriaxoSession Host;

  void SetUp() override { ASSERT_NO_THROW(Host.Open()); }
};

TEST_F(PluginMidi, ParameterNamesLabelsAndDisplays) {
  EXPECT_EQ(Host.DispatchText(effGetParamName, 0), "Note1 Start");
  EXPECT_EQ(Host.DispatchText(effGetParamName, 3), "Note1 End Random");
  EXPECT_EQ(Host.DispatchText(effGetParamName, 29), "Note5 Velocity Random");
  // Hosts print the label as a unit after the display text, which carries its own unit.
  EXPECT_EQ(Host.DispatchText(effGetParamLabel, 0), "");
  EXPECT_EQ(Host.DispatchText(effGetParamLabel, 14), "");
  EXPECT_EQ(Host.DispatchText(effGetParamName, 30), "");
  EXPECT_EQ(Host.DispatchText(effGetParamDisplay, -1), "");

  EXPECT_EQ(Host.DispatchText(effGetParamDisplay, 0), "0 ms");
  EXPECT_EQ(Host.DispatchText(effGetParamDisplay, 4), "0%");
  EXPECT_EQ(Host.DispatchText(effGetParamDisplay, 5), "0");
  Host.SetParameter(0, 0.25f);
  Host.SetParameter(4, 0.675f);
  Host.SetParameter(28, 0.3f);
  Host.SetParameter(29, 0.6f);
  EXPECT_EQ(Host.DispatchText(effGetParamDisplay, 0), "250 ms");
  EXPECT_EQ(Host.DispatchText(effGetParamDisplay, 4), "+35%");
  // Hosts get 8-bit text: the number minus sign arrives as an ASCII hyphen.
  EXPECT_EQ(Host.DispatchText(effGetParamDisplay, 28), "-40%");
  EXPECT_EQ(Host.DispatchText(effGetParamDisplay, 29), "120");
}

TEST_F(PluginMidi, ParameterTextsStayInsideTheirBuffers) {
  std::vector<char> buffer(64, '\x7F');
  Host.Dispatch(effGetParamName, 29, 0, buffer.data());
  EXPECT_EQ(std::string(buffer.data()), "Note5 Velocity Random");
  for (std::size_t i = 32; i < buffer.size(); ++i)
    EXPECT_EQ(buffer[i], '\x7F') << i;
  Host.Dispatch(effGetParamName, 0, 0, nullptr); // a host's null buffer is harmless
}

TEST_F(PluginMidi, HostValuesAreNormalised) {
  EXPECT_FLOAT_EQ(Host.GetParameter(4), 0.5f); // a fresh "Note1 Velocity Scale"
  for (int32_t i = 0; i < 30; ++i) {
    if (i % 6 != 4) {
      EXPECT_FLOAT_EQ(Host.GetParameter(i), 0.0f) << i;
    }
  }
  EXPECT_FLOAT_EQ(Host.GetParameter(30), 0.0f);
  EXPECT_FLOAT_EQ(Host.GetParameter(-5), 0.0f);
  Host.SetParameter(0, 2.0f);
  EXPECT_FLOAT_EQ(Host.GetParameter(0), 1.0f);
  Host.SetParameter(0, -1.0f);
  EXPECT_FLOAT_EQ(Host.GetParameter(0), 0.0f);
  Host.SetParameter(0, NAN);
  EXPECT_FLOAT_EQ(Host.GetParameter(0), 0.0f);
  // The host's own set-parameter is not echoed back as automation.
  Host.ClearAutomations();
  Host.SetParameter(3, 0.5f);
  EXPECT_TRUE(Host.Automations().empty());
}

TEST_F(PluginMidi, StrummedChordReachesTheHostAtSampleOffsets) {
  const auto chunk = ContainerOf([](TVSTPluginBase& module, TVSTPlugin& plugin) {
    auto& chord = plugin.Setup.Triggers[0].Notes;
    chord.AddNote(0, true);
    chord.AddNote(4, true);
    chord.AddNote(7, true);
    module.SetParameterByName("Note2 Start", 10.0f);
    module.SetParameterByName("Note3 Start", 20.0f);
    module.SetParameterByName("Note1 End", 5.0f);
  });
  Host.SetChunk(chunk);
  Host.ClearCaptured();
  Host.Process(512, {{0x90, 60, 100, 0}});
  Host.Process(512);
  ASSERT_EQ(Host.Captured().size(), 3u);
  EXPECT_EQ(Host.Captured()[0].Data[0], 0x90);
  EXPECT_EQ(Host.Captured()[0].Data[1], 60);
  EXPECT_EQ(Host.Captured()[0].DeltaFrames, 0);
  EXPECT_EQ(Host.Captured()[0].Block, 0);
  EXPECT_EQ(Host.Captured()[1].Data[1], 64);
  EXPECT_EQ(Host.Captured()[1].DeltaFrames, 441); // 10 ms at 44.1 kHz
  EXPECT_EQ(Host.Captured()[2].Data[1], 67);
  EXPECT_EQ(Host.Captured()[2].Block, 1);
  EXPECT_EQ(Host.Captured()[2].DeltaFrames, 882 - 512);
  for (const auto& event : Host.Captured())
    EXPECT_EQ(event.Data[2], 100);

  Host.ClearCaptured();
  Host.Process(512, {{0x80, 60, 0, 0}});
  Host.Process(512);
  ASSERT_EQ(Host.Captured().size(), 3u);
  for (const auto& event : Host.Captured())
    EXPECT_EQ(event.Data[0], 0x80);
}

// Mended: the events beyond 1023 were lost; they now go out first in the next block.
TEST_F(PluginMidi, OneBlockDeliversAtMost1023EventsAndTheRestInTheNext) {
  Host.Transport.Playing = true;
  Host.Process(2048);
  std::vector<THostMidiEvent> events;
  for (int32_t i = 0; i < 1030; ++i)
    events.push_back({static_cast<uint8_t>(0xB0 | (i % 16)), static_cast<uint8_t>((i / 16) % 128),
                      static_cast<uint8_t>(i % 128), 0});
  Host.ClearDeliveries();
  Host.ClearCaptured();
  Host.Process(2048, events);
  Host.Process(2048, {{0xB0, 1, 2, 5}});
  ASSERT_EQ(Host.Deliveries(), (std::vector<int32_t>{1023, 8}));
  ASSERT_EQ(Host.Captured().size(), 1031u);
  for (int32_t i = 0; i < 1030; ++i) {
    EXPECT_EQ(Host.Captured()[i].Data[0], events[i].Data[0]) << i;
    EXPECT_EQ(Host.Captured()[i].Data[1], events[i].Data[1]) << i;
    EXPECT_EQ(Host.Captured()[i].Data[2], events[i].Data[2]) << i;
    EXPECT_EQ(Host.Captured()[i].DeltaFrames, 0) << i;
  }
  EXPECT_EQ(Host.Captured()[1030].DeltaFrames, 5);
  // The list is empty again: a quiet block makes no delivery.
  Host.Process(2048);
  EXPECT_EQ(Host.Deliveries().size(), 2u);
}

TEST_F(PluginMidi, NonMidiEventsAreSkipped) {
  char dump[3] = {static_cast<char>(0xF0), 0x01, static_cast<char>(0xF7)};
  VstMidiSysexEvent sysex{};
  sysex.type = kVstSysExType;
  sysex.byteSize = sizeof(sysex);
  sysex.dumpBytes = 3;
  sysex.sysexDump = dump;
  VstMidiEvent controller{};
  controller.type = kVstMidiType;
  controller.byteSize = sizeof(controller) - 8;
  controller.midiData[0] = static_cast<char>(0xB2);
  controller.midiData[1] = 10;
  controller.midiData[2] = 20;
  struct {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[3];
  } list{3, 0, {reinterpret_cast<VstEvent*>(&sysex), nullptr, reinterpret_cast<VstEvent*>(&controller)}};
  Host.Dispatch(effProcessEvents, 0, 0, &list);
  Host.Process(64);
  ASSERT_EQ(Host.Captured().size(), 1u);
  EXPECT_EQ(Host.Captured()[0].Data[0], 0xB2);
}

TEST_F(PluginMidi, OddBlocksAndDeltaFramesAreHarmless) {
  Host.Process(0, {{0x90, 60, 100, -50}});
  Host.Process(1, {{0x90, 61, 100, 1 << 30}});
  Host.Process(-7, {{0x80, 60, 0, 3}});
  Host.Process(16384, {{0x80, 61, 0, 0}});
  SUCCEED();
}

TEST_F(PluginMidi, AccumulatingProcessAddsSilenceAndStillDelivers) {
  float left[4] = {0.5f, 0.5f, 0.5f, 0.5f};
  float right[4] = {0.25f, 0.25f, 0.25f, 0.25f};
  float* outputs[2] = {left, right};
  Host.Process(4, {}); // prime
  Host.ClearCaptured();
  const std::vector<THostMidiEvent> controller = {{0xB0, 0, 0, 0}};
  Host.SendEvents(controller);
  Host.Effect().process(&Host.Effect(), nullptr, outputs, 4);
  EXPECT_FLOAT_EQ(left[3], 0.5f);
  EXPECT_FLOAT_EQ(right[0], 0.25f);
  EXPECT_EQ(Host.Captured().size(), 1u);

  double dleft[4] = {1, 1, 1, 1};
  double dright[4] = {1, 1, 1, 1};
  double* doubles[2] = {dleft, dright};
  Host.SendEvents(controller);
  Host.Effect().processDoubleReplacing(&Host.Effect(), nullptr, doubles, 4);
  EXPECT_EQ(Host.Captured().size(), 2u);
  EXPECT_DOUBLE_EQ(dleft[0], 0.0);
}

TEST_F(PluginMidi, ControllersDriveTheirParameters) {
  const auto chunk = ContainerOf([](TVSTPluginBase& module, TVSTPlugin&) {
    module.MidiCCList.AddOrUpdate("Note1 Start", 7);
    module.MidiCCList.AddOrUpdate("Note2 Velocity Scale", 7);
    module.MidiCCList.AddOrUpdate("Note5 Velocity Random", 9);
    module.MidiCCList.AddOrUpdate("No Such Parameter", 7);
  });
  Host.SetChunk(chunk);
  Host.ClearAutomations();
  Host.ClearCaptured();
  Host.Process(64, {{0xB0, 7, 64, 0}});
  EXPECT_NEAR(Host.GetParameter(0), 64.0f / 127.0f, 1e-6);
  EXPECT_EQ(Host.DispatchText(effGetParamDisplay, 0), "504 ms");
  EXPECT_NEAR(Host.GetParameter(10), 64.0f / 127.0f, 1e-6);
  EXPECT_EQ(Host.DispatchText(effGetParamDisplay, 10), "+1%");
  ASSERT_EQ(Host.Automations().size(), 2u);
  EXPECT_EQ(Host.Automations()[0].Index, 0);
  EXPECT_EQ(Host.Automations()[1].Index, 10);
  // The controller itself still goes out unchanged.
  ASSERT_EQ(Host.Captured().size(), 1u);
  EXPECT_EQ(Host.Captured()[0].Data[1], 7);

  // Any channel; 0 gives the minimum, 127 the maximum exactly.
  Host.Process(64, {{0xB5, 7, 0, 0}, {0xB3, 9, 127, 0}});
  EXPECT_EQ(Host.DispatchText(effGetParamDisplay, 10), "-100%");
  EXPECT_FLOAT_EQ(Host.GetParameter(0), 0.0f);
  EXPECT_EQ(Host.DispatchText(effGetParamDisplay, 29), "200");
  Host.Process(64, {{0xB0, 7, 127, 0}});
  EXPECT_EQ(Host.DispatchText(effGetParamDisplay, 0), "1000 ms");
  EXPECT_EQ(Host.DispatchText(effGetParamDisplay, 10), "+100%");
}

} // namespace
