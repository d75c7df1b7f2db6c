// The editor in a real Win32 window: a test host window with its own message loop, the editor as its
// child (in process, and Triaxo.dll through its dispatcher), clicks posted as window messages.
#include "EditorWindowTestSupport.h"
#include "TestDisplay.h"
#include "support/EditorTestHost.h"

#include "gui/ZelCheckBox.h"
#include "gui/ZelJuceRuntime.h"
#include "gui/ZelModuleEditor.h"
#include "host/VSTInterface.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {
using EditorWindowTest::TCheckBoxForm;
constexpr UINT HostOwnMessage = WM_APP + 7;

// A top-level window standing in for the host's editor frame. It is shown (a window that is not shown
// is never painted) without taking the focus from anything.
struct THostWindow {
  HWND Frame = nullptr;

  THostWindow() {
    static const ATOM windowClass = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = DefWindowProcW;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
      wc.lpszClassName = L"TriaxoTestHostFrame";
      return RegisterClassExW(&wc);
    }();
    Frame = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, reinterpret_cast<LPCWSTR>(windowClass),
                            L"Triaxo test host", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 700, 500, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (Frame != nullptr) {
      ShowWindow(Frame, SW_SHOWNOACTIVATE);
      UpdateWindow(Frame);
    }
  }
  ~THostWindow() {
    if (Frame != nullptr) {
      DestroyWindow(Frame);
    }
  }
  THostWindow(const THostWindow&) = delete;
  THostWindow& operator=(const THostWindow&) = delete;

  std::vector<HWND> Children() const {
    std::vector<HWND> result;
    for (HWND child = GetWindow(Frame, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      result.push_back(child);
    }
    return result;
  }
};

