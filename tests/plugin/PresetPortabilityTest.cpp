// Preset files move between platforms: one written by the Linux or the Windows build loads and saves
// byte for byte the same on every build.
#include "StateFixtures.h"
#include "support/FakeHome.h"
#include "support/TriaxoSession.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using TBytes = std::vector<uint8_t>;

constexpr const char* PresetName = "Portable Chords";

// The committed presets, one made by each platform's build from PortableState.
const char* const CommittedPresets[] = {"PortableChordsLinux.ventrakisp", "PortableChordsWindows.ventrakisp"};

// Names with non-ASCII letters, fractional timing values that only survive as extended floats, chords,
// options and CC assignments: everything the file format stores.
void PortableState(TVSTPluginBase& module, TVSTPlugin& plugin) {
  plugin.Setup.Triggers[0].Notes.AddNote(4, true);
  plugin.Setup.Triggers[0].Notes.AddNote(7, true);
  plugin.Setup.Triggers[0].SetName("Dur \xC3\xA4");
  plugin.Setup.Triggers[5].Notes.AddNote(-3, true);
  plugin.Setup.Triggers[5].Notes.AddNote(9, true);
  plugin.Setup.Triggers[5].SetName("m7/\xE2\x99\xAF");
  plugin.Setup.NoteSetup.RelativeTiming = true;
  module.SetParameterByName("Note1 Start", 12.5f);
  module.SetParameterByName("Note2 Start", 333.3f);
  module.SetParameterByName("Note3 End Random", 0.1f);
  module.SetParameterByName("Note4 Velocity Scale", -33.3f);
  module.SetParameterByName("Note5 Velocity Random", 99.9f);
  module.MidiCCList.AddOrUpdate("Note1 End", 74);
  module.MidiCCList.AddOrUpdate("Note5 Start Random", 1);
  module.SetPresetName(PresetName);
}

// The test data lies beside this source file (named by the build: __FILE__ is relative when a
// compiler cache rewrites paths). Under Wine the Linux path is reached through drive Z:.
std::filesystem::path DataFolder() {
  std::string folder = TRIAXO_TEST_DATA_DIR;
#if defined(_WIN32)
  if (!folder.empty() && folder[0] == '/')
    folder = "Z:" + folder;
#endif
  return std::filesystem::path(folder);
}

TBytes ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PresetPortability : public ::testing::Test {
protected:
  TFakeHome Home;
  TTriaxoSession Host;

  void SetUp() override { ASSERT_NO_THROW(Host.Open()); }
};

TEST_F(PresetPortability, PresetsFromEveryPlatformLoadAndSaveByteForByte) {
  for (const char* name : CommittedPresets) {
    SCOPED_TRACE(name);
    const TBytes committed = ReadBytes(DataFolder() / name);
    ASSERT_GT(committed.size(), 100u);
    // As a file in the presets folder, so the stored preset name stays on load.
    WriteFile(Home.PresetsFolder() + PresetName + ".ventrakisp", committed);
    EXPECT_EQ(Host.SetChunk(committed), static_cast<vst::VstIntPtr>(committed.size()));
    EXPECT_EQ(Host.GetChunk(), committed);
  }
}

TEST_F(PresetPortability, EveryPlatformWritesTheSameBytes) {
  const TBytes written = ContainerOf(PortableState);
  // Set TRIAXO_WRITE_PORTABLE_PRESET to a file name to make a new committed preset after a format change.
  if (const char* out = std::getenv("TRIAXO_WRITE_PORTABLE_PRESET"); out != nullptr && out[0] != '\0')
    WriteFile(out, written);
  for (const char* name : CommittedPresets) {
    SCOPED_TRACE(name);
    EXPECT_EQ(written, ReadBytes(DataFolder() / name));
  }
}

} // namespace
