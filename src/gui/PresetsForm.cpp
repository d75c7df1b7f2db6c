#include "gui/PresetsForm.h"

#include "gui/VSTEditorBase.h"
#include "gui/ZelJuceInput.h"
#include "gui/ZelLookAndFeel.h"
#include "gui/ZelMouseMessages.h"
#include "host/PlatformServices.h"
#include "host/UiServices.h"
#include "host/ZelCommon.h"

#include <algorithm>

namespace {
constexpr int ButtonWidth = 80;
constexpr int ButtonHeight = 26;
constexpr int EdgeGap = 10;
constexpr int ButtonGap = 10;
constexpr int ListSideMargins = 24;
constexpr int CaptionTop = 6;
constexpr int CaptionHeight = 22;
constexpr int TextInset = 4;
constexpr int ScrollBarHeight = 12;

juce::String FromUtf8(const std::string& text) {
  return juce::String::fromUTF8(text.c_str(), static_cast<int>(text.size()));
}
} // namespace

// ---- List --------------------------------------------------------------------------------------------

TZelPresetList::TZelPresetList(TfrmPresets& form)
    : Font(ZelFonts::Make("Segoe UI", 12.0f, true)), FForm(form) {
  setWantsKeyboardFocus(true);
  FScrollBar.addListener(this);
  FScrollBar.setAutoHide(true);
  addChildComponent(FScrollBar);
}

juce::Rectangle<int> TZelPresetList::ItemArea() const {
  auto area = getLocalBounds().reduced(1);
  if (FScrollBar.isVisible()) {
    area.removeFromBottom(ScrollBarHeight);
  }
  return area;
}

int TZelPresetList::ItemAt(juce::Point<int> point) const {
  const auto area = ItemArea();
  return FForm.Model().ItemAt(point.x - area.getX(), point.y - area.getY(), area.getWidth(), area.getHeight(),
                              FFirstColumn);
}

juce::Rectangle<int> TZelPresetList::ItemRect(int index) const {
  const auto area = ItemArea();
  const int rows = TPresetsModel::RowsFor(area.getHeight());
  const int columnWidth = TPresetsModel::ColumnWidth(area.getWidth());
  const int column = index / rows - FFirstColumn;
  return {area.getX() + column * columnWidth, area.getY() + (index % rows) * TPresetsModel::ItemHeight,
          columnWidth, TPresetsModel::ItemHeight};
}

void TZelPresetList::Changed() {
  const auto area = getLocalBounds().reduced(1);
  const int columns = FForm.Model().ColumnCount(area.getHeight() - ScrollBarHeight);
  const bool scrolls = columns > TPresetsModel::Columns;
  FScrollBar.setVisible(scrolls);
  const int height = ItemArea().getHeight();
  const int total = FForm.Model().ColumnCount(height);
  FScrollBar.setRangeLimits(0.0, std::max(total, TPresetsModel::Columns), juce::dontSendNotification);
  ScrollTo(FForm.Model().ColumnToShow(FForm.Model().ItemIndex(), height, FFirstColumn));
}

void TZelPresetList::ScrollTo(int column) {
  const int total = FForm.Model().ColumnCount(ItemArea().getHeight());
  FFirstColumn = std::clamp(column, 0, std::max(0, total - TPresetsModel::Columns));
  FScrollBar.setCurrentRange(FFirstColumn, TPresetsModel::Columns, juce::dontSendNotification);
  repaint();
}

void TZelPresetList::scrollBarMoved(juce::ScrollBar*, double newRangeStart) {
  FFirstColumn = static_cast<int>(newRangeStart);
  repaint();
}

void TZelPresetList::resized() {
  FScrollBar.setBounds(getLocalBounds().reduced(1).removeFromBottom(ScrollBarHeight));
  Changed();
}

