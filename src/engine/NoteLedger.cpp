// NoteLedger: which note owns each channel and pitch of the plug-in's MIDI output.
#include "engine/NoteLedger.h"

void TNoteLedger::Clear() {
  FEntries.fill(TEntry{});
  FChannelCounts.fill(0);
  FTotal = 0;
}
