// WinampDspWindows: the Winamp DSP entry (winampDSPGetHeader2) that runs a plug-in instance inside Winamp.
#include "plugin/WinampDspWindows.h"

#include "host/VSTInterface.h"

#include "TriaxoVersion.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

extern "C" vst::AEffect* VST_CALL VSTPluginMain(vst::AudioMasterCallback audioMaster);

namespace {

constexpr int32_t BlockFrames = 1024;
constexpr float DefaultSampleRate = 44100.0f;
constexpr DWORD QuitDelayMs = 5;
constexpr const wchar_t* ConfigWindowClass = L"TriaxoWinampDspConfig";
constexpr const wchar_t* ConfigWindowTitle = L"Triaxo";
constexpr int ConfigWindowWidth = 360;
constexpr int ConfigWindowHeight = 200;
constexpr char HostProduct[] = "Winamp";

char HeaderDescription[] = "Ventrakis Triaxo " TRIAXO_VERSION_TEXT;
char ModuleDescription[] = "Triaxo";

// One plug-in instance running inside Winamp, with the output buffers its processing writes to.
// The instance's audio outputs carry silence, so they go to these buffers and never over Winamp's
// samples.
struct TWinampInstance {
  vst::AEffect* Effect = nullptr;
  float SampleRate = DefaultSampleRate;
  std::vector<float> Left;
  std::vector<float> Right;
};

vst::VstIntPtr VST_CALL HostCallback(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr,
                                     void* ptr, float) {
  switch (opcode) {
  case vst::audioMasterVersion:
    return vst::kVstVersion;
  case vst::audioMasterGetProductString:
    if (ptr != nullptr) {
      std::memcpy(ptr, HostProduct, sizeof(HostProduct));
      return 1;
    }
    return 0;
  default:
    return 0;
  }
}

vst::VstIntPtr Dispatch(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index = 0,
                        vst::VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
  return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void CloseInstance(TWinampInstance* instance) {
  if (instance->Effect != nullptr) {
    Dispatch(instance->Effect, vst::effMainsChanged, 0, 0);
    Dispatch(instance->Effect, vst::effClose);
    instance->Effect = nullptr;
  }
  delete instance;
}

HINSTANCE ThisLibrary(TWinampDspModule* module) {
  if (module->DllInstance != nullptr) {
    return module->DllInstance;
  }
  HMODULE library = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisLibrary), &library);
  return library;
}

LRESULT CALLBACK ConfigWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    DestroyWindow(window);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// A plain empty window, modal over Winamp's: the module has nothing to configure.
void __cdecl Config(TWinampDspModule* module) {
  HINSTANCE library = ThisLibrary(module);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = ConfigWindowProc;
  windowClass.hInstance = library;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = ConfigWindowClass;
  if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return;
  }
  HWND owner =
      module->ParentWindow != nullptr && IsWindow(module->ParentWindow) ? module->ParentWindow : nullptr;
  HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME, ConfigWindowClass, ConfigWindowTitle,
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                                ConfigWindowWidth, ConfigWindowHeight, owner, nullptr, library, nullptr);
  if (window == nullptr) {
    return;
  }
  if (owner != nullptr) {
    RECT ownerRect{};
    GetWindowRect(owner, &ownerRect);
    SetWindowPos(window, nullptr, ownerRect.left + (ownerRect.right - ownerRect.left - ConfigWindowWidth) / 2,
                 ownerRect.top + (ownerRect.bottom - ownerRect.top - ConfigWindowHeight) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EnableWindow(owner, FALSE);
  }
  ShowWindow(window, SW_SHOWNORMAL);
  MSG message{};
  while (IsWindow(window)) {
    BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) {
        PostQuitMessage(static_cast<int>(message.wParam)); // WM_QUIT belongs to Winamp's own loop
      }
      break;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (IsWindow(window)) {
    DestroyWindow(window);
  }
  if (owner != nullptr) {
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
  }
}

int __cdecl Init(TWinampDspModule* module) {
  if (module->UserData != nullptr) {
    CloseInstance(static_cast<TWinampInstance*>(module->UserData));
    module->UserData = nullptr;
  }
  try {
    auto instance = std::make_unique<TWinampInstance>();
    instance->Left.assign(BlockFrames, 0.0f);
    instance->Right.assign(BlockFrames, 0.0f);
    instance->Effect = VSTPluginMain(HostCallback);
    if (instance->Effect == nullptr) {
      return 1;
    }
    Dispatch(instance->Effect, vst::effOpen);
    Dispatch(instance->Effect, vst::effSetSampleRate, 0, 0, nullptr, instance->SampleRate);
    Dispatch(instance->Effect, vst::effSetBlockSize, 0, BlockFrames);
    Dispatch(instance->Effect, vst::effMainsChanged, 0, 1);
    module->UserData = instance.release();
    return 0;
  } catch (...) {
    return 1;
  }
}

// Winamp's playback thread; no allocation. The instance's replacing process runs over the buffer's
// frames in blocks of the size it was prepared for; Winamp's samples stay as they are.
int __cdecl ModifySamples(TWinampDspModule* module, short int*, int frames, int, int, int sampleRate) {
  auto* instance = static_cast<TWinampInstance*>(module->UserData);
  if (instance == nullptr || instance->Effect == nullptr || frames <= 0) {
    return frames;
  }
  vst::AEffect* effect = instance->Effect;
  if (sampleRate > 0 && static_cast<float>(sampleRate) != instance->SampleRate) {
    instance->SampleRate = static_cast<float>(sampleRate);
    Dispatch(effect, vst::effMainsChanged, 0, 0);
    Dispatch(effect, vst::effSetSampleRate, 0, 0, nullptr, instance->SampleRate);
    Dispatch(effect, vst::effMainsChanged, 0, 1);
  }
  float* outputs[2] = {instance->Left.data(), instance->Right.data()};
  for (int done = 0; done < frames;) {
    int32_t block = std::min<int32_t>(BlockFrames, frames - done);
    effect->processReplacing(effect, nullptr, outputs, block);
    done += block;
  }
  return frames;
}

void __cdecl Quit(TWinampDspModule* module) {
  // Gives a processing call that Winamp may still have in flight on its playback thread time to end.
  Sleep(QuitDelayMs);
  if (module->UserData != nullptr) {
    CloseInstance(static_cast<TWinampInstance*>(module->UserData));
    module->UserData = nullptr;
  }
}

TWinampDspModule Module{ModuleDescription, nullptr, nullptr, Config, Init, ModifySamples, Quit, nullptr};

TWinampDspModule* __cdecl GetModule(int index) {
  return index == 0 ? &Module : nullptr;
}

TWinampDspHeader Header{WinampDsp::HeaderVersion, HeaderDescription, GetModule};

} // namespace

extern "C" TWinampDspHeader* __cdecl winampDSPGetHeader2(HWND) {
  return &Header;
}
