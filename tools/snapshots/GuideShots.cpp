#include "GuideShots.h"

#include "engine/Plugin.h"
#include "gui/ZelJuceRuntime.h"
#include "gui/ZelMenuButton.h"
#include "gui/ZelModuleEditor.h"
#include "host/VSTPluginBaseDM.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <thread>

namespace {
// The heading strip and the top edge of the main panel below it.
constexpr int HeadingHeight = 45;
constexpr int OpenSettleMs = 150;   // first paint and the activation timer
constexpr int ActionSettleMs = 250; // menus and panels after a click
constexpr int NoCrop = 0;

vst::VstIntPtr VST_CALL SnapshotHostCallback(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32,
                                             vst::VstIntPtr, void* ptr, float) {
  if (opcode == vst::audioMasterVersion)
    return 2400;
  if (opcode == vst::audioMasterGetProductString && ptr != nullptr) {
    std::strcpy(static_cast<char*>(ptr), "Triaxo Guide Snapshots");
    return 1;
  }
  return 0;
}

juce::Button* FindButton(juce::Component& root, const juce::String& caption) {
  if (auto* button = dynamic_cast<juce::Button*>(&root);
      button != nullptr && button->getButtonText() == caption)
    return button;
  for (juce::Component* child : root.getChildren())
    if (juce::Button* found = FindButton(*child, caption))
      return found;
  return nullptr;
}

// Menu entries carry their caption for screen readers; the shots use the same handle to find them.
void CollectMenuEntries(juce::Component& root, std::vector<juce::AccessibilityHandler*>& entries) {
  if (!root.isVisible())
    return;
  if (juce::AccessibilityHandler* handler = root.getAccessibilityHandler();
      handler != nullptr && handler->getRole() == juce::AccessibilityRole::menuItem)
    entries.push_back(handler);
  for (juce::Component* child : root.getChildren())
    CollectMenuEntries(*child, entries);
}

juce::Rectangle<int> WholeWindow() {
  return {NoCrop, NoCrop, NoCrop, NoCrop};
}

juce::Rectangle<int> Heading() {
  return {0, 0, std::numeric_limits<int>::max() / 2, HeadingHeight};
}
} // namespace

const std::vector<TGuideShot>& GuideShots() {
  static const std::vector<TGuideShot> shots = {
      {"editor-window", "The editor window", 0, {}, WholeWindow()},
      {"heading", "The heading", 0, {}, Heading()},
      {"skin-carbon", "Skin: Carbon", 0, {}, Heading()},
      {"skin-dark", "Skin: Dark", 1, {}, Heading()},
      {"skin-light", "Skin: Light", 2, {}, Heading()},
      {"skin-luna", "Skin: Luna", 3, {}, Heading()},
      {"skin-smokey", "Skin: Smokey", 4, {}, Heading()},
      {"main-menu", "The main menu", 0, OpenMainMenu(), WholeWindow()},
      {"chord-setup-panel", "The Chord Setup panel", 0, PressButton("Chord Setup"), WholeWindow()},
      {"timing-panel", "The Timing / Velocity panel", 0, PressButton("Timing / Velocity"), WholeWindow()},
      {"preset-browser", "The preset browser", 0, PressButton("-"), WholeWindow()},
  };
  return shots;
}

TShotAction PressButton(std::string caption) {
  return [caption](juce::Component& form) {
    juce::Button* button = FindButton(form, juce::String(caption));
    if (button == nullptr)
      throw std::runtime_error("the editor has no button \"" + caption + "\"");
    button->triggerClick();
  };
}

TShotAction OpenMainMenu() {
  return [](juce::Component& form) {
    // The window may hold other menu buttons (the chord menu); the heading's is the topmost.
    std::vector<TZelMenuButton*> buttons;
    FindAllIn(form, buttons);
    TZelMenuButton* heading = nullptr;
    for (TZelMenuButton* button : buttons)
      if (heading == nullptr || form.getLocalPoint(button, juce::Point<int>()).y <
                                    form.getLocalPoint(heading, juce::Point<int>()).y)
        heading = button;
    if (heading == nullptr)
      throw std::runtime_error("the editor has no menu button");
    heading->triggerClick();
  };
}

TShotAction OpenSubmenu(std::string caption) {
  return [caption](juce::Component& form) {
    std::vector<juce::AccessibilityHandler*> entries;
    CollectMenuEntries(form, entries);
    for (juce::AccessibilityHandler* entry : entries)
      if (entry->getTitle() == juce::String(caption) &&
          entry->getActions().invoke(juce::AccessibilityActionType::showMenu))
        return;
    throw std::runtime_error("no open menu has a submenu \"" + caption + "\"");
  };
}

std::vector<std::string> OpenMenuEntries(juce::Component& form) {
  std::vector<juce::AccessibilityHandler*> entries;
  CollectMenuEntries(form, entries);
  std::vector<std::string> captions;
  for (juce::AccessibilityHandler* entry : entries)
    captions.push_back(entry->getTitle().toStdString());
  return captions;
}

// A plain top-level X window standing in for the host's editor frame.
struct TSnapshotInstance::THostWindow {
  Display* XDisplay = nullptr;
  Window Frame = 0;