void TZelPresetList::paint(juce::Graphics& g) {
  const TZelSkin* skin = SkinOf(*this);
  const TColor background = skin ? skin->EditBackground : 0xFFFFFF;
  g.fillAll(ToColour(background));
  g.setFont(Font);
  const TPresetsModel& model = FForm.Model();
  for (int i = 0; i < model.Count(); ++i) {
    const auto rect = ItemRect(i);
    if (!rect.intersects(ItemArea())) {
      continue;
    }
    const bool selected = i == model.ItemIndex();
    // The brush the toolkit sets for selected and unselected items, then the text inset on both sides.
    g.setColour(ToColour(selected ? (skin ? skin->SelectionBackground : 0x0078D7) : background));
    g.fillRect(rect);
    g.setColour(ToColour(selected ? (skin ? skin->SelectionText : 0xFFFFFF) : (skin ? skin->EditText : 0)));
    g.drawText(FromUtf8(model.ItemText(i)), rect.reduced(TextInset, 0), juce::Justification::centredLeft,
               true);
  }
  g.setColour(ToColour(skin ? skin->BorderColor : 0x7A7A7A));
  g.drawRect(getLocalBounds(), 1);
}

void TZelPresetList::mouseDown(const juce::MouseEvent& event) {
  const int index = ItemAt(event.getPosition());
  if (event.mods.isPopupMenu()) {
    // The menu acts on the item under the pointer; an empty spot keeps the selection.
    if (index >= 0) {
      FForm.Model().SetItemIndex(index);
      FForm.UpdateButtons();
      Changed();
    }
    ShowZelPopupMenuAt(FForm.popMenu, *this, event.getPosition());
    return;
  }
  if (index >= 0) {
    FForm.Model().SetItemIndex(index);
    FForm.UpdateButtons();
    Changed();
  }
}

void TZelPresetList::mouseDoubleClick(const juce::MouseEvent& event) {
  if (!event.mods.isPopupMenu()) {
    FForm.lstPresetsDblClick();
  }
}

void TZelPresetList::mouseWheelMove(const juce::MouseEvent&, const juce::MouseWheelDetails& wheel) {
  const float delta = std::abs(wheel.deltaX) > std::abs(wheel.deltaY) ? wheel.deltaX : wheel.deltaY;
  if (delta != 0.0f) {
    ScrollTo(FFirstColumn + (delta < 0.0f ? 1 : -1));
  }
}

bool TZelPresetList::keyPressed(const juce::KeyPress& key) {
  TPresetsModel& model = FForm.Model();
  const int rows = TPresetsModel::RowsFor(ItemArea().getHeight());
  int index = model.ItemIndex();
  const int code = key.getKeyCode();
  if (code == juce::KeyPress::upKey) {
    index = std::max(0, index - 1);
  } else if (code == juce::KeyPress::downKey) {
    index = index + 1;
  } else if (code == juce::KeyPress::leftKey) {
    index = std::max(0, index - rows);
  } else if (code == juce::KeyPress::rightKey) {
    index = index + rows;
  } else if (code == juce::KeyPress::homeKey) {
    index = 0;
  } else if (code == juce::KeyPress::endKey) {
    index = model.Count() - 1;
  } else {
    return false;
  }
  if (model.Count() > 0) {
    model.SetItemIndex(std::clamp(index, 0, model.Count() - 1));
    FForm.UpdateButtons();
    Changed();
  }
  return true;
}

// ---- Form --------------------------------------------------------------------------------------------

