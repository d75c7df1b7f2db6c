#include "PresetFile.h"

#include "VstHost.h"
#include "engine/TaggedStream.h"
#include "host/MemoryStreamChunk.h"

#include <filesystem>
#include <fstream>
#include <iterator>

std::vector<uint8_t> ReadPresetFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error))
    throw EHostError("preset not found: " + path);
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in && !in.eof())
    throw EHostError("cannot read preset " + path);
  try {
    TMemoryStreamChunk chunk;
    const std::size_t used = chunk.ReadFromStream(bytes.data(), bytes.size());
    if (used != bytes.size())
      throw EStreamError("bytes after the container");
  } catch (const std::exception& e) {
    throw EHostError("preset damaged: " + path + ": " + e.what());
  }
  return bytes;
}
