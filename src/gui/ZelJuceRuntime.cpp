#include "gui/ZelJuceRuntime.h"

#include "gui/ZelLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <mutex>

#if JUCE_LINUX || JUCE_BSD
#include <dlfcn.h>
#endif

namespace juce {
// JUCE's own per-platform queue step; declared here because its header keeps it private.
bool dispatchNextMessageOnSystemQueue(bool returnIfNoPendingMessages);
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
} // namespace

namespace ZelJuceRuntime {
void Acquire() {
  std::lock_guard<std::mutex> lock(RuntimeMutex);
  if (RuntimeUsers++ == 0) {
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
  for (int i = 0; i < 2000 && juce::dispatchNextMessageOnSystemQueue(true); ++i) {
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
  while (handled < maxMessages && juce::dispatchNextMessageOnSystemQueue(true)) {
    ++handled;
  }
  return handled;
}
} // namespace ZelJuceRuntime
