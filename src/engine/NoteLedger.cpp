// NoteLedger: which note owns each channel and pitch of the plug-in's MIDI output.
#include "engine/NoteLedger.h"

void TNoteLedger::Start(int32_t channel, int32_t pitch, TOwner owner, int32_t velocity) {
  TEntry& entry = FEntries[Index(channel, pitch)];
  if (entry.Owner == Silent) {
    ++FChannelCounts[Channel(channel)];
    ++FTotal;
  }
  entry.Owner = owner;
  entry.Velocity = static_cast<uint8_t>(velocity);
}

void TNoteLedger::End(int32_t channel, int32_t pitch) {
  TEntry& entry = FEntries[Index(channel, pitch)];
  if (entry.Owner != Silent) {
    --FChannelCounts[Channel(channel)];
    --FTotal;
  }
  entry = TEntry{};
}

void TNoteLedger::Clear() {
  FEntries.fill(TEntry{});
  FChannelCounts.fill(0);
  FTotal = 0;
}
