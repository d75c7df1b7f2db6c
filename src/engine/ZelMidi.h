// ZelMidi: note display (names, octaves with the display offset), number text, rounding, ms to samples.
#pragma once

#include <cstdint>
#include <string>

// The display octave offset applied by NoteOctave (the settings' "LowestOctave", -2..0). Process-wide,
// 0 when the library loads. Any thread; a relaxed atomic (a display value, nothing depends on it).
void SetDisplayOctaveOffset(int8_t offset);
int8_t DisplayOctaveOffset();

// "C", "C#", ... "B" for note mod 12 (sharps only; negative notes wrap upwards).
std::string NoteName(int32_t note);
// note div 12 (rounded down), plus the display octave offset unless absolute is set.
int32_t NoteOctave(int32_t note, bool absolute = false);
// NoteName followed by IntToText of NoteOctave: note 60 with the offset -2 is "C3".
std::string NoteText(int32_t note);

// "0", digits with a leading U+2212 minus for negatives, a leading "+" for positives when plus is set.
// UTF-8.
std::string IntToText(int32_t value, bool plus = false);
std::string Int64ToText(int64_t value, bool plus = false);

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double RoundHalfEven(double value);
float RoundHalfEven(float value);
long double RoundHalfEven(long double value);

// Milliseconds to samples, kept fractional: ms * (sampleRate / 1000).
double MsToSamples(double ms, double sampleRate);
