// The VST host against the echo plug-in: what it captures and how, the frame counts it passes on, its
// own answers to the plug-in, text answers, chunks and closing.
#include "VstHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace vst;

namespace {
const std::string EchoPlugin = TRIAXO_TEST_ECHO_PLUGIN;

THostTransport Rolling(double position = 0) {
  THostTransport transport;
  transport.Playing = true;
  transport.SamplePosition = position;
  return transport;
}

// What the plug-in gets when it asks the host, as it would ask.
VstIntPtr AskHost(TVstHost& host, VstInt32 opcode, VstInt32 index = 0, void* ptr = nullptr, float opt = 0) {
  return TVstHost::HostCallback(&host.Effect(), opcode, index, 0, ptr, opt);
}

class VstHost : public ::testing::Test {
protected:
  TVstHost Host;
  void SetUp() override {
    Host.Load(EchoPlugin);
    Host.Start(44100, 64);
  }
};

TEST_F(VstHost, EventsSentOutsideAProcessingCallAreCapturedAndMarked) {
  Host.ProcessBlock({{0x90, 60, 100, 5}}, 64, 1000, Rolling());
  // The plug-in runs its processing entry on its own: the echo's late copy goes out there.
  float left[128];
  float right[128];
  float* outputs[2] = {left, right};
  Host.Effect().processReplacing(&Host.Effect(), nullptr, outputs, 128);

  ASSERT_EQ(Host.Captured().size(), 2u);
  const TCapturedMidiEvent& during = Host.Captured()[0];
  EXPECT_TRUE(during.DuringProcessing);
  EXPECT_EQ(during.Block, 0);
  EXPECT_EQ(during.DeltaFrames, 5);
  EXPECT_EQ(during.Sample, 1005);
  const TCapturedMidiEvent& outside = Host.Captured()[1];
  EXPECT_FALSE(outside.DuringProcessing);
  EXPECT_EQ(outside.Block, 1); // one processing call came before it
  EXPECT_EQ(outside.Data[0], 0x90);
  EXPECT_EQ(outside.Data[1], 72);
  EXPECT_EQ(outside.DeltaFrames, 106); // 105.5 rounded to even
  EXPECT_EQ(Host.Deliveries(), (std::vector<int32_t>{1, 1}));
}

TEST_F(VstHost, SystemMessagesAreKeptAsSent) {
  Host.ProcessBlock({{0xF8, 0, 0, 0}, {0xB1, 7, 99, 3}}, 64, 0, Rolling());
  ASSERT_EQ(Host.Captured().size(), 2u);
  EXPECT_EQ(Host.Captured()[0].Data[0], 0xF8);
  EXPECT_FALSE(Host.Captured()[0].IsChannelMessage());
  EXPECT_TRUE(Host.Captured()[1].IsChannelMessage());
  EXPECT_EQ(Host.SkippedEventCount(), 0);
}

TEST_F(VstHost, FrameCountsReachThePluginAsGivenAndTheBuffersCoverThem) {
  // Far beyond the block size given at the start: the plug-in clears 5000 frames of the host's buffers.
  Host.ProcessBlock({}, 5000, 0, Rolling());
  Host.ProcessBlock({{0x90, 61, 90, 0}}, 0, 5000, Rolling(5000));
  EXPECT_EQ(Host.ProcessCalls(), 2);
  ASSERT_EQ(Host.Captured().size(), 1u);
  EXPECT_EQ(Host.Captured()[0].Block, 1);
  EXPECT_THROW(Host.ProcessBlock({}, TVstHost::MaxFrames + 1, 0, Rolling()), std::invalid_argument);
}

TEST_F(VstHost, TimeInformationIsTheTransportAsGivenOrNone) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Host.ProcessBlock({}, 64, 0, Rolling(nan));
  const auto* time = reinterpret_cast<const VstTimeInfo*>(AskHost(Host, audioMasterGetTime));
  ASSERT_NE(time, nullptr);
  EXPECT_TRUE(std::isnan(time->samplePos));
  EXPECT_NE(time->flags & kVstTransportPlaying, 0);
  Host.ProcessBlock({}, 64, 64, Rolling(1e300));
  EXPECT_EQ(time->samplePos, 1e300);

  Host.Answers().ProvidesTime = false;
  EXPECT_EQ(AskHost(Host, audioMasterGetTime), 0);
  Host.ProcessBlock({{0x90, 60, 100, 9}}, 64, 128, Rolling());
  ASSERT_EQ(Host.Captured().size(), 1u); // the plug-in plays on without a time line
}

TEST_F(VstHost, ProductStringAndVersionAreThisHostsOwn) {
  EXPECT_EQ(AskHost(Host, audioMasterVersion), 2400);
  Host.Answers().Product = std::string(100, 'p');
  char buffer[80];
  std::fill(std::begin(buffer), std::end(buffer), '#');
  EXPECT_EQ(AskHost(Host, audioMasterGetProductString, 0, buffer), 1);
  EXPECT_EQ(std::string(buffer), std::string(63, 'p')); // the interface's 64 bytes, terminator included
  EXPECT_EQ(buffer[64], '#');

  TVstHost refused;
  refused.Answers().Version = 0; // the echo plug-in, like Triaxo, refuses such a host
  try {
    refused.Load(EchoPlugin);
    FAIL() << "a refusing plug-in was reported as loaded";
  } catch (const EHostError& error) {
    EXPECT_NE(std::string(error.what()).find("refused to start"), std::string::npos) << error.what();
  }
  EXPECT_FALSE(refused.IsLoaded());
}

TEST_F(VstHost, AutomationsFromTwoThreadsAreAllLoggedWithTheirValues) {
  std::thread other([this] {
    for (int i = 0; i < 500; ++i)
      AskHost(Host, audioMasterAutomate, 1, nullptr, 0.5f);
  });
  for (int i = 0; i < 500; ++i)
    AskHost(Host, audioMasterAutomate, 2, nullptr, 0.25f);
  other.join();
  const std::vector<THostAutomation> log = Host.Automations();
  ASSERT_EQ(log.size(), 1000u);
  for (const THostAutomation& call : log)
    EXPECT_EQ(call.Value, call.Index == 1 ? 0.5f : 0.25f) << call.Index;
  Host.ClearAutomations();
  EXPECT_TRUE(Host.Automations().empty());
}

TEST_F(VstHost, TextAnswersAreCutAtTheirTerminatorOrAreNoAnswer) {
  EXPECT_EQ(Host.DispatchText(effGetEffectName), "Echo");
  EXPECT_EQ(Host.DispatchText(effGetParamLabel), "dB");
  // The echo plug-in does not answer this one: the untouched buffer holds no terminator.
  EXPECT_EQ(Host.DispatchText(effGetProgramNameIndexed), std::nullopt);
}

TEST_F(VstHost, ChunksOfEitherKindAndCloseReturnThePluginsAnswers) {
  EXPECT_EQ(Host.GetChunk(ckdProgram), (std::vector<uint8_t>{'E', 'C', 'H', 'O'}));
  EXPECT_EQ(Host.SetChunk({'B', 'A', 'N', 'K', '!'}, ckdBank), 5);
  EXPECT_EQ(Host.GetChunk(ckdBank), (std::vector<uint8_t>{'B', 'A', 'N', 'K', '!'}));
  EXPECT_EQ(Host.Close(), 1);
  EXPECT_FALSE(Host.IsLoaded());
  EXPECT_EQ(Host.Close(), 0);
}

} // namespace
