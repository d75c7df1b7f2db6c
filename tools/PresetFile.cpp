#include "PresetFile.h"

#include "VstHost.h"
#include "engine/Plugin.h"
#include "engine/PluginHost.h"
#include "engine/TaggedStream.h"
#include "host/MemoryStreamChunk.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {
constexpr char PayloadSignature[4] = {'T', 'P', 'F', '0'};

// Just enough of a module for the engine to read a setup section into a scratch instance: the
// parameters it sets by name must exist, and nothing reaches any host.
class TPresetCheckHost final : public TPluginHost {
public:
  const TPluginHandlers* Plugin = nullptr;

  TTimeInfo GetTimeInfo() override { return {}; }
  float SampleRate() const override { return 44100.0f; }
  void QueueMidiMessage(uint8_t, uint8_t, uint8_t, int32_t) override {}
  int32_t OutputRoom() const override { return 0; }
  TMidiCCMode CCMode() const override { return ccmNone; }
  void SetCCMode(TMidiCCMode) override {}
  void SetEditorNeedsUpdate() override {}
  void SetParameterByName(std::string_view name, float) override {
    const auto& definitions = Plugin->ParameterDefinitions();
    if (std::none_of(definitions.begin(), definitions.end(),
                     [name](const TParameterDefinition& d) { return d.DisplayName == name; }))
      throw std::runtime_error("Unknown parameter name: " + std::string(name));
  }
};

// Reads the payload the way a chunk load does (header list, setup section, CC list), so that a file
// the plug-in would reject is reported here, before any plug-in sees it.
void CheckPayload(const std::vector<uint8_t>& payload) {
  TTaggedReader reader(payload.data(), payload.size());
  char signature[4];
  reader.ReadRaw(signature, sizeof signature);
  if (std::memcmp(signature, PayloadSignature, sizeof signature) != 0)
    throw EStreamError(StreamErrorText::InvalidStreamFormat);
  reader.ReadListBegin();
  const std::string versionText = reader.ReadString();
  reader.ReadString(); // preset name
  reader.ReadString(); // reserved
  reader.ReadString(); // reserved
  reader.ReadListEnd();

  TPresetCheckHost host;
  TVSTPlugin plugin(host);
  host.Plugin = &plugin;
  reader.ReadListBegin();
  plugin.ReadSetup(reader, versionText);
  reader.ReadListEnd();

  if (reader.PeekTag() == StreamTag::EndOfList)
    return; // a payload without CC list
  reader.ReadListBegin();
  while (!reader.EndOfList()) {
    reader.ReadListBegin();
    reader.ReadString();
    reader.ReadInteger();
    reader.ReadListEnd();
  }
  reader.ReadListEnd();
}
} // namespace

std::vector<uint8_t> ReadPresetFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error))
    throw EHostError("preset not found: " + path);
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad())
    throw EHostError("cannot read preset " + path);
  try {
    TMemoryStreamChunk chunk;
    chunk.ReadFromStream(bytes.data(), bytes.size());
    CheckPayload(chunk.Payload());
  } catch (const std::exception& e) {
    throw EHostError("preset damaged: " + path + ": " + e.what());
  }
  return bytes;
}
