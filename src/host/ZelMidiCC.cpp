#include "host/ZelMidiCC.h"

#include <cmath>
#include <thread>

int32_t TMidiCCList::IndexOfName(std::string_view name) const {
  for (std::size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i]->ParameterName == name)
      return static_cast<int32_t>(i);
  return -1;
}

TMidiCCItem& TMidiCCList::AddOrUpdate(std::string_view name, int32_t number) {
  int32_t index = IndexOfName(name);
  if (index < 0) {
    auto item = std::make_unique<TMidiCCItem>();
    item->ParameterName = std::string(name);
    FItems.push_back(std::move(item));
    index = Count() - 1;
  }
  TMidiCCItem& item = *FItems[static_cast<std::size_t>(index)];
  item.CCNumber = number;
  return item;
}

void TMidiCCList::Delete(int32_t index) {
  if (index >= 0 && index < Count())
    FItems.erase(FItems.begin() + index);
}

TMidiCCHandler::TMidiCCHandler(TMidiCCTarget& target) : FTarget(target) {}

TMidiCCHandler::~TMidiCCHandler() = default;

void TMidiCCHandler::Publish(const TMidiCCList& list, const TResolver& resolve) {
  auto fresh = std::make_unique<TSnapshot>();
  fresh->Items.reserve(static_cast<std::size_t>(list.Count()));
  for (int32_t i = 0; i < list.Count(); ++i) {
    TMidiCCAssignment assignment;
    if (resolve && resolve(list.Items(i).ParameterName, assignment)) {
      assignment.CCNumber = list.Items(i).CCNumber;
      fresh->Items.push_back(assignment);
    }
  }
  FSnapshot.Publish(std::move(fresh));
}

void TMidiCCHandler::SetMode(TMidiCCMode mode) {
  FMode.store(mode, std::memory_order_relaxed);
  if (mode != ccmLearn)
    FArmed.store(false, std::memory_order_release);
}

float TMidiCCHandler::MapValue(float min, float max, int32_t controllerValue) {
  const long double span =
      std::fabs(static_cast<long double>(min)) + std::fabs(static_cast<long double>(max));
  return static_cast<float>(static_cast<long double>(min) + span * controllerValue / 127.0L);
}

void TMidiCCHandler::ProcessMidi(const TMidiInEvent& event) {
  if ((event.Data[0] & 0xF0) != 0xB0)
    return;
  const int32_t number = event.Data[1] & 0x7F;
  const int32_t value = event.Data[2] & 0x7F;

  if (Mode() == ccmLearn) {
    // Only the first controller after arming is learned; its value is not applied. The assignment
    // itself is made on the user-interface thread, which owns the list and the target's name.
    if (FArmed.exchange(false, std::memory_order_acq_rel)) {
      FLearned.store(number, std::memory_order_release);
      FMode.store(ccmNone, std::memory_order_relaxed);
      FTarget.SetEditorNeedsUpdate();
    }
    return;
  }

  const TSnapshotSlot<TSnapshot>::TReader snapshot(FSnapshot);
  if (!snapshot)
    return;
  for (const TMidiCCAssignment& assignment : snapshot->Items)
    if (assignment.CCNumber == number)
      FTarget.SetParameterAutomated(assignment.ParameterIndex,
                                    MapValue(assignment.Min, assignment.Max, value));
}
