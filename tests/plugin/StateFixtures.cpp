#include "StateFixtures.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

std::vector<uint8_t> ContainerOf(const TStateEdit& edit) {
  TVSTPlugin* plugin = nullptr;
  TVSTPluginBase module([&plugin](TPluginHost& host) {
    auto made = std::make_unique<TVSTPlugin>(host);
    plugin = made.get();
    return made;
  });
  if (edit)
    edit(module, *plugin);
  module.MidiCCListChanged();
  TMemoryStreamChunk chunk;
  module.StoreToChunk(chunk, nullptr);
  std::vector<uint8_t> bytes;
  chunk.WriteToStream(bytes);
  return bytes;
}

std::vector<uint8_t> PayloadOf(const std::vector<uint8_t>& container) {
  return std::vector<uint8_t>(container.begin() + 8, container.end());
}

std::vector<uint8_t> ContainerAround(const std::vector<uint8_t>& payload) {
  TMemoryStreamChunk chunk;
  chunk.Payload() = payload;
  std::vector<uint8_t> bytes;
  chunk.WriteToStream(bytes);
  return bytes;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  // Paths are UTF-8, as the plug-in's; Windows would read a narrow path in the ANSI code page.
  const std::filesystem::path target(std::u8string(path.begin(), path.end()));
  std::filesystem::create_directories(target.parent_path());
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::size_t Find(const std::vector<uint8_t>& haystack, const std::vector<uint8_t>& needle) {
  const auto found = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end());
  return found == haystack.end() ? std::string::npos : static_cast<std::size_t>(found - haystack.begin());
}
