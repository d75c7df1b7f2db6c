// BenchHost: the module stand-in every benchmark drives: a rolling transport at 44.1 kHz whose output
// list counts and discards what is sent and never fills (the benchmarks time the engine's own work for
// every due event; the real module's cap only spreads it over blocks). With Cap set it takes at most
// that many messages per processing call, as the module's list does (1023).
#pragma once

#include "engine/PluginHost.h"

#include <cstdint>
#include <string_view>

constexpr float BenchSampleRate = 44100.0f;

class TBenchHost : public TPluginHost {
public:
  double Position = 0.0;
  int64_t Sent = 0;
  int32_t Cap = 1 << 30;
  int32_t SentInCall = 0; // the caller resets it before each processing call

  TTimeInfo GetTimeInfo() override { return {Position, true}; }
  float SampleRate() const override { return BenchSampleRate; }
  void QueueMidiMessage(uint8_t, uint8_t, uint8_t, int32_t) override {
    ++Sent;
    ++SentInCall;
  }
  int32_t OutputRoom() const override { return Cap - SentInCall; }
  TMidiCCMode CCMode() const override { return ccmNone; }
  void SetCCMode(TMidiCCMode) override {}
  void SetEditorNeedsUpdate() override {}
  void SetParameterByName(std::string_view, float) override {}
};
