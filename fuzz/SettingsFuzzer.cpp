// Fuzz target: "Settings.ini" as a user or another program may leave it. Loading must give values
// inside their ranges; saving must keep the file's other entries, and loading what was saved must
// give the same values.
#include "FuzzSupport.h"
#include "host/PlatformServices.h"
#include "host/SettingsStore.h"

namespace {

// Entries of other sections and keys that a save must leave as they were (the seeds carry them).
const TIniEntry Probes[] = {{"Window", "Left", ""}, {"Config", "Extra", ""}, {"config", "style", ""}};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseFakeHome();
  UseSilentUi();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  TSettingsStore store("Triaxo");
  Check(store.SettingsFile() == FakeDataFolder() + TSettingsStore::SettingsFileName, "settings file path");
  WriteFileBytes(store.SettingsFile(), data, size);
  store.LoadSettings();
  Check(store.Style() >= TSettingsStore::MinStyle && store.Style() <= TSettingsStore::MaxStyle,
        "style in range");
  Check(store.LowestOctave() >= TSettingsStore::MinLowestOctave &&
            store.LowestOctave() <= TSettingsStore::MaxLowestOctave,
        "lowest octave in range");

  TPlatformServices& platform = Platform();
  std::vector<std::optional<std::string>> before;
  for (const TIniEntry& probe : Probes)
    before.push_back(platform.ReadIniString(store.SettingsFile(), probe.Section, probe.Key));

  if (!store.SaveSettings())
    return 0; // refused (and reported): nothing to compare
  for (std::size_t i = 0; i < std::size(Probes); ++i) {
    // The store's own key ("config"/"style" is the same entry in another case) changes by design.
    if (i == 2)
      continue;
    Check(platform.ReadIniString(store.SettingsFile(), Probes[i].Section, Probes[i].Key) == before[i],
          "saving keeps the file's other entries");
  }

  TSettingsStore again("Triaxo");
  again.LoadSettings();
  Check(again.Style() == store.Style(), "saved style loads back");
  Check(again.LowestOctave() == store.LowestOctave(), "saved lowest octave loads back");
  return 0;
}
