// DelegatingPlatform: the native platform services with single calls replaced by a test.
#pragma once

#include "host/PlatformServices.h"

// Forwards every call to the native services; tests derive and override what they need to steer
// (a drive that does not answer, a legacy settings store on Linux).
class TDelegatingPlatform : public TPlatformServices {
public:
  char PathDelimiter() const override { return FNative.PathDelimiter(); }
  bool IsPathDelimiter(char c) const override { return FNative.IsPathDelimiter(c); }
  bool FileNamesIgnoreCase() const override { return FNative.FileNamesIgnoreCase(); }
  std::string DocumentsFolder() override { return FNative.DocumentsFolder(); }
  bool VolumeAnswers(const std::string& root) override { return FNative.VolumeAnswers(root); }
  bool FileExists(const std::string& path) override { return FNative.FileExists(path); }
  bool FolderExists(const std::string& path) override { return FNative.FolderExists(path); }
  void CreateFolders(const std::string& path) override { FNative.CreateFolders(path); }
  std::optional<std::vector<TFolderEntry>> ListFolder(const std::string& folder) override {
    return FNative.ListFolder(folder);
  }
  TFileDate FileDate(const std::string& path) override { return FNative.FileDate(path); }
  std::string ModuleFileName() override { return FNative.ModuleFileName(); }
  char DecimalSeparator() override { return FNative.DecimalSeparator(); }
  std::string ShortDateText(TFileDate date) override { return FNative.ShortDateText(date); }
  std::optional<std::string> ReadIniString(const std::string& file, const std::string& section,
                                           const std::string& key) override {
    return FNative.ReadIniString(file, section, key);
  }
  void WriteIniStrings(const std::string& file, const std::vector<TIniEntry>& entries) override {
    FNative.WriteIniStrings(file, entries);
  }
  bool LegacyKeyExists(const TLegacyKey& key) override { return FNative.LegacyKeyExists(key); }
  bool LegacySectionExists(const TLegacyKey& key, const std::string& section) override {
    return FNative.LegacySectionExists(key, section);
  }
  std::optional<int32_t> ReadLegacyInteger(const TLegacyKey& key, const std::string& section,
                                           const std::string& name) override {
    return FNative.ReadLegacyInteger(key, section, name);
  }
  bool DeleteLegacyKey(const TLegacyKey& key) override { return FNative.DeleteLegacyKey(key); }
  int32_t ShellOpen(const std::string& file, const std::string& parameters, const std::string& folder,
                    TShowMode showMode) override {
    return FNative.ShellOpen(file, parameters, folder, showMode);
  }
  bool OpenFolder(const std::string& folder) override { return FNative.OpenFolder(folder); }
  bool RemoveFile(const std::string& path) override { return FNative.RemoveFile(path); }
  std::optional<bool> WarningBeep() override { return FNative.WarningBeep(); }
  void SetWarningBeep(bool on) override { FNative.SetWarningBeep(on); }

private:
  TPlatformServices& FNative = NativePlatform();
};

// Installs a platform for one scope.
class TPlatformScope {
public:
  explicit TPlatformScope(TPlatformServices& platform) { SetPlatform(&platform); }
  ~TPlatformScope() { SetPlatform(nullptr); }
  TPlatformScope(const TPlatformScope&) = delete;
  TPlatformScope& operator=(const TPlatformScope&) = delete;
};
