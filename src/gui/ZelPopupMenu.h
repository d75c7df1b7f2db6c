// ZelPopupMenu: the maker's popup menu as a tree of tagged entries, with the CheckByTag/UncheckAll helpers.
#pragma once

#include "gui/ZelTypes.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TZelMenuItem;
using TMenuClickEvent = std::function<void(TZelMenuItem& item)>;

// One entry; an entry with children is a submenu. Entries carry their value in Tag, so one handler
// can serve a family of them.
class TZelMenuItem {
public:
  std::string Name;
  std::string Caption; // "-" is a separator
  int32_t Tag = 0;
  bool Checked = false;
  bool Enabled = true;
  bool Visible = true;
  bool Bold = false;
  TMenuClickEvent OnClick;

  TZelMenuItem* Parent() const { return FParent; }
  bool IsSeparator() const { return Caption == "-"; }
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  TZelMenuItem& operator[](int32_t index) const { return *FItems.at(static_cast<size_t>(index)); }
  TZelMenuItem& Add(std::string caption, int32_t tag = 0, TMenuClickEvent onClick = {});
  TZelMenuItem& AddSeparator() { return Add("-"); }
  void Clear() { FItems.clear(); }
  void Delete(int32_t index);
  // First entry of this name in the whole subtree, or null.
  TZelMenuItem* Find(const std::string& name);
  // Runs OnClick when the entry is enabled.
  void Click();

private:
  TZelMenuItem* FParent = nullptr;
  std::vector<std::unique_ptr<TZelMenuItem>> FItems;
};

class TZelPopupMenu : public TObject {
public:
  TZelPopupMenu() = default;
  TZelPopupMenu(const TZelPopupMenu&) = delete;
  TZelPopupMenu& operator=(const TZelPopupMenu&) = delete;

  TZelMenuItem& Items() { return FItems; }
  const TZelMenuItem& Items() const { return FItems; }
  // Before the menu opens, so check marks and visibility can follow the current state.
  std::function<void(TZelPopupMenu& menu)> OnPopup;

private:
  TZelMenuItem FItems;
};

// Files value entries into submenus by group caption: a run of entries with the same caption shares one
// submenu at the top level, an empty caption puts the entry at the top level and ends the run.
class TZelMenuGroups {
public:
  TZelMenuGroups(TZelPopupMenu& menu, int32_t groupTag) : FMenu(menu), FGroupTag(groupTag) {}
  // The entry the next value entry goes under.
  TZelMenuItem& ParentFor(const std::string& groupCaption);

private:
  TZelPopupMenu& FMenu;
  int32_t FGroupTag;
  TZelMenuItem* FGroup = nullptr;
  std::string FCaption;
};

// Every entry of parent (the top level when null) is checked exactly when its Tag equals value;
// submenus are searched too. With recursive set, the submenu entries leading to a checked entry are
// checked as well. True when some entry carries the value.
bool CheckByTag(TZelPopupMenu& menu, int32_t value, TZelMenuItem* parent = nullptr, bool recursive = false);
// Unchecks the direct entries of parent (the top level when null).
void UncheckAll(TZelPopupMenu& menu, TZelMenuItem* parent = nullptr);
