// The whole state through the host's chunk requests, preset files and the init preset.
#include "StateFixtures.h"
#include "support/FakeHome.h"
#include "support/TriaxoSession.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace vst;

namespace {

using TBytes = std::vector<uint8_t>;

TBytes Slice(const TBytes& bytes, std::size_t from, std::size_t count) {
  return TBytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
}

class PluginState : public ::testing::Test {
protected:
  TFakeHome Home;
  TTriaxoSession Host;

  void SetUp() override { ASSERT_NO_THROW(Host.Open()); }

  // The error boxes of the plug-in go to standard error (line breaks as the terminal's) until an
  // editor shows them.
  std::string LoadCapturingBoxes(const TBytes& chunk, TChunkKind kind = ckdProgram) {
    ::testing::internal::CaptureStderr();
    Host.SetChunk(chunk, kind);
    return ::testing::internal::GetCapturedStderr();
  }
};

TEST_F(PluginState, DefaultStateChunkHasTheDocumentedBytes) {
  const TBytes chunk = Host.GetChunk();
  ASSERT_GT(chunk.size(), 60u);
  EXPECT_EQ(Slice(chunk, 0, 4), (TBytes{0x6D, 0x6D, 0x73, 0x74}));
  const uint32_t size = chunk[4] | chunk[5] << 8 | chunk[6] << 16 | static_cast<uint32_t>(chunk[7]) << 24;
  EXPECT_EQ(size, chunk.size() - 8);
  const TBytes header = {0x54, 0x50, 0x46, 0x30, 0x01, 0x06, 0x04, 0x31, 0x2E, 0x30, 0x30, 0x12, 0x00, 0x00,
                         0x00, 0x00, 0x12, 0x00, 0x00, 0x00, 0x00, 0x12, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01};
  EXPECT_EQ(Slice(chunk, 8, header.size()), header);
  const TBytes setupStart = {0x01, 0x02, 0x00, 0x00, 0x01, 0x02, 0x00, 0x02, 0x0A, 0x02, 0x00, 0x02,
                             0x00, 0x02, 0x00, 0x09, 0x00, 0x01, 0x12, 0x00, 0x00, 0x00, 0x00, 0x02,
                             0xFF, 0x02, 0x00, 0x09, 0x00, 0x01, 0x02, 0x00, 0x00, 0x01, 0x01, 0x01,
                             0x02, 0x00, 0x12, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x01,
                             0x01, 0x02, 0xFF, 0x12, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00};
  EXPECT_EQ(Slice(chunk, 8 + header.size(), setupStart.size()), setupStart);
  // List 7 of a default setup, the end of the setup list, and an empty CC list.
  EXPECT_EQ(Slice(chunk, chunk.size() - 8, 8), (TBytes{0x01, 0x08, 0x08, 0x08, 0x00, 0x00, 0x01, 0x00}));
}

TEST_F(PluginState, BankChunkPrefixesTheProgramWithItsByteCount) {
  const TBytes program = Host.GetChunk();
  const TBytes bank = Host.GetChunk(ckdBank);
  ASSERT_EQ(bank.size(), program.size() + 4);
  EXPECT_EQ(Slice(bank, 0, 4),
            (TBytes{static_cast<uint8_t>(program.size()), static_cast<uint8_t>(program.size() >> 8), 0, 0}));
  EXPECT_EQ(Slice(bank, 4, program.size()), program);
  // And it loads back as a bank.
  Host.SetParameter(0, 1.0f);
  EXPECT_EQ(Host.SetChunk(bank, ckdBank), static_cast<VstIntPtr>(bank.size()));
  EXPECT_FLOAT_EQ(Host.GetParameter(0), 0.0f);
}

TEST_F(PluginState, StateRoundTripsThroughTheHost) {
  const TBytes saved = ContainerOf([](TVSTPluginBase& module, TVSTPlugin& plugin) {
    plugin.Setup.Triggers[0].Notes.AddNote(4, true);
    plugin.Setup.Triggers[0].SetName("Maj");
    plugin.Setup.NoteSetup.RelativeTiming = true;
    module.SetParameterByName("Note2 Start", 250.0f);
    module.SetParameterByName("Note3 Velocity Scale", -40.0f);
    module.MidiCCList.AddOrUpdate("Note1 End", 74);
    module.MidiCCList.AddOrUpdate("Somewhere Else", 200);
  });
  EXPECT_EQ(Host.SetChunk(saved), static_cast<VstIntPtr>(saved.size()));
  EXPECT_FLOAT_EQ(Host.GetParameter(6), 0.25f);
  EXPECT_FLOAT_EQ(Host.GetParameter(16), 0.3f);
  EXPECT_EQ(Host.DispatchText(effGetParamDisplay, 16), "-40%");
  const TBytes again = Host.GetChunk();
  EXPECT_EQ(again, saved);
  // The CC list: integers 74 and 200 in their smallest forms, and list 7 with relative timing.
  EXPECT_NE(Find(again, {0x01, 0x06, 0x09, 'N', 'o', 't', 'e', '1', ' ', 'E', 'n', 'd', 0x02, 0x4A, 0x00}),
            std::string::npos);
  EXPECT_NE(Find(again, {0x02, 0x4A, 0x00}), std::string::npos);
  EXPECT_NE(Find(again, {0x03, 0xC8, 0x00, 0x00}), std::string::npos);
  EXPECT_NE(Find(again, {0x01, 0x09, 0x08, 0x08, 0x00, 0x00, 0x01}), std::string::npos);
}

TEST_F(PluginState, UmlautNamesUseTheUtf8AndWideForms) {
  const TBytes saved = ContainerOf([](TVSTPluginBase& module, TVSTPlugin& plugin) {
    plugin.Setup.Triggers[0].SetName("Dur\xC3\xA4");
    plugin.Setup.Triggers[1].SetName("\xC3\xA4");
    module.SetPresetName("M\xC3\xBCller");
  });
  // The preset file exists, so the stored name survives the host load.
  WriteFile(Home.PresetsFolder() + "M\xC3\xBCller.ventrakisp", saved);
  Host.SetChunk(saved);
  const TBytes chunk = Host.GetChunk();
  EXPECT_EQ(chunk, saved);
  EXPECT_NE(Find(chunk, {0x14, 0x05, 0x00, 0x00, 0x00, 'D', 'u', 'r', 0xC3, 0xA4}), std::string::npos);
  EXPECT_NE(Find(chunk, {0x12, 0x01, 0x00, 0x00, 0x00, 0xE4, 0x00}), std::string::npos);
  EXPECT_NE(Find(chunk, {0x06, 0x04, '1', '.', '0', '0', 0x14, 0x07, 0x00, 0x00, 0x00, 'M', 0xC3, 0xBC}),
            std::string::npos);
}

TEST_F(PluginState, HostChunkNamingAVanishedPresetLeavesTheNameEmpty) {
  const TBytes saved = ContainerOf([](TVSTPluginBase& module, TVSTPlugin&) { module.SetPresetName("Gone"); });
  Host.SetChunk(saved);
  const TBytes chunk = Host.GetChunk();
  EXPECT_EQ(Slice(chunk, 8 + 11, 5), (TBytes{0x12, 0x00, 0x00, 0x00, 0x00}));
}

TEST_F(PluginState, PayloadWithoutCCListLoadsAndOneEndingAfterTheSetupFails) {
  const TBytes full = PayloadOf(ContainerOf(
      [](TVSTPluginBase& module, TVSTPlugin&) { module.SetParameterByName("Note1 Start", 500.0f); }));
  // Setup list end, then the CC list "01 00": replace the CC list by a lone end tag.
  TBytes withoutList(full.begin(), full.end() - 2);
  withoutList.push_back(0x00);
  std::string boxes = LoadCapturingBoxes(ContainerAround(withoutList));
  EXPECT_EQ(boxes.find("Error loading preset."), std::string::npos) << boxes;
  EXPECT_FLOAT_EQ(Host.GetParameter(0), 0.5f);

  const TBytes endsAfterSetup(full.begin(), full.end() - 2);
  boxes = LoadCapturingBoxes(ContainerAround(endsAfterSetup));
  EXPECT_NE(boxes.find("Error loading preset.\n\n\"Stream read error\""), std::string::npos) << boxes;
  EXPECT_NE(boxes.find("Load Preset"), std::string::npos);
  // A damaged host chunk leaves every stored value at its default.
  EXPECT_FLOAT_EQ(Host.GetParameter(0), 0.0f);
}

TEST_F(PluginState, DamagedContainersFailCleanlyAndResetTheValues) {
  const TBytes good = ContainerOf({});
  Host.SetParameter(0, 1.0f);
  TBytes wrongId = good;
  wrongId[0] = 'x';
  std::string boxes = LoadCapturingBoxes(wrongId);
  EXPECT_NE(boxes.find("Error loading preset.\n\n\"Invalid stream format\""), std::string::npos) << boxes;
  EXPECT_FLOAT_EQ(Host.GetParameter(0), 0.0f);

  Host.SetParameter(0, 1.0f);
  TBytes shortPayload = good;
  shortPayload[4] = static_cast<uint8_t>(shortPayload[4] + 10); // claims more than it has
  boxes = LoadCapturingBoxes(shortPayload);
  EXPECT_NE(boxes.find("\"Stream read error\""), std::string::npos) << boxes;
  EXPECT_FLOAT_EQ(Host.GetParameter(0), 0.0f);

  TBytes badSignature = good;
  badSignature[8] = 'X';
  boxes = LoadCapturingBoxes(badSignature);
  EXPECT_NE(boxes.find("\"Invalid stream format\""), std::string::npos) << boxes;

  TBytes badTag = good;
  badTag[8 + 4] = 0x07; // the header list's start tag
  boxes = LoadCapturingBoxes(badTag);
  EXPECT_NE(boxes.find("\"Invalid property value\""), std::string::npos) << boxes;
}

TEST_F(PluginState, TinyChunksAreIgnored) {
  Host.SetParameter(0, 1.0f);
  const std::string boxes = LoadCapturingBoxes({'m', 'm', 's', 't', 0, 0, 0, 0});
  EXPECT_TRUE(boxes.empty()) << boxes;
  EXPECT_FLOAT_EQ(Host.GetParameter(0), 1.0f);
  EXPECT_EQ(Host.Dispatch(effSetChunk, 1, 0, nullptr), 0);
  EXPECT_EQ(Host.Dispatch(effGetChunk, 1, 0, nullptr), 0);
}

TEST_F(PluginState, BankBlockRunningPastTheHostDataIsRejected) {
  TBytes bank = Host.GetChunk(ckdBank);
  bank[0] = static_cast<uint8_t>(bank[0] + 1); // one byte more than the block holds
  Host.SetParameter(0, 1.0f);
  const std::string boxes = LoadCapturingBoxes(bank, ckdBank);
  EXPECT_NE(boxes.find("Error loading preset."), std::string::npos) << boxes;
  EXPECT_FLOAT_EQ(Host.GetParameter(0), 0.0f);
  EXPECT_TRUE(LoadCapturingBoxes({1, 2, 3}, ckdBank).find("Error loading preset.") != std::string::npos);
}

TEST_F(PluginState, EveryTruncationOfAChunkIsHandled) {
  const TBytes good = ContainerOf([](TVSTPluginBase& module, TVSTPlugin& plugin) {
    plugin.Setup.Triggers[3].Notes.AddNote(7, true);
    module.MidiCCList.AddOrUpdate("Note1 Start", 7);
  });
  for (std::size_t length = 9; length < good.size(); ++length) {
    TBytes truncated(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
    // Keep the container honest so that the payload reader meets the short data.
    const uint32_t payload = static_cast<uint32_t>(length - 8);
    for (int i = 0; i < 4; ++i)
      truncated[4 + i] = static_cast<uint8_t>(payload >> (8 * i));
    ::testing::internal::CaptureStderr();
    Host.SetChunk(truncated);
    const std::string boxes = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(boxes.find("Error loading preset."), std::string::npos) << length;
  }
  Host.SetChunk(good);
  EXPECT_EQ(Host.GetChunk(), good);
}

TEST_F(PluginState, InitPresetIsTheStartStateOfEveryNewInstance) {
  const TBytes init = ContainerOf([](TVSTPluginBase& module, TVSTPlugin&) {
    module.SetParameterByName("Note1 Start", 250.0f);
    module.SetPresetName("init");
  });
  WriteFile(Home.PresetsFolder() + "init.ventrakisp", init);
  TTriaxoSession second;
  ASSERT_NO_THROW(second.Open());
  EXPECT_FLOAT_EQ(second.GetParameter(0), 0.25f);
  EXPECT_EQ(second.DispatchText(effGetParamDisplay, 0), "250 ms");
  // The name "init" itself is never shown.
  EXPECT_EQ(Slice(second.GetChunk(), 8 + 11, 5), (TBytes{0x12, 0x00, 0x00, 0x00, 0x00}));
}

TEST_F(PluginState, DamagedInitPresetStartsFromDefaultsAfterABox) {
  TBytes payload = PayloadOf(ContainerOf(
      [](TVSTPluginBase& module, TVSTPlugin&) { module.SetParameterByName("Note1 Start", 250.0f); }));
  payload.resize(payload.size() / 2);
  WriteFile(Home.PresetsFolder() + "init.ventrakisp", ContainerAround(payload));
  TTriaxoSession second;
  ::testing::internal::CaptureStderr();
  ASSERT_NO_THROW(second.Open());
  const std::string boxes = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(boxes.find("Error loading preset."), std::string::npos) << boxes;
  EXPECT_FLOAT_EQ(second.GetParameter(0), 0.0f);

  WriteFile(Home.PresetsFolder() + "init.ventrakisp", {'n', 'o', 'p', 'e', 0, 0, 0, 0, 1});
  TTriaxoSession third;
  ::testing::internal::CaptureStderr();
  ASSERT_NO_THROW(third.Open());
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("Invalid stream format"), std::string::npos);
  EXPECT_FLOAT_EQ(third.GetParameter(4), 0.5f);
}

TEST_F(PluginState, FirstStartWritesNoSettingsAndJunkSettingsAreHarmless) {
  EXPECT_FALSE(std::filesystem::exists(Home.DataFolder() + "Settings.ini"));
  std::filesystem::create_directories(Home.DataFolder());
  {
    std::ofstream junk(Home.DataFolder() + "Settings.ini", std::ios::binary);
    junk << "[Config]\nStyle=banana\nLowestOctave=\x01\x02\xFF\n[[[\n=\n";
  }
  TTriaxoSession second;
  ASSERT_NO_THROW(second.Open());
  EXPECT_EQ(second.DispatchText(effGetParamDisplay, 4), "0%");
}

} // namespace
