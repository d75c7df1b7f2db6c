// HeapCounting: replaces the global operator new and delete of a test program with ones that count
// the calls made on a counting thread. Include it in exactly one file of a test program.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdlib>
#if defined(_WIN32)
#include <malloc.h>
#endif
#include <new>

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
#define TRIAXO_COUNT_ALLOCATIONS 0 // the sanitizers bring their own allocator
#else
#define TRIAXO_COUNT_ALLOCATIONS 1
#endif

namespace {
thread_local bool GCounting = false;
std::atomic<int64_t> GHeapCalls{0};

// Counts heap calls of this thread for its lifetime.
class THeapCounter {
public:
  THeapCounter() {
    GHeapCalls = 0;
    GCounting = true;
  }
  ~THeapCounter() { GCounting = false; }
  int64_t Calls() const { return GHeapCalls.load(); }
};
} // namespace

#if TRIAXO_COUNT_ALLOCATIONS
namespace {
void Count() {
  if (GCounting) {
    GHeapCalls.fetch_add(1, std::memory_order_relaxed);
  }
}
void* Allocate(std::size_t size) {
  Count();
  if (void* p = std::malloc(size == 0 ? 1 : size)) {
    return p;
  }
  throw std::bad_alloc();
}
void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
  Count();
  const auto align = static_cast<std::size_t>(alignment);
  const std::size_t rounded = (size + align - 1) / align * align;
#if defined(_WIN32) // the Windows C runtime has no aligned_alloc; its aligned blocks have their own free
  if (void* p = _aligned_malloc(rounded == 0 ? align : rounded, align)) {
#else
  if (void* p = std::aligned_alloc(align, rounded == 0 ? align : rounded)) {
#endif
    return p;
  }
  throw std::bad_alloc();
}
void Release(void* p) {
  if (p != nullptr) {
    Count();
    std::free(p);
  }
}
void ReleaseAligned(void* p) {
#if defined(_WIN32)
  if (p != nullptr) {
    Count();
    _aligned_free(p);
  }
#else
  Release(p);
#endif
}
} // namespace

void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return AllocateAligned(size, alignment);
}
void operator delete(void* p) noexcept {
  Release(p);
}
void operator delete[](void* p) noexcept {
  Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
  Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  Release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
  ReleaseAligned(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  ReleaseAligned(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
  ReleaseAligned(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
  ReleaseAligned(p);
}
#endif
