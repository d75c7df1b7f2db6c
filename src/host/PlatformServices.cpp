// PlatformServices: the process-wide choice between the native services and an installed stand-in.
#include "host/PlatformServices.h"

#include <atomic>
#include <cstdio>

namespace {
// Installed and read on the user-interface thread; atomic only so that a stray read elsewhere sees a
// whole pointer. Acquire/release so an object built just before installing is seen complete.
std::atomic<TPlatformServices*> InstalledPlatform{nullptr};
} // namespace

TPlatformServices& Platform() {
  TPlatformServices* installed = InstalledPlatform.load(std::memory_order_acquire);
  return installed != nullptr ? *installed : NativePlatform();
}

void SetPlatform(TPlatformServices* platform) {
  InstalledPlatform.store(platform, std::memory_order_release);
}

bool TPlatformServices::RemoveFile(const std::string& path) {
  return std::remove(path.c_str()) == 0;
}
