// SettingsStore: the per-user data folders and the settings every instance shares (skin, lowest octave).
#include "host/SettingsStore.h"

#include "engine/ZelMidi.h"
#include "host/ZelCommon.h"

#include <array>
#include <exception>

namespace {

constexpr std::array<const char*, 5> StyleNames = {"Carbon", "Amakrits", "Light", "Luna",
                                                   "Smokey Quartz Kamri"};

constexpr const char* SaveErrorSentence = "Error saving settings.";
constexpr const char* SaveErrorCaption = "Save Settings";
constexpr const char* SkinErrorSentence = "Error loading skin.";
constexpr const char* SkinErrorCaption = "Load Skin";

} // namespace

TSettingsStore::TSettingsStore(std::string productName, TPlatformServices& platform)
    : FPlatform(&platform), FProductName(std::move(productName)) {
  // Without a documents folder the paths start at the separator, as the platform's own
  // "unknown folder" answer gives them.
  const char delimiter = FPlatform->PathDelimiter();
  FDataFolder = FPlatform->DocumentsFolder() + delimiter + VendorName + delimiter + FProductName + delimiter;
  FPresetsFolder = FDataFolder + PresetsFolderName + delimiter;
  FSettingsFile = FDataFolder + SettingsFileName;
}

void TSettingsStore::LoadSettings(TUiOwner owner) {
  if (FPlatform->LegacyKeyExists(TLegacyKey{VendorName, FProductName})) {
    ImportLegacySettings(owner);
  } else {
    ReadSettingsFile();
  }
  ClampSettings();
  SetDisplayOctaveOffset(static_cast<int8_t>(FLowestOctave));
}

void TSettingsStore::ImportLegacySettings(TUiOwner owner) {
  const TLegacyKey key{VendorName, FProductName};
  bool moved = true;
  if (FPlatform->LegacySectionExists(key, ConfigSection)) {
    FStyle = FPlatform->ReadLegacyInteger(key, ConfigSection, StyleKey).value_or(DefaultStyle);
    FLowestOctave =
        FPlatform->ReadLegacyInteger(key, ConfigSection, LowestOctaveKey).value_or(DefaultLowestOctave);
    // The file gets the values the instance will use, not out-of-range ones it would clamp later.
    ClampSettings();
    moved = SaveSettings(owner);
  }
  // The old key is the only copy until the file holds its values; it goes once they have moved.
  if (moved) {
    FPlatform->DeleteLegacyKey(key);
  }
}

void TSettingsStore::ReadSettingsFile() {
  FStyle = ReadInteger(StyleKey, DefaultStyle);
  FLowestOctave = ReadInteger(LowestOctaveKey, DefaultLowestOctave);
}

int32_t TSettingsStore::ReadInteger(const char* key, int32_t defaultValue) {
  std::optional<std::string> text = FPlatform->ReadIniString(FSettingsFile, ConfigSection, key);
  int32_t value = defaultValue;
  if (!text || !TryTextToInt(TrimText(*text), value)) {
    return defaultValue;
  }
  return value;
}

void TSettingsStore::ClampSettings() {
  FStyle = Clamp(FStyle, MinStyle, MaxStyle);
  FLowestOctave = Clamp(FLowestOctave, MinLowestOctave, MaxLowestOctave);
}

bool TSettingsStore::SaveSettings(TUiOwner owner) {
  try {
    FPlatform->CreateFolders(FDataFolder);
    FPlatform->WriteIniStrings(FSettingsFile,
                               {{ConfigSection, StyleKey, std::to_string(FStyle)},
                                {ConfigSection, LowestOctaveKey, std::to_string(FLowestOctave)}});
    return true;
  } catch (const std::exception& error) {
    ShowErrorMessage(owner, SaveErrorSentence, error.what(), SaveErrorCaption);
    return false;
  }
}

void TSettingsStore::SetStyle(int32_t newIndex, TUiOwner owner) {
  newIndex = Clamp(newIndex, MinStyle, MaxStyle);
  if (newIndex == FStyle) {
    return;
  }
  FStyle = newIndex;
  SaveSettings(owner);
}

void TSettingsStore::SetLowestOctave(int32_t newOctave, TUiOwner owner) {
  newOctave = Clamp(newOctave, MinLowestOctave, MaxLowestOctave);
  if (newOctave == FLowestOctave) {
    return;
  }
  FLowestOctave = newOctave;
  SetDisplayOctaveOffset(static_cast<int8_t>(newOctave));
  SaveSettings(owner);
}

std::string TSettingsStore::StyleName(int32_t style) {
  return InRange(style, MinStyle, MaxStyle) ? StyleNames[static_cast<size_t>(style)] : StyleNames[0];
}

void TSettingsStore::ShowSkinError(TUiOwner owner, const std::string& errorText) {
  ShowErrorMessage(owner, SkinErrorSentence, errorText, SkinErrorCaption);
}
