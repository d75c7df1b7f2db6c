// triaxo-fuzz-seeds: writes the fuzz targets' starting corpora with the project's own writers.
// Usage: triaxo-fuzz-seeds <corpus folder> [bundled example preset...]
// Makes <folder>/chunk, preset, settings, stream and textfiles, one file per seed.
#include "FuzzSupport.h"
#include "engine/Plugin.h"
#include "engine/TaggedStream.h"
#include "host/MemoryStreamChunk.h"
#include "host/PlatformServices.h"
#include "host/SettingsStore.h"
#include "host/VSTPluginBaseDM.h"
#include "plugin/StateFixtures.h"
#if defined(TRIAXO_FUZZ_TEXT_FILES)
#include "editor/FileSetup.h"
#endif

#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>

namespace {

using TBytes = std::vector<uint8_t>;

// States that reach every part of the payload: chords, names in every string form, timing values,
// options, octave settings, the template, CC assignments (one without a parameter).
std::vector<TBytes> States() {
  std::vector<TBytes> states;
  states.push_back(ContainerOf({}));
  states.push_back(ContainerOf([](TVSTPluginBase& module, TVSTPlugin& plugin) {
    TTriaxoSetup& setup = plugin.Setup;
    for (int32_t trigger = 0; trigger < TTriggers::Count; trigger += 2) {
      setup.Triggers[trigger].Notes.AddNote(trigger, true);
      setup.Triggers[trigger].Notes.AddNote(trigger + 4, true);
      setup.Triggers[trigger].Notes.AddNote(trigger + 7, true);
    }
    setup.Triggers[0].SetName("Maj");
    setup.Triggers[2].SetName("Dur\xC3\xA4");
    setup.Triggers[4].SetName("\xC3\xA4");
    setup.Triggers[1].Key = 13;
    setup.Triggers.Selected = 4;
    setup.NoteSetup.RelativeTiming = true;
    setup.NoteSetup.SameRandomVelocity = true;
    setup.NoteSetup.RandomNoteAssignment = true;
    setup.ScaleTemplateName = std::string(300, 'x');
    setup.ScaleTemplateIndex = 3;
    setup.Tonic = 7;
    setup.OctaveRangeFrom = 2;
    setup.OctaveRangeTo = 8;
    setup.TransposeOctaveBelow = -1;
    setup.TransposeOctaveAbove = 1;
    module.SetParameterByName("Note1 Start", 20.0f);
    module.SetParameterByName("Note2 Start", 250.0f);
    module.SetParameterByName("Note2 Start Random", 40.0f);
    module.SetParameterByName("Note3 End", 1000.0f);
    module.SetParameterByName("Note3 Velocity Scale", -40.0f);
    module.SetParameterByName("Note5 Velocity Random", 200.0f);
    module.MidiCCList.AddOrUpdate("Note1 End", 74);
    module.MidiCCList.AddOrUpdate("Somewhere Else", 200);
    module.SetPresetName("M\xC3\xBCller");
  }));
  return states;
}

TBytes WithSelector(uint8_t selector, const TBytes& bytes) {
  TBytes out{selector};
  out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}

TBytes BankOf(const TBytes& container) {
  TBytes bank;
  const auto size = static_cast<uint32_t>(container.size());
  for (int shift = 0; shift < 32; shift += 8)
    bank.push_back(static_cast<uint8_t>(size >> shift));
  bank.insert(bank.end(), container.begin(), container.end());
  return bank;
}

// One value of every kind the reader knows, nested.
TBytes EveryValueKind() {
  TBytes bytes;
  TTaggedWriter writer(bytes);
  writer.WriteListBegin();
  writer.WriteInteger(-1);
  writer.WriteInteger(300);
  writer.WriteInteger(-100000);
  writer.WriteBoolean(true);
  writer.WriteBoolean(false);
  writer.WriteFloat(1000.0L);
  writer.WriteFloat(-0.5L);
  writer.WriteString("");
  writer.WriteString("abc");
  writer.WriteString("Dur\xC3\xA4");
  writer.WriteString("\xC3\xA4");
  writer.WriteString(std::string(260, 'y'));
  writer.WriteListBegin();
  writer.WriteListEnd();
  writer.WriteListEnd();
  return bytes;
}

std::string SettingsText(const std::vector<TIniEntry>& entries) {
  TSettingsStore store("Triaxo");
  std::error_code ignored;
  std::filesystem::remove(store.SettingsFile(), ignored);
  if (!entries.empty()) {
    Platform().CreateFolders(store.DataFolder());
    Platform().WriteIniStrings(store.SettingsFile(), entries);
  }
  store.LoadSettings();
  store.SetStyle(3);
  store.SetLowestOctave(-1);
  store.SaveSettings();
  const TBytes bytes = ReadFileBytes(store.SettingsFile());
  return std::string(bytes.begin(), bytes.end());
}

void Write(const std::filesystem::path& folder, const std::string& name, const TBytes& bytes) {
  WriteFileBytes((folder / name).string(), bytes);
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: triaxo-fuzz-seeds <corpus folder> [example preset...]\n");
    return 2;
  }
  try {
    UseFakeHome();
    UseSilentUi();
    const std::filesystem::path root(argv[1]);
    std::vector<TBytes> containers = States();
    for (int i = 2; i < argc; ++i)
      containers.push_back(ReadFileBytes(argv[i]));

    for (std::size_t i = 0; i < containers.size(); ++i) {
      const std::string n = std::to_string(i);
      Write(root / "chunk", "program-" + n, WithSelector(0, containers[i]));
      Write(root / "chunk", "bank-" + n, WithSelector(1, BankOf(containers[i])));
      Write(root / "preset", "preset-" + n, containers[i]);
      Write(root / "stream", "payload-" + n, TBytes(containers[i].begin() + 8, containers[i].end()));
    }
    Write(root / "stream", "every-kind", EveryValueKind());

    const std::string plain = SettingsText({});
    const std::string withOthers =
        SettingsText({{"Window", "Left", "120"}, {"Config", "Extra", "kept"}, {"Config", "Style", "9"}});
#if defined(TRIAXO_FUZZ_TEXT_FILES)
    // The built-in texts as they are written, as Windows-1252 and as UTF-16 with a byte-order mark.
    for (const auto& [selector, name] :
         {std::pair<uint8_t, std::string_view>{0, TFileSetupHolder::ChordsFileName},
          {1, TFileSetupHolder::ScaleTemplatesFileName}}) {
      const std::string text = TFileSetupHolder::DefaultText(name);
      Write(root / "textfiles", std::string(name), WithSelector(selector, TBytes(text.begin(), text.end())));
      TBytes wide{0xFF, 0xFE};
      for (unsigned char c : text) {
        wide.push_back(c);
        wide.push_back(0);
      }
      Write(root / "textfiles", std::string(name) + ".utf16", WithSelector(selector, wide));
    }
#endif
    Write(root / "settings", "saved", TBytes(plain.begin(), plain.end()));
    Write(root / "settings", "with-other-entries", TBytes(withOthers.begin(), withOthers.end()));
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "triaxo-fuzz-seeds: %s\n", e.what());
    return 1;
  }
}
