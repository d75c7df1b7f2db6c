// RecordingUi: user-interface services for tests that remember every box and answer as scripted.
#pragma once

#include "host/UiServices.h"

#include <deque>
#include <string>
#include <vector>

struct TRecordedBox {
  TUiOwner Owner = nullptr;
  std::string Text;
  std::string Caption;
  TMessageButtons Buttons = mbOK;
  TMessageIcon Icon = miWarning;
};

struct TRecordedNumberDialog {
  std::string Caption;
  double Maximum = 0.0;
  double Minimum = 0.0;
  double Value = 0.0;
  int32_t DelayBeforeMs = 0;
};

// Installs itself for its lifetime. Boxes answer MessageAnswer; number dialogs answer the scripted
// entries in order (OK with that value), then Cancel.
class TRecordingUi final : public TUiServices {
public:
  TRecordingUi() { SetUiServices(this); }
  ~TRecordingUi() override { SetUiServices(nullptr); }
  TRecordingUi(const TRecordingUi&) = delete;
  TRecordingUi& operator=(const TRecordingUi&) = delete;

  std::vector<TRecordedBox> Boxes;
  std::vector<TRecordedNumberDialog> NumberDialogs;
  std::deque<double> NumberEntries;
  TModalResult MessageAnswer = mrOK;

  void ShowMessageBox(TUiOwner owner, const std::string& text, const std::string& caption,
                      TMessageButtons buttons, TMessageIcon icon, TMessageDone done) override {
    Boxes.push_back({owner, text, caption, buttons, icon});
    if (done) {
      done(MessageAnswer);
    }
  }
  void ShowTextDialog(TUiOwner, const std::string&, const std::string&, bool, int32_t,
                      const std::string& text, TTextDone done) override {
    if (done) {
      done(false, text);
    }
  }
  void ShowNumberDialog(TUiOwner, const std::string& caption, const std::string&, double maximum,
                        double minimum, int32_t, double value, TNumberDone done) override {
    NumberDialogs.push_back({caption, maximum, minimum, value, FPendingDelay});
    FPendingDelay = 0;
    if (NumberEntries.empty()) {
      done(false, value);
      return;
    }
    double entry = NumberEntries.front();
    NumberEntries.pop_front();
    done(true, entry);
  }
  void RunLater(int32_t milliseconds, std::function<void()> action) override {
    FPendingDelay = milliseconds;
    action();
  }

private:
  int32_t FPendingDelay = 0;
};
