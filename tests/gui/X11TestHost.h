// X11TestHost: the host side of the real-window editor tests on Linux: a host frame window that clicks
// and types with synthetic X events, and the plug-in library opened through its entry point.
#pragma once

#include "EditorWindowTestSupport.h"
#include "host/VSTInterface.h"

// gtest before Xlib: X11 defines macros (None, Bool) that gtest's templates use as names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <thread>
#include <vector>

namespace X11TestHost {
using EditorWindowTest::TestHostCallback;

// A top-level window standing in for the host's editor frame.
struct THostWindow {
  Display* XDisplay = nullptr;
  Window Frame = 0;

  THostWindow() {
    XDisplay = XOpenDisplay(nullptr);
    if (XDisplay == nullptr) {
      return;
    }
    Frame = XCreateSimpleWindow(XDisplay, DefaultRootWindow(XDisplay), 0, 0, 700, 500, 0, 0, 0);
    XMapWindow(XDisplay, Frame);
    XSync(XDisplay, False);
  }
  ~THostWindow() {
    if (XDisplay != nullptr) {
      XDestroyWindow(XDisplay, Frame);
      XCloseDisplay(XDisplay);
    }
  }
  std::vector<Window> Children() const {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> result;
    if (XQueryTree(XDisplay, Frame, &root, &parent, &children, &count) != 0) {
      result.assign(children, children + count);
      XFree(children);
    }
    return result;
  }
  unsigned long PixelAt(Window w, int x, int y) const {
    XImage* image = XGetImage(XDisplay, w, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) {
      return 0xFFFFFFFFul;
    }
    unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFFul;
    XDestroyImage(image);
    return pixel;
  }
  // A key press and release sent to the window (JUCE reads the key through XLookupString).
  void Key(Window w, KeySym symbol, unsigned int state = 0) {
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xkey.type = KeyPress;
    event.xkey.display = XDisplay;
    event.xkey.window = w;
    event.xkey.root = DefaultRootWindow(XDisplay);
    event.xkey.keycode = XKeysymToKeycode(XDisplay, symbol);
    event.xkey.state = state;
    event.xkey.same_screen = True;
    event.xkey.time = CurrentTime;
    XSendEvent(XDisplay, w, True, KeyPressMask, &event);
    event.xkey.type = KeyRelease;
    XSendEvent(XDisplay, w, True, KeyReleaseMask, &event);
    XSync(XDisplay, False);
  }
  // Lower-case letters, digits and blanks (no shift state is sent).
  void Type(Window w, const std::string& text) {
    for (char c : text) {
      Key(w, static_cast<KeySym>(static_cast<unsigned char>(c)));
    }
  }
  void Click(Window w, int x, int y) {
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xbutton.type = ButtonPress;
    event.xbutton.display = XDisplay;
    event.xbutton.window = w;
    event.xbutton.root = DefaultRootWindow(XDisplay);
    event.xbutton.x = x;
    event.xbutton.y = y;
    event.xbutton.button = Button1;
    event.xbutton.same_screen = True;
    event.xbutton.time = CurrentTime;
    XSendEvent(XDisplay, w, True, ButtonPressMask, &event);
    event.xbutton.type = ButtonRelease;
    event.xbutton.state = Button1Mask;
    XSendEvent(XDisplay, w, True, ButtonReleaseMask, &event);
    XSync(XDisplay, False);
  }
};

template <typename Pump> void PumpFor(int milliseconds, Pump pump) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

#if defined(TRIAXO_PLUGIN_PATH)
struct TLoadedPlugin {
  void* Library = nullptr;
  vst::AEffect* Effect = nullptr;

  TLoadedPlugin() {
    Library = dlopen(TRIAXO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (Library == nullptr) {
      return;
    }
    auto entry = reinterpret_cast<vst::PluginEntryProc>(dlsym(Library, "VSTPluginMain"));
    if (entry != nullptr) {
      Effect = entry(&TestHostCallback);
    }
    if (Effect != nullptr) {
      Dispatch(vst::effOpen);
      Dispatch(vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
      Dispatch(vst::effMainsChanged, 0, 1);
    }
  }
  ~TLoadedPlugin() {
    if (Effect != nullptr) {
      Dispatch(vst::effClose);
    }
    // The library stays loaded: hosts unload at exit, and JUCE's statics die with the process.
  }
  vst::VstIntPtr Dispatch(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f) {
    return Effect->dispatcher(Effect, opcode, index, value, ptr, opt);
  }
  void Idle() { Dispatch(vst::effEditIdle); }
};
#endif
} // namespace X11TestHost
