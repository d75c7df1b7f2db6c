// UiServices: message boxes and input dialogs for every flow that asks the user, with answers by callback.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The window a box is centred over: whatever the active implementation uses for its windows (the
// editor passes its own components). nullptr: no owner.
using TUiOwner = void*;

enum TMessageButtons : int32_t { mbOK = 0, mbYesNo = 1 };
enum TMessageIcon : int32_t { miWarning = 0, miError = 1, miInformation = 2, miConfirmation = 3 };
// The toolkit's modal results; a box closed without a button answers mrCancel.
enum TModalResult : int32_t { mrNone = 0, mrOK = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

using TMessageDone = std::function<void(TModalResult result)>;
using TTextDone = std::function<void(bool ok, const std::string& text)>;
using TNumberDone = std::function<void(bool ok, double value)>;

// Shows boxes and dialogs. The editor's implementation shows them inside its window and answers
// later, from its own event handling; the default one answers at once. Either way every request
// gets exactly one answer, and an empty callback means the caller does not need it.
// User-interface thread only.
class TUiServices {
public:
  virtual ~TUiServices() = default;

  // One box with the given caption (never empty here), text, buttons and icon, centred over the
  // owner, else over the active window, else on the screen.
  virtual void ShowMessageBox(TUiOwner owner, const std::string& text, const std::string& caption,
                              TMessageButtons buttons, TMessageIcon icon, TMessageDone done) = 0;
  // The text input dialog, placed like a message box. OK is only possible for a non-blank text
  // unless emptyAllowed; the text is at most maxLength characters.
  virtual void ShowTextDialog(TUiOwner owner, const std::string& caption, const std::string& prompt,
                              bool emptyAllowed, int32_t maxLength, const std::string& text,
                              TTextDone done) = 0;
  // The numeric input dialog, shown once; InputNumber handles values out of range.
  virtual void ShowNumberDialog(TUiOwner owner, const std::string& caption, const std::string& prompt,
                                double maximum, double minimum, int32_t decimals, double value,
                                TNumberDone done) = 0;
  // Runs the action after the delay without blocking the user-interface thread.
  virtual void RunLater(int32_t milliseconds, std::function<void()> action) = 0;
};

// Answers every request at once without a window: writes the caption and text of each box to
// standard error and answers OK for an OK box, No for a question and Cancel for every dialog.
// In use until the editor installs its own implementation (and in tools and tests).
class TConsoleUiServices final : public TUiServices {
public:
  void ShowMessageBox(TUiOwner owner, const std::string& text, const std::string& caption,
                      TMessageButtons buttons, TMessageIcon icon, TMessageDone done) override;
  void ShowTextDialog(TUiOwner owner, const std::string& caption, const std::string& prompt,
                      bool emptyAllowed, int32_t maxLength, const std::string& text, TTextDone done) override;
  void ShowNumberDialog(TUiOwner owner, const std::string& caption, const std::string& prompt, double maximum,
                        double minimum, int32_t decimals, double value, TNumberDone done) override;
  void RunLater(int32_t milliseconds, std::function<void()> action) override;
};

// The implementation in use. The caller keeps an installed object alive until it installs nullptr,
// which brings back the console implementation.
TUiServices& UiServices();
void SetUiServices(TUiServices* services);

// The caption of boxes asked for with an empty one.
constexpr const char* ApplicationTitle = "Triaxo";
// Delay before the numeric dialog comes back after a value out of range.
constexpr int32_t OutOfRangeRetryMs = 250;

// The message box of every flow (an empty caption becomes the application title).
void ShowMessage(TUiOwner owner, const std::string& text, const std::string& caption, TMessageButtons buttons,
                 TMessageIcon icon, TMessageDone done = {});
// The text of every error box: the sentence, two CR LF line breaks, then the error text in double
// quotes ("Error saving settings.\r\n\r\n\"Disk full\"").
std::string ErrorMessageText(const std::string& sentence, const std::string& errorText);
// An error box: that text with an OK button and the warning icon.
void ShowErrorMessage(TUiOwner owner, const std::string& sentence, const std::string& errorText,
                      const std::string& caption, TMessageDone done = {});
// The text input dialog; the callback gets true and the edited text on OK.
void InputText(TUiOwner owner, const std::string& caption, const std::string& prompt, bool emptyAllowed,
               int32_t maxLength, const std::string& text, TTextDone done);
// The numeric input dialog; while minimum differs from maximum and the entry lies outside them, the
// dialog comes back with that entry after OutOfRangeRetryMs. The callback gets true and the value on
// OK with a value in range, false on anything else.
void InputNumber(TUiOwner owner, const std::string& caption, const std::string& prompt, double maximum,
                 double minimum, int32_t decimals, double value, TNumberDone done);
