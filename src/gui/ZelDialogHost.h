// ZelDialogHost: in-window modal dialogs: a layer over the editor that blocks its input (never the host's).
#pragma once

#include "gui/ZelTypes.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

// A dialog drawn inside the editor: caption strip, client area, one answer when it closes.
class TZelDialogForm : public juce::Component {
public:
  static constexpr int CaptionHeight = 22;

  explicit TZelDialogForm(const juce::String& caption);

  juce::String Caption() const { return FCaption; }
  // The client size of the design; the form adds its caption strip and a one-pixel frame.
  void SetClientSize(int width, int height);
  juce::Rectangle<int> ClientArea() const;
  // Puts a control where the design rectangle (client coordinates) says.
  void PlaceInClient(juce::Component& control, const TRect& designed) const;
  // Closes with that modal result (the TModalResult numbers); the host then deletes the form.
  void CloseWith(int modalResult);
  // Closing without a button (the editor closed, Escape): Cancel.
  virtual void Cancel() { CloseWith(2); }
  int ModalResult() const { return FModalResult; }
  std::function<void(int modalResult)> OnClose;
  // The component to focus when shown.
  virtual juce::Component* InitialFocus() { return nullptr; }

  void paint(juce::Graphics& g) override;
  bool keyPressed(const juce::KeyPress& key) override;

private:
  juce::String FCaption;
  int FModalResult = 0;
  bool FClosed = false;
};

// Covers the whole editor while a dialog is open; dialogs queue and show one at a time.
class TZelDialogHost : public juce::Component {
public:
  explicit TZelDialogHost(juce::Component& editor);
  ~TZelDialogHost() override;

  // Shows the form centred over the owner (the editor when null). The form answers through its
  // OnClose and is deleted afterwards.
  void Show(std::unique_ptr<TZelDialogForm> form, juce::Component* owner);
  // Answers Cancel for the open and the queued dialogs (the editor is closing).
  void CancelAll();
  bool Busy() const { return FCurrent != nullptr; }
  TZelDialogForm* Current() const { return FCurrent.get(); }

  void paint(juce::Graphics& g) override;
  void resized() override;

private:
  struct TQueued {
    std::unique_ptr<TZelDialogForm> Form;
    juce::Component::SafePointer<juce::Component> Owner;
  };
  void ShowNext();
  void Chain(TZelDialogForm& form);
  void Closed(int modalResult);

  juce::Component& FEditor;
  std::unique_ptr<TZelDialogForm> FCurrent;
  std::vector<TQueued> FQueue;
  std::function<void(int)> FCurrentDone;
  bool FCancelling = false;
};
