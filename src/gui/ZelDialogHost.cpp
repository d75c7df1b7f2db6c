#include "gui/ZelDialogHost.h"

#include "gui/ZelLookAndFeel.h"

TZelDialogForm::TZelDialogForm(const juce::String& caption) : FCaption(caption) {
  setWantsKeyboardFocus(true);
}

void TZelDialogForm::SetClientSize(int width, int height) {
  setSize(width + 2, height + CaptionHeight + 1);
}

juce::Rectangle<int> TZelDialogForm::ClientArea() const {
  return getLocalBounds().reduced(1).withTrimmedTop(CaptionHeight - 1);
}

void TZelDialogForm::PlaceInClient(juce::Component& control, const TRect& designed) const {
  const auto client = ClientArea();
  control.setBounds(client.getX() + designed.Left, client.getY() + designed.Top, designed.Width(),
                    designed.Height());
}

void TZelDialogForm::CloseWith(int modalResult) {
  if (FClosed) {
    return;
  }
  FClosed = true;
  FModalResult = modalResult;
  if (OnClose) {
    // The host deletes this form from inside the call: nothing may touch members afterwards.
    auto done = OnClose;
    done(modalResult);
  }
}

void TZelDialogForm::paint(juce::Graphics& g) {
  const TZelSkin* skin = SkinOf(*this);
  g.fillAll(ToColour(skin ? skin->PanelColor : 0xF0F0F0));
  auto caption = getLocalBounds().removeFromTop(CaptionHeight);
  g.setColour(ToColour(skin ? skin->CaptionBackground : 0xFFFFFF));
  g.fillRect(caption);
  g.setColour(ToColour(skin ? skin->CaptionText : 0x000000));
  g.setFont(ZelFonts::Make("Segoe UI", 12.0f));
  g.drawText(FCaption, caption.reduced(8, 0), juce::Justification::centredLeft, true);
  g.setColour(ToColour(skin ? skin->BorderColor : 0x7A7A7A));
  g.drawRect(getLocalBounds(), 1);
}

bool TZelDialogForm::keyPressed(const juce::KeyPress& key) {
  if (key == juce::KeyPress::escapeKey) {
    Cancel();
    return true;
  }
  return false;
}

TZelDialogHost::TZelDialogHost(juce::Component& editor) : FEditor(editor) {
  setInterceptsMouseClicks(true, true);
  setVisible(false);
  setAlwaysOnTop(true);
}

TZelDialogHost::~TZelDialogHost() {
  CancelAll();
}

void TZelDialogHost::Show(std::unique_ptr<TZelDialogForm> form, juce::Component* owner) {
  FQueue.push_back(TQueued{std::move(form), juce::Component::SafePointer<juce::Component>(owner)});
  if (FCurrent == nullptr) {
    ShowNext();
  }
}

void TZelDialogHost::ShowNext() {
  if (FQueue.empty()) {
    setVisible(false);
    return;
  }
  TQueued next = std::move(FQueue.front());
  FQueue.erase(FQueue.begin());
  FCurrent = std::move(next.Form);
  setBounds(FEditor.getLocalBounds());
  setVisible(true);
  toFront(false);

  // Centred over the owner, kept inside the editor.
  juce::Rectangle<int> ownerArea = getLocalBounds();
  if (next.Owner != nullptr && next.Owner.getComponent() != &FEditor) {
    ownerArea = FEditor.getLocalArea(next.Owner.getComponent(), next.Owner->getLocalBounds());
  }
  auto bounds = FCurrent->getLocalBounds();
  int x = ownerArea.getX() + (ownerArea.getWidth() - bounds.getWidth()) / 2;
  int y = ownerArea.getY() + (ownerArea.getHeight() - bounds.getHeight()) / 2;
  x = juce::jlimit(0, std::max(0, getWidth() - bounds.getWidth()), x);
  y = juce::jlimit(0, std::max(0, getHeight() - bounds.getHeight()), y);
  FCurrent->setTopLeftPosition(x, y);
  Chain(*FCurrent);
  addAndMakeVisible(*FCurrent);
  if (juce::Component* focus = FCurrent->InitialFocus()) {
    focus->grabKeyboardFocus();
  } else {
    FCurrent->grabKeyboardFocus();
  }
}

// The asker's answer first, then the host moves on to the next dialog.
void TZelDialogHost::Chain(TZelDialogForm& form) {
  auto answer = form.OnClose;
  form.OnClose = [this, answer](int result) {
    if (answer) {
      answer(result);
    }
    Closed(result);
  };
}

void TZelDialogHost::Closed(int /*modalResult*/) {
  // The form's own callback already answered; it is deleted once its click handler has returned.
  std::unique_ptr<TZelDialogForm> finished = std::move(FCurrent);
  if (finished != nullptr) {
    removeChildComponent(finished.get());
    if (!FCancelling) {
      juce::MessageManager::callAsync([form = std::shared_ptr<TZelDialogForm>(std::move(finished))] {});
    }
  }
  if (!FCancelling) {
    ShowNext();
  }
}

void TZelDialogHost::CancelAll() {
  FCancelling = true;
  while (FCurrent != nullptr || !FQueue.empty()) {
    if (FCurrent == nullptr) {
      FCurrent = std::move(FQueue.front().Form);
      FQueue.erase(FQueue.begin());
      Chain(*FCurrent);
    }
    TZelDialogForm* form = FCurrent.get();
    form->Cancel();
    if (FCurrent.get() == form) {
      FCurrent.reset(); // a form that ignored Cancel still goes
    }
  }
  FCancelling = false;
  setVisible(false);
}

void TZelDialogHost::paint(juce::Graphics& g) {
  g.fillAll(juce::Colours::black.withAlpha(0.25f));
}

void TZelDialogHost::resized() {}
