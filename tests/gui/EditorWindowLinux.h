// EditorWindowLinux: the X11 side of the real-window editor tests: a host frame, synthetic mouse and key
// events, and the plug-in library opened through its VST entry.
#pragma once

#include "EditorWindowTestSupport.h"

#include "host/VSTInterface.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <thread>
#include <vector>

namespace EditorWindowTest {

// A top-level window standing in for the host's editor frame.
struct THostWindow {
  Display* XDisplay = nullptr;
  Window Frame = 0;

  explicit THostWindow(unsigned width = 700, unsigned height = 500) {
    XDisplay = XOpenDisplay(nullptr);
    if (XDisplay == nullptr) {
      return;
    }
    Frame = XCreateSimpleWindow(XDisplay, DefaultRootWindow(XDisplay), 0, 0, width, height, 0, 0, 0);
    XMapWindow(XDisplay, Frame);
    XSync(XDisplay, False);
  }
  ~THostWindow() {
    if (XDisplay != nullptr) {
      XDestroyWindow(XDisplay, Frame);
      XCloseDisplay(XDisplay);
    }
  }
  THostWindow(const THostWindow&) = delete;
  THostWindow& operator=(const THostWindow&) = delete;

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
  // A press and release of one button (Button1 left, Button3 right) with extra modifier state.
  void Click(Window w, int x, int y, unsigned button = Button1, unsigned modifiers = 0) {
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xbutton.type = ButtonPress;
    event.xbutton.display = XDisplay;
    event.xbutton.window = w;
    event.xbutton.root = DefaultRootWindow(XDisplay);
    event.xbutton.x = x;
    event.xbutton.y = y;
    event.xbutton.button = button;
    event.xbutton.state = modifiers;
    event.xbutton.same_screen = True;
    event.xbutton.time = CurrentTime;
    XSendEvent(XDisplay, w, True, ButtonPressMask, &event);
    event.xbutton.type = ButtonRelease;
    event.xbutton.state = modifiers | (button == Button3 ? Button3Mask : Button1Mask);
    XSendEvent(XDisplay, w, True, ButtonReleaseMask, &event);
    XSync(XDisplay, False);
  }
  void Key(Window w, KeySym symbol) {
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xkey.type = KeyPress;
    event.xkey.display = XDisplay;
    event.xkey.window = w;
    event.xkey.root = DefaultRootWindow(XDisplay);
    event.xkey.keycode = XKeysymToKeycode(XDisplay, symbol);
    event.xkey.same_screen = True;
    event.xkey.time = CurrentTime;
    XSendEvent(XDisplay, w, True, KeyPressMask, &event);
    event.xkey.type = KeyRelease;
    XSendEvent(XDisplay, w, True, KeyReleaseMask, &event);
    XSync(XDisplay, False);
  }
  // Moves the real pointer where no window of the test lies, so that menus follow only our events.
  void ParkPointer() {
    Screen* screen = DefaultScreenOfDisplay(XDisplay);
    XWarpPointer(XDisplay, None, DefaultRootWindow(XDisplay), 0, 0, 0, 0, WidthOfScreen(screen) - 2,
                 HeightOfScreen(screen) - 2);
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

// Triaxo.so opened by a host with the given callback, switched on at 44.1 kHz.
struct TLoadedPlugin {
  void* Library = nullptr;
  vst::AEffect* Effect = nullptr;

  explicit TLoadedPlugin(const char* path, vst::AudioMasterCallback callback = &TestHostCallback) {
    Library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (Library == nullptr) {
      return;
    }
    auto entry = reinterpret_cast<vst::PluginEntryProc>(dlsym(Library, "VSTPluginMain"));
    if (entry != nullptr) {
      Effect = entry(callback);
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
  TLoadedPlugin(const TLoadedPlugin&) = delete;
  TLoadedPlugin& operator=(const TLoadedPlugin&) = delete;

  vst::VstIntPtr Dispatch(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f) {
    return Effect->dispatcher(Effect, opcode, index, value, ptr, opt);
  }
  void Idle() { Dispatch(vst::effEditIdle); }
};

} // namespace EditorWindowTest
