// Fuzz target: preset files (".ventrakisp") as they lie in the presets folder. The command-line
// host's check and the plug-in's own loader must agree on which files load, and a file the plug-in
// loaded must save and load back to the same bytes.
#include "FuzzSupport.h"
#include "PresetFile.h"
#include "VstHost.h"
#include "engine/Plugin.h"
#include "host/MemoryStreamChunk.h"
#include "host/VSTPluginBaseDM.h"

#include <memory>

namespace {

std::unique_ptr<TVSTPluginBase> Module;

std::vector<uint8_t> Saved() {
  TMemoryStreamChunk chunk;
  Check(Module->StoreToChunk(chunk, nullptr), "a loaded state saves");
  std::vector<uint8_t> bytes;
  chunk.WriteToStream(bytes);
  return bytes;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseFakeHome();
  UseSilentUi();
  Module = std::make_unique<TVSTPluginBase>([](TPluginHost& host) -> std::unique_ptr<TPluginHandlers> {
    return std::make_unique<TVSTPlugin>(host);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string path = Module->PresetFileName("Fuzz");
  WriteFileBytes(path, data, size);

  bool hostAccepts = true;
  try {
    Check(ReadPresetFile(path).size() == size, "the host hands on the whole file");
  } catch (const EHostError&) {
    hostAccepts = false;
  }

  bool pluginLoads = false;
  TMemoryStreamChunk chunk;
  try {
    chunk.LoadFromFile(path);
    pluginLoads = Module->LoadFromChunk(chunk, false, nullptr);
  } catch (const std::exception&) {
    pluginLoads = false; // not a container: the editor reports it, nothing is loaded
  }
  Check(hostAccepts == pluginLoads, "host check and plug-in loader agree on the file");
  if (!pluginLoads)
    return 0;

  const std::vector<uint8_t> first = Saved();
  const std::string copy = Module->PresetFileName("Fuzz copy");
  TMemoryStreamChunk saved;
  saved.ReadFromStream(first.data(), first.size());
  saved.SaveToFile(copy);
  TMemoryStreamChunk reread;
  reread.LoadFromFile(copy);
  Check(Module->LoadFromChunk(reread, false, nullptr), "a saved preset loads");
  CheckSame(first, Saved(), "a saved preset loads back to the same bytes");
  return 0;
}
