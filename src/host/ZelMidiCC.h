// ZelMidiCC: MIDI CC assignments of parameters, and the controller handling of every MIDI event.
#pragma once

#include "engine/PluginHandlers.h"
#include "engine/PluginHost.h"
#include "engine/SnapshotSlot.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One assignment: a controller number that drives the parameter with this display name.
struct TMidiCCItem {
  int32_t CCNumber = 0;
  std::string ParameterName;
};

// The assignments in insertion order (the order of the payload and of applying a controller). A
// parameter name occurs at most once; a controller number may drive several parameters.
// User-interface thread only; the audio thread reads the published snapshot (TMidiCCHandler).
class TMidiCCList {
public:
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  TMidiCCItem& Items(int32_t index) { return *FItems.at(static_cast<std::size_t>(index)); }
  const TMidiCCItem& Items(int32_t index) const { return *FItems.at(static_cast<std::size_t>(index)); }
  // Index of the first item whose ParameterName equals `name` (exact), -1 when none.
  int32_t IndexOfName(std::string_view name) const;
  // Appends an item for a name not yet in the list; either way its CCNumber becomes `number`.
  TMidiCCItem& AddOrUpdate(std::string_view name, int32_t number);
  void Delete(int32_t index);
  void Clear() { FItems.clear(); }

private:
  std::vector<std::unique_ptr<TMidiCCItem>> FItems;
};

// An assignment as the audio thread applies it: names already resolved to a parameter and its range.
struct TMidiCCAssignment {
  int32_t ParameterIndex = -1;
  int32_t CCNumber = 0;
  float Min = 0.0f;
  float Max = 0.0f;
};

// What the controller handling needs from the module.
class TMidiCCTarget {
public:
  virtual ~TMidiCCTarget() = default;
  // Audio thread; no allocation, no locks: the automated path of a parameter (change handler, editor
  // refresh, the host's automate call).
  virtual void SetParameterAutomated(int32_t index, float value) = 0;
  // Any thread.
  virtual void SetEditorNeedsUpdate() = 0;
};

// The controller handling of Part "MIDI CC learn": the CC mode, learning and the mapping of
// controller values onto parameters. The audio thread never waits: it reads an immutable snapshot of
// the assignments, and a learned controller goes back to the user-interface thread as one number.
class TMidiCCHandler {
public:
  explicit TMidiCCHandler(TMidiCCTarget& target);
  ~TMidiCCHandler();
  TMidiCCHandler(const TMidiCCHandler&) = delete;
  TMidiCCHandler& operator=(const TMidiCCHandler&) = delete;

  // Resolves a parameter name to its index and range; false for a name with no parameter.
  using TResolver = std::function<bool(std::string_view name, TMidiCCAssignment& assignment)>;
  // User-interface thread: makes the list's current assignments the ones the audio thread applies.
  // Assignments whose name has no parameter are left out (they stay in the list).
  void Publish(const TMidiCCList& list, const TResolver& resolve);

  // Any thread.
  TMidiCCMode Mode() const { return FMode.load(std::memory_order_relaxed); }
  void SetMode(TMidiCCMode mode);
  // User-interface thread: a learn target is set (armed) or gone. Only an armed handler in ccmLearn
  // learns; a controller in ccmLearn without a target is ignored.
  void SetArmed(bool armed) { FArmed.store(armed, std::memory_order_release); }
  bool Armed() const { return FArmed.load(std::memory_order_acquire); }
  // User-interface thread: the controller number the audio thread learned since the last call, -1
  // when none.
  int32_t TakeLearned() { return FLearned.exchange(-1, std::memory_order_acquire); }

  // Audio thread; no allocation, no locks. The controller handling of one incoming MIDI event.
  void ProcessMidi(const TMidiInEvent& event);

  // The value a controller value 0..127 gives a parameter with this range.
  static float MapValue(float min, float max, int32_t controllerValue);

private:
  struct TSnapshot {
    std::vector<TMidiCCAssignment> Items;
  };

  TMidiCCTarget& FTarget;
  // Read by the audio thread, published by the user-interface thread.
  TSnapshotSlot<TSnapshot> FSnapshot;
  // A lone mode value; nothing else is published with it.
  std::atomic<TMidiCCMode> FMode{ccmNone};
  std::atomic<bool> FArmed{false};
  // Release on the audio side pairs with the acquire in TakeLearned.
  std::atomic<int32_t> FLearned{-1};
};
