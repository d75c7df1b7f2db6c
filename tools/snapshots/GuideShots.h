// GuideShots: the user guide's pictures: one table of shots, each taken of the real editor of a plug-in
// instance, opened through the instance's dispatcher inside a host window and rendered off-screen.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TVSTPluginBase;

// What the user does in the freshly opened editor before the picture is taken.
using TShotAction = std::function<void(juce::Component& form)>;

struct TGuideShot {
  std::string FileName;      // PNG name without the extension, as the guide's sources name it
  std::string Title;         // what the picture shows
  int32_t Skin;              // style index 0..4 the window opens with
  TShotAction Prepare;       // empty: the window as it opens
  juce::Rectangle<int> Crop; // part of the window in its own pixels; empty for all of it
};

// Every picture the guide shows, in the order the guide shows them.
const std::vector<TGuideShot>& GuideShots();

// Actions for the table. Each one finds its control in the open window at the time of the shot and
// throws std::runtime_error when the window has no such control, so a renamed caption fails the build
// instead of leaving a picture unchanged.
// A click on the button with this caption (panel switches, "Preview Chord", the preset name button).
TShotAction PressButton(std::string caption);
// A click on the heading's menu button (the topmost menu button): the main menu opens.
TShotAction OpenMainMenu();
// In an open menu, a hover on the entry with this caption: its submenu opens beside it.
TShotAction OpenSubmenu(std::string caption);
// The captions of the entries of every menu open in the window, menus in the order they opened.
std::vector<std::string> OpenMenuEntries(juce::Component& form);
// The first component of this class, found in the window; null when there is none.
template <typename T> T* FindIn(juce::Component& root) {
  if (auto* found = dynamic_cast<T*>(&root))
    return found;
  for (juce::Component* child : root.getChildren())
    if (T* found = FindIn<T>(*child))
      return found;
  return nullptr;
}

// Every component of this class in the window, in the order of the component tree.
template <typename T> void FindAllIn(juce::Component& root, std::vector<T*>& found) {
  if (auto* match = dynamic_cast<T*>(&root))
    found.push_back(match);
  for (juce::Component* child : root.getChildren())
    FindAllIn<T>(*child, found);
}

// One plug-in instance made as the library makes it, with its editor opened by effEditOpen inside a host
// window of the display. Needs an X display (DISPLAY); user-interface thread only.
class TSnapshotInstance {
public:
  TSnapshotInstance();
  ~TSnapshotInstance();
  TSnapshotInstance(const TSnapshotInstance&) = delete;
  TSnapshotInstance& operator=(const TSnapshotInstance&) = delete;

  TVSTPluginBase& Module() { return *FModule; }
  // Opens the editor with this skin; throws std::runtime_error when the instance opens no window.
  juce::Component& OpenEditor(int32_t skin);
  void CloseEditor();
  // The instance's program chunk as a host stores it, and handing one back.
  std::vector<uint8_t> Chunk();
  void SetChunk(const std::vector<uint8_t>& chunk);
  // Lets the window handle what is queued (paints, timers, menus), as a host's idle calls do.
  void Idle(int milliseconds);

private:
  struct THostWindow;
  std::unique_ptr<THostWindow> FHostWindow;
  std::unique_ptr<TVSTPluginBase> FModule;
};

// Opens the editor, runs the shot's action, renders the window (and whatever it shows on top) off-screen
// and crops it.
juce::Image TakeShot(TSnapshotInstance& instance, const TGuideShot& shot);

// Writes every shot of the table as <folder>/<FileName>.png and the list of them as <folder>/shots.txt
// (file name, a tab, the title, one line each). Returns the number written; throws on a failed write.
int WriteGuideShots(TSnapshotInstance& instance, const std::string& folder);

// Copies the chord library and scale-template files that the editor writes into the instance's data
// folder on its first start into folder; returns the names copied (none before the main editor exists).
std::vector<std::string> CopyDefaultTexts(const TVSTPluginBase& module, const std::string& folder);
