// ZelUiServices: message boxes and input dialogs shown inside the editor window, answered asynchronously.
#pragma once

#include "host/UiServices.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

class TfrmVSTEditorBase;

// Boxes go over their owner (a component of an editor window), else over the last opened editor.
// With no editor open nobody can answer: requests are answered at once the console's way (boxes
// written to standard error), and a copy of each message box, answer-less, waits for the next editor
// so the user still reads it. At most MaxWaitingBoxes wait; the oldest make room. Every request gets
// exactly one answer.
class TZelUiServices final : public TUiServices {
public:
  static TZelUiServices& Instance();

  void ShowMessageBox(TUiOwner owner, const std::string& text, const std::string& caption,
                      TMessageButtons buttons, TMessageIcon icon, TMessageDone done) override;
  void ShowTextDialog(TUiOwner owner, const std::string& caption, const std::string& prompt,
                      bool emptyAllowed, int32_t maxLength, const std::string& text, TTextDone done) override;
  void ShowNumberDialog(TUiOwner owner, const std::string& caption, const std::string& prompt, double maximum,
                        double minimum, int32_t decimals, double value, TNumberDone done) override;
  void RunLater(int32_t milliseconds, std::function<void()> action) override;

  void EditorOpened(TfrmVSTEditorBase& editor);
  void EditorClosing(TfrmVSTEditorBase& editor);
  int32_t PendingCount() const { return static_cast<int32_t>(FPending.size()); }
  static constexpr std::size_t MaxWaitingBoxes = 8;

private:
  // Shows the request in that editor over that owner component (null: the editor).
  using TRequest = std::function<void(TfrmVSTEditorBase& editor, juce::Component* owner)>;
  void Submit(TUiOwner owner, TRequest request);

  std::vector<TfrmVSTEditorBase*> FEditors;
  std::vector<TRequest> FPending;
  TConsoleUiServices FConsole;
};
