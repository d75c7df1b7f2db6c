#include "gui/ZelUiServices.h"

#include "gui/InputDlg.h"
#include "gui/InputDlgNumeric.h"
#include "gui/VSTEditorBase.h"
#include "gui/ZelJuceRuntime.h"
#include "gui/ZelMessageBox.h"

#include <algorithm>

TZelUiServices& TZelUiServices::Instance() {
  static TZelUiServices services;
  return services;
}

namespace {
juce::Component* FindComponent(juce::Component& root, const void* wanted) {
  if (static_cast<const void*>(&root) == wanted) {
    return &root;
  }
  for (juce::Component* child : root.getChildren()) {
    if (juce::Component* found = FindComponent(*child, wanted)) {
      return found;
    }
  }
  return nullptr;
}
} // namespace

void TZelUiServices::Submit(TUiOwner owner, TRequest request) {
  // Owners are components of our own windows; anything else is treated as no owner.
  juce::Component* ownerComponent = nullptr;
  TfrmVSTEditorBase* editor = nullptr;
  if (owner != nullptr) {
    // Compared by address only: an owner that is no live component of ours is never dereferenced.
    for (TfrmVSTEditorBase* open : FEditors) {
      if (juce::Component* found = FindComponent(*open, owner)) {
        ownerComponent = found;
        editor = open;
        break;
      }
    }
  }
  if (editor == nullptr && !FEditors.empty()) {
    editor = FEditors.back();
  }
  if (editor == nullptr) {
    if (FPending.size() >= MaxWaitingBoxes) {
      FPending.erase(FPending.begin());
    }
    FPending.push_back(std::move(request));
    return;
  }
  request(*editor, ownerComponent);
}

void TZelUiServices::ShowMessageBox(TUiOwner owner, const std::string& text, const std::string& caption,
                                    TMessageButtons buttons, TMessageIcon icon, TMessageDone done) {
  if (FEditors.empty()) {
    // Answered now, so no flow waits on a window that may never open; the box itself is shown when
    // the next editor opens.
    FConsole.ShowMessageBox(owner, text, caption, buttons, icon, std::move(done));
    done = nullptr;
  }
  Submit(owner, [=](TfrmVSTEditorBase& editor, juce::Component* at) {
    auto box = std::make_unique<TZelMessageBox>(juce::String::fromUTF8(caption.c_str()),
                                                juce::String::fromUTF8(text.c_str()), buttons == mbYesNo,
                                                static_cast<TZelMessageBox::TIcon>(icon));
    box->OnClose = [done](int result) {
      if (done) {
        done(static_cast<TModalResult>(result));
      }
    };
    editor.Dialogs().Show(std::move(box), at);
  });
}

void TZelUiServices::ShowTextDialog(TUiOwner owner, const std::string& caption, const std::string& prompt,
                                    bool emptyAllowed, int32_t maxLength, const std::string& text,
                                    TTextDone done) {
  if (FEditors.empty()) {
    FConsole.ShowTextDialog(owner, caption, prompt, emptyAllowed, maxLength, text, std::move(done));
    return;
  }
  Submit(owner, [=](TfrmVSTEditorBase& editor, juce::Component* at) {
    auto dialog = std::make_unique<TfrmInputDlg>(juce::String::fromUTF8(caption.c_str()));
    dialog->SetPrompt(juce::String::fromUTF8(prompt.c_str()));
    dialog->AllowEmpty = emptyAllowed;
    dialog->SetText(juce::String::fromUTF8(text.c_str()), maxLength);
    TfrmInputDlg* form = dialog.get();
    dialog->OnClose = [done, form](int result) {
      if (done) {
        const bool ok = result == TfrmInputDlg::ModalOK;
        done(ok, ok ? form->Text().toStdString() : std::string());
      }
    };
    editor.Dialogs().Show(std::move(dialog), at);
  });
}

void TZelUiServices::ShowNumberDialog(TUiOwner owner, const std::string& caption, const std::string& prompt,
                                      double maximum, double minimum, int32_t decimals, double value,
                                      TNumberDone done) {
  if (FEditors.empty()) {
    FConsole.ShowNumberDialog(owner, caption, prompt, maximum, minimum, decimals, value, std::move(done));
    return;
  }
  Submit(owner, [=](TfrmVSTEditorBase& editor, juce::Component* at) {
    auto dialog = std::make_unique<TfrmInputDlgNumeric>(juce::String::fromUTF8(caption.c_str()));
    dialog->SetPrompt(juce::String::fromUTF8(prompt.c_str()));
    dialog->SetNumber(decimals, minimum, maximum, value);
    TfrmInputDlgNumeric* form = dialog.get();
    dialog->OnClose = [done, form](int result) {
      if (done) {
        const bool ok = result == TfrmInputDlgNumeric::ModalOK;
        done(ok, ok ? form->Value() : 0.0);
      }
    };
    editor.Dialogs().Show(std::move(dialog), at);
  });
}

void TZelUiServices::RunLater(int32_t milliseconds, std::function<void()> action) {
  if (!action) {
    return;
  }
  if (!ZelJuceRuntime::Active()) {
    action(); // nothing would ever run the timer
    return;
  }
  juce::Timer::callAfterDelay(std::max(0, milliseconds), std::move(action));
}

void TZelUiServices::EditorOpened(TfrmVSTEditorBase& editor) {
  FEditors.push_back(&editor);
  std::vector<TRequest> pending;
  pending.swap(FPending);
  for (auto& request : pending) {
    request(editor, nullptr);
  }
}

void TZelUiServices::EditorClosing(TfrmVSTEditorBase& editor) {
  FEditors.erase(std::remove(FEditors.begin(), FEditors.end(), &editor), FEditors.end());
}