TfrmPresets::TfrmPresets()
    : lstPresets(*this), Timer(TimerIntervalMs), FBackground(TfrmVSTEditorBase::MakeBackgroundTile()) {
  setWantsKeyboardFocus(true);
  // The browser has no sound of its own to make: the system's warning beep stays off while it is
  // open, and the user's own setting comes back with its destruction.
  FSavedBeep = Platform().WarningBeep();
  if (FSavedBeep.has_value() && *FSavedBeep) {
    Platform().SetWarningBeep(false);
  } else {
    FSavedBeep.reset();
  }

  panMain.BorderRadius = 5;
  panMain.BorderWidth = 2;
  panMain.BorderVisible = false;
  panMain.PanelColor = 0xFFFFFF;
  panMain.Transparent = true;
  addAndMakeVisible(panMain);

  lblCaption.setText("Load Preset", juce::dontSendNotification);
  lblCaption.setFont(ZelFonts::Make("Tahoma", 16.0f, true));
  lblCaption.setJustificationType(juce::Justification::centred);
  lblCaption.setInterceptsMouseClicks(false, false);
  panMain.addAndMakeVisible(lblCaption);
  panMain.addAndMakeVisible(lstPresets);

  for (TZelSpTBXSpeedButton* button : {&btnOK, &btnCancel}) {
    button->Font = ZelFonts::Make("Segoe UI", 12.0f, true);
    button->setSize(ButtonWidth, ButtonHeight);
    panMain.addAndMakeVisible(*button);
  }
  btnOK.SetCaption("OK");
  btnCancel.SetCaption("Cancel");
  btnOK.OnClick = [this](TObject*) {
    btnOKClick();
  };
  btnCancel.OnClick = [this](TObject*) {
    CloseWith(mrCancel);
  };

  popMenu_Open = &popMenu.Items().Add("Open", 0, [this](TZelMenuItem&) { btnOKClick(); });
  popMenu_Delete = &popMenu.Items().Add("Delete", 0, [this](TZelMenuItem&) { popMenu_DeleteClick(); });
  popMenu.Items().AddSeparator();
  popMenu_ShowInExplorer =
      &popMenu.Items().Add("Show in Explorer", 0, [this](TZelMenuItem&) { popMenu_ShowInExplorerClick(); });
  popMenu.OnPopup = [this](TZelPopupMenu&) {
    popMenuPopup();
  };

  Timer.OnTimer = [this] {
    TimerTimer();
  };
  // Presses anywhere on the browser suspend the outside-click check until their release.
  panMain.addMouseListener(this, true);
  setSize(DesignWidth, DesignHeight);
  UpdateButtons();
}

TfrmPresets::~TfrmPresets() {
  Timer.SetEnabled(false);
  panMain.removeMouseListener(this);
  if (FSavedBeep.has_value()) {
    Platform().SetWarningBeep(*FSavedBeep);
  }
}

void TfrmPresets::Show() {
  FModel.Show();
  UpdateButtons();
  lstPresets.Changed();
  Timer.SetEnabled(true);
}

void TfrmPresets::CloseWith(int modalResult) {
  if (FClosed) {
    return;
  }
  FClosed = true;
  FModalResult = modalResult;
  Timer.SetEnabled(false);
  if (OnClose) {
    // The owner may delete the browser later, never inside this call.
    auto done = OnClose;
    done(modalResult);
  }
}

void TfrmPresets::UpdateButtons() {
  btnOK.setEnabled(FModel.CanOpen());
}

void TfrmPresets::btnOKClick() {
  if (FModel.CanOpen()) {
    CloseWith(mrOK);
  }
}

void TfrmPresets::lstPresetsDblClick() {
  if (btnOK.isEnabled()) {
    CloseWith(mrOK);
  }
}

void TfrmPresets::popMenuPopup() {
  popMenu_Open->Enabled = btnOK.isEnabled();
  popMenu_Delete->Enabled = btnOK.isEnabled();
}

void TfrmPresets::popMenu_DeleteClick() {
  if (!FModel.CanOpen()) {
    return;
  }
  juce::Component::SafePointer<TfrmPresets> self(this);
  ShowMessage(static_cast<juce::Component*>(this), FModel.DeleteQuestion(), "Delete Preset", mbYesNo,
              miConfirmation, [self](TModalResult result) {
                if (self == nullptr || result == mrNo) {
                  return;
                }
                self->FModel.DeleteSelected();
                self->UpdateButtons();
                self->lstPresets.Changed();
              });
}

