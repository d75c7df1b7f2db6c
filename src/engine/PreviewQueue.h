// PreviewQueue: the editor's preview notes on their way from the user-interface to the audio thread.
#pragma once

#include "engine/SpscQueue.h"

#include <cstdint>

enum TPreviewKind : uint8_t { pvkPlayTrigger, pvkStopTrigger, pvkPlayNote, pvkStopNote };

struct TPreviewCommand {
  TPreviewKind Kind = pvkPlayTrigger;
  int32_t Note = 0;
  int32_t Velocity = 0;
};

// Producer: the user-interface thread (the four preview operations). Consumer: the block handler,
// which runs every command at the new block's start. A full queue drops the preview.
class TPreviewQueue {
public:
  static constexpr std::size_t Capacity = 256;

  bool Push(const TPreviewCommand& command) noexcept { return FQueue.Push(command); }
  bool Pop(TPreviewCommand& command) noexcept { return FQueue.Pop(command); }
  bool Peek(TPreviewCommand& command) const noexcept { return FQueue.Peek(command); }

private:
  TSpscQueue<TPreviewCommand, Capacity> FQueue;
};
