// DynamicLibrary: opens a shared library and looks up its exported functions (dlopen / LoadLibrary).
#pragma once

#include <string>

class TDynamicLibrary {
public:
  TDynamicLibrary() = default;
  ~TDynamicLibrary();
  TDynamicLibrary(const TDynamicLibrary&) = delete;
  TDynamicLibrary& operator=(const TDynamicLibrary&) = delete;

  // False with ErrorText() set when the file cannot be loaded as a library.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return FHandle != nullptr; }
  // Null when the library exports no such symbol.
  void* Symbol(const char* name) const;
  // The loader's own reason for the last failure, on one line.
  const std::string& ErrorText() const { return FErrorText; }

private:
  void* FHandle = nullptr;
  std::string FErrorText;
};
