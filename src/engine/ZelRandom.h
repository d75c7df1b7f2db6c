// ZelRandom: the process-wide 32-bit linear congruential generator shared by all plug-in instances.
#pragma once

#include <cstdint>

// Any thread, including the audio thread (lock-free, no allocation). Every draw advances
// state <- state * 134775813 + 1 (mod 2^32) and returns the high 32 bits of state * range, a value in
// 0..range-1 (0 for range 0).
uint32_t Random(uint32_t range);
// A uniform integer in 0..maximum (maximum >= 0; 0 for negative maximum).
int32_t RandomUpTo(int32_t maximum);

void Seed(uint32_t value);
void SeedFromClock();
uint32_t RandomState();
