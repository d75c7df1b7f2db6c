#include "gui/ZelJuceRuntime.h"

#include "gui/ZelLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <mutex>

#if JUCE_LINUX || JUCE_BSD
#include <dlfcn.h>
#endif
#if JUCE_WINDOWS
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace juce {
// JUCE's own per-platform queue step; declared here because its header keeps it private.
bool dispatchNextMessageOnSystemQueue(bool returnIfNoPendingMessages);
#if JUCE_WINDOWS
// JUCE's hidden window that receives its posted messages (async calls, timers, repaints).
extern HWND juce_messageWindowHandle;
#endif
} // namespace juce

namespace {
std::mutex RuntimeMutex;
int RuntimeUsers = 0;
std::unique_ptr<TZelLookAndFeel> DefaultLook;

#if JUCE_LINUX || JUCE_BSD
// Xlib's default error handler ends the process, and JUCE installs its own only for applications.
// A plug-in must never take the host down over a bad atom or a vanished window: log and go on.
using TXErrorHandler = int (*)(void*, void*);
using TXSetErrorHandler = TXErrorHandler (*)(TXErrorHandler);
TXErrorHandler PreviousXErrorHandler = nullptr;
bool XHandlerInstalled = false;

int IgnoreXError(void*, void*) {
  return 0;
}

void InstallXErrorHandler() {
  void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (x11 == nullptr) {
    x11 = dlopen("libX11.so.6", RTLD_LAZY);
  }
  if (x11 == nullptr) {
    return;
  }
  auto setHandler = reinterpret_cast<TXSetErrorHandler>(dlsym(x11, "XSetErrorHandler"));
  if (setHandler != nullptr) {
    PreviousXErrorHandler = setHandler(&IgnoreXError);
    XHandlerInstalled = true;
  }
}

void RemoveXErrorHandler() {
  if (!XHandlerInstalled) {
    return;
  }
  void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (x11 != nullptr) {
    auto setHandler = reinterpret_cast<TXSetErrorHandler>(dlsym(x11, "XSetErrorHandler"));
    if (setHandler != nullptr) {
      setHandler(PreviousXErrorHandler);
    }
  }
  XHandlerInstalled = false;
  PreviousXErrorHandler = nullptr;
}
#else
void InstallXErrorHandler() {}
void RemoveXErrorHandler() {}
#endif

#if JUCE_WINDOWS
// The host's UI thread runs the host's own message loop, which already delivers input and paint
// messages to the editor's child windows. Draining the whole thread queue here would steal the
// host's keystrokes from its accelerators and swallow its WM_QUIT, so only the messages JUCE posts
// to its own hidden window are run.
bool DispatchNextMessage() {
  HWND messageWindow = juce::juce_messageWindowHandle;
  MSG message;
  if (messageWindow == nullptr || !PeekMessageW(&message, messageWindow, 0, 0, PM_REMOVE)) {
    return false;
  }
  if (message.message == WM_QUIT) {
    // The quit request comes back whatever window is asked for; it stays the host's.
    PostQuitMessage(static_cast<int>(message.wParam));
    return false;
  }
  DispatchMessageW(&message);
  return true;
}

// Window classes are registered for this DLL, not for the host's executable, so they go with the DLL.
void UseThisModuleForWindowClasses() {
  HMODULE self = nullptr;
  if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&UseThisModuleForWindowClasses), &self) != 0) {
    juce::Process::setCurrentModuleInstanceHandle(self);
  }
}
#else
bool DispatchNextMessage() {
  return juce::dispatchNextMessageOnSystemQueue(true);
}

void UseThisModuleForWindowClasses() {}
#endif
} // namespace

namespace ZelJuceRuntime {
void Acquire() {
  std::lock_guard<std::mutex> lock(RuntimeMutex);
  if (RuntimeUsers++ == 0) {
    UseThisModuleForWindowClasses();
    juce::initialiseJuce_GUI();
    juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
    InstallXErrorHandler();
    // Opens the display now, so its windows can be created inside the host's.
    juce::Desktop::getInstance();
    DefaultLook = std::make_unique<TZelLookAndFeel>(nullptr);
    juce::LookAndFeel::setDefaultLookAndFeel(DefaultLook.get());
  } else {
    juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
  }
}

void Release() {
  std::lock_guard<std::mutex> lock(RuntimeMutex);
  if (RuntimeUsers <= 0) {
    return;
  }
  if (--RuntimeUsers > 0) {
    return;
  }
  juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
  for (int i = 0; i < 2000 && DispatchNextMessage(); ++i) {
  }
  juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
  DefaultLook.reset();
  ZelFonts::Release();
  juce::shutdownJuce_GUI();
  RemoveXErrorHandler();
}

bool Active() {
  std::lock_guard<std::mutex> lock(RuntimeMutex);
  return RuntimeUsers > 0;
}

int PumpMessages(int maxMessages) {
  if (!Active()) {
    return 0;
  }
  juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
  int handled = 0;
  while (handled < maxMessages && DispatchNextMessage()) {
    ++handled;
  }
  return handled;
}
} // namespace ZelJuceRuntime
