// ZelRandom: the process-wide 32-bit linear congruential generator shared by all plug-in instances.
#include "engine/ZelRandom.h"

#include <atomic>
#include <chrono>

namespace {
constexpr uint32_t Multiplier = 134775813u;
std::atomic<uint32_t> GState{0};
} // namespace

uint32_t Random(uint32_t range) {
  uint32_t state = GState.load(std::memory_order_relaxed);
  uint32_t next = 0;
  // Relaxed: the state is the only data; the CAS alone keeps concurrent draws from repeating a value.
  do {
    next = state * Multiplier + 1u;
  } while (!GState.compare_exchange_weak(state, next, std::memory_order_relaxed, std::memory_order_relaxed));
  return static_cast<uint32_t>((static_cast<uint64_t>(next) * range) >> 32);
}

int32_t RandomUpTo(int32_t maximum) {
  if (maximum <= 0) {
    return 0;
  }
  return static_cast<int32_t>(Random(static_cast<uint32_t>(maximum) + 1u));
}

void Seed(uint32_t value) {
  GState.store(value, std::memory_order_relaxed);
}

void SeedFromClock() {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count() ^
                     std::chrono::system_clock::now().time_since_epoch().count();
  Seed(static_cast<uint32_t>(ticks) ^ static_cast<uint32_t>(static_cast<uint64_t>(ticks) >> 32));
}

uint32_t RandomState() {
  return GState.load(std::memory_order_relaxed);
}
