// The editor in a real X window: the plug-in library opened by a test host through its dispatcher, and a
// control inside a real window clicked with a synthetic X event.
#include "EditorWindowTestSupport.h"
#include "TestDisplay.h"
#include "support/X11TestHost.h"

#include "gui/ZelCheckBox.h"
#include "gui/ZelJuceRuntime.h"
#include "gui/ZelModuleEditor.h"
#include "host/VSTInterface.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <sys/resource.h>
#include <thread>

namespace {
using EditorWindowTest::TCheckBoxForm;
using X11TestHost::PumpFor;
using X11TestHost::THostWindow;
bool IsDarkGrey(unsigned long pixel) {
  const int r = static_cast<int>((pixel >> 16) & 0xFF);
  const int b = static_cast<int>(pixel & 0xFF);
  return r >= 0x10 && r <= 0x30 && r == b;
}

} // namespace

TEST(EditorWindow, SyntheticClickInARealWindowTogglesACheckBox) {
  REQUIRE_TEST_DISPLAY();
  THostWindow host;
  ASSERT_NE(host.XDisplay, nullptr);
  TCheckBoxForm* form = nullptr;
  int clicks = 0;
  {
    TZelModuleEditor editor(nullptr, reinterpret_cast<void*>(host.Frame), &ZelSkins::ByIndex(3),
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
    const auto at = form->getLocalPoint(&form->check, juce::Point<int>(8, 11));
    host.Click(children[0], at.x, at.y);
    PumpFor(150, [&] { editor.Idle(); });
    EXPECT_TRUE(form->check.Checked());
    EXPECT_EQ(clicks, 1);

    // A refused press keeps the state and skips its click.
    form->check.OnBeforeMouseDown = [](TObject*, TMouseButton, TShiftState, int, int, bool& proceed) {
      proceed = false;
    };
    host.Click(children[0], at.x, at.y);
    PumpFor(150, [&] { editor.Idle(); });
    EXPECT_TRUE(form->check.Checked());
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(form->check.SkipNextClick());
  }
  EXPECT_TRUE(host.Children().empty());
  EXPECT_FALSE(ZelJuceRuntime::Active());
}

#if defined(TRIAXO_PLUGIN_PATH)
namespace {
using X11TestHost::TLoadedPlugin;
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
} // namespace

TEST(PluginEditorWindow, HostOpensUsesClosesAndReopensTheEditor) {
  REQUIRE_TEST_DISPLAY();
  THostWindow host;
  ASSERT_NE(host.XDisplay, nullptr);
  TLoadedPlugin plugin{TRIAXO_PLUGIN_PATH};
  ASSERT_NE(plugin.Effect, nullptr) << dlerror();

  vst::ERect* rect = nullptr;
  EXPECT_EQ(plugin.Dispatch(vst::effEditGetRect, 0, 0, &rect), 0);
  EXPECT_EQ(plugin.Dispatch(vst::effVendorSpecific, 0, 0x57686565 /* 'Whee' */), 0);

  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    const auto opened = std::chrono::steady_clock::now();
    ASSERT_EQ(plugin.Dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(host.Frame)), 1);
    std::vector<Window> children = host.Children();
    ASSERT_EQ(children.size(), 1u);
    // Idle until the window shows its first frame.
    bool painted = false;
    for (int i = 0; i < 400 && !painted; ++i) {
      plugin.Idle();
      painted = IsDarkGrey(host.PixelAt(children[0], 1, 1));
      if (!painted) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    }
    const double firstFrameMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - opened).count();
    EXPECT_TRUE(painted);
    if (round == 0) {
      std::printf("[perf] effEditOpen to first painted frame: %.1f ms\n", firstFrameMs);
    }

    ASSERT_EQ(plugin.Dispatch(vst::effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 936);
    EXPECT_EQ(rect->bottom - rect->top, 508);
    XWindowAttributes attributes{};
    XGetWindowAttributes(host.XDisplay, children[0], &attributes);
    EXPECT_EQ(attributes.width, 936);
    EXPECT_EQ(attributes.height, 508);
    EXPECT_EQ(attributes.map_state, IsViewable);
    // panMain takes the Carbon panel colour (#2B2B2B) at alpha 220 over the tile.
    const unsigned long inside = host.PixelAt(children[0], 600, 70);
    EXPECT_NEAR(static_cast<int>((inside >> 8) & 0xFF), 0x29, 3);

    // A click on the main panel and the host's wheel notice are handled without harm.
    host.Click(children[0], 600, 70);
    EXPECT_EQ(plugin.Dispatch(vst::effVendorSpecific, 0, 0x57686565), 0);
    PumpFor(120, [&] { plugin.Idle(); });
    EXPECT_EQ(host.Children().size(), 1u);

    if (round == 0) {
      constexpr int Calls = 2000;
      const auto start = std::chrono::steady_clock::now();
      for (int i = 0; i < Calls; ++i) {
        plugin.Idle();
      }
      const double perCallUs =
          std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / Calls;
      // Hosts idle the editor about 30 times a second; measure the process CPU over two seconds of it.
      const double cpuStart = CpuSeconds();
      const auto wallStart = std::chrono::steady_clock::now();
      for (int i = 0; i < 60; ++i) {
        plugin.Idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(33));
      }
      const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
      const double cpuPercent = 100.0 * (CpuSeconds() - cpuStart) / wall;
      std::printf("[perf] effEditIdle with nothing changed: %.2f us per call\n", perCallUs);
      std::printf("[perf] CPU while the editor sits idle (30 idle calls/s): %.2f %%\n", cpuPercent);
      EXPECT_LT(perCallUs, 2000.0);
    }

    EXPECT_EQ(plugin.Dispatch(vst::effEditClose), 0);
    XSync(host.XDisplay, False);
    EXPECT_TRUE(host.Children().empty());
    EXPECT_EQ(plugin.Dispatch(vst::effEditGetRect, 0, 0, &rect), 0);
  }

  // Closing the module with its editor open is clean.
  ASSERT_EQ(plugin.Dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(host.Frame)), 1);
  PumpFor(50, [&] { plugin.Idle(); });
}

TEST(PluginEditorWindow, TwoInstancesHaveEditorsOpenAtOnce) {
  REQUIRE_TEST_DISPLAY();
  THostWindow hostA;
  THostWindow hostB;
  TLoadedPlugin a{TRIAXO_PLUGIN_PATH};
  TLoadedPlugin b{TRIAXO_PLUGIN_PATH};
  ASSERT_NE(a.Effect, nullptr);
  ASSERT_NE(b.Effect, nullptr);
  ASSERT_EQ(a.Dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(hostA.Frame)), 1);
  ASSERT_EQ(b.Dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(hostB.Frame)), 1);
  PumpFor(100, [&] {
    a.Idle();
    b.Idle();
  });
  EXPECT_EQ(hostA.Children().size(), 1u);
  EXPECT_EQ(hostB.Children().size(), 1u);
  a.Dispatch(vst::effEditClose);
  PumpFor(50, [&] { b.Idle(); });
  XSync(hostB.XDisplay, False);
  EXPECT_EQ(hostB.Children().size(), 1u);
  EXPECT_TRUE(hostA.Children().empty());
  b.Dispatch(vst::effEditClose);
}
#endif
