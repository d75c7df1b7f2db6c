#include "gui/PresetsModel.h"

#include "host/PlatformServices.h"
#include "host/ZelCommon.h"

#include <algorithm>
#include <cstdio>

void TPresetsModel::SetFolder(const std::string& folder) {
  FFolder = folder.empty() ? folder : WithTrailingDelimiter(folder);
}

void TPresetsModel::ListPresets() {
  FItems.clear();
  FFiles.clear();
  FItemIndex = -1;
  if (!FFolder.empty()) {
    // A folder that cannot be read lists nothing.
    FindFiles(FFolder + "*" + Extension, faArchive | faReadOnly, FFiles);
  }
  for (size_t i = 0; i < FFiles.size(); ++i) {
    FItems.push_back({FileNameNoExt(FFiles[i]), static_cast<int32_t>(i)});
  }
  if (!FItems.empty()) {
    FItemIndex = 0;
  }
}

void TPresetsModel::Show() {
  ListPresets();
  for (int32_t i = 0; i < Count(); ++i) {
    if (SameText(FItems[static_cast<size_t>(i)].Text, PresetName)) {
      FItemIndex = i;
      break;
    }
  }
}

void TPresetsModel::SetItemIndex(int32_t index) {
  FItemIndex = InRange(index, 0, Count() - 1) ? index : -1;
}

std::string TPresetsModel::SelectedFile() const {
  return CanOpen() ? FFolder + ItemText(FItemIndex) + Extension : std::string();
}

std::string TPresetsModel::DeleteQuestion() const {
  return CanOpen() ? "Delete \"" + ItemText(FItemIndex) + "\"?" : std::string();
}

void TPresetsModel::DeleteSelected() {
  if (!CanOpen()) {
    return;
  }
  const std::string path = FFolder + FFiles.at(static_cast<size_t>(FileIndex(FItemIndex)));
  const int32_t kept = FItemIndex;
  Platform().RemoveFile(path);
  ListPresets();
  if (Count() > 0) {
    FItemIndex = std::min(kept, Count() - 1);
  }
}

int32_t TPresetsModel::RowsFor(int32_t height) {
  return std::max<int32_t>(1, height / ItemHeight);
}

int32_t TPresetsModel::ItemAt(int32_t x, int32_t y, int32_t width, int32_t height,
                              int32_t firstColumn) const {
  const int32_t columnWidth = ColumnWidth(width);
  const int32_t rows = RowsFor(height);
  if (x < 0 || y < 0 || columnWidth <= 0 || x >= columnWidth * Columns || y >= rows * ItemHeight) {
    return -1;
  }
  const int32_t index = (firstColumn + x / columnWidth) * rows + y / ItemHeight;
  return index < Count() ? index : -1;
}

int32_t TPresetsModel::ColumnCount(int32_t height) const {
  const int32_t rows = RowsFor(height);
  return (Count() + rows - 1) / rows;
}

int32_t TPresetsModel::ColumnToShow(int32_t item, int32_t height, int32_t firstColumn) const {
  if (item < 0) {
    return firstColumn;
  }
  const int32_t column = item / RowsFor(height);
  if (column < firstColumn) {
    return column;
  }
  if (column >= firstColumn + Columns) {
    return column - Columns + 1;
  }
  return firstColumn;
}

TOutsidePressAction OutsidePressAction(const TOutsidePressState& state) {
  if (state.BrowserPressActive || !state.Showing) {
    return opaNone;
  }
  if (!state.LeftDown && !state.RightDown) {
    return opaNone;
  }
  if (state.InsideBrowser || state.InsideEditor) {
    return opaNone;
  }
  return opaCancel;
}
