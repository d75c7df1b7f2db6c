#include "DynamicLibrary.h"

#include <dlfcn.h>

TDynamicLibrary::~TDynamicLibrary() {
  Close();
}

bool TDynamicLibrary::Open(const std::string& path) {
  Close();
  // RTLD_LOCAL keeps two plug-ins (or a plug-in and this host) from resolving each other's symbols.
  FHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (FHandle == nullptr) {
    const char* reason = dlerror();
    FErrorText = reason != nullptr ? reason : "unknown loader error";
    for (char& c : FErrorText)
      if (c == '\n')
        c = ' ';
    return false;
  }
  FErrorText.clear();
  return true;
}

void TDynamicLibrary::Close() {
  if (FHandle != nullptr)
    dlclose(FHandle);
  FHandle = nullptr;
}

void* TDynamicLibrary::Symbol(const char* name) const {
  return FHandle != nullptr ? dlsym(FHandle, name) : nullptr;
}
