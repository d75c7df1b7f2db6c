// PluginHost: what the chord engine asks of the module layer it runs in (time, MIDI out, modes).
#pragma once

#include <cstdint>
#include <string_view>

// The host's transport as the engine needs it. A host that gives no time information is treated as
// stopped at position 0.
struct TTimeInfo {
  double SamplePosition = 0.0;
  bool Playing = false;
};

enum TMidiCCMode : int32_t { ccmNone = 0, ccmLearn = 1, ccmSetCC = 2, ccmLearnOctave = 3 };

// Implemented by the host-facing module (and by test stand-ins). The engine never sees the plug-in
// format: it asks for time, queues outgoing MIDI and raises the editor flag through this interface.
class TPluginHost {
public:
  virtual ~TPluginHost() = default;

  // Audio thread; no allocation, no locks. Asks the host once for its transport.
  virtual TTimeInfo GetTimeInfo() = 0;
  // Any thread. Hz.
  virtual float SampleRate() const = 0;
  // Audio thread; no allocation, no locks. Appends one message to the current block's output list;
  // a full list drops it.
  virtual void QueueMidiMessage(uint8_t status, uint8_t data1, uint8_t data2, int32_t deltaFrames) = 0;
  // Audio thread; no allocation, no locks. How many more messages the current processing call's
  // output list delivers; the engine keeps back what does not fit for the next block. Asked once at
  // the start of the call: every message queued after it takes one.
  virtual int32_t OutputRoom() const = 0;

  // Any thread.
  virtual TMidiCCMode CCMode() const = 0;
  virtual void SetCCMode(TMidiCCMode mode) = 0;
  // Any thread: the next editor-idle request refreshes the editor.
  virtual void SetEditorNeedsUpdate() = 0;

  // User-interface thread: sets a parameter by its display name through the automated path (change
  // handler, then the host's automate call). Throws std::runtime_error("Unknown parameter name: X").
  virtual void SetParameterByName(std::string_view name, float value) = 0;

  // The outgoing MIDI operations. Audio thread; no allocation, no locks.
  void SendNoteOff(int32_t channel, int32_t note, int32_t velocity, int32_t offset) {
    Send(0x80, channel, note, velocity, offset);
  }
  void SendNoteOn(int32_t channel, int32_t note, int32_t velocity, int32_t offset) {
    Send(0x90, channel, note, velocity, offset);
  }
  void SendPolyPressure(int32_t channel, int32_t note, int32_t pressure, int32_t offset) {
    Send(0xA0, channel, note, pressure, offset);
  }
  void SendControlChange(int32_t channel, int32_t controller, int32_t value, int32_t offset) {
    Send(0xB0, channel, controller, value, offset);
  }
  void SendChannelPressure(int32_t channel, int32_t pressure, int32_t offset) {
    Send(0xD0, channel, pressure, 0, offset);
  }
  void SendPitchBend(int32_t channel, int32_t lsb, int32_t msb, int32_t offset) {
    Send(0xE0, channel, lsb, msb, offset);
  }

private:
  // The status byte is status + channel modulo 256; data bytes go out unchanged.
  void Send(int32_t status, int32_t channel, int32_t data1, int32_t data2, int32_t offset) {
    QueueMidiMessage(static_cast<uint8_t>(status + channel), static_cast<uint8_t>(data1),
                     static_cast<uint8_t>(data2), offset);
  }
};
