// WinampDspWindows: the Winamp DSP entry (winampDSPGetHeader2) that runs a plug-in instance inside Winamp.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The records of the published Winamp DSP interface, header version 0x20. Winamp reads them by
// layout, so field order and types are fixed; the functions use the C calling convention.
struct TWinampDspModule {
  char* Description;
  HWND ParentWindow;     // filled in by Winamp
  HINSTANCE DllInstance; // filled in by Winamp
  void(__cdecl* Config)(TWinampDspModule* module);
  // 0 on success.
  int(__cdecl* Init)(TWinampDspModule* module);
  // samples: interleaved; frames: samples per channel. Answers the number of frames to play.
  int(__cdecl* ModifySamples)(TWinampDspModule* module, short int* samples, int frames, int bitsPerSample,
                              int channels, int sampleRate);
  void(__cdecl* Quit)(TWinampDspModule* module);
  void* UserData;
};

struct TWinampDspHeader {
  int Version;
  char* Description;
  TWinampDspModule*(__cdecl* GetModule)(int index);
};

namespace WinampDsp {
constexpr int HeaderVersion = 0x20;
} // namespace WinampDsp

extern "C" TWinampDspHeader* __cdecl winampDSPGetHeader2(HWND parentWindow);
