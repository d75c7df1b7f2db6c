// PresetsModel: the preset browser's rules without widgets: listing, selection, deletion, column geometry and
// the press outside the dialog.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The presets of one folder as the browser lists them. User-interface thread only. Every file
// operation goes through the platform services, so tests run it on a folder of their own.
class TPresetsModel {
public:
  static constexpr const char* Extension = ".ventrakisp";
  static constexpr int32_t ItemHeight = 20;
  static constexpr int32_t Columns = 3;

  // The folder listed; a separator is added when missing.
  void SetFolder(const std::string& folder);
  const std::string& Folder() const { return FFolder; }
  // The current preset of the caller (may be empty).
  std::string PresetName;

  // Lists the folder again: FFiles sorted without regard to case, one item per file, the first item
  // selected when there is one.
  void ListPresets();
  // What showing does: the list, then the item equal to PresetName (ignoring case) selected.
  void Show();

  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  // The preset name of an item and the index of its file in Files().
  const std::string& ItemText(int32_t index) const { return FItems.at(static_cast<size_t>(index)).Text; }
  int32_t FileIndex(int32_t index) const { return FItems.at(static_cast<size_t>(index)).FileIndex; }
  const std::vector<std::string>& Files() const { return FFiles; }

  // -1: nothing selected. Out-of-range values select nothing.
  int32_t ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int32_t index);
  // OK, "Open" and "Delete" are possible exactly when an item is selected.
  bool CanOpen() const { return FItemIndex >= 0; }
  // Folder + selected item's text + extension; empty without a selection.
  std::string SelectedFile() const;
  // The question before deleting the selected preset.
  std::string DeleteQuestion() const;
  // Deletes the selected item's file (a failure is not reported: the list shows what is on disk),
  // lists again and selects the same index, or the last item when that is beyond the end.
  void DeleteSelected();

  // Column geometry of a list of this client size whose first visible column is firstColumn: items
  // run down the first column, then the next. ItemAt answers -1 outside every item.
  static int32_t RowsFor(int32_t height);
  static int32_t ColumnWidth(int32_t width) { return width / Columns; }
  int32_t ItemAt(int32_t x, int32_t y, int32_t width, int32_t height, int32_t firstColumn) const;
  // Columns needed for every item, and the first column that shows the selected item.
  int32_t ColumnCount(int32_t height) const;
  int32_t ColumnToShow(int32_t item, int32_t height, int32_t firstColumn) const;

private:
  struct TItem {
    std::string Text;
    int32_t FileIndex;
  };
  std::string FFolder;
  std::vector<std::string> FFiles;
  std::vector<TItem> FItems;
  int32_t FItemIndex = -1;
};

// What the browser's timer does with the mouse buttons it finds down (the check runs every 100 ms).
enum TOutsidePressAction : int32_t {
  opaNone = 0,
  // Cancel the browser; the press landed outside the editor and belongs to the host.
  opaCancel = 1,
};
struct TOutsidePressState {
  // A press that started on the browser itself (it may be dragged anywhere).
  bool BrowserPressActive = false;
  bool Showing = false;
  bool LeftDown = false;
  bool RightDown = false;
  bool InsideBrowser = false;
  // Inside the editor, presses reach the browser's layer through the editor's own mouse handling,
  // which closes the browser and repeats the press where it landed.
  bool InsideEditor = false;
};
TOutsidePressAction OutsidePressAction(const TOutsidePressState& state);
