#include "gui/ZelJuceInput.h"

#include "gui/ZelLookAndFeel.h"
#include "gui/ZelPopupMenu.h"

#include <cmath>

TShiftState ShiftOf(const juce::ModifierKeys& mods) {
  TShiftState shift = 0;
  if (mods.isShiftDown()) {
    shift |= ssShift;
  }
  if (mods.isAltDown()) {
    shift |= ssAlt;
  }
  if (mods.isCtrlDown() || mods.isCommandDown()) {
    shift |= ssCtrl;
  }
  if (mods.isLeftButtonDown()) {
    shift |= ssLeft;
  }
  if (mods.isRightButtonDown()) {
    shift |= ssRight;
  }
  if (mods.isMiddleButtonDown()) {
    shift |= ssMiddle;
  }
  return shift;
}

TShiftState ShiftOf(const juce::MouseEvent& event) {
  TShiftState shift = ShiftOf(event.mods);
  if (event.getNumberOfClicks() == 2) {
    shift |= ssDouble;
  }
  return shift;
}

TMouseButton ButtonOf(const juce::MouseEvent& event) {
  if (event.mods.isRightButtonDown() || event.mods.isPopupMenu()) {
    return mbRight;
  }
  if (event.mods.isMiddleButtonDown()) {
    return mbMiddle;
  }
  return mbLeft;
}

int32_t WheelDeltaOf(const juce::MouseWheelDetails& wheel) {
  const float delta = std::abs(wheel.deltaY) >= std::abs(wheel.deltaX) ? wheel.deltaY : -wheel.deltaX;
  if (delta == 0.0f) {
    return 0;
  }
  // JUCE reports about 0.2 per notch on X11 and Windows; anything smaller still counts as one notch.
  const int notches = std::max(1, static_cast<int>(std::lround(std::abs(delta) / 0.2f)));
  return (delta > 0 ? 1 : -1) * 120 * notches;
}

namespace {
void AddItems(juce::PopupMenu& target, TZelMenuItem& level, std::vector<TZelMenuItem*>& byId) {
  for (int32_t i = 0; i < level.Count(); ++i) {
    TZelMenuItem& item = level[i];
    if (!item.Visible) {
      continue;
    }
    if (item.IsSeparator()) {
      target.addSeparator();
      continue;
    }
    juce::String caption = juce::String::fromUTF8(item.Caption.c_str());
    if (item.Count() > 0) {
      juce::PopupMenu sub;
      AddItems(sub, item, byId);
      target.addSubMenu(caption, sub, item.Enabled, nullptr, item.Checked);
      continue;
    }
    byId.push_back(&item);
    juce::PopupMenu::Item entry(caption);
    entry.itemID = static_cast<int>(byId.size());
    entry.isEnabled = item.Enabled;
    entry.isTicked = item.Checked;
    if (item.Bold) {
      entry.colour = TZelLookAndFeel::BoldMarker;
    }
    target.addItem(entry);
  }
}
} // namespace

namespace {
void ShowZelPopupMenuWith(TZelPopupMenu& menu, juce::Component& target,
                          const juce::Rectangle<int>* screenArea, std::function<void()> afterChoice) {
  if (menu.OnPopup) {
    menu.OnPopup(menu);
  }
  juce::PopupMenu popup;
  auto byId = std::make_shared<std::vector<TZelMenuItem*>>();
  AddItems(popup, menu.Items(), *byId);
  popup.setLookAndFeel(&target.getLookAndFeel());
  juce::Component* parent = target.getTopLevelComponent();
  juce::Component::SafePointer<juce::Component> safeTarget(&target);
  auto options = juce::PopupMenu::Options().withTargetComponent(&target).withParentComponent(parent);
  if (screenArea != nullptr) {
    options = options.withTargetScreenArea(*screenArea);
  }
  // Entries live as long as the menu object; the callback checks the target still exists.
  popup.showMenuAsync(options, [byId, safeTarget, afterChoice](int result) {
    if (result <= 0 || safeTarget == nullptr || result > static_cast<int>(byId->size())) {
      return;
    }
    (*byId)[static_cast<size_t>(result - 1)]->Click();
    if (afterChoice) {
      afterChoice();
    }
  });
}
} // namespace

void ShowZelPopupMenu(TZelPopupMenu& menu, juce::Component& target, std::function<void()> afterChoice) {
  ShowZelPopupMenuWith(menu, target, nullptr, std::move(afterChoice));
}

void ShowZelPopupMenuAt(TZelPopupMenu& menu, juce::Component& target, juce::Point<int> point,
                        std::function<void()> afterChoice) {
  const juce::Rectangle<int> area(target.localPointToGlobal(point),
                                  target.localPointToGlobal(point) + juce::Point<int>(1, 1));
  ShowZelPopupMenuWith(menu, target, &area, std::move(afterChoice));
}
