// X11TestHost: the host side of the real-window editor tests on Linux: a host frame window that clicks,
// drags and types with synthetic X events, the plug-in library opened through its entry point, and a
// session of the two with the editor open.
#pragma once

#include "support/EditorTestHost.h"

#include "host/VSTInterface.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <thread>
#include <vector>

namespace X11TestHost {

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
  // One press or release of a button (type ButtonPress or ButtonRelease) with that modifier state.
  void Button(Window w, int type, int x, int y, unsigned button, unsigned state) {
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xbutton.type = type;
    event.xbutton.display = XDisplay;
    event.xbutton.window = w;
    event.xbutton.root = DefaultRootWindow(XDisplay);
    event.xbutton.x = x;
    event.xbutton.y = y;
    event.xbutton.button = button;
    event.xbutton.state = state;
    event.xbutton.same_screen = True;
    event.xbutton.time = CurrentTime;
    XSendEvent(XDisplay, w, True, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &event);
    XSync(XDisplay, False);
  }
  // A press and release of one button (Button1 left, Button3 right) with extra modifier state.
  void Click(Window w, int x, int y, unsigned button = Button1, unsigned modifiers = 0) {
    Button(w, ButtonPress, x, y, button, modifiers);
    Button(w, ButtonRelease, x, y, button, modifiers | (button == Button3 ? Button3Mask : Button1Mask));
  }
  // The pointer moved with the left button held.
  void Motion(Window w, int x, int y, unsigned modifiers = 0) {
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xmotion.type = MotionNotify;
    event.xmotion.display = XDisplay;
    event.xmotion.window = w;
    event.xmotion.root = DefaultRootWindow(XDisplay);
    event.xmotion.x = x;
    event.xmotion.y = y;
    event.xmotion.state = modifiers | Button1Mask;
    event.xmotion.same_screen = True;
    XSendEvent(XDisplay, w, True, PointerMotionMask | Button1MotionMask, &event);
    XSync(XDisplay, False);
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

  explicit TLoadedPlugin(const char* path, vst::AudioMasterCallback callback = &EditorTestHost::Callback) {
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

#if defined(TRIAXO_PLUGIN_PATH)
// The plug-in in a 1000 x 600 host window with its editor open and painted; the host log starts empty.
struct TEditorSession {
  static constexpr int BlockFrames = 512;
  THostWindow Host{1000, 600};
  TLoadedPlugin Plugin{TRIAXO_PLUGIN_PATH};
  Window Editor = 0;

  TEditorSession() { EditorTestHost::Log() = {}; }
  ~TEditorSession() {
    if (Editor != 0) {
      Plugin.Dispatch(vst::effEditClose);
    }
  }
  TEditorSession(const TEditorSession&) = delete;
  TEditorSession& operator=(const TEditorSession&) = delete;

  EditorTestHost::TLog& Log() const { return EditorTestHost::Log(); }

  bool Open() {
    if (Host.XDisplay == nullptr || Plugin.Effect == nullptr ||
        Plugin.Dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(Host.Frame)) != 1) {
      return false;
    }
    const auto children = Host.Children();
    if (children.size() != 1) {
      return false;
    }
    Editor = children[0];
    Host.ParkPointer();
    Settle(300);
    return true;
  }
  void Settle(int milliseconds = 150) {
    PumpFor(milliseconds, [this] { Plugin.Idle(); });
  }
  // A left-button drag in steps of 8 pixels, with extra modifiers held throughout.
  void Drag(int fromX, int toX, int y, unsigned modifiers = 0) {
    Host.Button(Editor, ButtonPress, fromX, y, Button1, modifiers);
    Settle(40);
    for (int x = fromX; x != toX;) {
      x = toX > x ? std::min(toX, x + 8) : std::max(toX, x - 8);
      Host.Motion(Editor, x, y, modifiers);
      Settle(15);
    }
    Host.Button(Editor, ButtonRelease, toX, y, Button1, modifiers | Button1Mask);
    Settle();
  }
  // One MIDI message into the coming block.
  void SendMidi(uint8_t status, uint8_t data1, uint8_t data2) {
    vst::VstMidiEvent event{};
    event.type = vst::kVstMidiType;
    event.byteSize = sizeof(vst::VstMidiEvent) - 8;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    vst::VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<vst::VstEvent*>(&event);
    Plugin.Dispatch(vst::effProcessEvents, 0, 0, &list);
  }
  // Blocks of BlockFrames samples; the host log's block start follows them.
  void Process(int blocks) {
    std::vector<float> left(BlockFrames);
    std::vector<float> right(BlockFrames);
    float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {left.data(), right.data()};
    for (int i = 0; i < blocks; ++i) {
      Plugin.Effect->processReplacing(Plugin.Effect, inputs, outputs, BlockFrames);
      Log().BlockStart += BlockFrames;
    }
  }
  // The program chunk (index 1).
  std::vector<uint8_t> Chunk() {
    void* data = nullptr;
    const auto size = Plugin.Dispatch(vst::effGetChunk, 1, 0, &data);
    const auto* bytes = static_cast<const uint8_t*>(data);
    return size > 0 && bytes != nullptr ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>();
  }
  void SetChunk(std::vector<uint8_t> bytes) {
    Plugin.Dispatch(vst::effSetChunk, 1, static_cast<vst::VstIntPtr>(bytes.size()), bytes.data());
    Settle();
  }
  float Parameter(int index) { return Plugin.Effect->getParameter(Plugin.Effect, index); }
  // Every second pixel of a rectangle of the editor, row by row.
  std::vector<unsigned long> Pixels(int x, int y, int w, int h) const {
    std::vector<unsigned long> pixels;
    for (int j = 0; j < h; j += 2) {
      for (int i = 0; i < w; i += 2) {
        pixels.push_back(Host.PixelAt(Editor, x + i, y + j));
      }
    }
    return pixels;
  }
};
#endif

} // namespace X11TestHost
