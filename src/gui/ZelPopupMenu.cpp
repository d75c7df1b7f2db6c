#include "gui/ZelPopupMenu.h"

TZelMenuItem& TZelMenuItem::Add(std::string caption, int32_t tag, TMenuClickEvent onClick) {
  auto item = std::make_unique<TZelMenuItem>();
  item->Caption = std::move(caption);
  item->Tag = tag;
  item->OnClick = std::move(onClick);
  item->FParent = this;
  FItems.push_back(std::move(item));
  return *FItems.back();
}

void TZelMenuItem::Delete(int32_t index) {
  if (index >= 0 && index < Count()) {
    FItems.erase(FItems.begin() + index);
  }
}

TZelMenuItem* TZelMenuItem::Find(const std::string& name) {
  for (auto& item : FItems) {
    if (item->Name == name) {
      return item.get();
    }
    if (TZelMenuItem* found = item->Find(name)) {
      return found;
    }
  }
  return nullptr;
}

void TZelMenuItem::Click() {
  if (Enabled && OnClick) {
    OnClick(*this);
  }
}

namespace {
bool CheckLevel(TZelMenuItem& parent, int32_t value, bool recursive) {
  bool any = false;
  for (int32_t i = 0; i < parent.Count(); ++i) {
    TZelMenuItem& item = parent[i];
    if (item.IsSeparator()) {
      continue;
    }
    item.Checked = item.Tag == value;
    bool inside = false;
    if (item.Count() > 0) {
      inside = CheckLevel(item, value, recursive);
      if (inside && recursive) {
        item.Checked = true;
      }
    }
    any = any || item.Checked || inside;
  }
  return any;
}
} // namespace

bool CheckByTag(TZelPopupMenu& menu, int32_t value, TZelMenuItem* parent, bool recursive) {
  return CheckLevel(parent != nullptr ? *parent : menu.Items(), value, recursive);
}

void UncheckAll(TZelPopupMenu& menu, TZelMenuItem* parent) {
  TZelMenuItem& level = parent != nullptr ? *parent : menu.Items();
  for (int32_t i = 0; i < level.Count(); ++i) {
    level[i].Checked = false;
  }
}

TZelMenuItem& TZelMenuGroups::ParentFor(const std::string& groupCaption) {
  if (groupCaption.empty()) {
    FGroup = nullptr;
  } else if (FGroup == nullptr || groupCaption != FCaption) {
    FGroup = &FMenu.Items().Add(groupCaption, FGroupTag);
  }
  FCaption = groupCaption;
  return FGroup != nullptr ? *FGroup : FMenu.Items();
}
