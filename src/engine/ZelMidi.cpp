// ZelMidi: note display (names, octaves with the display offset), number text, rounding, ms to samples.
#include "engine/ZelMidi.h"

#include <atomic>
#include <cmath>

namespace {
std::atomic<int8_t> GDisplayOctaveOffset{0};

constexpr const char* NoteNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
constexpr const char* MinusSign = "\xE2\x88\x92"; // U+2212

template <typename T> T RoundHalfEvenOf(T value) {
  if (!std::isfinite(value)) {
    return value;
  }
  const T lower = std::floor(value);
  const T difference = value - lower;
  if (difference < T(0.5)) {
    return lower;
  }
  if (difference > T(0.5)) {
    return lower + T(1);
  }
  return std::fmod(lower, T(2)) == T(0) ? lower : lower + T(1);
}
} // namespace

void SetDisplayOctaveOffset(int8_t offset) {
  GDisplayOctaveOffset.store(offset, std::memory_order_relaxed);
}

int8_t DisplayOctaveOffset() {
  return GDisplayOctaveOffset.load(std::memory_order_relaxed);
}

std::string NoteName(int32_t note) {
  return NoteNames[((note % 12) + 12) % 12];
}

int32_t NoteOctave(int32_t note, bool absolute) {
  const int32_t octave = (note - (((note % 12) + 12) % 12)) / 12;
  return absolute ? octave : octave + DisplayOctaveOffset();
}

std::string NoteText(int32_t note) {
  return NoteName(note) + IntToText(NoteOctave(note));
}

std::string IntToText(int32_t value, bool plus) {
  return Int64ToText(value, plus);
}

std::string Int64ToText(int64_t value, bool plus) {
  if (value == 0) {
    return "0";
  }
  // Unsigned magnitude so the most negative value has a text too.
  const uint64_t magnitude =
      value < 0 ? uint64_t(0) - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string text = std::to_string(magnitude);
  if (value < 0) {
    return MinusSign + text;
  }
  return plus ? "+" + text : text;
}

double RoundHalfEven(double value) {
  return RoundHalfEvenOf(value);
}
float RoundHalfEven(float value) {
  return RoundHalfEvenOf(value);
}
long double RoundHalfEven(long double value) {
  return RoundHalfEvenOf(value);
}

double MsToSamples(double ms, double sampleRate) {
  return ms * (sampleRate / 1000.0);
}
