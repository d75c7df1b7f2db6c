#include "host/MemoryStreamChunk.h"

#include "engine/TaggedStream.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

std::filesystem::path PathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string ReasonOf(int error) {
  return std::generic_category().message(error);
}

} // namespace

void TMemoryStreamChunk::WriteToStream(std::vector<uint8_t>& stream) const {
  const auto size = static_cast<uint32_t>(FPayload.size());
  stream.insert(stream.end(), Identifier, Identifier + sizeof(Identifier));
  for (int shift = 0; shift < 32; shift += 8)
    stream.push_back(static_cast<uint8_t>(size >> shift));
  stream.insert(stream.end(), FPayload.begin(), FPayload.end());
}

std::size_t TMemoryStreamChunk::ReadFromStream(const uint8_t* data, std::size_t size) {
  if (data == nullptr || size < HeaderSize)
    throw EStreamError(StreamErrorText::StreamReadError);
  if (std::memcmp(data, Identifier, sizeof(Identifier)) != 0)
    throw EStreamError(StreamErrorText::InvalidStreamFormat);
  uint32_t count = 0;
  for (int i = 0; i < 4; ++i)
    count |= static_cast<uint32_t>(data[4 + i]) << (8 * i);
  if (count > size - HeaderSize || count > MaxPayloadSize)
    throw EStreamError(StreamErrorText::StreamReadError);
  FPayload.assign(data + HeaderSize, data + HeaderSize + count);
  return HeaderSize + count;
}

void TMemoryStreamChunk::SaveToFile(const std::string& path) const {
  std::vector<uint8_t> bytes;
  WriteToStream(bytes);
  const std::filesystem::path target = PathFromUtf8(path);
  std::filesystem::path temporary = target;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out)
      throw std::runtime_error("Cannot create file \"" + path + "\". " + ReasonOf(errno));
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      const int error = errno;
      out.close();
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      throw std::runtime_error("Cannot write file \"" + path + "\". " + ReasonOf(error));
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, target, error);
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw std::runtime_error("Cannot create file \"" + path + "\". " + error.message());
  }
}

void TMemoryStreamChunk::LoadFromFile(const std::string& path) {
  const std::filesystem::path source = PathFromUtf8(path);
  std::error_code error;
  if (std::filesystem::is_directory(source, error))
    throw std::runtime_error("Cannot open file \"" + path + "\". " + ReasonOf(EISDIR));
  std::ifstream in(source, std::ios::binary);
  if (!in)
    throw std::runtime_error("Cannot open file \"" + path + "\". " + ReasonOf(errno));
  // Header first, so that a huge file that is no container is never read whole.
  uint8_t header[HeaderSize];
  in.read(reinterpret_cast<char*>(header), sizeof(header));
  const auto got = static_cast<std::size_t>(in.gcount());
  if (got < HeaderSize) {
    ReadFromStream(header, got); // throws with the container's own text
  }
  if (std::memcmp(header, Identifier, sizeof(Identifier)) != 0)
    throw EStreamError(StreamErrorText::InvalidStreamFormat);
  uint32_t count = 0;
  for (int i = 0; i < 4; ++i)
    count |= static_cast<uint32_t>(header[4 + i]) << (8 * i);
  if (count > MaxPayloadSize)
    throw EStreamError(StreamErrorText::StreamReadError);
  std::vector<uint8_t> bytes(header, header + HeaderSize);
  bytes.resize(HeaderSize + count);
  in.read(reinterpret_cast<char*>(bytes.data() + HeaderSize), count);
  bytes.resize(HeaderSize + static_cast<std::size_t>(in.gcount()));
  ReadFromStream(bytes.data(), bytes.size());
}
