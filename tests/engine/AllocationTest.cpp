// Proves that the MIDI and block handlers never touch the heap: global operator new and delete are
// replaced here and count calls made on the counting thread.
#include "support/HeapCounting.h"
#include "support/TestHost.h"

#include "engine/ZelRandom.h"

#include <gtest/gtest.h>

namespace {
class AudioThreadHeap : public ::testing::Test, public TEngineDriver {
protected:
  TTestEditor Editor;

  void SetUp() override {
#if !TRIAXO_COUNT_ALLOCATIONS
    GTEST_SKIP() << "allocation counting is off under sanitizers";
#endif
    Seed(3);
    Plugin.AttachEditor(&Editor);
    SetChord(0, {0, 4, 7, 11, 14});
    SetChord(2, {2, 5, 9});
    SetChord(4, {4, 7, 11, 16, 19});
    for (int32_t p = 0; p < TNoteSetup::Count; ++p) {
      TNoteSetupItem& item = Plugin.Setup.NoteSetup[p];
      item.Start = 5 * p;
      item.StartRandom = 20;
      item.End = 10;
      item.EndRandom = 30;
      item.VelocityScale = 20 - 10 * p;
      item.VelocityRandom = 15;
    }
    Plugin.Setup.NoteSetup.RelativeTiming = true;
    Plugin.Setup.NoteSetup.RandomNoteAssignment = true;
    Plugin.Setup.OctaveRangeFrom = 3;
    Plugin.Setup.OctaveRangeTo = 7;
  }
};
} // namespace

TEST_F(AudioThreadHeap, CounterSeesAHeapAllocation) {
  THeapCounter counter;
  auto* values = new std::vector<int>(64);
  volatile int* sink = values->data();
  (void)sink;
  delete values;
  EXPECT_GE(counter.Calls(), 2);
}

TEST_F(AudioThreadHeap, MidiAndBlockHandlingNeverAllocate) {
  // Previews are queued on the user-interface side, before counting.
  Plugin.PlayTrigger(48);
  Plugin.PlayNote(62, 90);
  THeapCounter counter;
  Play(0);
  for (int round = 0; round < 20; ++round) {
    NoteOn(60, 100, 10);
    NoteOn(64, 90, 20);
    NoteOn(26, 80, 30);  // below the range: passed through
    NoteOn(110, 80, 30); // above
    Midi(0xB0, 7, 100, 40);
    Midi(0xE0, 0, 64, 41);
    Midi(0xC0, 3, 0, 42);
    Blocks(3);
    NoteOff(60, 5);
    NoteOff(26, 6);
    NoteOff(110, 7);
    Block();
    NoteOff(64);
    Blocks(2);
  }
  Host.Time.SamplePosition = 0; // loop
  NoteOn(62);
  Blocks(2);
  Stop();
  Blocks(2);
  Host.Mode = ccmLearnOctave;
  NoteOn(40);
  NoteOff(62);
  // A full event queue and a full editor feed.
  for (int i = 0; i < 1200; ++i) {
    NoteOn(64);
  }
  NoteOff(64);
  Blocks(100);
  EXPECT_EQ(counter.Calls(), 0);
  EXPECT_GT(Host.SentCount(), 100u);
}
