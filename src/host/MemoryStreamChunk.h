// MemoryStreamChunk: the container of host chunks and preset files ("mmst", payload size, payload).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A memory stream with a fixed 4-byte identifier. The container is exactly: "mmst", the payload size
// N as unsigned 32-bit little-endian, N payload bytes; no padding, nothing after.
class TMemoryStreamChunk {
public:
  static constexpr char Identifier[4] = {'m', 'm', 's', 't'};
  static constexpr std::size_t HeaderSize = 8;
  // No state of ours comes near this; a larger size is damage, not a preset.
  static constexpr std::size_t MaxPayloadSize = 16 * 1024 * 1024;

  std::vector<uint8_t>& Payload() { return FPayload; }
  const std::vector<uint8_t>& Payload() const { return FPayload; }

  // Appends the header and the payload.
  void WriteToStream(std::vector<uint8_t>& stream) const;
  // Reads one container from the start of the bytes and returns how many it took. At least 8 bytes,
  // the identifier, then exactly N payload bytes; any violation throws EStreamError ("Invalid stream
  // format" for a wrong identifier, "Stream read error" for missing bytes) and loads nothing.
  std::size_t ReadFromStream(const uint8_t* data, std::size_t size);

  // Creates or replaces the file. The old file stays intact until the new one is complete. Throws
  // std::runtime_error with a text for the user.
  void SaveToFile(const std::string& path) const;
  // Reads the container from the file; throws std::runtime_error when the file cannot be opened or
  // EStreamError when its content is not a container.
  void LoadFromFile(const std::string& path);

private:
  std::vector<uint8_t> FPayload;
};
