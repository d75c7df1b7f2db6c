// TriaxoSession: the built Triaxo plug-in under the command-line host's TVstHost, with the block
// bookkeeping that the plug-in tests share.
#pragma once

#include "VstHost.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#ifndef TRIAXO_PLUGIN_PATH
#error "TriaxoSession.h needs TRIAXO_PLUGIN_PATH, the built plug-in"
#endif

// The built plug-in's path as this program's loader reads it: the Windows tests run under Wine, whose
// drive Z: is the Linux root of the build tree.
inline std::string TriaxoPluginPath() {
  std::string path = TRIAXO_PLUGIN_PATH;
#if defined(_WIN32)
  if (!path.empty() && path[0] == '/')
    path = "Z:" + path;
  path = std::filesystem::path(path).make_preferred().string();
#endif
  return path;
}

// One handle on the plug-in for the whole test program. Every TVstHost unloads its own handle on
// Close; with this one open that only lowers the loader's count. So Triaxo's statics (its settings,
// and JUCE's singletons when it carries the editor) start once and live from the first test to the
// last, instead of being torn down and built again between tests, which JUCE-carrying libraries do
// not survive within one process; and the code behind an effect record that a test keeps calling
// after effClose stays mapped. Never closed: unloading at exit would run those destructors after
// the test program's own.
inline const TDynamicLibrary& TriaxoLibrary() {
  static const TDynamicLibrary* library = [] {
    auto* opened = new TDynamicLibrary;
    if (!opened->Open(TriaxoPluginPath()))
      throw std::runtime_error("cannot load the plug-in: " + opened->ErrorText());
    return opened;
  }();
  return *library;
}

// The plug-in's VST entry, for calls that no host would make (a null callback).
inline vst::PluginEntryProc TriaxoEntry() {
  return reinterpret_cast<vst::PluginEntryProc>(TriaxoLibrary().Symbol("VSTPluginMain"));
}

// A host with Triaxo loaded. Blocks follow each other on the session's own time line; the transport
// that the next block reports is the public Transport, whose position advances while it plays.
class TTriaxoSession : public TVstHost {
public:
  THostTransport Transport;

  // VSTPluginMain only (no effOpen). Throws EHostError, a plug-in refusing to start among them.
  void Create() {
    TriaxoLibrary();
    Load(TriaxoPluginPath());
  }
  // Create, then the host's start sequence (effOpen, rate, block size, resume, start of processing).
  void Open(double sampleRate = 44100.0, int32_t maxBlockSize = 512) {
    Create();
    Start(sampleRate, maxBlockSize);
  }
  // One processing call with the events; the frame count reaches the plug-in as given.
  void Process(int32_t frames, const std::vector<THostMidiEvent>& events = {}) {
    ProcessBlock(events, frames, FBlockStart, Transport);
    FBlockStart += std::max(frames, 0);
    if (Transport.Playing)
      Transport.SamplePosition += frames;
  }

private:
  int64_t FBlockStart = 0;
};
