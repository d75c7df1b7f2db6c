// The chunk container of host chunks and preset files: exact layout, damaged headers, files.
#include "support/FakeHome.h"

#include "engine/TaggedStream.h"
#include "host/MemoryStreamChunk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using TBytes = std::vector<uint8_t>;

TBytes ContainerOf(const TBytes& payload) {
  TMemoryStreamChunk chunk;
  chunk.Payload() = payload;
  TBytes bytes;
  chunk.WriteToStream(bytes);
  return bytes;
}

std::string ReadError(const TBytes& bytes) {
  TMemoryStreamChunk chunk;
  chunk.Payload() = {9, 9};
  try {
    chunk.ReadFromStream(bytes.data(), bytes.size());
  } catch (const EStreamError& e) {
    EXPECT_EQ(chunk.Payload(), (TBytes{9, 9})) << "a failed read loads nothing";
    return e.what();
  }
  return "";
}

TEST(ChunkContainer, LayoutIsIdentifierSizeAndPayload) {
  const TBytes bytes = ContainerOf({0xAA, 0xBB, 0xCC});
  EXPECT_EQ(bytes, (TBytes{'m', 'm', 's', 't', 3, 0, 0, 0, 0xAA, 0xBB, 0xCC}));
  TMemoryStreamChunk chunk;
  EXPECT_EQ(chunk.ReadFromStream(bytes.data(), bytes.size()), bytes.size());
  EXPECT_EQ(chunk.Payload(), (TBytes{0xAA, 0xBB, 0xCC}));
  // Bytes after the container are not part of it.
  TBytes longer = bytes;
  longer.push_back(0x77);
  EXPECT_EQ(chunk.ReadFromStream(longer.data(), longer.size()), bytes.size());
}

TEST(ChunkContainer, DamagedHeadersAreReadErrors) {
  EXPECT_EQ(ReadError({'m', 'm', 's', 't', 0, 0, 0}), "Stream read error");
  EXPECT_EQ(ReadError({}), "Stream read error");
  EXPECT_EQ(ReadError({'m', 'm', 's', 'x', 0, 0, 0, 0}), "Invalid stream format");
  EXPECT_EQ(ReadError({'m', 'm', 's', 't', 4, 0, 0, 0, 1, 2, 3}), "Stream read error");
  EXPECT_EQ(ReadError({'m', 'm', 's', 't', 0xFF, 0xFF, 0xFF, 0xFF, 1}), "Stream read error");
  EXPECT_EQ(ReadError({'m', 'm', 's', 't', 0, 0, 0, 0}), "");
}

TEST(ChunkContainer, FilesRoundTripAndBadFilesAreReported) {
  TFakeHome home;
  const std::string path = home.Root() + "/Preset \xC3\xA4.ventrakisp";
  TMemoryStreamChunk chunk;
  chunk.Payload() = {1, 2, 3, 4};
  chunk.SaveToFile(path);
  chunk.Payload() = {5};
  chunk.SaveToFile(path); // replaces the old file
  TMemoryStreamChunk loaded;
  loaded.LoadFromFile(path);
  EXPECT_EQ(loaded.Payload(), TBytes{5});

  EXPECT_THROW(loaded.LoadFromFile(home.Root() + "/missing.ventrakisp"), std::runtime_error);
  EXPECT_THROW(loaded.LoadFromFile(home.Root()), std::runtime_error);
  EXPECT_THROW(chunk.SaveToFile(home.Root() + "/no/such/folder/x.ventrakisp"), std::runtime_error);
  { std::ofstream empty(home.Root() + "/empty.ventrakisp"); }
  EXPECT_THROW(loaded.LoadFromFile(home.Root() + "/empty.ventrakisp"), EStreamError);
  {
    std::ofstream huge(home.Root() + "/huge.ventrakisp", std::ios::binary);
    huge.write("mmst\xFF\xFF\xFF\x7F", 8);
  }
  EXPECT_THROW(loaded.LoadFromFile(home.Root() + "/huge.ventrakisp"), EStreamError);
  EXPECT_EQ(loaded.Payload(), TBytes{5});
}

} // namespace
