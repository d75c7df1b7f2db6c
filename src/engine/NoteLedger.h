// NoteLedger: which note owns each channel and pitch of the plug-in's MIDI output.
#pragma once

#include <array>
#include <cstdint>

// One entry per output channel and pitch: the owner of the note sounding there (a chord event, a
// pass-through key, a preview) or Silent. Everything the plug-in sends goes through it, so a pitch
// never gets a second note-on without a note-off between, and a note-off goes out only for a note
// that sounds. Owners are numbers the engine hands out; the ledger only keeps them.
// Audio thread only; no allocation, no locks.
class TNoteLedger {
public:
  using TOwner = int32_t;
  static constexpr TOwner Silent = -1;
  static constexpr int32_t Channels = 16;
  static constexpr int32_t Pitches = 128;

  struct TEntry {
    TOwner Owner = Silent;
    uint8_t Velocity = 0; // of the note-on; the note-off that ends it carries it too
  };

  const TEntry& At(int32_t channel, int32_t pitch) const { return FEntries[Index(channel, pitch)]; }
  bool IsSounding(int32_t channel, int32_t pitch) const { return At(channel, pitch).Owner != Silent; }
  bool IsOwner(int32_t channel, int32_t pitch, TOwner owner) const {
    return owner != Silent && At(channel, pitch).Owner == owner;
  }
  // A new owner of the pitch: either it was silent, or the old owner's note has just been ended
  // (its note-off sent) and the entry passes on. Inline: once or twice per message sent.
  void Start(int32_t channel, int32_t pitch, TOwner owner, int32_t velocity) {
    TEntry& entry = FEntries[Index(channel, pitch)];
    if (entry.Owner == Silent) {
      ++FChannelCounts[Channel(channel)];
      ++FTotal;
    }
    entry.Owner = owner;
    entry.Velocity = static_cast<uint8_t>(velocity);
  }
  // The sounding note passes to another owner number unchanged (no message is sent).
  void Hand(int32_t channel, int32_t pitch, TOwner owner) { FEntries[Index(channel, pitch)].Owner = owner; }
  void End(int32_t channel, int32_t pitch) {
    TEntry& entry = FEntries[Index(channel, pitch)];
    if (entry.Owner != Silent) {
      --FChannelCounts[Channel(channel)];
      --FTotal;
    }
    entry = TEntry{};
  }
  int32_t SoundingOnChannel(int32_t channel) const { return FChannelCounts[Channel(channel)]; }
  int32_t SoundingCount() const { return FTotal; }
  void Clear();

private:
  static int32_t Channel(int32_t channel) { return channel & (Channels - 1); }
  static std::size_t Index(int32_t channel, int32_t pitch) {
    return static_cast<std::size_t>(Channel(channel) * Pitches + (pitch & (Pitches - 1)));
  }

  std::array<TEntry, Channels * Pitches> FEntries{};
  std::array<int32_t, Channels> FChannelCounts{};
  int32_t FTotal = 0;
};
