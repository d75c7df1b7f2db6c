// SpscQueue: a fixed-capacity single-producer single-consumer queue for hand-over between threads.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>

// One thread pushes, one other thread pops; both sides are wait-free and never allocate. A full queue
// refuses the push (the caller decides what dropping means).
template <typename T, std::size_t Capacity> class TSpscQueue {
  static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "capacity must be a power of two");

public:
  // Producer thread.
  bool Push(const T& item) noexcept {
    const std::size_t tail = FTail.load(std::memory_order_relaxed); // only this thread writes it
    // acquire: the consumer finished reading the slot before it advanced the head past it.
    if (tail - FHead.load(std::memory_order_acquire) >= Capacity) {
      return false;
    }
    FSlots[tail & (Capacity - 1)] = item;
    // release: the slot's contents are visible before the consumer sees the new tail.
    FTail.store(tail + 1, std::memory_order_release);
    return true;
  }

  // Consumer thread.
  bool Pop(T& item) noexcept {
    const std::size_t head = FHead.load(std::memory_order_relaxed); // only this thread writes it
    if (head == FTail.load(std::memory_order_acquire)) {            // acquire pairs with the push's release
      return false;
    }
    item = FSlots[head & (Capacity - 1)];
    FHead.store(head + 1, std::memory_order_release); // release: the slot may now be reused
    return true;
  }

  // Consumer thread: the oldest item without taking it; false when empty.
  bool Peek(T& item) const noexcept {
    const std::size_t head = FHead.load(std::memory_order_relaxed); // only this thread writes it
    if (head == FTail.load(std::memory_order_acquire)) {            // acquire pairs with the push's release
      return false;
    }
    item = FSlots[head & (Capacity - 1)];
    return true;
  }

  // Consumer thread: drops everything queued so far.
  void Discard() noexcept {
    T item;
    while (Pop(item)) {
    }
  }

private:
  std::array<T, Capacity> FSlots{};
  alignas(64) std::atomic<std::size_t> FHead{0};
  alignas(64) std::atomic<std::size_t> FTail{0};
};