// What a host's UI thread does between idle calls: run its own message loop.
void RunHostLoop() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Pumps until `done` holds or the time is up. Wine delivers posted input late on a loaded machine, so
// a check after a fixed pause would fail for no fault of the editor.
template <typename Idle, typename Done> void PumpUntil(int milliseconds, Idle idle, Done done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done() && std::chrono::steady_clock::now() < end) {
    RunHostLoop();
    idle();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

template <typename Idle> void PumpFor(int milliseconds, Idle idle) {
  PumpUntil(milliseconds, idle, [] { return false; });
}

COLORREF PixelAt(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  const COLORREF pixel = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return pixel;
}

bool IsDarkGrey(COLORREF pixel) {
  if (pixel == CLR_INVALID) {
    return false;
  }
  const int r = GetRValue(pixel);
  const int b = GetBValue(pixel);
  return r >= 0x10 && r <= 0x30 && r == b;
}

void Click(HWND window, int x, int y) {
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

} // namespace

TEST(EditorWindow, ClickPostedToTheChildWindowTogglesACheckBox) {
  REQUIRE_TEST_DISPLAY();
  THostWindow host;
  ASSERT_NE(host.Frame, nullptr);
  TCheckBoxForm* form = nullptr;
  int clicks = 0;
  {
    TZelModuleEditor editor(nullptr, host.Frame, &ZelSkins::ByIndex(3),
                            [&](TVSTPluginBase*, const TZelSkin* skin) {
                              auto made = std::make_unique<TCheckBoxForm>(skin);
                              form = made.get();
                              return made;
                            });
    ASSERT_NE(form, nullptr);
    form->check.OnClick = [&](TObject*) {
      ++clicks;
    };
    PumpFor(200, [&] { editor.Idle(); });
    const auto children = host.Children();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(GetParent(children[0]), host.Frame);
    EXPECT_TRUE(IsWindowVisible(children[0]));

    const auto at = form->getLocalPoint(&form->check, juce::Point<int>(8, 11));
    Click(children[0], at.x, at.y);
    PumpUntil(
        3000, [&] { editor.Idle(); }, [&] { return clicks >= 1; });
    EXPECT_TRUE(form->check.Checked());
    EXPECT_EQ(clicks, 1);

    Click(children[0], at.x, at.y);
    PumpUntil(
        3000, [&] { editor.Idle(); }, [&] { return clicks >= 2; });
    PumpFor(50, [&] { editor.Idle(); }); // a click counted twice would show here
    EXPECT_FALSE(form->check.Checked());
    EXPECT_EQ(clicks, 2);
  }
  EXPECT_TRUE(host.Children().empty());
  EXPECT_FALSE(ZelJuceRuntime::Active());
}

TEST(EditorWindow, IdleLeavesTheHostsOwnMessagesInItsQueue) {
  REQUIRE_TEST_DISPLAY();
  THostWindow host;
  ASSERT_NE(host.Frame, nullptr);
  TZelModuleEditor editor(nullptr, host.Frame, &ZelSkins::ByIndex(0), {});
  RunHostLoop();

  // The host's keystrokes, its private messages and its quit request are the host's to handle.
  PostMessageW(host.Frame, HostOwnMessage, 42, 0);
  PostMessageW(host.Frame, WM_KEYDOWN, VK_SPACE, 0);
  PostQuitMessage(3);
  editor.Idle();

  MSG message;
  EXPECT_TRUE(PeekMessageW(&message, host.Frame, HostOwnMessage, HostOwnMessage, PM_REMOVE));
  EXPECT_TRUE(PeekMessageW(&message, host.Frame, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
  const bool quitKept = PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
  EXPECT_TRUE(quitKept);
  if (quitKept) {
    EXPECT_EQ(message.wParam, 3u);
  }

  // JUCE's own posted work still runs from the idle call alone.
  bool ran = false;
  juce::MessageManager::callAsync([&] { ran = true; });
  for (int i = 0; i < 50 && !ran; ++i) {
    editor.Idle();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_TRUE(ran);
}

#if defined(TRIAXO_PLUGIN_PATH)
namespace {
// The build machine is Linux and the tests run under Wine, whose drive Z: is the Linux root.
std::wstring PluginPath() {
  std::string path = TRIAXO_PLUGIN_PATH;
  if (!path.empty() && path[0] == '/') {
    path = "Z:" + path;
  }
  return std::filesystem::path(path).make_preferred().wstring();
}

struct TLoadedPlugin {
  vst::AEffect* Effect = nullptr;

  TLoadedPlugin() {
    // Loaded once and kept: hosts unload at exit, and JUCE's statics die with the process.
    static HMODULE library = LoadLibraryW(PluginPath().c_str());
    if (library == nullptr) {
      return;
    }
    auto entry = reinterpret_cast<vst::PluginEntryProc>(
        reinterpret_cast<void*>(GetProcAddress(library, "VSTPluginMain")));
    if (entry != nullptr) {
      Effect = entry(&EditorTestHost::Callback);
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
  }
  TLoadedPlugin(const TLoadedPlugin&) = delete;
  TLoadedPlugin& operator=(const TLoadedPlugin&) = delete;

  vst::VstIntPtr Dispatch(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f) {
    return Effect->dispatcher(Effect, opcode, index, value, ptr, opt);
  }
  void Idle() { Dispatch(vst::effEditIdle); }
};
} // namespace

TEST(PluginEditorWindow, HostOpensPaintsClosesAndReopensTheEditorOfTheDll) {
  REQUIRE_TEST_DISPLAY();
  THostWindow host;
  ASSERT_NE(host.Frame, nullptr);
  TLoadedPlugin plugin;
  ASSERT_NE(plugin.Effect, nullptr) << "cannot load " << TRIAXO_PLUGIN_PATH << ": error " << GetLastError();

  vst::ERect* rect = nullptr;
  EXPECT_EQ(plugin.Dispatch(vst::effEditGetRect, 0, 0, &rect), 0);

  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(plugin.Dispatch(vst::effEditOpen, 0, 0, host.Frame), 1);
    const std::vector<HWND> children = host.Children();
    ASSERT_EQ(children.size(), 1u);

    // Painting comes through the host's loop; idle until the first frame shows.
    bool painted = false;
    for (int i = 0; i < 400 && !painted; ++i) {
      RunHostLoop();
      plugin.Idle();
      painted = IsDarkGrey(PixelAt(children[0], 1, 1));
      if (!painted) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    }
    EXPECT_TRUE(painted);

    ASSERT_EQ(plugin.Dispatch(vst::effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 936);
    EXPECT_EQ(rect->bottom - rect->top, 508);
    RECT client{};
    GetClientRect(children[0], &client);
    EXPECT_EQ(client.right - client.left, 936);
    EXPECT_EQ(client.bottom - client.top, 508);
    EXPECT_TRUE(IsWindowVisible(children[0]));
    // panMain takes the Carbon panel colour (#2B2B2B) at alpha 220 over the tile.
    EXPECT_NEAR(GetGValue(PixelAt(children[0], 600, 70)), 0x29, 3);

    // A click on the main panel and the host's wheel notice are handled without harm.
    Click(children[0], 600, 70);
    EXPECT_EQ(plugin.Dispatch(vst::effVendorSpecific, 0, 0x57686565 /* 'Whee' */), 0);
    PumpFor(120, [&] { plugin.Idle(); });
    EXPECT_EQ(host.Children().size(), 1u);

    EXPECT_EQ(plugin.Dispatch(vst::effEditClose), 0);
    EXPECT_TRUE(host.Children().empty());
    EXPECT_FALSE(IsWindow(children[0]));
    EXPECT_EQ(plugin.Dispatch(vst::effEditGetRect, 0, 0, &rect), 0);
    // Closing twice, or idling a closed editor, is harmless.
    EXPECT_EQ(plugin.Dispatch(vst::effEditClose), 0);
    plugin.Idle();
  }

  // Closing the module with its editor open is clean.
  ASSERT_EQ(plugin.Dispatch(vst::effEditOpen, 0, 0, host.Frame), 1);
  PumpFor(50, [&] { plugin.Idle(); });
}

TEST(PluginEditorWindow, TwoInstancesOfTheDllHaveEditorsOpenAtOnce) {
  REQUIRE_TEST_DISPLAY();
  THostWindow hostA;
  THostWindow hostB;
  TLoadedPlugin a;
  TLoadedPlugin b;
  ASSERT_NE(a.Effect, nullptr);
  ASSERT_NE(b.Effect, nullptr);
  ASSERT_EQ(a.Dispatch(vst::effEditOpen, 0, 0, hostA.Frame), 1);
  ASSERT_EQ(b.Dispatch(vst::effEditOpen, 0, 0, hostB.Frame), 1);
  PumpFor(100, [&] {
    a.Idle();
    b.Idle();
  });
  EXPECT_EQ(hostA.Children().size(), 1u);
  EXPECT_EQ(hostB.Children().size(), 1u);
  a.Dispatch(vst::effEditClose);
  PumpFor(50, [&] { b.Idle(); });
  EXPECT_TRUE(hostA.Children().empty());
  ASSERT_EQ(hostB.Children().size(), 1u);
  EXPECT_TRUE(IsDarkGrey(PixelAt(hostB.Children()[0], 1, 1)));
  b.Dispatch(vst::effEditClose);
  EXPECT_TRUE(hostB.Children().empty());
}
#endif
