// The real Triaxo.so under a host that breaks every rule: requests with absurd arguments, processing
// in the wrong states, lying chunk sizes, impossible sample rates and block sizes, broken time
// information and event lists, many instances, and a second thread loading state while the audio
// thread plays. Nothing may crash or read outside the host's data, and the instance keeps working.
#include "StateFixtures.h"
#include "support/FakeHome.h"
#include "support/TriaxoSession.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

using namespace vst;

namespace {

using TBytes = std::vector<uint8_t>;

// The host's data, ending right before a page that cannot be read: a plug-in that reads one byte
// too many faults here instead of quietly reading the host's next allocation.
class TGuardedData {
public:
  explicit TGuardedData(const TBytes& bytes) : FSize(bytes.size()) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t pages = (bytes.size() + page - 1) / page;
    FLength = (pages + 1) * page;
    FMapping = mmap(nullptr, FLength, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (FMapping == MAP_FAILED)
      throw std::runtime_error("mmap");
    auto* base = static_cast<uint8_t*>(FMapping);
    mprotect(base + pages * page, page, PROT_NONE);
    FData = base + pages * page - bytes.size();
    if (!bytes.empty())
      std::memcpy(FData, bytes.data(), bytes.size());
  }
  ~TGuardedData() { munmap(FMapping, FLength); }
  TGuardedData(const TGuardedData&) = delete;
  TGuardedData& operator=(const TGuardedData&) = delete;
  uint8_t* Data() const { return FData; }
  VstIntPtr Size() const { return static_cast<VstIntPtr>(FSize); }

private:
  void* FMapping = nullptr;
  std::size_t FLength = 0;
  uint8_t* FData = nullptr;
  std::size_t FSize = 0;
};

// Trigger C plays C, E and G; the second note starts 250 ms late, every note ends 20 ms after its
// trigger is released.
TBytes ChordState(bool randomTiming = false) {
  return ContainerOf([randomTiming](TVSTPluginBase& module, TVSTPlugin& plugin) {
    for (int32_t trigger = 0; trigger < 12; ++trigger) {
      auto& chord = plugin.Setup.Triggers[trigger].Notes;
      chord.AddNote(trigger, true);
      chord.AddNote(trigger + 4, true);
      chord.AddNote(trigger + 7, true);
    }
    module.SetParameterByName("Note2 Start", 250.0f);
    for (int n = 1; n <= 3; ++n)
      module.SetParameterByName("Note" + std::to_string(n) + " End", 20.0f);
    if (randomTiming) {
      module.SetParameterByName("Note1 Start Random", 300.0f);
      module.SetParameterByName("Note3 End Random", 900.0f);
      module.SetParameterByName("Note2 Velocity Random", 200.0f);
    }
  });
}

// A bank block: the program's byte count as claimed (little-endian), then the program's bytes.
TBytes BankOf(const TBytes& program, uint32_t claimed) {
  TBytes bank(4 + program.size());
  for (std::size_t i = 0; i < 4; ++i)
    bank[i] = static_cast<uint8_t>(claimed >> (8 * i));
  std::copy(program.begin(), program.end(), bank.begin() + 4);
  return bank;
}

int32_t NoteOnsOf(const std::vector<TCapturedMidiEvent>& events) {
  int32_t count = 0;
  for (const auto& event : events)
    if ((event.Data[0] & 0xF0) == 0x90 && event.Data[2] > 0)
      ++count;
  return count;
}

// Every note-on the plug-in sent has been ended by a note-off (or a note-on with velocity 0).
void ExpectEveryNoteEnded(const std::vector<TCapturedMidiEvent>& events) {
  std::map<int, int> sounding;
  for (const auto& event : events) {
    const int kind = event.Data[0] & 0xF0;
    const int key = (event.Data[0] & 0x0F) * 128 + event.Data[1];
    if (kind == 0x90 && event.Data[2] > 0)
      ++sounding[key];
    else if (kind == 0x80 || kind == 0x90)
      sounding[key] = std::max(0, sounding[key] - 1);
  }
  for (const auto& [key, count] : sounding)
    EXPECT_EQ(count, 0) << "note " << key % 128 << " on channel " << key / 128 << " never ended";
}

class HostileHost : public ::testing::Test {
protected:
  TFakeHome Home;
  TTriaxoSession Host;
  // Frames of each processing call, by the block index the captured events carry.
  std::vector<int32_t> Frames;

