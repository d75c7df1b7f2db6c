#include "DynamicLibrary.h"

#include <windows.h>

TDynamicLibrary::~TDynamicLibrary() {
  Close();
}

bool TDynamicLibrary::Open(const std::string& path) {
  Close();
  FHandle = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
  if (FHandle == nullptr) {
    FErrorText = "LoadLibrary failed with error " + std::to_string(GetLastError());
    return false;
  }
  FErrorText.clear();
  return true;
}

void TDynamicLibrary::Close() {
  if (FHandle != nullptr)
    FreeLibrary(reinterpret_cast<HMODULE>(FHandle));
  FHandle = nullptr;
}

void* TDynamicLibrary::Symbol(const char* name) const {
  return FHandle != nullptr
             ? reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(FHandle), name))
             : nullptr;
}
