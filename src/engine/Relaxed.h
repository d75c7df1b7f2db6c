// Relaxed: a scalar shared between the editor and audio threads without ordering needs.
#pragma once

#include <atomic>

// A setup field that the editor or host writes while the audio thread reads it. Each read or write is
// one whole value; no other memory depends on it, so relaxed order is enough. Reads and writes look
// like those of a plain field.
template <typename T> class TRelaxed {
public:
  TRelaxed(T value = T()) noexcept : FValue(value) {}
  TRelaxed(const TRelaxed& other) noexcept : FValue(other.Load()) {}
  TRelaxed& operator=(const TRelaxed& other) noexcept {
    Store(other.Load());
    return *this;
  }
  TRelaxed& operator=(T value) noexcept {
    Store(value);
    return *this;
  }
  operator T() const noexcept { return Load(); }
  T Load() const noexcept { return FValue.load(std::memory_order_relaxed); }
  void Store(T value) noexcept { FValue.store(value, std::memory_order_relaxed); }

private:
  std::atomic<T> FValue;
};