void TfrmPresets::popMenu_ShowInExplorerClick() {
  try {
    Platform().CreateFolders(FModel.Folder());
  } catch (const std::exception&) {
    // The file manager reports a folder it cannot show; nothing more to say here.
  }
  OpenInExplorer(FModel.Folder());
}

void TfrmPresets::TimerTimer() {
  const juce::ModifierKeys buttons = juce::ModifierKeys::getCurrentModifiersRealtime();
  const juce::Point<int> pointer = juce::Desktop::getMousePosition();
  TOutsidePressState state;
  state.BrowserPressActive = FMouseDown;
  state.Showing = isShowing();
  state.LeftDown = buttons.isLeftButtonDown();
  state.RightDown = buttons.isRightButtonDown();
  state.InsideBrowser = getScreenBounds().contains(pointer);
  if (juce::Component* editor = getTopLevelComponent()) {
    state.InsideEditor = editor->getScreenBounds().contains(pointer);
  }
  if (OutsidePressAction(state) == opaCancel) {
    CloseWith(mrCancel);
  }
}

void TfrmPresets::PressOutside(const juce::MouseEvent& event) {
  if (FClosed || FMouseDown) {
    return;
  }
  FOutsidePress = true;
  FOutsideButton = event.mods.isRightButtonDown()    ? mbRight
                   : event.mods.isMiddleButtonDown() ? mbMiddle
                                                     : mbLeft;
}

void TfrmPresets::ReleaseOutside(const juce::MouseEvent& event) {
  if (!FOutsidePress || FClosed) {
    return;
  }
  FOutsidePress = false;
  const juce::Point<int> where = event.getScreenPosition();
  const TMouseButton button = FOutsideButton;
  juce::Component::SafePointer<juce::Component> editor(getTopLevelComponent());
  CloseWith(mrCancel);
  // After the closing flow (which drops queued clicks) and outside this mouse handler.
  juce::MessageManager::callAsync([editor, where, button] {
    if (editor != nullptr) {
      RepeatMousePress(*editor, where, button);
    }
  });
}

void TfrmPresets::paint(juce::Graphics& g) {
  g.setTiledImageFill(FBackground, 0, 0, 1.0f);
  g.fillRect(g.getClipBounds());
}

void TfrmPresets::resized() {
  panMain.setBounds(getLocalBounds().reduced(1));
  // The layout works in the browser's own coordinates, as the design gives it.
  const auto origin = panMain.getPosition();
  lblCaption.setBounds(0, CaptionTop, panMain.getWidth(), CaptionHeight);
  const int listWidth = getWidth() - ListSideMargins;
  const int cancelLeft = ListLeft + listWidth - ButtonWidth - 1;
  const int okLeft = cancelLeft - ButtonWidth - ButtonGap;
  const int buttonTop = getHeight() - ButtonHeight - EdgeGap;
  const int listHeight = std::max(0, buttonTop - ListTop - EdgeGap);
  lstPresets.setBounds(ListLeft - origin.x, ListTop - origin.y, listWidth, listHeight);
  btnCancel.setBounds(cancelLeft - origin.x, buttonTop - origin.y, ButtonWidth, ButtonHeight);
  btnOK.setBounds(okLeft - origin.x, buttonTop - origin.y, ButtonWidth, ButtonHeight);
}

void TfrmPresets::mouseDown(const juce::MouseEvent&) {
  FMouseDown = true;
}

void TfrmPresets::mouseUp(const juce::MouseEvent&) {
  FMouseDown = false;
}

bool TfrmPresets::keyPressed(const juce::KeyPress& key) {
  if (key == juce::KeyPress::escapeKey) {
    CloseWith(mrCancel);
    return true;
  }
  if (key == juce::KeyPress::returnKey) {
    btnOKClick();
    return true;
  }
  return false;
}
