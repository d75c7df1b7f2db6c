// OutputChecker: the rules every block of the plug-in's MIDI output keeps, checked message by message.
#pragma once

#include <array>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

// Feed it each block's messages in delivery order. It records the first problems it finds: a second
// note-on of a sounding channel and pitch, a note-off of a silent one, an offset outside the block,
// offsets going backwards, more than 1023 messages in a block.
class TOutputChecker {
public:
  static constexpr std::size_t MaxProblems = 20;

  struct TMessage {
    uint8_t Status;
    uint8_t Data1;
    uint8_t Data2;
    int32_t Offset;
  };

  void Block(const std::vector<TMessage>& messages, int32_t frames) {
    if (messages.size() > 1023) {
      Problem("block " + std::to_string(FBlock) + " has " + std::to_string(messages.size()) + " messages");
    }
    int32_t last = 0;
    for (const TMessage& m : messages) {
      ++FMessages;
      if (m.Offset < 0 || m.Offset >= frames) {
        Problem("offset " + std::to_string(m.Offset) + " outside a block of " + std::to_string(frames));
      }
      if (m.Offset < last) {
        Problem("offset " + std::to_string(m.Offset) + " after " + std::to_string(last));
      }
      last = m.Offset;
      const int32_t kind = m.Status & 0xF0;
      const int32_t channel = m.Status & 0x0F;
      bool& on = FOn[static_cast<std::size_t>(channel * 128 + (m.Data1 & 0x7F))];
      if (kind == 0x90 && m.Data2 > 0) {
        if (on) {
          Problem("second note-on " + Describe(m));
        }
        on = true;
      } else if (kind == 0x80 || kind == 0x90) {
        if (!on) {
          Problem("note-off of a silent pitch " + Describe(m));
        }
        on = false;
      }
    }
    ++FBlock;
  }

  int32_t Sounding() const {
    int32_t count = 0;
    for (const bool on : FOn) {
      count += on ? 1 : 0;
    }
    return count;
  }
  int64_t Messages() const { return FMessages; }
  const std::vector<std::string>& Problems() const { return FProblems; }
  std::string Report() const {
    std::string text;
    for (const std::string& problem : FProblems) {
      text += problem + "\n";
    }
    return text;
  }

private:
  std::string Describe(const TMessage& m) const {
    std::ostringstream text;
    text << "channel " << (m.Status & 0x0F) << " pitch " << int(m.Data1) << " at " << m.Offset << " in block "
         << FBlock;
    return text.str();
  }
  void Problem(const std::string& text) {
    if (FProblems.size() < MaxProblems) {
      FProblems.push_back(text);
    }
  }

  std::array<bool, 16 * 128> FOn{};
  std::vector<std::string> FProblems;
  int64_t FBlock = 0;
  int64_t FMessages = 0;
};
