// SettingsStore: the per-user data folders and the settings every instance shares (skin, lowest octave).
#pragma once

#include "host/PlatformServices.h"
#include "host/UiServices.h"

#include <cstdint>
#include <string>

// Owned by the plug-in base, one per instance; user-interface thread only. The folders are computed
// once at construction. The settings are read once by LoadSettings and written on every change;
// changes that another instance writes are seen when an instance is created again.
class TSettingsStore {
public:
  static constexpr int32_t MinStyle = 0;
  static constexpr int32_t MaxStyle = 4;
  static constexpr int32_t DefaultStyle = 0;
  static constexpr int32_t MinLowestOctave = -2;
  static constexpr int32_t MaxLowestOctave = 0;
  static constexpr int32_t DefaultLowestOctave = -2;

  static constexpr const char* VendorName = "Ventrakis";
  static constexpr const char* PresetsFolderName = "Presets";
  static constexpr const char* SettingsFileName = "Settings.ini";
  static constexpr const char* ConfigSection = "Config";
  static constexpr const char* StyleKey = "Style";
  static constexpr const char* LowestOctaveKey = "LowestOctave";

  // productName names the data folder (Documents/Ventrakis/<product>/) and the legacy key.
  explicit TSettingsStore(std::string productName, TPlatformServices& platform = Platform());

  // Each ends with a separator, except SettingsFile.
  const std::string& DataFolder() const { return FDataFolder; }
  const std::string& PresetsFolder() const { return FPresetsFolder; }
  const std::string& SettingsFile() const { return FSettingsFile; }

  // 0..4 once loaded: the editor's skin (StyleName).
  int32_t Style() const { return FStyle; }
  // -2..0 once loaded: the octave number shown for notes 0..11.
  int32_t LowestOctave() const { return FLowestOctave; }

  // Imports the legacy settings once if they exist, else reads the settings file; anything missing
  // or not a number gives the default, values out of range are clamped. Sets the display octave
  // offset. Reports only a failed write of imported settings.
  void LoadSettings(TUiOwner owner = nullptr);
  // Writes both settings into the settings file, creating the data folder, keeping the file's
  // other content. On failure shows the "Save Settings" box over the owner and answers false.
  bool SaveSettings(TUiOwner owner = nullptr);
  // Each clamps the value and saves only when it differs from the current one. The new skin is
  // used the next time the editor opens; the octave at once (display octave offset).
  void SetStyle(int32_t newIndex, TUiOwner owner = nullptr);
  void SetLowestOctave(int32_t newOctave, TUiOwner owner = nullptr);

  // "Carbon", "Amakrits", "Light", "Luna", "Smokey Quartz Kamri"; "Carbon" for any other index.
  static std::string StyleName(int32_t style);
  // The "Load Skin" box for a style the editor could not select; the editor then opens with the
  // style that was active.
  static void ShowSkinError(TUiOwner owner, const std::string& errorText);

private:
  TPlatformServices* FPlatform;
  std::string FProductName;
  std::string FDataFolder;
  std::string FPresetsFolder;
  std::string FSettingsFile;
  // Both start at 0, which a legacy store without "Config" leaves in place.
  int32_t FStyle = 0;
  int32_t FLowestOctave = 0;

  void ImportLegacySettings(TUiOwner owner);
  void ReadSettingsFile();
  int32_t ReadInteger(const char* key, int32_t defaultValue);
  void ClampSettings();
};