  THostWindow() {
    XDisplay = XOpenDisplay(nullptr);
    if (XDisplay == nullptr)
      throw std::runtime_error("no X display (set DISPLAY or run under Xvfb)");
    Frame = XCreateSimpleWindow(XDisplay, DefaultRootWindow(XDisplay), 0, 0, 1000, 600, 0, 0, 0);
    XMapWindow(XDisplay, Frame);
    XSync(XDisplay, False);
  }
  ~THostWindow() {
    XDestroyWindow(XDisplay, Frame);
    XCloseDisplay(XDisplay);
  }
};

TSnapshotInstance::TSnapshotInstance() : FHostWindow(std::make_unique<THostWindow>()) {
  FModule = std::make_unique<TVSTPluginBase>([](TPluginHost& host) -> std::unique_ptr<TPluginHandlers> {
    return std::make_unique<TVSTPlugin>(host);
  });
  if (!FModule->AttachHost(SnapshotHostCallback))
    throw std::runtime_error("the plug-in refused the host");
  FModule->Dispatch(vst::effOpen, 0, 0, nullptr, 0.0f);
  FModule->Dispatch(vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
  FModule->Dispatch(vst::effMainsChanged, 0, 1, nullptr, 0.0f);
}

TSnapshotInstance::~TSnapshotInstance() {
  CloseEditor();
  // A host's effClose ends with the module deleted; the module's own dispatcher leaves that to its owner.
  FModule->Dispatch(vst::effClose, 0, 0, nullptr, 0.0f);
  FModule.reset();
}

juce::Component& TSnapshotInstance::OpenEditor(int32_t skin) {
  FModule->Settings().SetStyle(skin);
  if (FModule->Dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(FHostWindow->Frame), 0.0f) != 1)
    throw std::runtime_error("the plug-in opened no editor window");
  auto* editor = dynamic_cast<TZelModuleEditor*>(FModule->Editor());
  if (editor == nullptr)
    throw std::runtime_error("the editor window is not the toolkit's");
  return editor->Form();
}

void TSnapshotInstance::CloseEditor() {
  if (FModule->Editor() != nullptr)
    FModule->Dispatch(vst::effEditClose, 0, 0, nullptr, 0.0f);
}

std::vector<uint8_t> TSnapshotInstance::Chunk() {
  void* data = nullptr;
  const auto size = FModule->Dispatch(vst::effGetChunk, 0, 0, &data, 0.0f);
  if (size <= 0 || data == nullptr)
    throw std::runtime_error("the plug-in gave no program chunk");
  const auto* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

void TSnapshotInstance::SetChunk(const std::vector<uint8_t>& chunk) {
  std::vector<uint8_t> copy = chunk; // the host's buffer, which the plug-in only reads
  FModule->Dispatch(vst::effSetChunk, 0, static_cast<vst::VstIntPtr>(copy.size()), copy.data(), 0.0f);
}

void TSnapshotInstance::Idle(int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    FModule->Dispatch(vst::effEditIdle, 0, 0, nullptr, 0.0f);
    XSync(FHostWindow->XDisplay, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

juce::Image TakeShot(TSnapshotInstance& instance, const TGuideShot& shot) {
  // Actions change the instance (the panel shown is part of its state), so every shot starts from the
  // state the one before it started from: the program chunk is taken before and handed back after.
  const std::vector<uint8_t> state = instance.Chunk();
  juce::Component& form = instance.OpenEditor(shot.Skin);
  instance.Idle(OpenSettleMs);
  if (shot.Prepare) {
    shot.Prepare(form);
    instance.Idle(ActionSettleMs);
  }
  // Menus and dialogs open inside the window, so one render of it holds them too.
  juce::Image image = form.createComponentSnapshot(form.getLocalBounds(), true, 1.0f);
  instance.CloseEditor();
  instance.SetChunk(state);
  if (!shot.Crop.isEmpty())
    image = image.getClippedImage(shot.Crop.getIntersection(image.getBounds()));
  return image;
}

int WriteGuideShots(TSnapshotInstance& instance, const std::string& folder) {
  std::filesystem::create_directories(folder);
  std::ofstream list(std::filesystem::path(folder) / "shots.txt", std::ios::binary | std::ios::trunc);
  int written = 0;
  for (const TGuideShot& shot : GuideShots()) {
    const juce::Image image = TakeShot(instance, shot);
    const std::filesystem::path path = std::filesystem::path(folder) / (shot.FileName + ".png");
    std::filesystem::remove(path);
    juce::FileOutputStream out{juce::File(juce::String(path.string()))};
    if (!out.openedOk() || !juce::PNGImageFormat().writeImageToStream(image, out))
      throw std::runtime_error("cannot write " + path.string());
    list << shot.FileName << ".png\t" << shot.Title << "\n";
    ++written;
  }
  if (!list)
    throw std::runtime_error("cannot write the list of shots in " + folder);
  return written;
}

std::vector<std::string> CopyDefaultTexts(const TVSTPluginBase& module, const std::string& folder) {
  std::vector<std::string> copied;
  std::filesystem::create_directories(folder);
  for (const char* name : {"Chords.txt", "Scale Templates.txt"}) {
    const std::filesystem::path source = std::filesystem::path(module.DataFolder()) / name;
    std::error_code error;
    if (!std::filesystem::is_regular_file(source, error))
      continue;
    std::filesystem::copy_file(source, std::filesystem::path(folder) / name,
                               std::filesystem::copy_options::overwrite_existing);
    copied.emplace_back(name);
  }
  return copied;
}
