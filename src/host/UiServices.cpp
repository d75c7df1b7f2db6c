// UiServices: message boxes and input dialogs for every flow that asks the user, with answers by callback.
#include "host/UiServices.h"

#include <atomic>
#include <cstdio>
#include <memory>

namespace {

// Installed and read on the user-interface thread; atomic so that a read never sees half a pointer,
// acquire/release so an object built just before installing is seen complete.
std::atomic<TUiServices*> InstalledUiServices{nullptr};

TConsoleUiServices& ConsoleUiServices() {
  static TConsoleUiServices services;
  return services;
}

// The console shows line breaks its own way; boxes use CR LF.
std::string WithoutCarriageReturns(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    if (c != '\r') {
      result += c;
    }
  }
  return result;
}

void WriteToConsole(const std::string& line) {
  // One write per box so that boxes from several instances never interleave.
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

// One numeric dialog request that may come back after a value out of range.
struct TNumberRequest : std::enable_shared_from_this<TNumberRequest> {
  TUiOwner Owner = nullptr;
  std::string Caption;
  std::string Prompt;
  double Maximum = 0.0;
  double Minimum = 0.0;
  int32_t Decimals = 0;
  TNumberDone Done;

  void Show(double value) {
    auto self = shared_from_this();
    UiServices().ShowNumberDialog(Owner, Caption, Prompt, Maximum, Minimum, Decimals, value,
                                  [self](bool ok, double entered) { self->Answered(ok, entered); });
  }

  void Answered(bool ok, double entered) {
    if (!ok) {
      Finish(false, entered);
      return;
    }
    if (Minimum != Maximum && (entered < Minimum || entered > Maximum)) {
      auto self = shared_from_this();
      UiServices().RunLater(OutOfRangeRetryMs, [self, entered] { self->Show(entered); });
      return;
    }
    Finish(true, entered);
  }

  void Finish(bool ok, double value) {
    if (Done) {
      Done(ok, value);
    }
  }
};

} // namespace

void TConsoleUiServices::ShowMessageBox(TUiOwner, const std::string& text, const std::string& caption,
                                        TMessageButtons buttons, TMessageIcon, TMessageDone done) {
  WriteToConsole("[" + std::string(ApplicationTitle) + "] " + caption + ": " + WithoutCarriageReturns(text) +
                 "\n");
  if (done) {
    done(buttons == mbYesNo ? mrNo : mrOK);
  }
}

void TConsoleUiServices::ShowTextDialog(TUiOwner, const std::string& caption, const std::string& prompt, bool,
                                        int32_t, const std::string& text, TTextDone done) {
  WriteToConsole("[" + std::string(ApplicationTitle) + "] " + caption + ": " + prompt + " (cancelled)\n");
  if (done) {
    done(false, text);
  }
}

void TConsoleUiServices::ShowNumberDialog(TUiOwner, const std::string& caption, const std::string& prompt,
                                          double, double, int32_t, double value, TNumberDone done) {
  WriteToConsole("[" + std::string(ApplicationTitle) + "] " + caption + ": " + prompt + " (cancelled)\n");
  if (done) {
    done(false, value);
  }
}

void TConsoleUiServices::RunLater(int32_t, std::function<void()> action) {
  // Nothing here waits for a user, so there is nothing to let go first.
  if (action) {
    action();
  }
}

TUiServices& UiServices() {
  TUiServices* installed = InstalledUiServices.load(std::memory_order_acquire);
  return installed != nullptr ? *installed : ConsoleUiServices();
}

void SetUiServices(TUiServices* services) {
  InstalledUiServices.store(services, std::memory_order_release);
}

void ShowMessage(TUiOwner owner, const std::string& text, const std::string& caption, TMessageButtons buttons,
                 TMessageIcon icon, TMessageDone done) {
  UiServices().ShowMessageBox(owner, text, caption.empty() ? std::string(ApplicationTitle) : caption, buttons,
                              icon, std::move(done));
}

std::string ErrorMessageText(const std::string& sentence, const std::string& errorText) {
  return sentence + "\r\n\r\n\"" + errorText + "\"";
}

void ShowErrorMessage(TUiOwner owner, const std::string& sentence, const std::string& errorText,
                      const std::string& caption, TMessageDone done) {
  ShowMessage(owner, ErrorMessageText(sentence, errorText), caption, mbOK, miWarning, std::move(done));
}

void InputText(TUiOwner owner, const std::string& caption, const std::string& prompt, bool emptyAllowed,
               int32_t maxLength, const std::string& text, TTextDone done) {
  UiServices().ShowTextDialog(owner, caption.empty() ? std::string(ApplicationTitle) : caption, prompt,
                              emptyAllowed, maxLength, text, std::move(done));
}

void InputNumber(TUiOwner owner, const std::string& caption, const std::string& prompt, double maximum,
                 double minimum, int32_t decimals, double value, TNumberDone done) {
  auto request = std::make_shared<TNumberRequest>();
  request->Owner = owner;
  request->Caption = caption.empty() ? std::string(ApplicationTitle) : caption;
  request->Prompt = prompt;
  request->Maximum = maximum;
  request->Minimum = minimum;
  request->Decimals = decimals;
  request->Done = std::move(done);
  request->Show(value);
}