  void Process(int32_t frames, const std::vector<THostMidiEvent>& events = {}) {
    Frames.push_back(frames);
    Host.Process(frames, events);
  }

  void ExpectEventsInsideTheirBlocks() {
    for (const auto& event : Host.Captured()) {
      ASSERT_LT(static_cast<std::size_t>(event.Block), Frames.size());
      EXPECT_GE(event.DeltaFrames, 0);
      EXPECT_LT(event.DeltaFrames, std::max(Frames[static_cast<std::size_t>(event.Block)], 1));
    }
  }

  // The instance still turns a trigger into its chord and ends it again.
  void ExpectStillPlaying() {
    Host.Dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Host.Dispatch(effMainsChanged, 0, 1);
    Host.SetChunk(ChordState());
    Host.Answers().ProvidesTime = true;
    Host.Transport.SamplePosition = 0;
    Host.ClearCaptured();
    Process(512, {{0x90, 62, 100, 0}});
    for (int i = 0; i < 30; ++i)
      Process(512);
    EXPECT_EQ(NoteOnsOf(Host.Captured()), 3);
    Process(512, {{0x80, 62, 0, 0}});
    for (int i = 0; i < 10; ++i)
      Process(512);
    ExpectEveryNoteEnded(Host.Captured());
    ExpectEventsInsideTheirBlocks();
  }
};

TEST_F(HostileHost, EveryRequestWithAbsurdArgumentsLeavesTheInstancePlaying) {
  ASSERT_NO_THROW(Host.Open());
  const VstInt32 indices[] = {0, 1, -1, std::numeric_limits<VstInt32>::min(),
                              std::numeric_limits<VstInt32>::max()};
  const VstIntPtr values[] = {0,
                              1,
                              -1,
                              std::numeric_limits<VstInt32>::min(),
                              std::numeric_limits<VstInt32>::max(),
                              std::numeric_limits<VstIntPtr>::min(),
                              std::numeric_limits<VstIntPtr>::max()};
  const float options[] = {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity(), 1e30f};
  std::vector<VstInt32> opcodes;
  for (VstInt32 opcode = 0; opcode <= 90; ++opcode)
    if (opcode != effClose)
      opcodes.push_back(opcode);
  for (VstInt32 opcode : {100, 127, 128, 255, 4096, -1, std::numeric_limits<VstInt32>::min(),
                          std::numeric_limits<VstInt32>::max()})
    opcodes.push_back(opcode);

  // A host buffer large enough for every text and structure a request may fill, zeroed before
  // each request so that no request reads what an earlier one wrote.
  std::vector<uint8_t> buffer(4096);
  ::testing::internal::CaptureStderr(); // rejected chunks report through error boxes
  for (VstInt32 opcode : opcodes) {
    for (VstInt32 index : indices) {
      for (VstIntPtr value : values) {
        for (float opt : options) {
          Host.Dispatch(opcode, index, value, nullptr, opt);
          // A real window is the host's promise for an editor open; a chunk load trusts the byte
          // count up to the size a state can have (beyond it, it refuses without reading).
          if (opcode == effEditOpen || (opcode == effSetChunk && value > 0 && value < (1 << 30) &&
                                        value > static_cast<VstIntPtr>(buffer.size())))
            continue;
          std::fill(buffer.begin(), buffer.end(), 0);
          Host.Dispatch(opcode, index, value, buffer.data(), opt);
        }
      }
    }
  }
  ::testing::internal::GetCapturedStderr();
  ExpectStillPlaying();
}

TEST_F(HostileHost, ProcessingWithoutResumeAfterSuspendAndAfterCloseIsHarmless) {
  ASSERT_NO_THROW(Host.Create());
  AEffect* effect = &Host.Effect();
  // Before effOpen the entries do nothing, double precision included.
  double left[64];
  double right[64];
  std::fill(std::begin(left), std::end(left), 1.0);
  double* doubles[2] = {left, right};
  effect->processDoubleReplacing(effect, nullptr, doubles, 64);
  effect->process(effect, nullptr, nullptr, 64);
  EXPECT_EQ(left[0], 1.0);

  // effOpen without sample rate, block size or resume: the module plays at its defaults.
  Host.Dispatch(effOpen);
  Host.SetChunk(ChordState());
  Process(64, {{0x90, 60, 100, 0}});
  EXPECT_EQ(NoteOnsOf(Host.Captured()), 2); // C and G at once, E later
  // Null output buffers, a null channel and absurd frame counts.
  effect->processReplacing(effect, nullptr, nullptr, 64);
  float one[8] = {};
  float* halfOutputs[2] = {one, nullptr};
  effect->processReplacing(effect, nullptr, halfOutputs, 8);
  effect->process(effect, nullptr, halfOutputs, 8);
  effect->processReplacing(effect, nullptr, halfOutputs, -8);
  effect->processReplacing(effect, nullptr, nullptr, std::numeric_limits<VstInt32>::min());
  effect->processDoubleReplacing(effect, nullptr, doubles, 64);
  EXPECT_EQ(left[0], 0.0);

  // Suspended, then processed anyway, then resumed twice.
  Host.Dispatch(effMainsChanged, 0, 0);
  Process(512, {{0x80, 60, 0, 0}});
  Host.Dispatch(effMainsChanged, 0, 1);
  Host.Dispatch(effMainsChanged, 0, 1);
  Frames.resize(static_cast<std::size_t>(Host.Captured().empty() ? 0 : Host.Captured().back().Block + 1), 64);
  ExpectStillPlaying();

  ASSERT_EQ(Host.Close(), 1);
  // The closed record answers nothing to any request and processes nothing.
  char text[256] = {};
  for (VstInt32 opcode = -1; opcode <= 90; ++opcode)
    EXPECT_EQ(effect->dispatcher(effect, opcode, 0, 0, text, 0.0f), 0) << opcode;
  float buffer[16];
  std::fill(std::begin(buffer), std::end(buffer), 1.0f);
  float* outputs[2] = {buffer, buffer};
  effect->processReplacing(effect, nullptr, outputs, 16);
  effect->processDoubleReplacing(effect, nullptr, doubles, 16);
  effect->setParameter(effect, 3, 0.5f);
  EXPECT_EQ(effect->getParameter(effect, 3), 0.0f);
  EXPECT_EQ(buffer[15], 1.0f);
}

TEST_F(HostileHost, ChunkSizesThatLieAreRefusedWithoutReadingPastTheData) {
  ASSERT_NO_THROW(Host.Open());
  const TBytes state = ChordState();
  Host.SetChunk(state);
  ::testing::internal::CaptureStderr();

  // No data, a single byte, negative counts: refused, the state stays.
  const TGuardedData single(TBytes{'m'});
  EXPECT_EQ(Host.Dispatch(effSetChunk, 1, 0, single.Data()), 0);
  EXPECT_EQ(Host.Dispatch(effSetChunk, 1, 1, single.Data()), 1);
  EXPECT_EQ(Host.Dispatch(effSetChunk, 1, -1, single.Data()), 0);
  EXPECT_EQ(Host.Dispatch(effSetChunk, 0, -1, single.Data()), 0);
  EXPECT_EQ(Host.Dispatch(effSetChunk, 1, std::numeric_limits<VstIntPtr>::min(), single.Data()), 0);
  EXPECT_EQ(Host.GetChunk(), state);

  // A container claiming more payload than it carries, cut at every length: the reader meets the
  // guard page if it ever trusts the claim.
  for (std::size_t length = 8; length <= state.size(); length += 7) {
    TBytes cut(state.begin(), state.begin() + static_cast<std::ptrdiff_t>(length));
    const TGuardedData program(cut);
    Host.Dispatch(effSetChunk, 1, program.Size(), program.Data());
    const TGuardedData bankData(BankOf(cut, static_cast<uint32_t>(state.size())));
    Host.Dispatch(effSetChunk, 0, bankData.Size(), bankData.Data());
  }
  // The host's byte count covers more than the container: the container is read, the rest ignored.
  TBytes padded = state;
  padded.resize(state.size() + 100, 0xEE);
  const TGuardedData paddedData(padded);
  EXPECT_EQ(Host.Dispatch(effSetChunk, 1, paddedData.Size(), paddedData.Data()), paddedData.Size());
  const std::string boxes = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(boxes.find("Error loading preset."), std::string::npos);
  EXPECT_EQ(Host.GetChunk(), state);
  ExpectStillPlaying();
}

TEST_F(HostileHost, AbsurdSampleRatesAreRefusedAndRealOnesTimeTheChord) {
  ASSERT_NO_THROW(Host.Open());
  Host.SetChunk(ChordState());
  struct TCase {
    float Rate;
    double Expected; // the rate the chord is timed with
  };
  const TCase cases[] = {{8000.0f, 8000.0},
                         {0.0f, 8000.0},
                         {-44100.0f, 8000.0},
                         {std::numeric_limits<float>::quiet_NaN(), 8000.0},
                         {-std::numeric_limits<float>::infinity(), 8000.0},
                         {768000.0f, 768000.0},
                         {std::numeric_limits<float>::infinity(), 768000.0}};
  for (const TCase& test : cases) {
    Host.Dispatch(effSetSampleRate, 0, 0, nullptr, test.Rate);
    Host.ClearCaptured();
    const auto first = static_cast<int32_t>(Frames.size());
    const int32_t blocks = static_cast<int32_t>(test.Expected * 0.3 / 4096.0) + 2;
    Process(4096, {{0x90, 60, 100, 0}});
    for (int32_t i = 0; i < blocks; ++i)
      Process(4096);
    Process(4096, {{0x80, 60, 0, 0}});
    for (int32_t i = 0; i < blocks; ++i)
      Process(4096);
    ExpectEventsInsideTheirBlocks();
    ExpectEveryNoteEnded(Host.Captured());
    // E starts 250 ms after C, at the rate in force.
    std::map<int, int64_t> starts;
    for (const auto& event : Host.Captured())
      if ((event.Data[0] & 0xF0) == 0x90 && event.Data[2] > 0)
        starts[event.Data[1]] = (event.Block - first) * 4096 + event.DeltaFrames;
    ASSERT_EQ(starts.size(), 3u) << test.Rate;
    EXPECT_NEAR(static_cast<double>(starts[64] - starts[60]), test.Expected * 0.25, 1.0) << test.Rate;
  }
}

TEST_F(HostileHost, BlockSizesChangingEveryBlockKeepEveryEventInsideItsBlockAndEndEveryNote) {
  ASSERT_NO_THROW(Host.Open());
  Host.SetChunk(ChordState(true));
  Host.Transport.Playing = true;
  std::mt19937 random(1234);
  std::uniform_int_distribution<int32_t> frames(1, 16384);
  std::uniform_int_distribution<int32_t> note(36, 96);
  std::vector<uint8_t> held;
  for (int32_t block = 0; block < 400; ++block) {
    const int32_t size = block % 50 == 0 ? 1 : frames(random);
    std::vector<THostMidiEvent> events;
    if (block % 3 == 0) {
      const auto pitch = static_cast<uint8_t>(note(random));
      events.push_back({0x90, pitch, 100, size / 2});
      held.push_back(pitch);
    }
    if (block % 5 == 0 && !held.empty()) {
      events.push_back({0x80, held.front(), 0, size - 1});
      held.erase(held.begin());
    }
    Process(size, events);
  }
  std::vector<THostMidiEvent> releases;
  for (uint8_t pitch : held)
    releases.push_back({0x80, pitch, 0, 0});
  Process(16384, releases);
  for (int i = 0; i < 10; ++i)
    Process(16384);
  EXPECT_GT(NoteOnsOf(Host.Captured()), 100);
  ExpectEventsInsideTheirBlocks();
  ExpectEveryNoteEnded(Host.Captured());
}

TEST_F(HostileHost, MissingNaNAndHugeTimeInformationStillPlaysChords) {
  ASSERT_NO_THROW(Host.Open());
  Host.SetChunk(ChordState());
  struct TCase {
    bool Provided;
    double Position;
    bool Playing;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const TCase cases[] = {{false, 0.0, false}, {true, nan, true},    {true, 1e300, true},  {true, -1e18, true},
                         {true, inf, true},   {true, 9.3e18, true}, {true, -1e18, false}, {true, nan, false},
                         {true, -inf, true},  {true, 0.0, true}};
  for (const TCase& test : cases) {
    Host.Answers().ProvidesTime = test.Provided;
    Host.Transport.SamplePosition = test.Position;
    Host.Transport.Playing = test.Playing;
    Process(4096); // the transport change settles first
    Host.ClearCaptured();
    Process(4096, {{0x90, 60, 100, 0}});
    for (int i = 0; i < 4; ++i)
      Process(4096);
    Process(4096, {{0x80, 60, 0, 0}});
    for (int i = 0; i < 4; ++i)
      Process(4096);
    if (test.Playing && !std::isfinite(test.Position)) {
      // A position that is no number stands still: the late E is still waiting when its trigger is
      // released, so it is dropped; once the host sends a real position the releases go out.
      Host.Transport.SamplePosition = 1e6;
      for (int i = 0; i < 8; ++i)
        Process(4096);
      EXPECT_EQ(NoteOnsOf(Host.Captured()), 2) << test.Position;
    } else {
      EXPECT_EQ(NoteOnsOf(Host.Captured()), 3) << test.Position << (test.Playing ? " playing" : " stopped");
    }
    ExpectEventsInsideTheirBlocks();
    ExpectEveryNoteEnded(Host.Captured());
  }
}

TEST_F(HostileHost, BrokenEventListsAreSkippedAndTheirMidiStillHandled) {
  ASSERT_NO_THROW(Host.Open());
  Host.SetChunk(ChordState());
  VstMidiEvent trigger{};
  trigger.type = kVstMidiType;
  trigger.byteSize = sizeof(trigger);
  trigger.midiData[0] = static_cast<char>(0x90);
  trigger.midiData[1] = 60;
  trigger.midiData[2] = 100;
  VstEvent unknown{};
  unknown.type = 99;
  VstMidiSysexEvent sysex{};
  sysex.type = kVstSysExType;
  sysex.dumpBytes = 1 << 30; // a lie; the dump is never read
  struct {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[6];
  } list{6,
         0,
         {nullptr, &unknown, reinterpret_cast<VstEvent*>(&sysex), nullptr,
          reinterpret_cast<VstEvent*>(&trigger), nullptr}};
  Host.Dispatch(effProcessEvents, 0, 0, &list);
  // Negative and zero counts name no events at all.
  list.numEvents = -5;
  Host.Dispatch(effProcessEvents, 0, 0, &list);
  list.numEvents = 0;
  Host.Dispatch(effProcessEvents, 0, 0, &list);
  Process(512);
  EXPECT_EQ(NoteOnsOf(Host.Captured()), 2); // C and G at once, E later
  for (int i = 0; i < 30; ++i)
    Process(512);
  EXPECT_EQ(NoteOnsOf(Host.Captured()), 3);
}

TEST(HostileHostInstances, SixtyFourInstancesAtOnceKeepTheirOwnStateAndPlay) {
  TFakeHome home;
  const TBytes state = ChordState();
  std::vector<std::unique_ptr<TTriaxoSession>> hosts;
  for (int32_t i = 0; i < 64; ++i) {
    hosts.push_back(std::make_unique<TTriaxoSession>());
    ASSERT_NO_THROW(hosts.back()->Open(44100.0f, 256)) << i;
    hosts.back()->SetChunk(state);
    hosts.back()->SetParameter(0, static_cast<float>(i) / 64.0f);
  }
  // Instance i plays the white key i % 35 from C2 on: its chord is that key, a third and a fifth.
  const auto triggerOf = [](int32_t i) {
    static constexpr int32_t WhiteKeys[7] = {0, 2, 4, 5, 7, 9, 11};
    return 36 + 12 * ((i % 35) / 7) + WhiteKeys[(i % 35) % 7];
  };
  for (int32_t i = 0; i < 64; ++i)
    hosts[static_cast<std::size_t>(i)]->Process(256, {{0x90, static_cast<uint8_t>(triggerOf(i)), 100, 0}});
  for (int32_t i = 0; i < 64; ++i) {
    TTriaxoSession& host = *hosts[static_cast<std::size_t>(i)];
    EXPECT_FLOAT_EQ(host.GetParameter(0), static_cast<float>(i) / 64.0f) << i;
    ASSERT_FALSE(host.Captured().empty()) << i;
    for (const auto& event : host.Captured())
      EXPECT_TRUE(event.Data[1] == triggerOf(i) || event.Data[1] == triggerOf(i) + 7)
          << "instance " << i << " sent note " << int{event.Data[1]};
  }
  // Closed in an order unlike the opening one; the rest keep working.
  for (std::size_t i = 0; i < hosts.size(); i += 2)
    EXPECT_EQ(hosts[i]->Close(), 1);
  hosts[1]->ClearCaptured();
  hosts[1]->Process(256, {{0x90, 40, 100, 0}});
  for (int i = 0; i < 30; ++i) // 174 ms: past its first note's 16 ms start, before the third's 250 ms
    hosts[1]->Process(256);
  // E's chord (its first note 16 ms late) besides the rest of the held D chord, nothing else.
  std::multiset<int> started;
  for (const auto& event : hosts[1]->Captured())
    if (event.Data[0] == 0x90 && event.Data[2] > 0)
      started.insert(event.Data[1]);
  EXPECT_EQ(started.count(40), 1u);
  EXPECT_EQ(started.count(47), 1u);
  for (int note : started)
    EXPECT_TRUE(note == 38 || note == 42 || note == 45 || note == 40 || note == 47) << note;
}

TEST(HostileHostThreads, BankLoadsDamagedChunksAndParametersRunConcurrentlyWithProcessing) {
  TFakeHome home;
  TTriaxoSession host;
  ASSERT_NO_THROW(host.Open(44100.0f, 128));
  const TBytes chords = ChordState(true);
  const TBytes bank = BankOf(chords, static_cast<uint32_t>(chords.size()));
  TBytes damaged = chords;
  damaged.resize(chords.size() / 2);

  std::atomic<bool> done{false};
  std::vector<int32_t> frames; // audio thread only until joined
  std::thread audio([&] {
    int32_t block = 0;
    while (!done.load(std::memory_order_acquire)) {
      const int32_t length = 1 + (block * 37) % 700;
      const auto pitch = static_cast<uint8_t>(40 + block % 40);
      frames.push_back(length);
      host.Process(length, {{0x90, pitch, 90, length / 2}, {0x80, static_cast<uint8_t>(pitch - 3), 0, 0}});
      ++block;
    }
  });
  ::testing::internal::CaptureStderr(); // the damaged loads report
  for (int32_t round = 0; round < 120; ++round) {
    switch (round % 4) {
    case 0:
      host.SetChunk(bank, ckdBank);
      break;
    case 1:
      host.SetChunk(damaged);
      break;
    case 2:
      host.SetChunk(chords);
      break;
    default:
      host.GetChunk(ckdBank);
      break;
    }
    host.SetParameter(round % 30, static_cast<float>(round % 7) / 6.0f);
    host.Dispatch(effSetSampleRate, 0, 0, nullptr, round % 2 == 0 ? 48000.0f : 44100.0f);
    host.Dispatch(effSetBlockSize, 0, 64 + round);
  }
  done.store(true, std::memory_order_release);
  audio.join();
  ::testing::internal::GetCapturedStderr();
  for (const auto& event : host.Captured()) {
    ASSERT_LT(static_cast<std::size_t>(event.Block), frames.size());
    EXPECT_LT(event.DeltaFrames, frames[static_cast<std::size_t>(event.Block)]);
  }
  host.SetChunk(chords);
  EXPECT_EQ(host.GetChunk(), chords);
}

// A stored trigger name as another writer may have left it: blanks around it and longer than a
// name can be. Replaces the marker name "Zq" of the fixture's trigger C.
TBytes WithStoredName(const TBytes& container, const std::string& name) {
  const TBytes marker{0x06, 0x02, 'Z', 'q'};
  const std::size_t at = Find(container, marker);
  if (at == std::string::npos)
    return container;
  TBytes payload = PayloadOf(container);
  const std::size_t inPayload = at - 8;
  TBytes replacement{0x06, static_cast<uint8_t>(name.size())};
  replacement.insert(replacement.end(), name.begin(), name.end());
  payload.erase(payload.begin() + static_cast<std::ptrdiff_t>(inPayload),
                payload.begin() + static_cast<std::ptrdiff_t>(inPayload + marker.size()));
  payload.insert(payload.begin() + static_cast<std::ptrdiff_t>(inPayload), replacement.begin(),
                 replacement.end());
  return ContainerAround(payload);
}

TEST(StateReproducibility, SavedStateLoadedIntoANewInstanceSavesTheSameBytes) {
  TFakeHome home;
  const TBytes fixture = ContainerOf([](TVSTPluginBase& module, TVSTPlugin& plugin) {
    plugin.Setup.Triggers[0].SetName("Zq");
    plugin.Setup.Triggers[0].Notes.AddNote(4, true);
    plugin.Setup.Triggers[5].SetName("m\xC3\xB6ll");
    plugin.Setup.Triggers[5].Notes.AddNote(9, true);
    plugin.Setup.NoteSetup.SameRandomVelocity = true;
    module.SetParameterByName("Note4 End Random", 123.0f);
    module.MidiCCList.AddOrUpdate("Note1 Start", 20);
  });
  ASSERT_NE(Find(fixture, {0x06, 0x02, 'Z', 'q'}), std::string::npos);
  for (const std::string& stored :
       {std::string("  ab    xyz"), std::string("abcdef  "), std::string("a b c d e f g"),
        std::string("\t\tx"), std::string("      ")}) {
    TTriaxoSession first;
    ASSERT_NO_THROW(first.Open());
    first.SetChunk(WithStoredName(fixture, stored));
    const TBytes saved = first.GetChunk();
    EXPECT_EQ(first.GetChunk(), saved) << "two saves of one state differ";

    TTriaxoSession second;
    ASSERT_NO_THROW(second.Open());
    second.SetChunk(saved);
    EXPECT_EQ(second.GetChunk(), saved) << "stored name \"" << stored << "\" changes on the second load";
  }
}

TEST(StateReproducibility, DamagedChunkNamingAMissingPresetSavesAStateThatReloadsTheSame) {
  TFakeHome home;
  const TBytes named = ContainerOf([](TVSTPluginBase& module, TVSTPlugin& plugin) {
    module.SetPresetName("Gone");
    plugin.Setup.Triggers[0].Notes.AddNote(7, true);
  });
  // Cut inside the setup section, with an honest container size: the name is read, then the load
  // fails.
  TBytes payload = PayloadOf(named);
  payload.resize(payload.size() / 2);
  const TBytes damaged = ContainerAround(payload);

  TTriaxoSession first;
  ASSERT_NO_THROW(first.Open());
  ::testing::internal::CaptureStderr();
  first.SetChunk(damaged);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("Error loading preset."), std::string::npos);
  const TBytes saved = first.GetChunk();
  EXPECT_EQ(Find(saved, {0x06, 0x04, 'G', 'o', 'n', 'e'}), std::string::npos)
      << "the missing preset's name stayed";

  TTriaxoSession second;
  ASSERT_NO_THROW(second.Open());
  second.SetChunk(saved);
  EXPECT_EQ(second.GetChunk(), saved);
}

} // namespace
