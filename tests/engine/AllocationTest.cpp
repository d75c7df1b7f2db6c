// Proves that the MIDI and block handlers never touch the heap: global operator new and delete are
// replaced here and count calls made on the counting thread.
#include "TestHost.h"

#include "engine/ZelRandom.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#if defined(_WIN32)
#include <malloc.h>
#endif
#include <new>

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
#define TRIAXO_COUNT_ALLOCATIONS 0 // the sanitizers bring their own allocator
#else
#define TRIAXO_COUNT_ALLOCATIONS 1
#endif

namespace {
thread_local bool GCounting = false;
std::atomic<int64_t> GHeapCalls{0};

// Counts heap calls of this thread for its lifetime.
class THeapCounter {
public:
  THeapCounter() {
    GHeapCalls = 0;
    GCounting = true;
  }
  ~THeapCounter() { GCounting = false; }
  int64_t Calls() const { return GHeapCalls.load(); }
};
} // namespace

#if TRIAXO_COUNT_ALLOCATIONS
namespace {
void Count() {
  if (GCounting) {
    GHeapCalls.fetch_add(1, std::memory_order_relaxed);
  }
}
void* Allocate(std::size_t size) {
  Count();
  if (void* p = std::malloc(size == 0 ? 1 : size)) {
    return p;
  }
  throw std::bad_alloc();
}
void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
  Count();
  const auto align = static_cast<std::size_t>(alignment);
  const std::size_t rounded = (size + align - 1) / align * align;
#if defined(_WIN32) // the Windows C runtime has no aligned_alloc; its aligned blocks have their own free
  if (void* p = _aligned_malloc(rounded == 0 ? align : rounded, align)) {
#else
  if (void* p = std::aligned_alloc(align, rounded == 0 ? align : rounded)) {
#endif
    return p;
  }
  throw std::bad_alloc();
}
void Release(void* p) {
  if (p != nullptr) {
    Count();
    std::free(p);
  }
}
void ReleaseAligned(void* p) {
#if defined(_WIN32)
  if (p != nullptr) {
    Count();
    _aligned_free(p);
  }
#else
  Release(p);
#endif
}
} // namespace

void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return AllocateAligned(size, alignment);
}
void operator delete(void* p) noexcept {
  Release(p);
}
void operator delete[](void* p) noexcept {
  Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
  Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  Release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
  ReleaseAligned(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  ReleaseAligned(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
  ReleaseAligned(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
  ReleaseAligned(p);
}
#endif

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
